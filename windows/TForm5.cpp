#include "windows/TForm5.h"

#include "document/ViewSettings.h"
#include "graphics/LineDrawing.h"
#include "windows/Dialogs.h"
#include "windows/WindowHelpers.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>

#include <algorithm>

namespace quorvel {

namespace {

constexpr int kClientWidth = 651;
constexpr int kClientHeight = 106;
constexpr int kFieldWidth = 33;
constexpr int kFieldHeight = 21;

QLabel* label(const QString& text, const char* name, QWidget* parent, const QRect& geometry, bool bold)
{
    QLabel* l = bold ? boldLabel(text, parent) : new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    return l;
}

QGroupBox* group(const QString& caption, const char* name, QWidget* parent, const QRect& geometry)
{
    auto* g = new QGroupBox(caption, parent);
    g->setObjectName(QString::fromLatin1(name));
    g->setGeometry(geometry);
    return g;
}

// SpeedButton5's picture: four colour squares, the colours to choose from.
QIcon colourDialogPicture()
{
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.fillRect(1, 1, 7, 7, QColor(255, 0, 0));
    painter.fillRect(8, 1, 7, 7, QColor(0, 192, 0));
    painter.fillRect(1, 8, 7, 7, QColor(0, 0, 255));
    painter.fillRect(8, 8, 7, 7, QColor(255, 255, 0));
    painter.setPen(Qt::black);
    painter.drawRect(1, 1, 13, 13);
    return QIcon(picture);
}

QColor qColour(TColor colour)
{
    return QColor(redOf(colour), greenOf(colour), blueOf(colour));
}

} // namespace

TForm5::TForm5(ToolSettings& tools, ViewSettings& view, QWidget* parent) : QWidget(parent), tools_(&tools)
{
    setObjectName(QStringLiteral("TForm5"));
    setFixedSize(kClientWidth, kClientHeight);
    createColourGroup();
    createZoomGroup(view);
    createPenWidthGroup();
    createModeGroup();

    connect(tools_, &ToolSettings::fieldsChanged, this, &TForm5::showFields);
    connect(tools_, &ToolSettings::swatchChanged, this, &TForm5::showSwatch);
    connect(tools_, &ToolSettings::modeChanged, this, &TForm5::showMode);
    showFields();
    showSwatch(tools_->swatchColour());
    showMode();
}

void TForm5::createColourGroup()
{
    // "Colors": the three colour fields and the alpha field, the swatch and the dialog button.
    QGroupBox* colours = group(QStringLiteral("Colors"), "GroupBox1", this, QRect(0, 0, 201, kClientHeight));
    label(QStringLiteral("RGB"), "Label1", colours, QRect(8, 24, 36, 13), true);
    label(QStringLiteral("Alpha"), "Label2", colours, QRect(8, 60, 36, 13), true);
    const char* fieldNames[] = {"Edit1", "Edit2", "Edit3", "Edit4"};
    for (int i = 0; i < 4; ++i) {
        auto* edit = new QLineEdit(colours);
        edit->setObjectName(QString::fromLatin1(fieldNames[i]));
        edit->setMaxLength(kToolFieldLength);
        const int left = 48 + (i < 3 ? i : 0) * (kFieldWidth + 4);
        edit->setGeometry(left, i < 3 ? 20 : 56, kFieldWidth, kFieldHeight);
        const auto which = ToolField(i);
        connect(edit, &QLineEdit::textEdited, this, [this, which](const QString& typed) { fieldEdited(which, typed); });
        fields_[i] = edit;
    }
    swatch_ = new QFrame(colours);
    swatch_->setObjectName(QStringLiteral("Shape1"));
    swatch_->setFrameShape(QFrame::Box);
    swatch_->setLineWidth(1);
    swatch_->setAutoFillBackground(true);
    swatch_->setGeometry(164, 18, 25, 25);
    colourButton_ = new QToolButton(colours);
    colourButton_->setObjectName(QStringLiteral("SpeedButton5"));
    colourButton_->setIcon(colourDialogPicture());
    colourButton_->setGeometry(164, 54, 25, 25);
    connect(colourButton_, &QToolButton::clicked, this, [this] { runCommand(this, [this] { chooseColour(); }); });
}

void TForm5::createZoomGroup(ViewSettings& view)
{
    // "Zoom": the level view's zoom.
    QGroupBox* zoom = group(QStringLiteral("Zoom"), "GroupBox2", this, QRect(205, 0, 97, kClientHeight));
    zoomInButton_ = new QPushButton(QStringLiteral("Zoom in"), zoom);
    zoomInButton_->setObjectName(QStringLiteral("BitBtn1"));
    zoomInButton_->setGeometry(8, 20, 81, 25);
    zoomOutButton_ = new QPushButton(QStringLiteral("Zoom out"), zoom);
    zoomOutButton_->setObjectName(QStringLiteral("BitBtn2"));
    zoomOutButton_->setGeometry(8, 56, 81, 25);
    connect(zoomInButton_, &QPushButton::clicked, &view, &ViewSettings::zoomIn);
    connect(zoomOutButton_, &QPushButton::clicked, &view, &ViewSettings::zoomOut);
}

void TForm5::createPenWidthGroup()
{
    // "Pen width": 1..20 with a tick at every step.
    QGroupBox* pen = group(QStringLiteral("Pen width"), "GroupBox3", this, QRect(306, 0, 201, kClientHeight));
    penWidthBar_ = new QSlider(Qt::Horizontal, pen);
    penWidthBar_->setObjectName(QStringLiteral("TrackBar1"));
    penWidthBar_->setRange(kMinPenWidth, kMaxPenWidth);
    penWidthBar_->setValue(tools_->penWidth());
    penWidthBar_->setTickPosition(QSlider::TicksBelow);
    penWidthBar_->setTickInterval(1);
    penWidthBar_->setSingleStep(1);
    penWidthBar_->setPageStep(2);
    penWidthBar_->setGeometry(8, 22, 185, 32);
    label(QStringLiteral(" 1"), "Label3", pen, QRect(8, 60, 20, 13), false);
    label(QStringLiteral("20"), "Label4", pen, QRect(177, 60, 20, 13), false)->setAlignment(Qt::AlignRight);
    connect(penWidthBar_, &QSlider::valueChanged, tools_, &ToolSettings::setPenWidth);
    connect(tools_, &ToolSettings::penWidthChanged, penWidthBar_, &QSlider::setValue);
}

void TForm5::createModeGroup()
{
    // "Drawing modes": one of the three is down.
    QGroupBox* modes = group(QStringLiteral("Drawing modes"), "GroupBox4", this, QRect(511, 0, 140, kClientHeight));
    modeGroup_ = new QButtonGroup(this);
    modeGroup_->setExclusive(true);
    struct ModeButton {
        DrawingMode mode;
        const char* name;
        const char* caption;
        void (ToolSettings::*select)();
    };
    const ModeButton modeTable[] = {
        {DrawingMode::Paint, "SpeedButton3", "Paint", &ToolSettings::selectPaint},
        {DrawingMode::DrawAlpha, "SpeedButton2", "Draw Alpha", &ToolSettings::selectDrawAlpha},
        {DrawingMode::PickColor, "SpeedButton1", "Pick color", &ToolSettings::selectPickColor},
    };
    for (int i = 0; i < 3; ++i) {
        const ModeButton& row = modeTable[i];
        auto* button = new QToolButton(modes);
        button->setObjectName(QString::fromLatin1(row.name));
        button->setText(QString::fromLatin1(row.caption));
        button->setCheckable(true);
        button->setGeometry(8, 18 + i * 28, 124, 24);
        modeGroup_->addButton(button);
        // Pressing the button that is already down still runs its handler (it sets the fields
        // back to the saved values while no pick has completed).
        const auto select = row.select;
        connect(button, &QToolButton::clicked, this, [this, select] { (tools_->*select)(); });
        modeButtons_[int(row.mode)] = button;
    }
}

void TForm5::fieldEdited(ToolField which, const QString& typed)
{
    QLineEdit* edit = field(which);
    const int cursor = edit->cursorPosition();
    const FieldTyping result = tools_->typeField(which, typed);
    if (edit->text() != result.text) {
        // Refused: the text as it was, the cursor where it stood before the keystroke.
        edit->setText(result.text);
        edit->setCursorPosition(std::clamp(cursor - int(typed.size() - result.text.size()), 0, int(result.text.size())));
    }
    if (result.beep) dialogs().beep();
    // Selected, as a field reached by Tab is, so the next three digits replace what it holds.
    if (result.focusTo) field(*result.focusTo)->setFocus(Qt::TabFocusReason);
}

void TForm5::chooseColour()
{
    const QColor initial(tools_->fieldValue(ToolField::Red), tools_->fieldValue(ToolField::Green),
                         tools_->fieldValue(ToolField::Blue));
    const std::optional<QColor> chosen = dialogs().colour(this, initial);
    if (!chosen) return;
    tools_->setColour(chosen->red(), chosen->green(), chosen->blue());
}

void TForm5::showFields()
{
    for (int i = 0; i < 4; ++i) {
        const QString& text = tools_->fieldText(ToolField(i));
        // Only a text that differs is set, so the field being typed in keeps its cursor.
        if (fields_[i]->text() != text) fields_[i]->setText(text);
    }
}

void TForm5::showSwatch(TColor colour)
{
    QPalette palette = swatch_->palette();
    palette.setColor(QPalette::Window, qColour(colour));
    palette.setColor(QPalette::WindowText, Qt::black);
    swatch_->setPalette(palette);
}

void TForm5::showMode()
{
    const DrawingMode mode = tools_->mode();
    setWindowTitle(toolbarCaption(mode));
    modeButtons_[int(mode)]->setChecked(true);
    const bool enabled = tools_->colourFieldsEnabled();
    for (ToolField colour : {ToolField::Red, ToolField::Green, ToolField::Blue}) field(colour)->setEnabled(enabled);
}

} // namespace quorvel
