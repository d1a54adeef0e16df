// quorvel-cli: the core without windows, for scripts and pipelines. This is its commands library,
// which the front (cli/Front.cpp) loads for every command it does not answer itself.
#include "cli/Commands.h"
#include "base/Error.h"
#include "base/FileNames.h"
#include "base/ProcessMemory.h"
#include "graphics/PictureRegistry.h"
#include "import/PictureKinds.h"

#include <QGuiApplication>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <iterator>
#include <memory>

namespace quorvel::cli {

namespace {

const Command commands[] = {
    {"convert",
     "[--no-mipmaps] [--flags TEXT] [--alpha N] [--filter point|box|linear] [--keep-alpha] [--alpha-coverage N]\n"
     "        [--output DIR] [--jobs N] IMAGE...",
     "make DIR/NAME.m32 of each IMAGE as the batch wizard does (defaults: all sizes, flags 2048, alpha 255,\n"
     "      the current directory, one job per core); each failure on stderr as PATH: message, then\n"
     "      the line \"N converted, M failed\" on stdout; exit 1 when any failed.\n"
     "      --filter: each smaller level the top-left pixel of its 2 x 2 block (point, the default), the\n"
     "      block's mean (box) or its mean in linear light (linear); --keep-alpha: pictures with alpha\n"
     "      (32-bit TGA and BMP, icons) keep their own in every level; --alpha-coverage N (with\n"
     "      --keep-alpha): every smaller level keeps level 1's share of pixels with alpha N or more",
     convert},
    {"decode", "IMAGE OUT.bmp",
     "read IMAGE as the import sees it (colour only) and write it as a 24-bit BMP", decode},
    {"export", "TEXTURE.m32 [--level K] OUT.bmp|OUT.png|OUT.tga, or --all TEXTURE.m32 DIR",
     "write level K (default 1) of TEXTURE as File > Export does: .bmp its colour as a 24-bit BMP,\n"
     "      .png and .tga its stored colour and alpha at 32 bits; --all: every level as\n"
     "      DIR/NAME-K-WxH.png",
     exportLevel},
    {"replace-level", "TEXTURE.m32 --level K PICTURE [--keep-alpha]",
     "put PICTURE, of level K's size, in place of level K's colour (and with --keep-alpha its alpha,\n"
     "      when it has one), taking its colour as the colour stored; TEXTURE is saved whole",
     replaceLevel},
    {"rebuild", "TEXTURE.m32 [--from K] [--filter point|box|linear] [--keep-alpha] [--alpha-coverage N]",
     "make every level after K (default 1) again from level K as convert makes smaller levels, the\n"
     "      level count and sizes kept; without --keep-alpha each level keeps its alpha; TEXTURE is\n"
     "      saved whole",
     rebuild},
    {"info", "[--json] TEXTURE.m32", "show the header fields and the level table of an m32 file", info},
    {"resave", "IN.m32 OUT.m32", "open IN as the editor opens a texture and save it as OUT", resave},
    {"sheet", "[--zoom N] OUT.png TEXTURE.m32...",
     "one row per TEXTURE, its levels left to right, each enlarged to level 1's size (times N) by\n"
     "      repeating pixels, as the level view shows them; written as a PNG",
     sheet},
    {"set-header", setHeaderUsage(),
     "give the named header fields of each TEXTURE the texts given, read as the properties window reads\n"
     "      them; every other byte stays as it was; each change on stdout, each failure on stderr as\n"
     "      PATH: message; a text that is not a number changes no file; exit 1 when any failed;\n"
     "      --dry-run shows the changes and writes nothing",
     setHeader},
    {"tga-resave", "IN.tga OUT",
     "load IN as a TGA picture and save it again: OUT ending in .bmp gets a 24-bit BMP, any other a TGA",
     tgaResave},
};

void printHelp(std::FILE* out)
{
    std::fprintf(out, "Usage: quorvel-cli COMMAND ARGUMENTS...\n\nCommands:\n");
    for (const Command& c : commands) std::fprintf(out, "  %s %s\n      %s\n", c.name, c.usage, c.summary);
    // The kinds this installation reads: the platform's plugins decide some of them.
    quorvel::registerAllPictureKinds();
    QStringList extensions;
    for (const QString& pattern : quorvel::picturePatterns()) extensions << pattern.mid(2);
    std::fprintf(out, "\nPictures this installation reads (IMAGE, PICTURE): %s\n",
                 extensions.join(QStringLiteral(", ")).toLocal8Bit().constData());
    std::fprintf(out, "\nOptions:\n  --help     show this text\n  --version  show the version\n"
                      "\nExit status: 0 success, 1 failure (message on stderr), 2 usage error.\n");
}

// Metafile pictures draw their text with the platform's fonts, and the sheet's PNG records the
// screen's resolution: only a QGuiApplication provides either. Starting one costs several
// milliseconds, more than most commands take in all, so it is made only for the sheet and for the
// commands that read pictures when one of them is a metafile.
bool needsGuiApplication(const Command& c, const QStringList& args)
{
    if (std::strcmp(c.name, "sheet") == 0) return true;
    // The commands that read pictures.
    const bool readsPictures = std::strcmp(c.name, "decode") == 0 || std::strcmp(c.name, "convert") == 0 ||
                               std::strcmp(c.name, "replace-level") == 0;
    if (!readsPictures) return false;
    return std::any_of(args.begin(), args.end(), [](const QString& arg) {
        const QString extension = quorvel::pictureExtension(arg).toLower();
        return extension == QLatin1String("wmf") || extension == QLatin1String("emf");
    });
}

} // namespace

const Command& command(const char* name)
{
    for (const Command& c : commands)
        if (std::strcmp(c.name, name) == 0) return c;
    throw std::logic_error("no such command");
}

UsageError usageError(const char* name, const QString& problem)
{
    const QString text = QStringLiteral("usage: quorvel-cli %1 %2").arg(QLatin1String(name), QLatin1String(command(name).usage));
    if (problem.isEmpty()) return UsageError(text.toStdString());
    return UsageError(QStringLiteral("quorvel-cli %1: %2\n%3").arg(QLatin1String(name), problem, text).toStdString());
}

void expectArguments(const QStringList& args, qsizetype count, const Command& c)
{
    if (args.size() != count) throw usageError(c.name);
}

} // namespace quorvel::cli

extern "C" __attribute__((visibility("default"))) int quorvelCliMain(int argc, char** argv)
{
    using namespace quorvel::cli;
    // A file-size limit makes a write fail with EFBIG ("Disk full") instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    if (argc < 2) {
        printHelp(stderr);
        return 2;
    }
    const QString name = QString::fromLocal8Bit(argv[1]);
    if (name == "--help" || name == "-h") {
        printHelp(stdout);
        return 0;
    }
    const auto* found = std::find_if(std::begin(commands), std::end(commands),
                                     [&](const Command& c) { return name == QLatin1String(c.name); });
    if (found == std::end(commands)) {
        std::fprintf(stderr, "quorvel-cli: unknown command '%s' (try --help)\n", argv[1]);
        return 2;
    }

    QStringList args;
    // By their bytes: a file name that is not UTF-8 is opened as it is named.
    for (int i = 2; i < argc; ++i) args << quorvel::pathFromBytes(argv[i]);

    quorvel::keepFreedMemoryForReuse();
    int appArgc = 1;
    std::unique_ptr<QCoreApplication> application;
    if (needsGuiApplication(*found, args)) {
        // A window-less one.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        application = std::make_unique<QGuiApplication>(appArgc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(appArgc, argv);
    }
    quorvel::registerAllPictureKinds();
    try {
        return found->run(args);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
