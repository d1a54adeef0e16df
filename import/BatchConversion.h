// Batch conversion: image files become m32 textures of the same base name in one directory,
// each through a fresh document, the import's loader and the level chain builder. The wizard
// (TForm11) runs convertt for each file of its list in order and stops at the first failure;
// quorvel-cli convert runs it for many files at once, one document per worker.
#pragma once

#include "import/MipmapChain.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace quorvel {

class TextureDocument;

struct ConversionOptions {
    bool allSizes = true;                   // "Create m32 and mipmaps for every image"
    QString flags = QStringLiteral("2048"); // the Flag box's text, written as the header's flags
    int alpha = 255;                        // the Alpha box: the alpha of every pixel
    QString outputDirectory;                // empty: the current directory
    ChainOptions chain{};                   // resampling, the picture's alpha, alpha coverage
};

// The wizard's per-file progress bar maximum: the estimate of 128, whatever the picture's size.
int conversionProgressMaximum();

// The Alpha box's value, a whole number from 0 to 255 (an empty box is 0); anything else raises
// Error.
int conversionAlpha(const QString& alphaText);
// Raises Error unless the Flag box holds a whole number of the signed 32-bit range (an empty box
// is 0).
void checkConversionFlags(const QString& flagText);
// The options Finish starts a run with, both boxes checked (Error) before any file is touched.
ConversionOptions conversionOptions(bool allSizes, const QString& flagText, const QString& alphaText,
                                    const QString& outputDirectory);

// The output's file name: the source's file name without its last three characters, then
// "m32" (ROCK.TGA gives ROCK.m32; the dot comes from the source name). A readable kind's longer
// extension is replaced whole (photo.jpeg gives photo.m32).
QString convertedFileName(const QString& sourcePath);
// The output directory joined with convertedFileName.
QString convertedPath(const QString& sourcePath, const QString& outputDirectory);

// Inputs of one run that would write the same output file: for each, in list order, its index
// and the message naming the others ("also written by rock.bmp"). One file listed twice is no
// clash, as it writes the same output each time.
struct OutputClash {
    qsizetype index;
    QString message;
};
std::vector<OutputClash> outputClashes(const QStringList& sourcePaths);
// The clashes as lines "rock.tga: also written by rock.bmp".
QStringList outputClashLines(const QStringList& sourcePaths);

// convertt for one file: refuses an output that is the source itself (through a link or another
// name), loads the picture (readers' errors pass through; a picture without pixels or over the limits is refused,
// by its header's size where its kind tells it, before the document changes), runs New as at program start (the header
// carries nothing from earlier documents, so an output depends only on its input and the
// options), appends its chain with the options' alpha and chain choices (the copy pass counted;
// the picture is read with its alpha when the chain keeps it), makes level 1 current, puts the
// flags text into the working texts and saves to convertedPath, replacing any file there only
// once the new one is complete. Returns the output path; the document is then named after it.
QString convertt(TextureDocument& document, const QString& sourcePath, const ConversionOptions& options,
                 const ProgressReport& progress = {});

} // namespace quorvel
