// The two ways the program reads a file's kind from its name, each in one place. They differ on
// purpose: the picture registry goes by the extension, while the import and the TGA picture's
// save compare the last characters of the name, dot or no dot.
#pragma once

#include <QString>

namespace quorvel {

// The text after the last dot of the file name, "" when the file name has no dot:
// "/a/c.tar.GZ" gives "GZ", "/a.b/c" gives "".
QString extensionAfterLastDot(const QString& path);

// The last `count` characters of the path (all of it when shorter), upper-cased: "rock.Tga" gives
// "TGA" for three, "x.bmp" gives ".BMP" for four.
QString upperCasedLastCharacters(const QString& path, qsizetype count);

} // namespace quorvel
