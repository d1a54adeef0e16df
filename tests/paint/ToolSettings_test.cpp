// The paint toolbar's settings: what typing into a field keeps, where the focus goes, the
// swatch, and the mode changes with the values saved on entering Pick color.
#include "paint/ToolSettings.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

namespace quorvel {
namespace {

using F = ToolField;

std::array<QString, 4> fields(const ToolSettings& t)
{
    return {t.fieldText(F::Red), t.fieldText(F::Green), t.fieldText(F::Blue), t.fieldText(F::Alpha)};
}

TEST(FieldTyping, RefusesNonDigitsAndValuesAbove255)
{
    struct Row {
        F field;
        QString previous, typed;
        bool colourEnabled;
        QString kept;
        bool beep;
        std::optional<F> focus;
    } rows[] = {
        {F::Green, "12", "12a", true, "12", true, {}},
        {F::Green, "12", "128", true, "128", false, F::Blue},
        {F::Red, "30", "300", true, "30", true, {}},
        {F::Red, "25", "255", true, "255", false, F::Green},
        {F::Red, "25", "256", true, "25", true, {}},
        {F::Blue, "12", "123", true, "123", false, F::Alpha},
        {F::Alpha, "25", "255", true, "255", false, F::Red},
        {F::Alpha, "25", "255", false, "255", false, {}}, // Draw Alpha: focus stays in the alpha field
        {F::Red, "00", "000", true, "000", false, F::Green},
        {F::Red, "5", "", true, "", false, {}},
        {F::Red, "", "a", true, "", true, {}},
        {F::Red, "12", "1a2", true, "12", true, {}},
        {F::Red, "123", "1234", true, "123", true, {}},
        {F::Red, "1", "-1", true, "1", true, {}},
        {F::Red, "1", " 1", true, "1", true, {}},
        {F::Red, "", "$FF", true, "", true, {}},
        {F::Green, "1", "12", true, "12", false, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.typed.toStdString());
        const FieldTyping t = typeIntoField(r.field, r.previous, r.typed, r.colourEnabled);
        EXPECT_EQ(t.text, r.kept);
        EXPECT_EQ(t.beep, r.beep);
        EXPECT_EQ(t.focusTo, r.focus);
    }
}

TEST(ToolSettings, SwatchFollowsNonEmptyColourFieldsOnly)
{
    ToolSettings t;
    int announced = 0;
    QObject::connect(&t, &ToolSettings::swatchChanged, [&] { ++announced; });

    t.typeField(F::Red, "1");
    t.typeField(F::Red, "12");
    EXPECT_EQ(t.swatchColour(), makeColour(12, 0, 0));
    t.typeField(F::Alpha, "7");
    EXPECT_EQ(t.swatchColour(), makeColour(12, 0, 0));
    // Clearing the field leaves the swatch; painting reads the field as 0.
    t.typeField(F::Red, "");
    EXPECT_EQ(t.swatchColour(), makeColour(12, 0, 0));
    EXPECT_EQ(t.fieldValue(F::Red), 0);
    // The next colour change recomputes it from all three fields.
    t.typeField(F::Blue, "9");
    EXPECT_EQ(t.swatchColour(), makeColour(0, 0, 9));
    t.setColour(1, 2, 3);
    EXPECT_EQ(t.swatchColour(), makeColour(1, 2, 3));
    EXPECT_EQ(t.fieldText(F::Alpha), "7");
    EXPECT_EQ(announced, 4); // once per change, not once per field the dialog writes
}

// Hovering over a red pixel while Pick color is on, as the stroke writes it.
void hoverRed(ToolSettings& t) { t.setPickedValues(255, 0, 0, 255); }
void clickRed(ToolSettings& t)
{
    t.pointerPressed();
    hoverRed(t);
    t.pointerReleased();
}
void typeColour(ToolSettings& t)
{
    t.typeField(F::Red, "10");
    t.typeField(F::Green, "20");
    t.typeField(F::Blue, "30");
    t.typeField(F::Alpha, "40");
}

TEST(ToolSettings, ModeChangesKeepOrRestoreTheFieldsAsThePickStateSays)
{
    using Values = std::array<QString, 4>;
    struct Row {
        const char* name;
        std::function<void(ToolSettings&)> script;
        Values fields;
        DrawingMode mode;
        bool colourEnabled;
    } rows[] = {
        {"Paint at start keeps the start values", [](ToolSettings& t) { t.selectPaint(); },
         {"0", "0", "0", "255"}, DrawingMode::Paint, true},
        {"Paint and Draw Alpha keep typed values while the picked flag is set",
         [](ToolSettings& t) { typeColour(t); t.selectDrawAlpha(); t.selectPaint(); t.selectDrawAlpha(); },
         {"10", "20", "30", "40"}, DrawingMode::DrawAlpha, false},
        {"hovering, then Paint without a click, restores the values before Pick color",
         [](ToolSettings& t) { typeColour(t); t.selectPickColor(); hoverRed(t); t.selectPaint(); },
         {"10", "20", "30", "40"}, DrawingMode::Paint, true},
        {"a click, then Draw Alpha, keeps the picked values",
         [](ToolSettings& t) { typeColour(t); t.selectPickColor(); clickRed(t); t.selectDrawAlpha(); },
         {"255", "0", "0", "255"}, DrawingMode::DrawAlpha, false},
        {"after leaving without a click every later mode press restores the saved values",
         [](ToolSettings& t) {
             typeColour(t);
             t.selectPickColor();
             t.selectPaint();
             t.typeField(F::Red, "100");
             t.selectDrawAlpha();
         },
         {"10", "20", "30", "40"}, DrawingMode::DrawAlpha, false},
        {"Pick color keeps the colour fields as the previous mode left them",
         [](ToolSettings& t) { t.selectDrawAlpha(); t.selectPickColor(); hoverRed(t); },
         {"255", "0", "0", "255"}, DrawingMode::PickColor, false},
        {"a completed pick ends the restoring",
         [](ToolSettings& t) {
             typeColour(t);
             t.selectPickColor();
             t.selectPaint();
             t.selectPickColor();
             clickRed(t);
             t.selectPaint();
             t.typeField(F::Green, "7");
             t.selectDrawAlpha();
         },
         {"255", "7", "0", "255"}, DrawingMode::DrawAlpha, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        ToolSettings t;
        r.script(t);
        EXPECT_EQ(fields(t), r.fields);
        EXPECT_EQ(t.mode(), r.mode);
        EXPECT_EQ(t.colourFieldsEnabled(), r.colourEnabled);
    }
}

TEST(ToolSettings, EnteringPickColorSavesTheValuesAndStartsTracking)
{
    ToolSettings t;
    typeColour(t);
    t.typeField(F::Blue, "");
    t.selectPickColor();
    EXPECT_EQ(t.savedValues(), (std::array<int, 4>{10, 20, 0, 40}));
    EXPECT_FALSE(t.picked());
    EXPECT_TRUE(t.pickTracking());
    // A release ends the tracking and completes the pick; a press tracks again until its release.
    t.pointerReleased();
    EXPECT_FALSE(t.pickTracking());
    EXPECT_TRUE(t.picked());
    t.pointerPressed();
    EXPECT_TRUE(t.pickTracking());
    t.pointerReleased();
    t.selectPaint();
    // A release outside Pick color does not count as a pick.
    t.selectPickColor();
    t.pointerPressed();
    t.selectPaint();
    t.pointerReleased();
    EXPECT_FALSE(t.picked());
}

} // namespace
} // namespace quorvel
