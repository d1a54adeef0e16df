#include "paint/ToolSettings.h"

#include "graphics/LineDrawing.h"

#include <algorithm>

namespace quorvel {

namespace {

constexpr int kMaxFieldValue = 255;

bool allDigits(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

} // namespace

std::optional<ToolField> focusAfterTyping(ToolField field, const QString& text, bool colourFieldsEnabled)
{
    if (text.size() != kToolFieldLength) return std::nullopt;
    switch (field) {
    case ToolField::Red: return ToolField::Green;
    case ToolField::Green: return ToolField::Blue;
    case ToolField::Blue: return ToolField::Alpha;
    case ToolField::Alpha:
        if (colourFieldsEnabled) return ToolField::Red;
        return std::nullopt;
    }
    return std::nullopt;
}

FieldTyping typeIntoField(ToolField field, const QString& previous, const QString& typed,
                          bool colourFieldsEnabled)
{
    // A value above 255 would be painted by its low eight bits (300 as 44), so the digit that
    // makes it is refused like a letter.
    const bool refused = typed.size() > kToolFieldLength || !allDigits(typed)
                         || (!typed.isEmpty() && typed.toInt() > kMaxFieldValue);
    if (refused) return {previous, true, std::nullopt};
    return {typed, false, focusAfterTyping(field, typed, colourFieldsEnabled)};
}

QString toolbarCaption(DrawingMode mode)
{
    switch (mode) {
    case DrawingMode::Paint: return QStringLiteral("Toolbar (Paint mode)");
    case DrawingMode::DrawAlpha: return QStringLiteral("Toolbar (Alpha mode)");
    case DrawingMode::PickColor: return QStringLiteral("Toolbar (Pick color mode)");
    }
    return {};
}

ToolSettings::ToolSettings(QObject* parent)
    : QObject(parent), fields_{QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("255")}
{
}

int ToolSettings::fieldValue(ToolField field) const
{
    // Fields hold only digits worth 0..255 or nothing, which reads as 0.
    return fieldText(field).toInt();
}

void ToolSettings::setPenWidth(int width)
{
    width = std::clamp(width, kMinPenWidth, kMaxPenWidth);
    if (width == penWidth_) return;
    penWidth_ = width;
    emit penWidthChanged(width);
}

FieldTyping ToolSettings::typeField(ToolField field, const QString& typed)
{
    FieldTyping result = typeIntoField(field, fieldText(field), typed, colourFieldsEnabled_);
    const bool changed = writeField(field, result.text);
    // An emptied colour field leaves the swatch as it was; the alpha field never touches it.
    if (field != ToolField::Alpha && !result.text.isEmpty()) refreshSwatch();
    if (changed) emit fieldsChanged();
    return result;
}

void ToolSettings::setFieldValue(ToolField field, int value)
{
    const bool changed = writeField(field, QString::number(std::clamp(value, 0, kMaxFieldValue)));
    if (field != ToolField::Alpha) refreshSwatch();
    if (changed) emit fieldsChanged();
}

void ToolSettings::setColour(int red, int green, int blue)
{
    bool changed = writeField(ToolField::Red, QString::number(std::clamp(red, 0, kMaxFieldValue)));
    changed |= writeField(ToolField::Green, QString::number(std::clamp(green, 0, kMaxFieldValue)));
    changed |= writeField(ToolField::Blue, QString::number(std::clamp(blue, 0, kMaxFieldValue)));
    refreshSwatch();
    if (changed) emit fieldsChanged();
}

void ToolSettings::setPickedValues(int red, int green, int blue, int alpha)
{
    bool changed = writeField(ToolField::Red, QString::number(std::clamp(red, 0, kMaxFieldValue)));
    changed |= writeField(ToolField::Green, QString::number(std::clamp(green, 0, kMaxFieldValue)));
    changed |= writeField(ToolField::Blue, QString::number(std::clamp(blue, 0, kMaxFieldValue)));
    changed |= writeField(ToolField::Alpha, QString::number(std::clamp(alpha, 0, kMaxFieldValue)));
    refreshSwatch();
    if (changed) emit fieldsChanged();
}

bool ToolSettings::writeField(ToolField field, const QString& text)
{
    QString& held = fields_[index(field)];
    const bool changed = held != text;
    held = text;
    return changed;
}

void ToolSettings::refreshSwatch()
{
    const TColor colour = makeColour(fieldValue(ToolField::Red), fieldValue(ToolField::Green),
                                     fieldValue(ToolField::Blue));
    if (colour == swatch_) return;
    swatch_ = colour;
    emit swatchChanged(colour);
}

void ToolSettings::selectPaintOrDrawAlpha(bool paint)
{
    const DrawingMode mode = paint ? DrawingMode::Paint : DrawingMode::DrawAlpha;
    const bool modeDiffers = mode_ != mode || colourFieldsEnabled_ != paint;
    colourFieldsEnabled_ = paint;
    mode_ = mode;
    // Leaving Pick color before any release drops what hovering wrote; so does every later
    // press of Paint or Draw Alpha until a pick completes.
    if (!picked_) {
        bool changed = false;
        for (ToolField field : {ToolField::Red, ToolField::Green, ToolField::Blue, ToolField::Alpha})
            changed |= writeField(field, QString::number(saved_[index(field)]));
        refreshSwatch();
        if (changed) emit fieldsChanged();
    }
    if (modeDiffers) emit modeChanged(mode);
}

void ToolSettings::selectPickColor()
{
    const bool modeDiffers = mode_ != DrawingMode::PickColor;
    mode_ = DrawingMode::PickColor;
    for (ToolField field : {ToolField::Red, ToolField::Green, ToolField::Blue, ToolField::Alpha})
        saved_[index(field)] = fieldValue(field);
    picked_ = false;
    // Hovering over the level picks at once, before any press.
    pickTracking_ = true;
    if (modeDiffers) emit modeChanged(mode_);
}

void ToolSettings::pointerPressed()
{
    pickTracking_ = true;
}

void ToolSettings::pointerReleased()
{
    pickTracking_ = false;
    if (mode_ == DrawingMode::PickColor) picked_ = true;
}

} // namespace quorvel
