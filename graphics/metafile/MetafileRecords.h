// The numbers metafiles are built from: the Windows metafile record functions the player reads.
// The players and the tests that build metafiles byte by byte both use these names.
#pragma once

#include <cstdint>

namespace quorvel::metafile {

// Windows metafile (.wmf) record functions. The high byte is the size of the parameters in
// 16-bit words when the record carries no bitmap.
constexpr std::uint16_t META_SAVEDC = 0x001E;
constexpr std::uint16_t META_RESTOREDC = 0x0127;
constexpr std::uint16_t META_SETBKMODE = 0x0102;
constexpr std::uint16_t META_SETMAPMODE = 0x0103;
constexpr std::uint16_t META_SETROP2 = 0x0104;
constexpr std::uint16_t META_SETPOLYFILLMODE = 0x0106;
constexpr std::uint16_t META_SETTEXTALIGN = 0x012E;
constexpr std::uint16_t META_SETBKCOLOR = 0x0201;
constexpr std::uint16_t META_SETTEXTCOLOR = 0x0209;
constexpr std::uint16_t META_SETWINDOWORG = 0x020B;
constexpr std::uint16_t META_SETWINDOWEXT = 0x020C;
constexpr std::uint16_t META_SETVIEWPORTORG = 0x020D;
constexpr std::uint16_t META_SETVIEWPORTEXT = 0x020E;
constexpr std::uint16_t META_OFFSETWINDOWORG = 0x020F;
constexpr std::uint16_t META_OFFSETVIEWPORTORG = 0x0211;
constexpr std::uint16_t META_SCALEWINDOWEXT = 0x0410;
constexpr std::uint16_t META_SCALEVIEWPORTEXT = 0x0412;
constexpr std::uint16_t META_LINETO = 0x0213;
constexpr std::uint16_t META_MOVETO = 0x0214;
constexpr std::uint16_t META_EXCLUDECLIPRECT = 0x0415;
constexpr std::uint16_t META_INTERSECTCLIPRECT = 0x0416;
constexpr std::uint16_t META_ELLIPSE = 0x0418;
constexpr std::uint16_t META_RECTANGLE = 0x041B;
constexpr std::uint16_t META_ROUNDRECT = 0x061C;
constexpr std::uint16_t META_ARC = 0x0817;
constexpr std::uint16_t META_PIE = 0x081A;
constexpr std::uint16_t META_CHORD = 0x0830;
constexpr std::uint16_t META_POLYGON = 0x0324;
constexpr std::uint16_t META_POLYLINE = 0x0325;
constexpr std::uint16_t META_POLYPOLYGON = 0x0538;
constexpr std::uint16_t META_SETPIXEL = 0x041F;
constexpr std::uint16_t META_PATBLT = 0x061D;
constexpr std::uint16_t META_TEXTOUT = 0x0521;
constexpr std::uint16_t META_EXTTEXTOUT = 0x0A32;
constexpr std::uint16_t META_CREATEPENINDIRECT = 0x02FA;
constexpr std::uint16_t META_CREATEBRUSHINDIRECT = 0x02FC;
constexpr std::uint16_t META_CREATEFONTINDIRECT = 0x02FB;
constexpr std::uint16_t META_CREATEPATTERNBRUSH = 0x01F9;
constexpr std::uint16_t META_DIBCREATEPATTERNBRUSH = 0x0142;
constexpr std::uint16_t META_CREATEPALETTE = 0x00F7;
constexpr std::uint16_t META_CREATEREGION = 0x06FF;
constexpr std::uint16_t META_SELECTOBJECT = 0x012D;
constexpr std::uint16_t META_DELETEOBJECT = 0x01F0;
constexpr std::uint16_t META_SELECTPALETTE = 0x0234;
constexpr std::uint16_t META_BITBLT = 0x0922;
constexpr std::uint16_t META_STRETCHBLT = 0x0B23;
constexpr std::uint16_t META_DIBBITBLT = 0x0940;
constexpr std::uint16_t META_DIBSTRETCHBLT = 0x0B41;
constexpr std::uint16_t META_STRETCHDIB = 0x0F43;
constexpr std::uint16_t META_SETDIBTODEV = 0x0D33;

} // namespace quorvel::metafile
