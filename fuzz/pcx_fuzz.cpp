// The PCX reader on arbitrary bytes: a picture or one of its messages, nothing else.
#include "codecs/SPCXImg.h"
#include "fuzz/support/LoadArbitrary.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    quorvel::fuzz::loadArbitrary<quorvel::TSPCXBitmap>(data, size);
    return 0;
}
