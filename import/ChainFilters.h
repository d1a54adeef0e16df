// The halving rules the level chain builder can use beside point sampling, and what goes with
// them: the sRGB <-> linear light tables, a picture's own alpha kept next to its colour, the
// alpha-test coverage kept through the chain, and a level's pixels blended over the background
// grey by their own alpha.
//
// Every halving reads the 2 x 2 block (2x .. 2x + 1, 2y .. 2y + 1) of the level before; where
// that level is 1 pixel wide (or high) the block is that one column (or row), so the mean is of
// the other direction only. An odd side's last column or row is never read, as with point
// sampling.
#pragma once

#include <QImage>

#include <cstdint>

namespace quorvel {

// How each pixel of the next level is made from its block of the level before.
enum class Resampling {
    Point,  // the block's top-left pixel, exactly
    Box,    // the mean of the block, rounded to nearest with halves up
    Linear, // the mean of the block in linear light (sRGB decoded, averaged, encoded again)
};

// A level as the chain works on it: the straight (not blended) colour, Format_RGB32, and its
// alpha, Format_Grayscale8 of the same size, or null when the run gives every pixel one alpha.
// `fineAlpha` (Format_Grayscale16, alpha x 256) is the same alpha halved without rounding to
// whole steps, kept only where the coverage is held: it tells apart pixels that the rounding
// of the halvings would make equal, so that a scale can put one on either side of a reference.
struct ChainLevel {
    QImage colour;
    QImage alpha;
    QImage fineAlpha{};
};

// The picture split into colour and, when it carries an alpha channel and `ownAlpha` is asked
// for, its alpha (and with `fine` its fine alpha). A picture without alpha (or ownAlpha off)
// keeps only its colour, exactly as the constant-alpha chain has always taken it.
ChainLevel chainLevelOf(const QImage& picture, bool ownAlpha, bool fine = false);

// The halving of `level` at `width` x `height`. With an alpha plane, the colour is averaged
// weighted by alpha (premultiplied), so that transparent pixels give no colour to their
// neighbours, and the alpha is averaged by the same rule as the colour (linear light applies to
// the colour only). A block whose alphas are all 0 takes the plain mean of its colour.
// Raises Error when the memory for the level cannot be had.
ChainLevel halvedLevel(const ChainLevel& level, int width, int height, Resampling resampling);

// The sRGB transfer in fixed point: linear light 0..65535 for each 8-bit value, and the
// nearest 8-bit value (halves up) for each linear value. encode[decode[c]] == c for every c.
struct LightTables {
    std::uint16_t decode[256];
    std::uint8_t encode[65536];
};
const LightTables& lightTables();

// The share of pixels whose alpha is at or above a reference.
struct Coverage {
    long long atOrAbove = 0;
    long long pixels = 0;
};
Coverage coverageOf(const QImage& alpha, int reference);

// The alpha to store for `level` so that its share of pixels at or above `reference` (1..255)
// comes as near as a scale can bring it to `wanted`'s share. A level already as near as any
// scale makes it keeps its alpha as it is. Otherwise the search runs over the scales
// reference / t, t going through the fine alphas (1/256 of a step apart), since only those move
// the count: the pixels whose fine alpha reaches t are scaled to the reference or above, the
// others below it, each rounded to nearest. Of equally near scales the one nearest 1 is taken.
// Without a fine alpha the whole steps are searched. Pixels of equal fine alpha stay together,
// so the share is met to within the largest such group near the reference.
QImage coverageScaled(const ChainLevel& level, int reference, Coverage wanted);

// The level image of straight colour with its own alpha: each channel blended over the
// background grey by the pixel's alpha, as the level images hold every pixel.
QImage blendedOverGrey(const QImage& colour, const QImage& alpha);

} // namespace quorvel
