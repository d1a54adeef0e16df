// Colour values as the rest of the system speaks of them: a 32-bit integer with red in the low
// byte, green in the next and blue in the third; the top byte is 0.
#pragma once

#include <QRgb>

#include <cstdint>

namespace quorvel {

using TColor = std::uint32_t;

constexpr TColor makeColour(int red, int green, int blue)
{
    return TColor(red & 0xFF) | TColor(green & 0xFF) << 8 | TColor(blue & 0xFF) << 16;
}
constexpr int redOf(TColor c) { return int(c & 0xFF); }
constexpr int greenOf(TColor c) { return int(c >> 8 & 0xFF); }
constexpr int blueOf(TColor c) { return int(c >> 16 & 0xFF); }

// QImage's 32-bit pixels hold 0xAARRGGBB; these convert to and from an opaque pixel.
constexpr QRgb toQRgb(TColor c)
{
    return 0xFF000000u | QRgb(redOf(c)) << 16 | QRgb(greenOf(c)) << 8 | QRgb(blueOf(c));
}
constexpr TColor fromQRgb(QRgb p) { return makeColour(int(p >> 16 & 0xFF), int(p >> 8 & 0xFF), int(p & 0xFF)); }

constexpr TColor clWhite = makeColour(255, 255, 255);
constexpr TColor clBlack = makeColour(0, 0, 0);

} // namespace quorvel
