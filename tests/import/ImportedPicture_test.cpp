// Which pictures the import draws onto a bitmap: told by the kind of the name's extension, in
// any case. A name without a readable extension is of no kind.
#include "import/ImportedPicture.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(ImportedPicture, DrawnByTheKindOfTheExtension)
{
    struct Row {
        const char* path;
        bool drawn;
    } rows[] = {
        {"/a/wall.tga", true}, {"/a/ROCK.Tga", true}, {"/a/i.ico", true}, {"/a/m.EMF", true},
        {"/a/m.wmf", true},    {"/a/walltga", false},  {"/a/w.bmp", false}, {"/a/w.gif", false},
        {"/a/w.pcx", false},   {"/a/w.tga.bmp", false}, {"/a/w.tgax", false}, {"", false},
    };
    for (const Row& r : rows) EXPECT_EQ(drawnOnImport(r.path), r.drawn) << r.path;
}

} // namespace
} // namespace quorvel
