// "Add a mipmap" through the real windows: opened by the level list's "add", a blank level of
// the typed size on OK, refusals that keep the dialog open, Cancel, and the frame sending the
// user back to the dialog while it is open.
#include "tests/support/EditorFixture.h"

#include "windows/TForm6.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quorvel::test {
namespace {

class AddMipmap : public EditorTest {
protected:
    TForm6* openDialog()
    {
        QTest::mouseClick(w.levels->addButton(), Qt::LeftButton);
        EXPECT_TRUE(w.addMipmap->isVisible());
        return w.addMipmap;
    }
    static void type(QLineEdit* box, const QString& text)
    {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }
};

TEST_F(AddMipmap, OkAppendsAWhiteOpaqueLevelOfTheTypedSize)
{
    writeTexture(path("t.m32"), {{64, 64}, {32, 32}});
    startEditor();
    openThroughMenu(path("t.m32"));
    TForm6* dialog = openDialog();
    EXPECT_EQ(dialog->windowTitle(), "Add a mipmap");
    EXPECT_EQ(dialog->findChild<QLabel*>("Label1")->text(), "New mipmap size:");
    EXPECT_EQ(dialog->widthBox()->text(), "1024");
    EXPECT_EQ(dialog->heightBox()->text(), "1024");
    EXPECT_EQ(dialog->okButton()->text(), "OK");
    EXPECT_EQ(dialog->cancelButton()->text(), "Cancel");

    type(dialog->widthBox(), "512");
    type(dialog->heightBox(), "256");
    QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    EXPECT_TRUE(fake.errors.isEmpty()) << fake.errors.join("; ").toStdString();
    EXPECT_FALSE(dialog->isVisible());
    ASSERT_EQ(document.levelCount(), 3);
    EXPECT_EQ(document.levelSize(3), QSize(512, 256));
    EXPECT_EQ(document.header().offsets[2], 968 + 4 * (4096 + 1024));
    EXPECT_EQ(document.levelEntries().last(), "512x256");
    EXPECT_EQ(w.levels->comboBox()->currentText(), "512x256");
    EXPECT_EQ(document.currentLevel(), 3);
    EXPECT_EQ(w.view->windowTitle(), "[zoom 1x]");
    EXPECT_EQ(w.view->levelCanvas()->size(), QSize(512, 256));
    const QImage& colour = document.levelImage(3);
    const QImage& alpha = document.alphaPlane(3);
    bool whiteAndOpaque = colour.size() == QSize(512, 256);
    for (int y = 0; y < 256 && whiteAndOpaque; ++y)
        for (int x = 0; x < 512; ++x) whiteAndOpaque = whiteAndOpaque && colour.pixel(x, y) == qRgb(255, 255, 255) && qRed(alpha.pixel(x, y)) == 255;
    EXPECT_TRUE(whiteAndOpaque);

    // The boxes keep what was typed; the entry is the texts as typed.
    openDialog();
    EXPECT_EQ(dialog->widthBox()->text(), "512");
    type(dialog->widthBox(), " $10");
    type(dialog->heightBox(), "8");
    QTest::keyClick(dialog->heightBox(), Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(document.levelSize(4), QSize(16, 8));
    EXPECT_EQ(document.levelEntries().last(), " $10x8");
}

TEST_F(AddMipmap, RefusedSizesKeepTheDialogOpenAndTheTexture)
{
    startEditor();
    TForm6* dialog = openDialog();
    struct Row {
        const char* width;
        const char* height;
        const char* message;
    } rows[] = {
        {"0", "8", "A mipmap has 1 to 1024 pixels on a side; the width is 0"},
        {"8", "1025", "A mipmap has 1 to 1024 pixels on a side; the height is 1025"},
        {"abc", "8", "A mipmap has 1 to 1024 pixels on a side; the width \"abc\" is not a whole number"},
        {"8", "", "A mipmap has 1 to 1024 pixels on a side; the height \"\" is not a whole number"},
        {"-4", "8", "A mipmap has 1 to 1024 pixels on a side; the width is -4"},
        {"65600", "8", "A mipmap has 1 to 1024 pixels on a side; the width is 65600"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.width + std::string(" x ") + r.height);
        fake.errors.clear();
        type(dialog->widthBox(), QString::fromLatin1(r.width));
        type(dialog->heightBox(), QString::fromLatin1(r.height));
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
        EXPECT_EQ(fake.errors, QStringList{QString::fromLatin1(r.message)});
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(document.levelCount(), 0);
    }

    // Sixteen levels are as many as a texture holds.
    type(dialog->widthBox(), "2");
    type(dialog->heightBox(), "2");
    for (int k = 1; k <= 16; ++k) {
        openDialog();
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    }
    EXPECT_EQ(document.levelCount(), 16);
    fake.errors.clear();
    openDialog();
    QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    EXPECT_EQ(fake.errors, QStringList{"A texture holds at most 16 levels, and this one has 16 levels"});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(document.levelCount(), 16);

    // Cancel and Escape close it, changing nothing.
    QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    openDialog();
    QTest::keyClick(dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(document.levelCount(), 16);
}

TEST_F(AddMipmap, FrameActivatedWhileItIsOpenBeepsAndSendsTheUserBack)
{
    startEditor();
    TForm6* dialog = openDialog();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
    EXPECT_EQ(fake.beeps, 0);
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([dialog] { return QApplication::activeWindow() == dialog; }));
    EXPECT_EQ(fake.beeps, 1);

    // Closed, the frame is the user's again without a beep.
    QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    EXPECT_EQ(fake.beeps, 1);
}

} // namespace
} // namespace quorvel::test
