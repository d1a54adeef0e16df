// The GIF reader on arbitrary bytes: a picture or one of its status messages, nothing else.
#include "codecs/SGIFImg.h"
#include "fuzz/support/LoadArbitrary.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    quorvel::fuzz::loadArbitrary<quorvel::TSGIFBitmap>(data, size);
    return 0;
}
