#include "import/PictureKinds.h"

#include "codecs/LZRW1KH.h"
#include "codecs/UniBmp.h"
#include "graphics/PictureRegistry.h"

namespace quorvel {

void registerAllPictureKinds()
{
    static bool done = false;
    if (done) return;
    done = true;

    registerStandardPictureKinds();
    // Codecs: each adds its kinds here, in the order the program has always registered them.
    initLzrw1KH();
    registerUniBitmapKinds();
}

} // namespace quorvel
