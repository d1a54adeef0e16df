// Writes the composition tables (stored colour <-> colour shown over the background grey, for
// every alpha) as C++ initialisers, run by the build so that no program computes them at start.
// Usage: composition_table OUT.inc
//
// Extended precision on purpose: these are the values the stored files were made with.
// The formula is the one M32Format.h states above the tables.
#include "document/M32Format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

using quorvel::kBackgroundGrey;

namespace {

void writeRow(std::FILE* out, const int (&row)[256])
{
    std::fputs("{", out);
    for (int v = 0; v < 256; ++v) std::fprintf(out, v % 32 == 31 ? "%d,\n" : "%d,", row[v]);
    std::fputs("},\n", out);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: composition_table OUT.inc\n");
        return 2;
    }
    static int shown[256][256], stored[256][256];
    const long double oneIn255 = 1.0L / 255.0L;
    for (int a = 0; a < 256; ++a) {
        const long double weight = static_cast<long double>(a) * oneIn255;
        const long double backgroundWeight = static_cast<long double>(255 - a) * oneIn255;
        const long double background = static_cast<long double>(kBackgroundGrey) * backgroundWeight;
        for (int v = 0; v < 256; ++v) {
            const long double s = std::nearbyintl(static_cast<long double>(v) * weight + background);
            shown[a][v] = int(std::clamp(s, 0.0L, 255.0L));
            const long double d = a == 0 ? 0.0L : std::nearbyintl((static_cast<long double>(v) - background) / weight);
            stored[a][v] = int(std::clamp(d, 0.0L, 255.0L));
        }
    }
    std::FILE* out = std::fopen(argv[1], "w");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    std::fputs("// Made by tools/composition_table.cpp when the program is built.\n{\n", out);
    for (const auto& row : shown) writeRow(out, row);
    std::fputs("},\n{\n", out);
    for (const auto& row : stored) writeRow(out, row);
    std::fputs("},\n", out);
    return std::fclose(out) == 0 ? 0 : 1;
}
