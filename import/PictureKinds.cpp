#include "import/PictureKinds.h"

#include "codecs/TargaImage.h"
#include "graphics/PictureRegistry.h"

namespace quorvel {

void registerAllPictureKinds()
{
    static bool done = false;
    if (done) return;
    done = true;

    registerStandardPictureKinds();
    // Codecs: each adds its kinds here, in the order the program has always registered them.

    // The import's kinds, after every codec's.
    registerTargaPictureKind();
}

} // namespace quorvel
