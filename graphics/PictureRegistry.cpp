#include "graphics/PictureRegistry.h"

#include "base/Error.h"

#include <algorithm>
#include <memory>
#include <mutex>

namespace quorvel {

namespace {

QList<PictureKind>& registry()
{
    static QList<PictureKind> kinds;
    return kinds;
}

} // namespace

void registerPictureKind(PictureKind kind)
{
    kind.extension = kind.extension.toLower();
    if (kind.available) {
        // Asked once, by whichever thread first looks the kind up (convert's workers may at once).
        struct Answer {
            std::once_flag asked;
            bool value = false;
        };
        auto answer = std::make_shared<Answer>();
        kind.available = [ask = std::move(kind.available), answer] {
            std::call_once(answer->asked, [&] { answer->value = ask(); });
            return answer->value;
        };
    }
    registry().append(std::move(kind));
}

const PictureKind* findPictureKind(const QString& extension)
{
    const QString wanted = extension.toLower();
    const QList<PictureKind>& kinds = registry();
    for (auto it = kinds.crbegin(); it != kinds.crend(); ++it)
        if (it->extension == wanted && (!it->available || it->available())) return &*it;
    return nullptr;
}

const QList<PictureKind>& pictureKinds()
{
    return registry();
}

QList<PictureFilter> pictureFilters()
{
    // The kinds in force that are listed, in list order; an extension registered again is
    // listed as its newest registration says.
    QList<const PictureKind*> listed;
    for (const PictureKind& kind : registry())
        if (findPictureKind(kind.extension) == &kind && !kind.filter.isEmpty()) listed.append(&kind);
    std::stable_sort(listed.begin(), listed.end(),
                     [](const PictureKind* a, const PictureKind* b) { return a->listOrder < b->listOrder; });

    QStringList names;
    QList<PictureFilter> filters;
    for (const PictureKind* kind : listed) {
        qsizetype at = names.indexOf(kind->filter);
        if (at < 0) {
            at = names.size();
            names.append(kind->filter);
            filters.append(PictureFilter{});
        }
        filters[at].patterns.append(QStringLiteral("*.") + kind->extension);
    }
    for (qsizetype i = 0; i < filters.size(); ++i)
        filters[i].description = QStringLiteral("%1 (%2)").arg(names[i], filters[i].patterns.join(u';'));
    return filters;
}

QStringList picturePatterns()
{
    QStringList patterns;
    for (const PictureFilter& filter : pictureFilters()) patterns.append(filter.patterns);
    return patterns;
}

std::unique_ptr<Graphic> loadPicture(const QString& path, const Graphic::SizeCheck& check)
{
    const QString extension = pictureExtension(path);
    const PictureKind* kind = findPictureKind(extension);
    if (!kind) throw Error(QStringLiteral("Unknown picture file extension (.%1)").arg(extension));
    std::unique_ptr<Graphic> graphic = kind->create();
    graphic->loadFromFile(path, check);
    return graphic;
}

} // namespace quorvel
