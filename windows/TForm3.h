// TForm3: the properties window, the header's names and numbers as twenty edit fields in three
// groups. The fields show the document's working texts: every edit goes to the document at
// once, and the fields follow the document when an open or New replaces the texts.
#pragma once

#include "document/HeaderTexts.h"

#include <QWidget>

#include <vector>

class QLineEdit;

namespace quorvel {

class TextureDocument;

class TForm3 : public QWidget {
public:
    explicit TForm3(TextureDocument& document, QWidget* parent = nullptr);

    // The field by its form name ("Edit2" .. "Edit21").
    QLineEdit* field(const QString& name) const;

private:
    struct Field {
        QLineEdit* edit;
        QString HeaderTexts::*text;
    };
    void showTexts();

    TextureDocument& document_;
    std::vector<Field> fields_;
};

} // namespace quorvel
