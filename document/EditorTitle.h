// The editor frame's title: the program's name and version, and after an open or a save the
// file's name and the format version the header holds.
#pragma once

#include <QString>

namespace quorvel {

inline constexpr const char* kEditorTitle = "Quorvel v1.2BETA";

// "Quorvel v1.2BETA" for an empty path, else e.g. Quorvel v1.2BETA "wall.m32" (M32 v4).
QString editorTitle(const QString& path, int version);

// The question asked before unsaved changes would be lost: Save changes to "wall.m32"?, the
// file's name as the title shows it, "untitled" for an empty path.
QString saveChangesQuestion(const QString& path);

} // namespace quorvel
