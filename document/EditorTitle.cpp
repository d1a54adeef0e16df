#include "document/EditorTitle.h"

#include "base/FileNames.h"
#include "base/Paths.h"

namespace quorvel {

QString editorTitle(const QString& path, int version)
{
    const QString title = QString::fromLatin1(kEditorTitle);
    if (path.isEmpty()) return title;
    return QStringLiteral("%1 \"%2\" (M32 v%3)").arg(title, shownPath(namestr(path))).arg(version);
}

QString saveChangesQuestion(const QString& path)
{
    return QStringLiteral("Save changes to \"%1\"?").arg(path.isEmpty() ? QStringLiteral("untitled") : namestr(path));
}

} // namespace quorvel
