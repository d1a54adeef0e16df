// The editor's command line as a user meets it on a terminal: --help and --version answer in
// the form quorvel-cli uses without opening a window (so without any display), --help-files
// names the help texts it would show, and a wrong command line is a usage error.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quorvel::test {
namespace {

struct ProgramRun {
    int status; // -1 when it did not end normally
    QString out, err;
};

// The program at `program`, with a window system that cannot be opened: xcb and no display.
ProgramRun run(const QString& program, const QStringList& args, const QString& platform = QStringLiteral("xcb"))
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    process.setProcessEnvironment(environment);
    process.start(program, args);
    if (!process.waitForFinished(30000)) process.kill();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardOutput()), QString::fromLocal8Bit(process.readAllStandardError())};
}

const QString kEditor = QStringLiteral(QUORVEL_EDITOR);
const QString kCli = QStringLiteral(QUORVEL_CLI_PATH);

TEST(EditorCommandLine, HelpAndVersionAnswerWithoutADisplayInTheFormOfTheCli)
{
    for (const char* option : {"--help", "-h"}) {
        const ProgramRun help = run(kEditor, {QString::fromLatin1(option)});
        EXPECT_EQ(help.status, 0) << option << help.err.toStdString();
        EXPECT_TRUE(help.out.startsWith("Usage: quorvel [TEXTURE.m32]\n")) << help.out.toStdString();
        for (const char* line : {"\nOptions:\n", "  --help ", "  --version ", "  --help-files ", "\nExit status: "})
            EXPECT_TRUE(help.out.contains(QString::fromLatin1(line))) << line;
        EXPECT_TRUE(help.err.isEmpty()) << help.err.toStdString();
    }
    const QString cliHelp = run(kCli, {"--help"}).out;
    EXPECT_TRUE(cliHelp.contains("\nOptions:\n  --help ")) << "the two helps share their form";

    const ProgramRun version = run(kEditor, {"--version"});
    EXPECT_EQ(version.status, 0);
    const ProgramRun cliVersion = run(kCli, {"--version"});
    ASSERT_TRUE(cliVersion.out.startsWith("quorvel-cli "));
    EXPECT_EQ(version.out, "quorvel " + cliVersion.out.mid(QStringLiteral("quorvel-cli ").size()));
    // The version the title shows: "Quorvel v1.2BETA".
    EXPECT_EQ(version.out, "quorvel 1.2BETA\n");
}

TEST(EditorCommandLine, WrongArgumentsAreUsageErrors)
{
    struct Row {
        QStringList args;
        const char* message;
    } rows[] = {
        {{"--bogus"}, "quorvel: unknown option '--bogus' (try --help)\n"},
        {{"a.m32", "b.m32"}, "usage: quorvel [TEXTURE.m32]\n"},
    };
    for (const Row& r : rows) {
        const ProgramRun wrong = run(kEditor, r.args, QStringLiteral("offscreen"));
        EXPECT_EQ(wrong.status, 2) << r.message;
        EXPECT_TRUE(wrong.err.endsWith(QString::fromLatin1(r.message))) << wrong.err.toStdString();
    }
}

TEST(EditorCommandLine, HelpFilesNamesTheTextsBesideTheProgramAndReportsAMissingOne)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QDir here(dir.path());
    // A copy of the program, so that its directory is this one.
    const QString program = here.filePath("quorvel");
    ASSERT_TRUE(QFile::copy(kEditor, program));
    QFile textures(here.filePath("textures.txt"));
    ASSERT_TRUE(textures.open(QIODevice::WriteOnly));
    textures.close();

    const QString icons = here.filePath("icons.txt");
    ProgramRun files = run(program, {"--help-files"});
    // Unless a copy is installed where the program was built to look, icons.txt is missing.
    if (files.status == 0) {
        EXPECT_FALSE(files.out.contains(icons));
    } else {
        EXPECT_EQ(files.status, 1);
        EXPECT_EQ(files.out, here.filePath("textures.txt") + "\n" + icons + "\n");
        EXPECT_EQ(files.err, "Cannot open file " + icons + "\n");
    }

    QFile second(icons);
    ASSERT_TRUE(second.open(QIODevice::WriteOnly));
    second.close();
    files = run(program, {"--help-files"});
    EXPECT_EQ(files.status, 0) << files.err.toStdString();
    EXPECT_EQ(files.out, here.filePath("textures.txt") + "\n" + icons + "\n");
}

} // namespace
} // namespace quorvel::test
