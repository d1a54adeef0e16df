#include "import/PictureKinds.h"

#include "codecs/SGIFImg.h"
#include "codecs/SPCXImg.h"
#include "codecs/TargaImage.h"
#include "codecs/UniBmp.h"
#include "graphics/PictureRegistry.h"

#include <memory>

namespace quorvel {

void registerAllPictureKinds()
{
    static bool done = false;
    if (done) return;
    done = true;

    registerStandardPictureKinds();
    // The codecs' kinds, before any window exists.
    registerUniBitmapKinds();
    registerPictureKind("pcx", "PCX-Format", [] { return std::make_unique<TSPCXBitmap>(); });
    registerPictureKind("gif", "GIF-Format", [] { return std::make_unique<TSGIFBitmap>(); });

    // The import dialog's kinds, registered when it is created, after every codec's.
    registerPictureKind("GIF", "GIF Image", [] { return std::make_unique<TSGIFBitmap>(); });
    registerPictureKind("PCX", "PCX Image", [] { return std::make_unique<TSPCXBitmap>(); });
    registerTargaPictureKind();
}

} // namespace quorvel
