// The numbers metafiles are built from: record functions and types, map modes, fill modes, pen
// mixes, text alignment, raster operations and stock objects, as the players read them.
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

// Enhanced metafile (.emf) record types.
constexpr std::uint32_t EMR_HEADER = 1;
constexpr std::uint32_t EMR_POLYBEZIER = 2;
constexpr std::uint32_t EMR_POLYGON = 3;
constexpr std::uint32_t EMR_POLYLINE = 4;
constexpr std::uint32_t EMR_POLYBEZIERTO = 5;
constexpr std::uint32_t EMR_POLYLINETO = 6;
constexpr std::uint32_t EMR_POLYPOLYLINE = 7;
constexpr std::uint32_t EMR_POLYPOLYGON = 8;
constexpr std::uint32_t EMR_SETWINDOWEXTEX = 9;
constexpr std::uint32_t EMR_SETWINDOWORGEX = 10;
constexpr std::uint32_t EMR_SETVIEWPORTEXTEX = 11;
constexpr std::uint32_t EMR_SETVIEWPORTORGEX = 12;
constexpr std::uint32_t EMR_EOF = 14;
constexpr std::uint32_t EMR_SETPIXELV = 15;
constexpr std::uint32_t EMR_SETMAPMODE = 17;
constexpr std::uint32_t EMR_SETBKMODE = 18;
constexpr std::uint32_t EMR_SETPOLYFILLMODE = 19;
constexpr std::uint32_t EMR_SETROP2 = 20;
constexpr std::uint32_t EMR_SETTEXTALIGN = 22;
constexpr std::uint32_t EMR_SETTEXTCOLOR = 24;
constexpr std::uint32_t EMR_SETBKCOLOR = 25;
constexpr std::uint32_t EMR_MOVETOEX = 27;
constexpr std::uint32_t EMR_EXCLUDECLIPRECT = 29;
constexpr std::uint32_t EMR_INTERSECTCLIPRECT = 30;
constexpr std::uint32_t EMR_SCALEVIEWPORTEXTEX = 31;
constexpr std::uint32_t EMR_SCALEWINDOWEXTEX = 32;
constexpr std::uint32_t EMR_SAVEDC = 33;
constexpr std::uint32_t EMR_RESTOREDC = 34;
constexpr std::uint32_t EMR_SETWORLDTRANSFORM = 35;
constexpr std::uint32_t EMR_MODIFYWORLDTRANSFORM = 36;
constexpr std::uint32_t EMR_SELECTOBJECT = 37;
constexpr std::uint32_t EMR_CREATEPEN = 38;
constexpr std::uint32_t EMR_CREATEBRUSHINDIRECT = 39;
constexpr std::uint32_t EMR_DELETEOBJECT = 40;
constexpr std::uint32_t EMR_ANGLEARC = 41;
constexpr std::uint32_t EMR_ELLIPSE = 42;
constexpr std::uint32_t EMR_RECTANGLE = 43;
constexpr std::uint32_t EMR_ROUNDRECT = 44;
constexpr std::uint32_t EMR_ARC = 45;
constexpr std::uint32_t EMR_CHORD = 46;
constexpr std::uint32_t EMR_PIE = 47;
constexpr std::uint32_t EMR_SELECTPALETTE = 48;
constexpr std::uint32_t EMR_CREATEPALETTE = 49;
constexpr std::uint32_t EMR_LINETO = 54;
constexpr std::uint32_t EMR_ARCTO = 55;
constexpr std::uint32_t EMR_POLYDRAW = 56;
constexpr std::uint32_t EMR_SETARCDIRECTION = 57;
constexpr std::uint32_t EMR_BEGINPATH = 59;
constexpr std::uint32_t EMR_ENDPATH = 60;
constexpr std::uint32_t EMR_CLOSEFIGURE = 61;
constexpr std::uint32_t EMR_FILLPATH = 62;
constexpr std::uint32_t EMR_STROKEANDFILLPATH = 63;
constexpr std::uint32_t EMR_STROKEPATH = 64;
constexpr std::uint32_t EMR_SELECTCLIPPATH = 67;
constexpr std::uint32_t EMR_ABORTPATH = 68;
constexpr std::uint32_t EMR_GDICOMMENT = 70;
constexpr std::uint32_t EMR_FILLRGN = 71;
constexpr std::uint32_t EMR_PAINTRGN = 74;
constexpr std::uint32_t EMR_EXTSELECTCLIPRGN = 75;
constexpr std::uint32_t EMR_BITBLT = 76;
constexpr std::uint32_t EMR_STRETCHBLT = 77;
constexpr std::uint32_t EMR_SETDIBITSTODEVICE = 80;
constexpr std::uint32_t EMR_STRETCHDIBITS = 81;
constexpr std::uint32_t EMR_EXTCREATEFONTINDIRECTW = 82;
constexpr std::uint32_t EMR_EXTTEXTOUTA = 83;
constexpr std::uint32_t EMR_EXTTEXTOUTW = 84;
constexpr std::uint32_t EMR_POLYBEZIER16 = 85;
constexpr std::uint32_t EMR_POLYGON16 = 86;
constexpr std::uint32_t EMR_POLYLINE16 = 87;
constexpr std::uint32_t EMR_POLYBEZIERTO16 = 88;
constexpr std::uint32_t EMR_POLYLINETO16 = 89;
constexpr std::uint32_t EMR_POLYPOLYLINE16 = 90;
constexpr std::uint32_t EMR_POLYPOLYGON16 = 91;
constexpr std::uint32_t EMR_POLYDRAW16 = 92;
constexpr std::uint32_t EMR_CREATEMONOBRUSH = 93;
constexpr std::uint32_t EMR_CREATEDIBPATTERNBRUSHPT = 94;
constexpr std::uint32_t EMR_EXTCREATEPEN = 95;
constexpr std::uint32_t EMR_ALPHABLEND = 114;
constexpr std::uint32_t EMR_TRANSPARENTBLT = 116;
constexpr std::uint32_t EMR_GRADIENTFILL = 118;

