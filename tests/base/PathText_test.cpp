// The two rules that read a kind from a file name, side by side where they part.
#include "base/PathText.h"
#include "base/FileNames.h"

#include <QUrl>

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

// A name's bytes come back whole whatever they are; only what is not UTF-8 is shown escaped.
TEST(FileNames, BytesRoundTripAndUndecodableBytesAreShownEscaped)
{
    struct Row {
        QByteArray bytes;
        const char* shown;
    } rows[] = {
        {"/tex/wall.m32", "/tex/wall.m32"},
        {"/tex/m\xc3\xbcll.m32", "/tex/m\xc3\xbcll.m32"},         // UTF-8 as it is
        {"/tex/\xf0\x9f\x98\x80.m32", "/tex/\xf0\x9f\x98\x80.m32"}, // outside the BMP
        {"/tex/caf\xe9.m32", "/tex/caf\\xe9.m32"},                // Latin-1
        {"/\xff\xfe/\x80", "/\\xff\\xfe/\\x80"},
        {"/a\xc3(", "/a\\xc3("},                                  // a cut sequence
        {"/a\xed\xa0\x80", "/a\\xed\\xa0\\x80"},              // an encoded surrogate
        {"/a\xc0\xaf", "/a\\xc0\\xaf"},                          // an overlong "/"
        {"/a\xf0\x9f\x98", "/a\\xf0\\x9f\\x98"},              // four bytes cut at three
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.bytes.toHex().toStdString());
        const QString path = pathFromBytes(r.bytes);
        EXPECT_EQ(pathBytes(path), r.bytes);
        EXPECT_EQ(shownPath(path).toUtf8(), QByteArray(r.shown));
        // A drop carries the bytes percent-encoded.
        EXPECT_EQ(pathBytes(pathFromLocalUrl(QUrl(QString::fromLatin1("file://" + r.bytes.toPercentEncoding("/"))))), r.bytes);
    }
}

} // namespace
} // namespace quorvel
