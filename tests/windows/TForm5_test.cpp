// The paint toolbar inside the real frame: its place, typing into its fields, the colour dialog,
// and the drawing modes with the values saved while picking.
#include "tests/support/PaintFixture.h"

#include "document/M32Format.h"

#include <QFrame>
#include <QMdiSubWindow>

namespace quorvel::test {
namespace {

using Toolbar = PaintTest;
using F = ToolField;

TEST_F(Toolbar, SitsRightOfThePropertiesWindow)
{
    startEditor();
    EXPECT_EQ(w.toolbar->windowTitle(), "Toolbar (Paint mode)");
    EXPECT_EQ(w.toolbar->size(), QSize(651, 106));
    EXPECT_EQ(w.toolbar->parentWidget()->pos(), QPoint(w.properties->parentWidget()->width(), 0));
    EXPECT_EQ(fieldTexts(), (QStringList{"0", "0", "0", "255"}));
}

// Keys typed into an emptied field: what it keeps, the beeps, where the focus goes.
TEST_F(Toolbar, FieldsTakeDigitsUpTo255AndMoveTheFocusOnAtThree)
{
    struct Row {
        F field;
        bool drawAlpha;
        const char* keys;
        const char* kept;
        int beeps;
        F focus;
    } rows[] = {
        {F::Green, false, "12a", "12", 1, F::Green}, {F::Green, false, "128", "128", 0, F::Blue},
        {F::Blue, false, "255", "255", 0, F::Alpha}, {F::Red, false, "300", "30", 1, F::Red},
        {F::Alpha, false, "-5", "5", 1, F::Alpha},   {F::Alpha, false, "128", "128", 0, F::Red},
        {F::Alpha, true, "128", "128", 0, F::Alpha}, // Edit1 is disabled in Draw Alpha
    };
    startEditor();
    for (const Row& r : rows) {
        SCOPED_TRACE(r.keys);
        clickMode(r.drawAlpha ? DrawingMode::DrawAlpha : DrawingMode::Paint);
        edit(r.field)->setFocus();
        type(r.field, QString());
        fake.beeps = 0;
        QTest::keyClicks(edit(r.field), QString::fromLatin1(r.keys));
        EXPECT_EQ(edit(r.field)->text(), QString::fromLatin1(r.kept));
        EXPECT_EQ(fake.beeps, r.beeps);
        EXPECT_EQ(QApplication::focusWidget(), edit(r.focus));
    }
}

TEST_F(Toolbar, TheSwatchFollowsTheColourFieldsAndTheDialog)
{
    startEditor();
    const auto swatch = [this] { return w.toolbar->swatch()->grab().toImage().pixel(12, 12) & 0xFFFFFF; };
    setColour(10, 200, 30, 7);
    type(F::Blue, QString());
    EXPECT_EQ(swatch(), rgb(10, 200, 30)) << "an emptied field leaves it";
    QTest::mouseClick(w.toolbar->colourButton(), Qt::LeftButton); // cancelled
    EXPECT_EQ(fake.colourCalls, std::vector<QColor>{QColor(10, 200, 0)});
    EXPECT_EQ(fieldTexts(), (QStringList{"10", "200", "", "7"}));
    fake.colourAnswers.push_back(QColor(1, 128, 255));
    QTest::mouseClick(w.toolbar->colourButton(), Qt::LeftButton);
    EXPECT_EQ(fieldTexts(), (QStringList{"1", "128", "255", "7"}));
    EXPECT_EQ(swatch(), rgb(1, 128, 255));
}

// The level: left half red at alpha 200, right half white. A step is a mode button, a hover
// (h), a click (c) on either half, or typing into Edit1 (=...); then the fields, the colour
// fields' state and the caption.
TEST_F(Toolbar, ModeChangesKeepOrRestoreTheFieldsAsPickingLeftThem)
{
    const auto& shownAt200 = composition().shown[200];
    // 255 shown at alpha 200 is 241, which unblends to 254.
    const QString red = QString::number(composition().stored[200][shownAt200[255]]);
    struct Row {
        std::vector<const char*> steps;
        QStringList fields;
        bool enabled;
        const char* caption;
    } rows[] = {
        {{"Paint"}, {"0", "0", "0", "255"}, true, "Toolbar (Paint mode)"},
        {{"Pick", "h red", "Paint"}, {"9", "8", "7", "6"}, true, "Toolbar (Paint mode)"},
        {{"Pick", "c red", "Alpha"}, {red, "0", "0", "200"}, false, "Toolbar (Alpha mode)"},
        {{"Pick", "Paint", "=100", "Alpha"}, {"9", "8", "7", "6"}, false, "Toolbar (Alpha mode)"},
        {{"Alpha", "Pick"}, {"9", "8", "7", "6"}, false, "Toolbar (Pick color mode)"},
        {{"Pick", "c white", "Paint", "=100", "Alpha", "Paint"}, {"100", "255", "255", "255"}, true, "Toolbar (Paint mode)"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.steps.size());
        closeEditor();
        openLevel({32, 32}, [&](QImage& image, QImage& plane) {
            image.fill(rgb(255, 255, 255));
            plane.fill(255u);
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 16; ++x) {
                    image.setPixel(x, y, rgb(shownAt200[255], shownAt200[0], shownAt200[0]));
                    plane.scanLine(y)[x] = 200;
                }
        });
        if (r.steps.front() != std::string("Paint")) setColour(9, 8, 7, 6);
        for (const std::string step : r.steps) {
            const QPoint at(step.ends_with("red") ? 5 : 20, 5);
            if (step == "Paint") clickMode(DrawingMode::Paint);
            if (step == "Alpha") clickMode(DrawingMode::DrawAlpha);
            if (step == "Pick") clickMode(DrawingMode::PickColor);
            if (step[0] == 'h' || step[0] == 'c') hover(at);
            if (step[0] == 'c') QTest::mouseClick(canvas(), Qt::LeftButton, {}, at);
            if (step[0] == '=') type(F::Red, QString::fromStdString(step.substr(1)));
        }
        EXPECT_EQ(fieldTexts(), r.fields);
        EXPECT_EQ(edit(F::Red)->isEnabled() && edit(F::Blue)->isEnabled(), r.enabled);
        EXPECT_EQ(w.toolbar->windowTitle(), QString::fromLatin1(r.caption));
    }
}

} // namespace
} // namespace quorvel::test
