// export TEXTURE.m32 [--level K] OUT: what File > Export writes after opening TEXTURE and
// choosing level K (1 unless given), in the kind OUT's name asks for: .png the stored colour and
// alpha as a 32-bit PNG, .tga the same as a 32-bit Targa, any other the colour as a 24-bit BMP.
// export --all TEXTURE.m32 DIR: every level as DIR/NAME-K-WxH.png. A level that does not exist
// or has no pixels is an error, and so is an output naming TEXTURE;
// nothing is written then. Each file is written whole or not at all.
#include "cli/Commands.h"
#include "cli/ProgressLine.h"
#include "base/SameFile.h"
#include "document/NumberText.h"
#include "document/TextureDocument.h"
#include "import/Export.h"

#include <QFileInfo>

namespace quorvel::cli {

int exportLevel(const QStringList& args)
{
    const Command& self = command("export");
    QStringList paths;
    int level = 1;
    bool all = false, levelGiven = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == u"--all") {
            all = true;
            continue;
        }
        if (args[i] != u"--level") {
            paths << args[i];
            continue;
        }
        const std::optional<std::int32_t> k = i + 1 < args.size() ? wholeNumberOf(args[i + 1]) : std::nullopt;
        if (!k) throw usageError("export", QStringLiteral("--level needs a whole number"));
        level = *k;
        levelGiven = true;
        ++i;
    }
    if (all && levelGiven)
        throw usageError("export", QStringLiteral("--all writes every level; --level goes without it"));
    expectArguments(paths, 2, self);
    TextureDocument document;
    if (all) {
        ProgressLine progress("exporting", 1);
        document.open(paths[0]);
        exportAllLevels(document, paths[1], QFileInfo(paths[0]).completeBaseName(), {paths[0]});
        progress.advance();
        return 0;
    }
    refuseOutputOverInputs(paths[1], {paths[0]});
    ProgressLine progress("exporting", 1);
    document.open(paths[0]);
    quorvel::exportLevel(document, level, paths[1]);
    progress.advance();
    return 0;
}

} // namespace quorvel::cli
