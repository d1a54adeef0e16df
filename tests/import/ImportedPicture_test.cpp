// Which pictures the import draws onto a bitmap: told by the last three characters of the name
// in any case, whatever the extension.
#include "import/ImportedPicture.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(ImportedPicture, DrawnByTheLastThreeCharacters)
{
    struct Row {
        const char* path;
        bool drawn;
    } rows[] = {
        {"/a/wall.tga", true}, {"/a/ROCK.Tga", true}, {"/a/i.ico", true}, {"/a/m.EMF", true},
        {"/a/m.wmf", true},    {"/a/walltga", true},  {"/a/w.bmp", false}, {"/a/w.gif", false},
        {"/a/w.pcx", false},   {"/a/w.tga.bmp", false}, {"/a/w.tgax", false}, {"", false},
    };
    for (const Row& r : rows) EXPECT_EQ(drawnOnImport(r.path), r.drawn) << r.path;
}

} // namespace
} // namespace quorvel
