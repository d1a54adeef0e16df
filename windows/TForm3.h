// TForm3: the properties window, the header's names and numbers as twenty edit fields in three
// groups. The fields show the document's working texts: every edit goes to the document at
// once, and the fields follow the document when an open or New replaces the texts. Below the
// groups, the header presets fill the number fields from a set kept under a name.
#pragma once

#include "document/HeaderPresets.h"
#include "document/HeaderTexts.h"

#include <QWidget>

#include <vector>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace quorvel {

class TextureDocument;

class TForm3 : public QWidget {
public:
    explicit TForm3(TextureDocument& document, QWidget* parent = nullptr);

    // The field by its form name ("Edit2" .. "Edit21").
    QLineEdit* field(const QString& name) const;

    // The preset box below the three groups: the presets by name, "Save preset..." and "Apply".
    QComboBox* presetBox() const { return presetBox_; }
    QPushButton* savePresetButton() const { return savePresetButton_; }
    QPushButton* applyPresetButton() const { return applyPresetButton_; }
    // Keeps the fifteen number fields as a preset under a name asked for.
    void savePreset();
    // Fills the fifteen number fields from the chosen preset, as typing them would.
    void applyPreset();

protected:
    // A field that loses the focus ends its typing: the next keystroke in it is a new step. A
    // texture dragged onto a field is no text for it: the drag goes on to the frame, which opens
    // the texture.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Field {
        QLineEdit* edit;
        QString HeaderTexts::*text;
    };
    void showTexts();

    void showPresets(const QString& chosen);

    TextureDocument& document_;
    std::vector<Field> fields_;
    HeaderPresets presets_;
    QComboBox* presetBox_;
    QPushButton* savePresetButton_;
    QPushButton* applyPresetButton_;
};

} // namespace quorvel
