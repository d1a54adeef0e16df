// File > Import's work once the picture is chosen and OK is pressed: the picture (as
// loadImportedImage gives it, with its alpha when the chain choices keep the picture's alpha)
// becomes a level of the texture, with all its halvings when asked, either in a fresh texture or
// after the open one's last level. The import dialog and its progress window call this; the
// progress bar's maximum is importProgressMaximum.
#pragma once

#include "import/MipmapChain.h"

#include <QImage>

namespace quorvel {

class TextureDocument;

struct ImportOptions {
    bool allSizes = true; // "Automatically create all sizes"
    bool insert = false;  // "Insert image into current file"
    ChainOptions chain{}; // "Resampling", "Use the picture's alpha", "Keep alpha-test coverage at"
};

// The progress bar's maximum for importing `picture`: the estimate of its width.
int importProgressMaximum(const QImage& picture);

// Raises Error, before anything changes, for a picture without pixels (as checkPictureHasPixels)
// or one over the limits with the texture it would go into (as checkChainLimits).
void checkImport(const TextureDocument& document, const QImage& picture, const ImportOptions& options);

// Checks as checkImport (Error with what the picture or texture has), then runs New
// unless inserting, appends the chain with alpha 255 and the options' chain choices (the halving
// pass counted) and makes the
// first new level current. A refused import leaves the document as it was; a failure while the
// levels are made keeps the levels made so far. Returns the first new level.
int importIntoDocument(TextureDocument& document, const QImage& picture, const ImportOptions& options,
                       const ProgressReport& progress = {});

} // namespace quorvel
