// The level chain builder: appends a picture to the texture as a level and, when asked, every
// halving of it down to 1 x 1, each a level of its own. Halving is point sampling (each pixel is
// the top-left pixel of its 2 x 2 block; a side already 1 pixel wide keeps column or row 0), and
// every pixel of every new level gets one constant alpha. Import and batch conversion both run
// it; they differ in the alpha, the all-sizes switch and which pass drives their progress bar.
// On request (ChainOptions) the halvings are filtered instead, the picture's own alpha is kept
// and the alpha-test coverage held through the chain; the defaults are the rule above, exactly.
#pragma once

#include "import/ChainFilters.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>
#include <vector>

namespace quorvel {

class TextureDocument;

// Which pass of each level the progress counts: the copy pass counts w + 1 steps for a level w
// pixels wide, the halving pass nw + 1 for the halving nw pixels wide it makes (the halving is
// made, and counted, for the last level too).
enum class CountedPass { Copy, Halving };

// Receives the progress bar's position (steps counted so far, div 10) each time it changes.
using ProgressReport = std::function<void(int position)>;

// The progress bar's maximum for a picture `width` pixels wide (16 gives 1, 128 gives 13, 256
// gives 27, 1024 gives 112).
int progressEstimate(int width);

// The sizes of the levels a run appends for a source of `size`, in order: each the halving of
// the one before, a side held at 1 the first time one reaches 0, and the run over right after
// the first 1 x 1 level (5 x 2 gives 5x2, 2x1, 1x1; 3 x 3 gives 3x3, 1x1). One size when
// allSizes is off, none when a side is 0.
std::vector<QSize> chainSizes(QSize size, bool allSizes);

// Raises Error, with the limit and what the picture or texture has, when a run for a source of
// `size` after `presentLevels` levels would make a level wider or higher than 1024 pixels or take
// the texture past 16 levels.
void checkChainLimits(int presentLevels, QSize size, bool allSizes);

// "1 level", "2 levels": counts of levels in messages.
QString levelsText(int count);

// The choices a run can make beyond the rule of point sampling with one constant alpha.
struct ChainOptions {
    Resampling resampling = Resampling::Point;
    // Pictures with an alpha channel give every level its alpha from the picture, halved like
    // the colour, and their level images hold each pixel blended over the background grey by its
    // own alpha (so that a save stores the picture's colour); pictures without one use the
    // run's constant as always.
    bool keepPictureAlpha = false;
    // 1..255: every level after the first has its alpha scaled so that its share of pixels at
    // or above this value is as near as a scale can make it to the first level's share. 0: off.
    int alphaCoverage = 0;
};

// makemipmaps: appends the chain of `source` after the document's last level, each level with
// its table entry, its list entry "WxH", its colour and the constant `alpha` (0..255) in its
// alpha plane, or what `chain` asks for instead. An alpha or coverage reference outside 0..255
// raises std::invalid_argument. The limits are checked first, so a refused run changes nothing;
// a run that fails later keeps the levels made so far, each whole. The current level is left to
// the caller. Returns the first new level's number, or 0 when the source has no pixels.
int makemipmaps(TextureDocument& document, const QImage& source, int alpha, bool allSizes, CountedPass counted,
                const ProgressReport& progress = {}, const ChainOptions& chain = {});

// Edit > Rebuild smaller levels: every level after `from` made again from level `from` by the
// chain `chain` asks for, the level count and sizes kept. With the picture's alpha, the chain
// starts from the level's stored colour and alpha and gives every smaller level its alpha;
// without, it starts from the level image and every smaller level keeps its own alpha plane, so
// a texture made by the point chain with one constant alpha rebuilds to itself. A level that is
// not present, or smaller levels that are not the chain's halvings of it (chainSizes), raise
// Error. Every level is made before any changes, so a failure leaves the texture as it was.
// Returns the number of levels rebuilt.
int rebuildSmallerLevels(TextureDocument& document, int from, const ChainOptions& chain = {});
// The checks rebuildSmallerLevels makes before it changes anything, with the same errors.
void checkRebuild(const TextureDocument& document, int from);

// Level `level`'s pixels as the file stores them: each pixel's stored (not blended) colour and
// its alpha, Format_ARGB32 (straight alpha), at the level's size.
QImage storedPixels(const TextureDocument& document, int level);

} // namespace quorvel
