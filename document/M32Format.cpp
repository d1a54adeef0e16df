#include "document/M32Format.h"

#include <algorithm>
#include <cstring>

namespace quorvel {

namespace {

// Computed when the program is built (tools/composition_table.cpp).
constexpr Composition kComposition = {
#include "CompositionTable.inc"
};

} // namespace

QString fromWindows1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = (b >= 0x80 && b < 0xA0) ? QChar(kCp1252High[b - 0x80]) : QChar(b);
    }
    return text;
}

QByteArray toWindows1252(const QString& text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        char b = '?';
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            b = char(c);
        } else {
            const auto* found = std::find(std::begin(kCp1252High), std::end(kCp1252High), c);
            if (found != std::end(kCp1252High)) b = char(0x80 + (found - std::begin(kCp1252High)));
        }
        bytes[i] = b;
    }
    return bytes;
}

QString nameText(const char (&field)[kM32NameSize])
{
    const char* end = std::find(field, field + kM32NameSize, '\0');
    return fromWindows1252(QByteArray(field, end - field));
}

void setNameText(char (&field)[kM32NameSize], const QString& text)
{
    // A longer text is cut at the field's 128 bytes.
    const QByteArray bytes = toWindows1252(text.left(kM32NameSize));
    std::memset(field, 0, kM32NameSize);
    std::memcpy(field, bytes.constData(), std::size_t(bytes.size()));
}

const Composition& composition()
{
    return kComposition;
}

} // namespace quorvel
