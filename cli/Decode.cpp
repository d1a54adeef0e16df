// decode IMAGE OUT.bmp: the picture the import would take from IMAGE, as a 24-bit BMP.
#include "cli/Commands.h"
#include "graphics/BmpWriter.h"
#include "import/ImportedPicture.h"

namespace quorvel::cli {

int decode(const QStringList& args)
{
    expectArguments(args, 2, command("decode"));
    saveBmp24(loadImportedImage(args[0]), args[1]);
    return 0;
}

} // namespace quorvel::cli
