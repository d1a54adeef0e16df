// The painting tool's settings as the paint toolbar holds them and painting reads them: the four
// field texts (red, green, blue, alpha), the swatch colour, the pen width, the drawing mode with
// the enabled state of the colour fields, and the pick state (tracking flag, picked flag, the
// values saved when Pick color was entered).
//
// The toolbar window shows this object and forwards every keystroke and button to it; the level
// view's stroke reads it and writes picked colours into it. Neither reaches into the other.
#pragma once

#include "graphics/Colour.h"

#include <QObject>
#include <QString>

#include <array>
#include <optional>

namespace quorvel {

enum class DrawingMode { Paint, DrawAlpha, PickColor };
// The toolbar's four number fields, in focus order.
enum class ToolField { Red, Green, Blue, Alpha };

// A field holds at most three characters.
constexpr int kToolFieldLength = 3;

// What a field holds after the user changed its text from `previous` to `typed`. A text with a
// character other than 0..9, longer than three characters, or whose value would exceed 255 is
// refused: the field keeps `previous` and the caller sounds the beep. An empty text is accepted.
struct FieldTyping {
    QString text;
    bool beep = false;
    // Where the keyboard focus goes next (see focusAfterTyping); empty when it stays.
    std::optional<ToolField> focusTo;
};
FieldTyping typeIntoField(ToolField field, const QString& previous, const QString& typed,
                          bool colourFieldsEnabled);

// Focus moves on once a field holds three characters: red to green, green to blue, blue to
// alpha, and alpha back to red only while the colour fields are enabled (not in Draw Alpha).
std::optional<ToolField> focusAfterTyping(ToolField field, const QString& text, bool colourFieldsEnabled);

// The toolbar window's caption in each mode.
QString toolbarCaption(DrawingMode mode);

class ToolSettings : public QObject {
    Q_OBJECT

public:
    explicit ToolSettings(QObject* parent = nullptr);

    // Field texts: digits only, value 0..255, or empty. At start "0", "0", "0", "255".
    const QString& fieldText(ToolField field) const { return fields_[index(field)]; }
    // A field's value as painting reads it: its number, 0 when empty.
    int fieldValue(ToolField field) const;

    // The 25 x 25 swatch: black at start; follows every change of a colour field that leaves it
    // non-empty, and the colour dialog.
    TColor swatchColour() const { return swatch_; }

    int penWidth() const { return penWidth_; }
    // Track bar 1..20; kept to that range.
    void setPenWidth(int width);

    DrawingMode mode() const { return mode_; }
    // Enabled in Paint, disabled in Draw Alpha; Pick color leaves it as the mode before it left
    // it. Painting tells Paint from Draw Alpha by this alone.
    bool colourFieldsEnabled() const { return colourFieldsEnabled_; }
    bool pickTracking() const { return pickTracking_; }
    bool picked() const { return picked_; }
    // Red, green, blue, alpha as they stood when Pick color was last entered; 0 at start.
    const std::array<int, 4>& savedValues() const { return saved_; }

    // The user changed a field's text to `typed` (the field's text-edited handler). Applies
    // typeIntoField; the caller beeps when asked, shows fieldText() again if it differs from what
    // the field holds, and moves the focus as told.
    FieldTyping typeField(ToolField field, const QString& typed);
    // A field set by code (value kept to 0..255), as picking and the colour dialog do.
    void setFieldValue(ToolField field, int value);
    // The colour dialog's choice: the three colour fields and the swatch; alpha stays.
    void setColour(int red, int green, int blue);
    // Colour and alpha read back from the level (Pick color).
    void setPickedValues(int red, int green, int blue, int alpha);

    // The mode buttons.
    void selectPaint() { selectPaintOrDrawAlpha(true); }
    void selectDrawAlpha() { selectPaintOrDrawAlpha(false); }
    void selectPickColor();

    // A press and a release on the level view. The press starts tracking; the release stops it
    // and, in Pick color mode, completes the pick.
    void pointerPressed();
    void pointerReleased();

signals:
    // One or more field texts changed (by typing, picking, the dialog or a mode change).
    void fieldsChanged();
    void swatchChanged(TColor colour);
    // The mode or the colour fields' enabled state changed; the caption and buttons follow.
    void modeChanged(DrawingMode mode);
    void penWidthChanged(int width);

private:
    static int index(ToolField field) { return int(field); }
    void selectPaintOrDrawAlpha(bool paint);
    // Writes a field's text; returns whether it changed.
    bool writeField(ToolField field, const QString& text);
    // The swatch from the three colour fields, after a colour field got a non-empty text.
    void refreshSwatch();

    std::array<QString, 4> fields_;
    TColor swatch_ = clBlack;
    int penWidth_ = 1;
    DrawingMode mode_ = DrawingMode::Paint;
    bool colourFieldsEnabled_ = true;
    bool pickTracking_ = false;
    bool picked_ = true;
    std::array<int, 4> saved_{};
};

} // namespace quorvel
