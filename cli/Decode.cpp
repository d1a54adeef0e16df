// decode IMAGE OUT.bmp: the picture the import would take from IMAGE, as a 24-bit BMP.
#include "cli/Commands.h"
#include "graphics/BmpWriter.h"
#include "base/Error.h"
#include "import/ImportedPicture.h"

#include <QSaveFile>

namespace quorvel::cli {

int decode(const QStringList& args)
{
    expectArguments(args, 2, command("decode"));
    const QImage image = loadImportedImage(args[0]);
    QSaveFile out(args[1]);
    if (!out.open(QIODevice::WriteOnly)) throw Error(QStringLiteral("Cannot create file %1").arg(args[1]));
    writeBmp24(image, out);
    if (!out.commit()) throw Error(QStringLiteral("Cannot create file %1").arg(args[1]));
    return 0;
}

} // namespace quorvel::cli
