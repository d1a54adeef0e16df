#include "import/Import.h"

#include "document/TextureDocument.h"
#include "import/ImportedPicture.h"

namespace quorvel {

int importProgressMaximum(const QImage& picture)
{
    return progressEstimate(picture.width());
}

void checkImport(const TextureDocument& document, const QImage& picture, const ImportOptions& options)
{
    checkPictureHasPixels(picture.size());
    checkChainLimits(options.insert ? document.levelCount() : 0, picture.size(), options.allSizes);
}

int importIntoDocument(TextureDocument& document, const QImage& picture, const ImportOptions& options,
                       const ProgressReport& progress)
{
    // Checked before New, so that a refused picture does not cost the open texture.
    checkImport(document, picture, options);
    if (!options.insert) document.newDocument();
    const int first = makemipmaps(document, picture, 255, options.allSizes, CountedPass::Halving, progress, options.chain);
    if (first > 0) document.setCurrentLevel(first);
    return first;
}

} // namespace quorvel
