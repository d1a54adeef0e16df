// rebuild TEXTURE.m32 [--from K] [--filter point|box|linear] [--keep-alpha] [--alpha-coverage N]:
// what Edit > Rebuild smaller levels does with level K (1 unless given) shown, saved over
// TEXTURE as Save does (the file replaced whole or not at all).
#include "cli/Commands.h"
#include "document/NumberText.h"
#include "document/TextureDocument.h"
#include "import/MipmapChain.h"

namespace quorvel::cli {

namespace {

[[noreturn]] void usage(const QString& problem)
{
    throw usageError("rebuild", problem);
}

} // namespace

int rebuild(const QStringList& args)
{
    QStringList paths;
    int from = 1;
    ChainOptions chain;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const auto value = [&]() -> QString {
            if (i + 1 >= args.size()) usage(arg + QStringLiteral(" needs a value"));
            return args[++i];
        };
        if (arg == u"--from") {
            const QString text = value();
            const std::optional<std::int32_t> k = wholeNumberOf(text);
            if (!k) usage(QStringLiteral("--from needs a whole number, not \"%1\"").arg(text));
            from = *k;
        } else if (!chainOption(arg, value, chain, usage)) {
            if (arg.startsWith(u"--")) usage(QStringLiteral("unknown option %1").arg(arg));
            paths << arg;
        }
    }
    checkChainOptions(chain, usage);
    if (paths.size() != 1) usage(QStringLiteral("one TEXTURE.m32 is needed"));
    TextureDocument document;
    document.open(paths[0]);
    rebuildSmallerLevels(document, from, chain);
    document.save(paths[0]);
    return 0;
}

} // namespace quorvel::cli
