// decode IMAGE OUT.bmp: the picture the import would take from IMAGE, as a 24-bit BMP.
#include "base/Error.h"
#include "base/SameFile.h"
#include "cli/Commands.h"
#include "graphics/BmpWriter.h"
#include "graphics/PictureMemory.h"
#include "graphics/PictureRegistry.h"
#include "import/ImportedPicture.h"

namespace quorvel::cli {

int decode(const QStringList& args)
{
    expectArguments(args, 2, command("decode"));
    refuseOutputOverInputs(args[1], {args[0]});
    const std::unique_ptr<Graphic> graphic = loadPicture(args[0]);
    const int width = graphic->width(), height = graphic->height();
    // A picture without pixels has nothing to write, and its bitmap would not be readable.
    checkPictureHasPixels(QSize(width, height));
    withPictureMemory(width, height, [&] { saveBmp24(importedImage(args[0], *graphic), args[1]); });
    return 0;
}

} // namespace quorvel::cli
