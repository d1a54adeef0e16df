// The paint toolbar inside the real frame: its controls and place, typing into its fields, the
// colour dialog, the zoom buttons and the pen width, and the drawing modes with the values
// saved while picking.
#include "tests/support/PaintFixture.h"

#include "document/M32Format.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMdiSubWindow>

namespace quorvel::test {
namespace {

using Toolbar = PaintTest;
using F = ToolField;

QRgb swatchShown(const TForm5* toolbar)
{
    return toolbar->swatch()->grab().toImage().pixel(12, 12) & 0xFFFFFF;
}

TEST_F(Toolbar, StartsWithEveryControlRightOfThePropertiesWindow)
{
    startEditor();
    TForm5* t = w.toolbar;
    EXPECT_EQ(t->windowTitle(), "Toolbar (Paint mode)");
    EXPECT_EQ(t->size(), QSize(651, 106));
    const auto* sub = qobject_cast<QMdiSubWindow*>(t->parentWidget());
    const auto* properties = qobject_cast<QMdiSubWindow*>(w.properties->parentWidget());
    ASSERT_TRUE(sub && properties);
    EXPECT_EQ(sub->pos(), QPoint(properties->width(), 0));
    EXPECT_TRUE(sub->isVisible());

    QStringList groups;
    for (const QGroupBox* g : t->findChildren<QGroupBox*>()) groups.append(g->title());
    EXPECT_EQ(groups, (QStringList{"Colors", "Zoom", "Pen width", "Drawing modes"}));
    for (const char* name : {"Label1", "Label2"}) EXPECT_TRUE(t->findChild<QLabel*>(name)->font().bold()) << name;
    EXPECT_EQ(t->findChild<QLabel*>("Label1")->text(), "RGB");
    EXPECT_EQ(t->findChild<QLabel*>("Label2")->text(), "Alpha");
    EXPECT_EQ(fieldTexts(), (QStringList{"0", "0", "0", "255"}));
    for (F f : {F::Red, F::Green, F::Blue, F::Alpha}) {
        EXPECT_EQ(edit(f)->maxLength(), 3);
        EXPECT_TRUE(edit(f)->isEnabled());
    }
    EXPECT_EQ(t->swatch()->size(), QSize(25, 25));
    EXPECT_EQ(swatchShown(t), rgb(0, 0, 0));
    EXPECT_EQ(t->zoomInButton()->text(), "Zoom in");
    EXPECT_EQ(t->zoomOutButton()->text(), "Zoom out");
    const QSlider* bar = t->penWidthBar();
    EXPECT_EQ(bar->minimum(), 1);
    EXPECT_EQ(bar->maximum(), 20);
    EXPECT_EQ(bar->value(), 1);
    EXPECT_EQ(bar->tickInterval(), 1);
    EXPECT_NE(bar->tickPosition(), QSlider::NoTicks);
    EXPECT_EQ(t->findChild<QLabel*>("Label3")->text(), " 1");
    EXPECT_EQ(t->findChild<QLabel*>("Label4")->text(), "20");
    EXPECT_EQ(t->modeButton(DrawingMode::Paint)->text(), "Paint");
    EXPECT_EQ(t->modeButton(DrawingMode::DrawAlpha)->text(), "Draw Alpha");
    EXPECT_EQ(t->modeButton(DrawingMode::PickColor)->text(), "Pick color");
    EXPECT_TRUE(t->modeButton(DrawingMode::Paint)->isChecked());
    EXPECT_FALSE(t->modeButton(DrawingMode::DrawAlpha)->isChecked());
    EXPECT_FALSE(t->modeButton(DrawingMode::PickColor)->isChecked());
}

// Keys typed into a field that holds nothing: what it keeps, the beeps, where the focus is then.
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
        {F::Green, false, "12a", "12", 1, F::Green},
        {F::Green, false, "128", "128", 0, F::Blue},
        {F::Red, false, "x", "", 1, F::Red},
        {F::Red, false, "255", "255", 0, F::Green},
        {F::Blue, false, "077", "077", 0, F::Alpha},
        {F::Red, false, "300", "30", 1, F::Red},   // 300 would paint as 44
        {F::Green, false, "256", "25", 1, F::Green},
        {F::Alpha, false, "128", "128", 0, F::Red},
        {F::Alpha, true, "128", "128", 0, F::Alpha}, // Edit1 is disabled in Draw Alpha
        {F::Alpha, false, "-5", "5", 1, F::Alpha},
    };
    startEditor();
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << int(r.field) << " " << r.keys << (r.drawAlpha ? " in Draw Alpha" : ""));
        clickMode(r.drawAlpha ? DrawingMode::DrawAlpha : DrawingMode::Paint);
        type(r.field, QString());
        fake.beeps = 0;
        QTest::keyClicks(edit(r.field), QString::fromLatin1(r.keys));
        EXPECT_EQ(edit(r.field)->text(), QString::fromLatin1(r.kept));
        EXPECT_EQ(tools().fieldText(r.field), QString::fromLatin1(r.kept));
        EXPECT_EQ(fake.beeps, r.beeps);
        EXPECT_EQ(QApplication::focusWidget(), edit(r.focus));
    }
    // A refused key in the middle of a field keeps the cursor where it was.
    clickMode(DrawingMode::Paint);
    type(F::Red, QStringLiteral("12"));
    QTest::keyClick(edit(F::Red), Qt::Key_Home);
    QTest::keyClick(edit(F::Red), Qt::Key_Right);
    QTest::keyClicks(edit(F::Red), QStringLiteral("z"));
    EXPECT_EQ(edit(F::Red)->text(), "12");
    EXPECT_EQ(edit(F::Red)->cursorPosition(), 1);
}

