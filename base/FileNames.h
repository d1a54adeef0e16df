// File names as the system holds them: bytes, mostly UTF-8 but not always. A name is kept in a
// QString that gives its bytes back exactly: each byte that is not part of valid UTF-8 is held
// as the lone surrogate U+DC00 + byte (U+DC80..U+DCFF), which no valid UTF-8 decodes to. Every
// path the program opens goes through pathBytes, so such a name is opened by its own bytes; a
// name is shown with those bytes written as \xNN.
#pragma once

#include <QByteArray>
#include <QString>

class QUrl;

namespace quorvel {

// The name of the bytes: their UTF-8, undecodable bytes held as U+DC80..U+DCFF.
QString pathFromBytes(const QByteArray& bytes);
inline QString pathFromBytes(const char* bytes) { return pathFromBytes(QByteArray(bytes)); }
// The bytes of the name: the inverse of pathFromBytes (UTF-8 for every other character).
QByteArray pathBytes(const QString& path);
// The local file a URL names (a drop), by the bytes its percent-encoding carries.
QString pathFromLocalUrl(const QUrl& url);
// The name for a message, a title or a menu: each held byte as "\xNN", the rest as it is.
QString shownPath(const QString& path);

} // namespace quorvel
