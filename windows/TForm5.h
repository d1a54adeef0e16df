// TForm5: the paint toolbar. It shows and edits the painting tool's settings (ToolSettings):
// the colour and alpha fields with their swatch and the colour dialog, the pen width, and the
// three drawing modes; its two zoom buttons work the views' zoom. The settings object is
// the frame's, so it outlives the window; the level view's strokes read it and write picked
// colours into it, and the fields follow whatever changed it. The window holds no state of its
// own.
#pragma once

#include "paint/ToolSettings.h"

#include <QWidget>

#include <array>

class QButtonGroup;
class QFrame;
class QLineEdit;
class QPushButton;
class QSlider;
class QToolButton;

namespace quorvel {

class ViewSettings;

class TForm5 : public QWidget {
public:
    // FormCreate: the toolbar over `tools`, zooming `view` (the level view's); both outlive it.
    TForm5(ToolSettings& tools, ViewSettings& view, QWidget* parent = nullptr);

    // What painting reads.
    ToolSettings& tools() const { return *tools_; }

    // Edit1 (red), Edit2 (green), Edit3 (blue), Edit4 (alpha).
    QLineEdit* field(ToolField which) const { return fields_[int(which)]; }
    // Shape1: the 25 x 25 swatch of the paint colour.
    QFrame* swatch() const { return swatch_; }
    // SpeedButton5: opens the colour dialog.
    QToolButton* colourButton() const { return colourButton_; }
    // BitBtn1 "Zoom in" (BitBtn2 "Zoom out" stands under it).
    QPushButton* zoomInButton() const { return zoomInButton_; }
    // TrackBar1: the pen width, 1..20.
    QSlider* penWidthBar() const { return penWidthBar_; }
    // SpeedButton3 "Paint", SpeedButton2 "Draw Alpha", SpeedButton1 "Pick color".
    QToolButton* modeButton(DrawingMode mode) const { return modeButtons_[int(mode)]; }

private:
    // The four groups of controls, left to right.
    void createColourGroup();
    void createZoomGroup(ViewSettings& view);
    void createPenWidthGroup();
    void createModeGroup();
    // Edit1Change .. Edit4Change for what the user typed.
    void fieldEdited(ToolField which, const QString& typed);
    // SpeedButton4Click.
    void chooseColour();
    void showFields();
    void showSwatch(TColor colour);
    void showMode();

    ToolSettings* tools_;
    std::array<QLineEdit*, 4> fields_{};
    QFrame* swatch_ = nullptr;
    QToolButton* colourButton_ = nullptr;
    QPushButton* zoomInButton_ = nullptr;
    QPushButton* zoomOutButton_ = nullptr;
    QSlider* penWidthBar_ = nullptr;
    std::array<QToolButton*, 3> modeButtons_{};
    QButtonGroup* modeGroup_ = nullptr;
};

} // namespace quorvel
