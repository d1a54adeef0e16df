#include "import/PictureKinds.h"

#include "graphics/PictureRegistry.h"

namespace quorvel {

void registerAllPictureKinds()
{
    static bool done = false;
    if (done) return;
    done = true;

    registerStandardPictureKinds();
    // Codecs: each adds its kinds here, in the order the program has always registered them.
}

} // namespace quorvel