TEST_F(Toolbar, TheSwatchFollowsTheColourFieldsAndTheDialog)
{
    startEditor();
    setColour(10, 200, 30, 255);
    EXPECT_EQ(swatchShown(w.toolbar), rgb(10, 200, 30));
    type(F::Alpha, QStringLiteral("7"));
    type(F::Blue, QString());
    EXPECT_EQ(swatchShown(w.toolbar), rgb(10, 200, 30)) << "an emptied field and the alpha leave it";

    // Cancelled: nothing changes. Chosen: the three colour fields and the swatch, not the alpha.
    QTest::mouseClick(w.toolbar->colourButton(), Qt::LeftButton);
    ASSERT_EQ(fake.colourCalls.size(), 1u);
    EXPECT_EQ(fake.colourCalls[0], QColor(10, 200, 0));
    EXPECT_EQ(fieldTexts(), (QStringList{"10", "200", "", "7"}));
    EXPECT_EQ(swatchShown(w.toolbar), rgb(10, 200, 30));
    fake.colourAnswers.push_back(QColor(1, 128, 255));
    QTest::mouseClick(w.toolbar->colourButton(), Qt::LeftButton);
    EXPECT_EQ(fieldTexts(), (QStringList{"1", "128", "255", "7"}));
    EXPECT_EQ(swatchShown(w.toolbar), rgb(1, 128, 255));
    EXPECT_EQ(fake.colourCalls.size(), 2u);
}

TEST_F(Toolbar, ZoomButtonsZoomTheViewAndTheTrackBarSetsThePen)
{
    openLevel({64, 64}, rgb(255, 255, 255), 255);
    const char* captions[] = {"[zoom 2x]", "[zoom 4x]", "[zoom 8x]", "[zoom 8x]"};
    for (const char* caption : captions) {
        QTest::mouseClick(w.toolbar->zoomInButton(), Qt::LeftButton);
        EXPECT_EQ(w.view->windowTitle(), QString::fromLatin1(caption));
    }
    EXPECT_EQ(canvas()->size(), QSize(512, 512));
    for (int i = 0; i < 4; ++i) QTest::mouseClick(w.toolbar->zoomOutButton(), Qt::LeftButton);
    EXPECT_EQ(w.view->windowTitle(), "[zoom 1x]");

    QSlider* bar = w.toolbar->penWidthBar();
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key_End);
    EXPECT_EQ(tools().penWidth(), 20);
    QTest::keyClick(bar, Qt::Key_Left);
    EXPECT_EQ(tools().penWidth(), 19);
    QTest::keyClick(bar, Qt::Key_Home);
    EXPECT_EQ(tools().penWidth(), 1);
}

// Pick color saves the fields; leaving it before a click on the level sets them back, after a
// click keeps what was picked.
class ToolbarModes : public PaintTest {
protected:
    void SetUp() override
    {
        PaintTest::SetUp();
        // Left half red at alpha 200 (as the level shows it, over the grey), right half white.
        const auto& shown = composition().shown[200];
        openLevel({32, 32}, [&](QImage& image, QImage& plane) {
            image.fill(rgb(255, 255, 255));
            plane.fill(255u);
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 16; ++x) {
                    image.setPixel(x, y, rgb(shown[255], shown[0], shown[0]));
                    plane.scanLine(y)[x] = 200;
                }
        });
        // What picking reads back: 255 shown at alpha 200 is 241, which unblends to 254.
        red = QStringList{QString::number(composition().stored[200][shown[255]]), "0", "0", "200"};
    }
    QStringList red;
    bool colourFieldsEnabled() const
    {
        return edit(F::Red)->isEnabled() && edit(F::Green)->isEnabled() && edit(F::Blue)->isEnabled();
    }
};

