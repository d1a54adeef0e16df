// export TEXTURE.m32 [--level K] OUT.bmp: what File > Export writes after opening TEXTURE and
// choosing level K (1 unless given): the level's colour as a 24-bit BMP. A level that does not
// exist or has no pixels is an error, and so is OUT naming TEXTURE; nothing is written then.
#include "cli/Commands.h"
#include "cli/ProgressLine.h"
#include "base/SameFile.h"
#include "document/NumberText.h"
#include "document/TextureDocument.h"
#include "import/Export.h"

namespace quorvel::cli {

int exportLevel(const QStringList& args)
{
    const Command& self = command("export");
    QStringList paths;
    int level = 1;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] != u"--level") {
            paths << args[i];
            continue;
        }
        const std::optional<std::int32_t> k = i + 1 < args.size() ? wholeNumberOf(args[i + 1]) : std::nullopt;
        if (!k) throw usageError("export", QStringLiteral("--level needs a whole number"));
        level = *k;
        ++i;
    }
    expectArguments(paths, 2, self);
    refuseOutputOverInputs(paths[1], {paths[0]});
    ProgressLine progress("exporting", 1);
    TextureDocument document;
    document.open(paths[0]);
    quorvel::exportLevel(document, level, paths[1]);
    progress.advance();
    return 0;
}

} // namespace quorvel::cli
