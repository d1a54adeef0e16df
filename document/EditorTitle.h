// The editor frame's title: the program's name and version, and after an open or a save the
// file's name and the format version the header holds; and the texts of its status bar.
#pragma once

#include <QPoint>
#include <QRgb>
#include <QSize>
#include <QString>

namespace quorvel {

// The version the title, About and both programs' --version show.
inline constexpr const char* kProgramVersion = QUORVEL_VERSION;
inline constexpr const char* kEditorTitle = "Quorvel v" QUORVEL_VERSION;

// "Quorvel v1.2BETA" for an empty path, else e.g. Quorvel v1.2BETA "wall.m32" (M32 v4).
QString editorTitle(const QString& path, int version);

// The question asked before unsaved changes would be lost: Save changes to "wall.m32"?, the
// file's name as the title shows it, "untitled" for an empty path.
QString saveChangesQuestion(const QString& path);

// The status bar: "Zoom 4x"; "Level 2: 128 x 128" (empty without a level); the pixel under
// the pointer with its stored bytes, "x 17, y 203 — R 157 G 64 B 40 A 255"; "Modified".
QString zoomStatus(int zoom);
QString levelStatus(int level, QSize size);
QString pixelStatus(QPoint pixel, QRgb stored);
inline constexpr const char* kModifiedStatus = "Modified";

} // namespace quorvel
