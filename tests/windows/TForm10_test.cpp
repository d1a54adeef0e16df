// The notice shown on top at start: its lines and buttons, the runaway "Yeah, yeah" that reveals
// "OK" and moves to the same places in every run, and either button closing it.
#include "tests/support/EditorFixture.h"

#include "windows/TForm10.h"

#include <QLabel>
#include <QPushButton>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

namespace quorvel::test {
namespace {

class Notice : public EditorTest {
protected:
    // The editor as program start shows it.
    void startAsProgram()
    {
        w = createEditorWindows(document, settingsPath());
        frame.reset(w.frame);
        showAtStart(w);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.notice));
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    }
    // Moves the mouse over "Yeah, yeah" where it stands (over its part inside the window),
    // coming from a place of the notice away from it; returns where it went.
    QPoint moveOverButton1()
    {
        QPushButton* button = w.notice->button1();
        // Straight to the notice's own window: the frame behind it covers the whole screen.
        QWindow* window = w.notice->windowHandle();
        for (const QPoint away : {QPoint(2, 2), QPoint(510, 2)})
            if (!button->geometry().contains(away)) {
                QTest::mouseMove(window, away);
                break;
            }
        QTest::mouseMove(window, button->geometry().intersected(w.notice->rect()).center());
        QApplication::processEvents();
        return button->pos();
    }
};

TEST_F(Notice, IsShownOnTopAtStartWithItsLinesAndOneButton)
{
    startAsProgram();
    TForm10* notice = w.notice;
    EXPECT_TRUE(notice->isVisible());
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(notice->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(notice->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(notice->size(), QSize(513, 226));
    EXPECT_EQ(notice->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_LE((notice->geometry().center() - notice->screen()->availableGeometry().center()).manhattanLength(), 2);

    QStringList lines;
    for (QLabel* label : notice->findChildren<QLabel*>()) lines.append(label->text());
    for (const char* line : {"BETA 2", "Note that this BETA version MIGHT contain some bugs in it.",
                             "Therefore, you are strongly advised to install the final version", "when it comes out.",
                             "If you find any bugs, please report them as soon as you can to",
                             "Btw, don't hesitate to send me some positive feedback as well."})
        EXPECT_TRUE(lines.contains(QString::fromLatin1(line))) << line;

    EXPECT_EQ(notice->button1()->text(), "Yeah, yeah");
    EXPECT_EQ(notice->button1()->geometry(), QRect(192, 184, 137, 33));
    EXPECT_TRUE(notice->button1()->isVisible());
    EXPECT_EQ(notice->button2()->text(), "OK");
    EXPECT_EQ(notice->button2()->geometry(), QRect(480, 0, 33, 17));
    EXPECT_FALSE(notice->button2()->isVisible());
}

TEST_F(Notice, YeahYeahRunsAwayWithinTheWindowToTheSamePlacesInEveryRun)
{
    std::vector<QPoint> runs[2];
    for (auto& places : runs) {
        startAsProgram();
        for (int i = 0; i < 40; ++i) {
            const QPoint at = moveOverButton1();
            EXPECT_GE(at.y(), 0);
            EXPECT_LE(at.y(), 205);
            EXPECT_GE(at.x(), 0);
            EXPECT_LE(at.x(), 492);
            EXPECT_TRUE(w.notice->button2()->isVisible()) << "OK shown by the first move";
            places.push_back(at);
        }
        closeEditor();
    }
    EXPECT_EQ(runs[0], runs[1]);
    // It does go somewhere new, and not always to the same place.
    EXPECT_NE(runs[0].front(), QPoint(192, 184));
    EXPECT_NE(runs[0][0], runs[0][1]);
}

TEST_F(Notice, StepsBackFromTheTopWhileAMessageBoxWaitsForAnAnswer)
{
    startAsProgram();
    QWindow* notice = w.notice->windowHandle();
    ASSERT_TRUE(notice->flags().testFlag(Qt::WindowStaysOnTopHint));
    bool onTopDuringBox = true;
    QMessageBox box(QMessageBox::Critical, "Quorvel", "Cannot open file x.m32", QMessageBox::Ok, frame.get());
    QTimer::singleShot(0, &box, [&] {
        onTopDuringBox = notice->flags().testFlag(Qt::WindowStaysOnTopHint);
        box.accept();
    });
    box.exec();
    EXPECT_FALSE(onTopDuringBox) << "the box would be hidden under the notice";
    EXPECT_TRUE(notice->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w.notice->isVisible());
}

TEST_F(Notice, EitherButtonClosesItAndTheEditorGoesOn)
{
    for (const char* button : {"Button1", "Button2"}) {
        SCOPED_TRACE(button);
        startAsProgram();
        moveOverButton1();
        QPushButton* pressed = w.notice->findChild<QPushButton*>(button);
        ASSERT_TRUE(pressed->isVisible());
        // Reached with the keyboard: the mouse cannot catch it.
        pressed->setFocus();
        QTest::keyClick(pressed, Qt::Key_Space);
        EXPECT_FALSE(w.notice->isVisible());
        EXPECT_TRUE(frame->isVisible());
        closeEditor();
    }
    startAsProgram();
    moveOverButton1();
    QTest::mouseClick(w.notice->button2(), Qt::LeftButton);
    EXPECT_FALSE(w.notice->isVisible());
}

} // namespace
} // namespace quorvel::test
