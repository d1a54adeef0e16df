// The icon reader on arbitrary bytes: a picture or "Icon image is not valid", nothing else.
#include "graphics/Icon.h"
#include "fuzz/support/LoadArbitrary.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    quorvel::fuzz::loadArbitrary<quorvel::Icon>(data, size);
    return 0;
}