TEST_F(ToolbarModes, PaintAtStartKeepsTheFields)
{
    clickMode(DrawingMode::Paint);
    EXPECT_EQ(fieldTexts(), (QStringList{"0", "0", "0", "255"}));
    EXPECT_EQ(w.toolbar->windowTitle(), "Toolbar (Paint mode)");
}

TEST_F(ToolbarModes, HoveringThenPaintWithoutAClickGoesBackToTheSavedValues)
{
    setColour(1, 2, 3, 4);
    clickMode(DrawingMode::PickColor);
    EXPECT_EQ(w.toolbar->windowTitle(), "Toolbar (Pick color mode)");
    EXPECT_TRUE(w.toolbar->modeButton(DrawingMode::PickColor)->isChecked());
    hover(QPoint(5, 5));
    EXPECT_EQ(fieldTexts(), red);
    clickMode(DrawingMode::Paint);
    EXPECT_EQ(fieldTexts(), (QStringList{"1", "2", "3", "4"}));
    EXPECT_EQ(w.toolbar->windowTitle(), "Toolbar (Paint mode)");
    EXPECT_EQ(tools().swatchColour(), makeColour(1, 2, 3));
}

TEST_F(ToolbarModes, AClickOnTheLevelKeepsThePickInDrawAlpha)
{
    clickMode(DrawingMode::PickColor);
    hover(QPoint(5, 5));
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, QPoint(5, 5));
    clickMode(DrawingMode::DrawAlpha);
    EXPECT_EQ(fieldTexts(), red);
    EXPECT_FALSE(colourFieldsEnabled());
    EXPECT_TRUE(edit(F::Alpha)->isEnabled());
    EXPECT_EQ(w.toolbar->windowTitle(), "Toolbar (Alpha mode)");
    EXPECT_TRUE(w.toolbar->modeButton(DrawingMode::DrawAlpha)->isChecked());
    EXPECT_FALSE(w.toolbar->modeButton(DrawingMode::Paint)->isChecked());
}

TEST_F(ToolbarModes, OnceLeftWithoutAClickEveryModeButtonSetsTheSavedValuesBack)
{
    setColour(9, 8, 7, 6);
    clickMode(DrawingMode::PickColor);
    clickMode(DrawingMode::Paint);
    type(F::Red, QStringLiteral("100"));
    clickMode(DrawingMode::DrawAlpha);
    EXPECT_EQ(edit(F::Red)->text(), "9");
    type(F::Alpha, QStringLiteral("50"));
    clickMode(DrawingMode::Paint);
    EXPECT_EQ(fieldTexts(), (QStringList{"9", "8", "7", "6"}));

    // Until a pick completes: then the fields keep their values again.
    clickMode(DrawingMode::PickColor);
    hover(QPoint(20, 5));
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, QPoint(20, 5));
    EXPECT_EQ(fieldTexts(), (QStringList{"255", "255", "255", "255"}));
    clickMode(DrawingMode::Paint);
    type(F::Green, QStringLiteral("40"));
    clickMode(DrawingMode::DrawAlpha);
    EXPECT_EQ(fieldTexts(), (QStringList{"255", "40", "255", "255"}));
}

TEST_F(ToolbarModes, PaintAndDrawAlphaSwitchTheColourFieldsAndTheCaption)
{
    setColour(11, 22, 33, 44);
    clickMode(DrawingMode::DrawAlpha);
    EXPECT_FALSE(colourFieldsEnabled());
    EXPECT_EQ(w.toolbar->windowTitle(), "Toolbar (Alpha mode)");
    // Pick color leaves the fields as Draw Alpha left them.
    clickMode(DrawingMode::PickColor);
    EXPECT_FALSE(colourFieldsEnabled());
    clickMode(DrawingMode::Paint);
    EXPECT_TRUE(colourFieldsEnabled());
    EXPECT_EQ(fieldTexts(), (QStringList{"11", "22", "33", "44"}));
    EXPECT_EQ(w.toolbar->windowTitle(), "Toolbar (Paint mode)");
}

} // namespace
} // namespace quorvel::test