// Map modes: how logical units become device pixels.
constexpr int MM_TEXT = 1;
constexpr int MM_LOMETRIC = 2;
constexpr int MM_HIMETRIC = 3;
constexpr int MM_LOENGLISH = 4;
constexpr int MM_HIENGLISH = 5;
constexpr int MM_TWIPS = 6;
constexpr int MM_ISOTROPIC = 7;
constexpr int MM_ANISOTROPIC = 8;

// Poly-fill modes: which parts of a self-crossing shape are inside.
constexpr int ALTERNATE = 1; // every other crossing
constexpr int WINDING = 2;   // wherever the outline winds round at all

// Background modes: whether hatches, dashes and text get the background colour behind them.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Pen mixes: how the pen (or brush) P is combined with the picture D, by code 1 to 16.
constexpr int R2_BLACK = 1;
constexpr int R2_NOTMERGEPEN = 2; // not (P or D)
constexpr int R2_MASKNOTPEN = 3;  // not P and D
constexpr int R2_NOTCOPYPEN = 4;  // not P
constexpr int R2_MASKPENNOT = 5;  // P and not D
constexpr int R2_NOT = 6;         // not D
constexpr int R2_XORPEN = 7;      // P xor D
constexpr int R2_NOTMASKPEN = 8;  // not (P and D)
constexpr int R2_MASKPEN = 9;     // P and D
constexpr int R2_NOTXORPEN = 10;  // not (P xor D)
constexpr int R2_NOP = 11;        // D: nothing is drawn
constexpr int R2_MERGENOTPEN = 12; // not P or D
constexpr int R2_COPYPEN = 13;    // P
constexpr int R2_MERGEPENNOT = 14; // P or not D
constexpr int R2_MERGEPEN = 15;   // P or D
constexpr int R2_WHITE = 16;

// Text alignment: the reference point's place on the text, one choice of each group under its
// mask, and whether the text starts at (and moves on) the current position instead.
constexpr std::uint32_t TA_UPDATECP = 1;
constexpr std::uint32_t TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6, kTextHorizontalMask = 6;
constexpr std::uint32_t TA_TOP = 0, TA_BOTTOM = 8, TA_BASELINE = 24, kTextVerticalMask = 24;

// Brush styles.
constexpr std::uint32_t BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2, BS_PATTERN = 3, BS_DIBPATTERN = 5,
                        BS_DIBPATTERNPT = 6;

// The character set of a font whose characters are the symbol font's.
constexpr int SYMBOL_CHARSET = 2;

// Raster operations of the bitmap and pattern records that the surface tells apart.
constexpr std::uint32_t BLACKNESS = 0x00000042;
constexpr std::uint32_t NOTSRCCOPY = 0x00330008;
constexpr std::uint32_t DSTINVERT = 0x00550009;
constexpr std::uint32_t PATINVERT = 0x005A0049;
constexpr std::uint32_t SRCINVERT = 0x00660046;
constexpr std::uint32_t SRCAND = 0x008800C6;
constexpr std::uint32_t DSTCOPY = 0x00AA0029; // leaves the destination as it is
constexpr std::uint32_t SRCCOPY = 0x00CC0020;
constexpr std::uint32_t SRCPAINT = 0x00EE0086;
constexpr std::uint32_t WHITENESS = 0x00FF0062;

// Stock objects, selected in an enhanced metafile by an index with the high bit set.
constexpr std::uint32_t kStockObjectFlag = 0x80000000u;
constexpr std::uint32_t WHITE_BRUSH = 0;
constexpr std::uint32_t BLACK_BRUSH = 4;
constexpr std::uint32_t NULL_BRUSH = 5;
constexpr std::uint32_t WHITE_PEN = 6;
constexpr std::uint32_t BLACK_PEN = 7;
constexpr std::uint32_t NULL_PEN = 8;
constexpr std::uint32_t OEM_FIXED_FONT = 10;
constexpr std::uint32_t DEFAULT_PALETTE = 15;
constexpr std::uint32_t DEFAULT_GUI_FONT = 17;

} // namespace quorvel::metafile
