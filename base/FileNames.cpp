#include "base/FileNames.h"

#include <QUrl>

namespace quorvel {

namespace {

constexpr char16_t kHeldByteBase = 0xDC00;

bool isHeldByte(char16_t c)
{
    return c >= 0xDC80 && c <= 0xDCFF;
}

// The length of the valid UTF-8 sequence at `at`, or 0 when the byte there starts none.
int validSequenceLength(const unsigned char* at, qsizetype left)
{
    const unsigned char b = at[0];
    if (b < 0x80) return 1;
    int length;
    unsigned char low = 0x80, high = 0xBF; // the range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        if (b == 0xE0) low = 0xA0;
        if (b == 0xED) high = 0x9F; // no encoded surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (left < length || at[1] < low || at[1] > high) return 0;
    for (int i = 2; i < length; ++i)
        if (at[i] < 0x80 || at[i] > 0xBF) return 0;
    return length;
}

} // namespace

QString pathFromBytes(const QByteArray& bytes)
{
    QString path;
    path.reserve(bytes.size());
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    qsizetype i = 0;
    while (i < bytes.size()) {
        const int length = validSequenceLength(data + i, bytes.size() - i);
        if (length == 0) {
            path.append(QChar(char16_t(kHeldByteBase + data[i])));
            ++i;
        } else {
            path.append(QString::fromUtf8(bytes.constData() + i, length));
            i += length;
        }
    }
    return path;
}

QByteArray pathBytes(const QString& path)
{
    QByteArray bytes;
    bytes.reserve(path.size());
    qsizetype run = 0; // start of the characters not yet encoded
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t c = path[i].unicode();
        // A held byte is a lone surrogate: one that is not the second half of a pair.
        if (!isHeldByte(c) || (i > 0 && path[i - 1].isHighSurrogate())) continue;
        bytes += QStringView(path).mid(run, i - run).toUtf8();
        bytes += char(c - kHeldByteBase);
        run = i + 1;
    }
    bytes += QStringView(path).mid(run).toUtf8();
    return bytes;
}

QString pathFromLocalUrl(const QUrl& url)
{
    if (!url.host().isEmpty()) return url.toLocalFile();
    return pathFromBytes(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

QString shownPath(const QString& path)
{
    QString shown;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t c = path[i].unicode();
        if (isHeldByte(c) && !(i > 0 && path[i - 1].isHighSurrogate()))
            shown += QStringLiteral("\\x%1").arg(int(c - kHeldByteBase), 2, 16, QLatin1Char('0'));
        else
            shown += path[i];
    }
    return shown;
}

} // namespace quorvel
