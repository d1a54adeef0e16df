#include "base/PathText.h"

namespace quorvel {

QString extensionAfterLastDot(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot > slash ? path.mid(dot + 1) : QString();
}

QString upperCasedLastCharacters(const QString& path, qsizetype count)
{
    return path.right(count).toUpper();
}

} // namespace quorvel
