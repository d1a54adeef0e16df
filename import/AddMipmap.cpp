#include "import/AddMipmap.h"

#include "base/Error.h"
#include "document/M32Format.h"
#include "document/NumberText.h"
#include "document/TextureDocument.h"
#include "import/MipmapChain.h"

namespace quorvel {

namespace {

int side(const QString& text, const char* which)
{
    const std::optional<std::int32_t> value = wholeNumberOf(text);
    const QString limit = QStringLiteral("A mipmap has 1 to %1 pixels on a side").arg(kMaxLevelSide);
    if (!value)
        throw Error(QStringLiteral("%1; the %2 \"%3\" is not a whole number").arg(limit, which, text));
    if (*value < 1 || *value > kMaxLevelSide)
        throw Error(QStringLiteral("%1; the %2 is %3").arg(limit, which).arg(*value));
    // The box's number kept to its low 16 bits is the number itself in 1..1024.
    return *value & 0xFFFF;
}

} // namespace

int addBlankLevel(TextureDocument& document, const QString& widthText, const QString& heightText)
{
    if (document.levelCount() >= kMaxLevels)
        throw Error(QStringLiteral("A texture holds at most %1 levels, and this one has %2")
                        .arg(kMaxLevels)
                        .arg(levelsText(document.levelCount())));
    const int width = side(widthText, "width");
    const int height = side(heightText, "height");
    const int level = document.appendLevel(width, height, widthText + u'x' + heightText, 255);
    document.setCurrentLevel(level);
    return level;
}

} // namespace quorvel
