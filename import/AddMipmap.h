// "Add a mipmap": one blank level of a size typed into two boxes, appended after the last level.
// The dialog (TForm6) calls addBlankLevel with its boxes' texts and stays open when it raises.
#pragma once

#include <QString>

namespace quorvel {

class TextureDocument;

// Reads each box as a whole number; a box that is not one, or a size of 0 or above 1024, or a
// texture that has its 16 levels already, is refused with an Error saying the limit and what was
// typed or what the texture has, and nothing changes. Otherwise appends a white, opaque level of
// that size whose list entry is the two texts as typed joined by "x", makes it current and
// returns its number.
int addBlankLevel(TextureDocument& document, const QString& widthText, const QString& heightText);

} // namespace quorvel
