// The two rules that read a kind from a file name, side by side where they part.
#include "base/PathText.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(PathText, ExtensionAndLastCharacters)
{
    struct Row {
        const char* path;
        const char* extension;
        const char* lastThree;
    } rows[] = {
        {"/textures/wall.tga", "tga", "TGA"},
        {"/textures/ROCK.Tga", "Tga", "TGA"},
        {"/a/c.tar.GZ", "GZ", ".GZ"},
        {"/a/photo.jpeg", "jpeg", "PEG"},
        {"/a/walltga", "", "TGA"}, // no dot: no extension, but the ending still reads TGA
        {"/a.b/c", "", "B/C"},      // the dot is in a directory's name
        {"/a/name.", "", "ME."},
        {"/a/.hidden", "hidden", "DEN"},
        {"ab", "", "AB"},
        {"", "", ""},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(extensionAfterLastDot(r.path), r.extension) << r.path;
        EXPECT_EQ(upperCasedLastCharacters(r.path, 3), r.lastThree) << r.path;
    }
    EXPECT_EQ(upperCasedLastCharacters("/a/out.bMp", 4), ".BMP");
}

} // namespace
} // namespace quorvel
