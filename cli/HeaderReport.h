// What `quorvel-cli info` prints for a header, in its text and its JSON form. Nothing here calls
// into Qt, so the CLI's front answers `info` without loading a Qt library, and the full command
// prints through the same two functions.
#pragma once

#include "document/M32Format.h"

#include <string>

namespace quorvel::cli {

// One line per header field ("KEY  VALUE", names as UTF-8, decimals in their shortest text that
// reads back as the same float, or nan / inf / -inf), then "levels" and one line per present
// level: its number, its size and its offset.
std::string headerText(const M32Header& header);

// One line of compact JSON: an object of the header fields and "levels", the array of the
// present levels ({"height", "offset", "width"}), keys in byte order. A decimal is written as the
// double of its shortest float text, a whole one below 2^53 as an integer, and an infinity or a
// NaN as null; a name escapes '"', '\\' and the controls below 32, the rest as UTF-8.
std::string headerJson(const M32Header& header);

} // namespace quorvel::cli
