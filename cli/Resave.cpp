// resave IN.m32 OUT.m32: opens IN as File > Open does and writes it as Save as does, through
// the working texts of the properties (so the header comes back as the editor would save it).
#include "cli/Commands.h"
#include "document/TextureDocument.h"

namespace quorvel::cli {

int resave(const QStringList& args)
{
    expectArguments(args, 2, command("resave"));
    TextureDocument document;
    document.open(args[0]);
    document.save(args[1]);
    return 0;
}

} // namespace quorvel::cli
