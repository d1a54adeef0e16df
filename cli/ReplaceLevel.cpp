// replace-level TEXTURE.m32 --level K PICTURE [--keep-alpha]: what Mipmaps > replace… does to
// level K of TEXTURE, saved over TEXTURE as Save does (the file replaced whole or not at all).
// PICTURE must be of the level's size; with --keep-alpha its alpha, when it has one, replaces
// the level's too.
#include "cli/Commands.h"
#include "document/NumberText.h"
#include "document/TextureDocument.h"
#include "import/ReplaceLevel.h"

namespace quorvel::cli {

namespace {

[[noreturn]] void usage(const QString& problem)
{
    throw usageError("replace-level", problem);
}

} // namespace

int replaceLevel(const QStringList& args)
{
    QStringList paths;
    std::optional<std::int32_t> level;
    bool keepAlpha = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == u"--keep-alpha") {
            keepAlpha = true;
        } else if (args[i] == u"--level") {
            level = i + 1 < args.size() ? wholeNumberOf(args[i + 1]) : std::nullopt;
            if (!level) usage(QStringLiteral("--level needs a whole number"));
            ++i;
        } else {
            paths << args[i];
        }
    }
    if (!level) usage(QStringLiteral("--level K is needed"));
    if (paths.size() != 2) usage(QStringLiteral("TEXTURE.m32 and PICTURE are needed"));
    TextureDocument document;
    document.open(paths[0]);
    replaceLevelFromFile(document, *level, paths[1], keepAlpha);
    document.save(paths[0]);
    return 0;
}

} // namespace quorvel::cli
