// The universal bitmap's loader on arbitrary bytes, in any of its forms: a picture or an error
// with the system's message, nothing else.
#include "codecs/UniBmp.h"
#include "fuzz/support/LoadArbitrary.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    quorvel::fuzz::loadArbitrary<quorvel::TUniBitmap>(data, size);
    return 0;
}
