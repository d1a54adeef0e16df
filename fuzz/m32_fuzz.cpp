// The m32 reader on arbitrary bytes: the document opens them, or the open raises an Error and
// the document is exactly as before. An opened document saves, and what it saves opens again
// and saves as the same bytes.
#include "document/TextureDocument.h"
#include "base/Error.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// One document for every input, as in the editor: later inputs meet the levels of earlier ones.
quorvel::TextureDocument& document()
{
    static quorvel::TextureDocument d;
    return d;
}

void open(quorvel::TextureDocument& d, QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    d.open(buffer, QStringLiteral("fuzz.m32"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    quorvel::TextureDocument& d = document();
    const quorvel::M32Header header = d.header();
    const quorvel::HeaderTexts texts = d.texts();
    const QStringList entries = d.levelEntries();
    const QString file = d.currentFile();
    qint64 images[quorvel::kMaxLevels], planes[quorvel::kMaxLevels];
    for (int k = 1; k <= quorvel::kMaxLevels; ++k) {
        images[k - 1] = d.hasLevelImage(k) ? std::as_const(d).levelImage(k).cacheKey() : 0;
        planes[k - 1] = d.hasAlphaPlane(k) ? std::as_const(d).alphaPlane(k).cacheKey() : 0;
    }

    try {
        open(d, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    } catch (const quorvel::Error&) {
        bool same = std::memcmp(&header, &d.header(), sizeof header) == 0 && texts == d.texts() &&
                    entries == d.levelEntries() && file == d.currentFile();
        for (int k = 1; k <= quorvel::kMaxLevels; ++k) {
            same = same && images[k - 1] == (d.hasLevelImage(k) ? std::as_const(d).levelImage(k).cacheKey() : 0);
            same = same && planes[k - 1] == (d.hasAlphaPlane(k) ? std::as_const(d).alphaPlane(k).cacheKey() : 0);
        }
        if (!same) std::abort();
        return 0;
    }

    const QByteArray saved = d.saveToBytes();
    open(d, saved);
    if (d.saveToBytes() != saved) std::abort();
    return 0;
}
