// Program start: the application, every picture kind, the one texture document, then the
// windows in their order until the main window closes. `quorvel FILE.m32` opens the file once
// the frame is shown, as File > Open does. --help, --version and --help-files answer on the
// terminal without opening a window (and without needing a display).
#include "app/EditorWindows.h"
#include "app/ProgramIcon.h"
#include "app/Screenshot.h"
#include "app/SelfCheck.h"
#include "app/TForm1.h"
#include "base/Error.h"
#include "base/FileNames.h"
#include "base/HelpFiles.h"
#include "base/ProcessMemory.h"
#include "base/Paths.h"
#include "document/TextureDocument.h"
#include "import/PictureKinds.h"

#include <QApplication>
#include <QCommandLineParser>

#include <csignal>
#include <cstdio>
#include <memory>

namespace {

void printHelp(std::FILE* out)
{
    std::fprintf(out,
                 "Usage: quorvel [TEXTURE.m32]\n\n"
                 "Starts the texture editor; with TEXTURE.m32 it opens that texture as File > Open does.\n"
                 "\nOptions:\n"
                 "  --help        show this text\n"
                 "  --version     show the version\n"
                 "  --help-files  show the help texts Help > How to reads, one path a line\n"
                 "\nHelp > How to shows textures.txt and icons.txt, looked up beside the program, then in\n"
                 "../share/quorvel from the program's directory, then in %s.\n"
                 "\nExit status: 0 success, 1 failure (message on stderr), 2 usage error.\n",
                 QUORVEL_HELP_DIRECTORY);
}

// --help-files: the path of each help text; one that cannot be read is reported on stderr.
int printHelpFiles()
{
    int status = 0;
    for (const char* name : {quorvel::kTexturesHelpFile, quorvel::kIconsHelpFile}) {
        const QString path = quorvel::helpFilePath(QString::fromLatin1(name), quorvel::helpDirectories());
        std::printf("%s\n", path.toLocal8Bit().constData());
        try {
            quorvel::readHelpText(path);
        } catch (const quorvel::Error& e) {
            std::fprintf(stderr, "%s\n", e.what());
            status = 1;
        }
    }
    return status;
}

// The argument `decoded` stands for, by its own bytes (a file name that is not UTF-8 loses
// bytes in the application's decoding).
QString argumentBytes(int argc, char** argv, const QString& decoded)
{
    for (int i = argc - 1; i > 0; --i)
        if (QString::fromLocal8Bit(argv[i]) == decoded) return quorvel::pathFromBytes(argv[i]);
    return decoded;
}

struct Options {
    QCommandLineOption help{QStringList{QStringLiteral("help"), QStringLiteral("h")}};
    QCommandLineOption version{QStringLiteral("version")};
    QCommandLineOption helpFiles{QStringLiteral("help-files")};
};

void addOptions(QCommandLineParser& parser, const Options& options)
{
    parser.addOption(options.help);
    parser.addOption(options.version);
    parser.addOption(options.helpFiles);
}

} // namespace

int main(int argc, char** argv)
{
    // A file-size limit makes a save fail with "Disk full" instead of ending the editor.
    std::signal(SIGXFSZ, SIG_IGN);
    const Options options;
    {
        // Before any window system is opened, the options that answer on the terminal. The
        // window system's own options (-platform, -style, ...) are not known here yet.
        QStringList raw;
        for (int i = 0; i < argc; ++i) raw.append(QString::fromLocal8Bit(argv[i]));
        QCommandLineParser early;
        addOptions(early, options);
        early.parse(raw);
        if (early.isSet(options.help)) {
            printHelp(stdout);
            return 0;
        }
        if (early.isSet(options.version)) {
            std::printf("quorvel %s\n", QUORVEL_VERSION);
            return 0;
        }
        if (early.isSet(options.helpFiles)) {
            QCoreApplication application(argc, argv);
            return printHelpFiles();
        }
    }

    quorvel::keepFreedMemoryForReuse();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    QApplication::setWindowIcon(quorvel::programIcon());

    QCommandLineParser parser;
    addOptions(parser, options);
    parser.addPositionalArgument(QStringLiteral("TEXTURE.m32"), QString());
    if (!parser.parse(QApplication::arguments())) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty()) {
            const QString name = (unknown.first().size() > 1 ? QStringLiteral("--") : QStringLiteral("-")) + unknown.first();
            std::fprintf(stderr, "quorvel: unknown option '%s' (try --help)\n", name.toLocal8Bit().constData());
        } else {
            std::fprintf(stderr, "quorvel: %s (try --help)\n", parser.errorText().toLocal8Bit().constData());
        }
        return 2;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        std::fprintf(stderr, "usage: quorvel [TEXTURE.m32]\n");
        return 2;
    }
    quorvel::registerAllPictureKinds();

    // Its level images and alpha planes are made only when a level first uses them.
    quorvel::TextureDocument document;
    const quorvel::EditorWindows windows = quorvel::createEditorWindows(document, quorvel::settingsFilePath());
    const std::unique_ptr<quorvel::TForm1> frame(windows.frame);
    if (!files.isEmpty()) frame->openAtStart(argumentBytes(argc, argv, files.first()));
    quorvel::startSelfCheckIfAsked(windows);
    quorvel::takeScreenshotIfAsked(windows);
    quorvel::showAtStart(windows);
    return QApplication::exec();
}
