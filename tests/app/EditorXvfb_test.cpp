// The editor as a user meets it, in a real X server: `quorvel wall.m32` started under Xvfb
// shows the file in its title with level 1 on the screen as the level image holds it (blended
// over the grey), the paint toolbar closed by its system menu stays a window that picking still
// works through and comes back from the Window menu, Exit answered No keeps it running, Yes ends it, and QUORVEL.INI is written.
// The program reports what it sees through its self-check (QUORVEL_SELF_CHECK). Skipped where
// Xvfb is not installed.
#include "tests/support/EditorFixture.h"

#include <QProcess>
#include <QStandardPaths>

namespace quorvel::test {
namespace {

TEST(EditorUnderXvfb, ShowsTheFileAsksAtExitAndWritesItsSettings)
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty()) GTEST_SKIP() << "Xvfb is not installed";

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QDir here(dir.path());
    // A copy of the program, so that its directory (and its settings file) is this one.
    const QString program = here.filePath(QStringLiteral("quorvel"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUORVEL_EDITOR), program));
    const QString wall = here.filePath(QStringLiteral("wall.m32"));
    writeTexture(wall, {{96, 64}, {48, 32}});

    QProcess server;
    server.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
                        QStringLiteral("1600x1200x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    ASSERT_TRUE(server.waitForStarted(10000));
    QByteArray display;
    while (!display.contains('\n') && server.waitForReadyRead(10000)) display += server.readAllStandardOutput();
    display = display.trimmed();
    ASSERT_FALSE(display.isEmpty()) << "Xvfb gave no display";

    const QString report = here.filePath(QStringLiteral("report.txt"));
    QProcess editor;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":") + QString::fromLatin1(display));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("QUORVEL_SELF_CHECK"), report);
    editor.setProcessEnvironment(environment);
    editor.setWorkingDirectory(dir.path());
    editor.start(program, {QStringLiteral("wall.m32")});
    ASSERT_TRUE(editor.waitForStarted(10000));
    const bool ended = editor.waitForFinished(60000);
    if (!ended) editor.kill();
    server.terminate();
    server.waitForFinished(10000);

    const QStringList lines = QString::fromUtf8(readFile(report)).split(u'\n', Qt::SkipEmptyParts);
    SCOPED_TRACE(lines.join(QStringLiteral(" | ")).toStdString() + " | stderr: " + editor.readAllStandardError().toStdString());
    ASSERT_TRUE(ended) << "the editor did not end after Exit > Yes";
    EXPECT_EQ(editor.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(editor.exitCode(), 0);
    EXPECT_EQ(lines, (QStringList{
                         QStringLiteral("title=Quorvel v1.2BETA \"wall.m32\" (M32 v4)"),
                         QStringLiteral("active=yes"),
                         QStringLiteral("zoom=1"),
                         QStringLiteral("level1=drawn"),
                         QStringLiteral("toolbar-closed=hidden"),
                         QStringLiteral("picked=the level's pixel"),
                         QStringLiteral("toolbar-back=shown"),
                         QStringLiteral("question=Confirm: Are you sure you want to exit?"),
                         QStringLiteral("after-no=running"),
                         QStringLiteral("question=Confirm: Are you sure you want to exit?"),
                     }));
    const QStringList settings = QString::fromUtf8(readFile(here.filePath(QStringLiteral("QUORVEL.INI")))).split(QStringLiteral("\r\n"));
    ASSERT_EQ(settings.size(), 15);
    EXPECT_EQ(settings[1], dir.path());
    EXPECT_EQ(settings[5], wall);
}

} // namespace
} // namespace quorvel::test
