#include "import/BatchConversion.h"

#include "base/Error.h"
#include "base/SameFile.h"
#include "document/NumberText.h"
#include "document/TextureDocument.h"
#include "graphics/Graphic.h"
#include "graphics/PictureRegistry.h"
#include "import/ImportedPicture.h"

#include <QDir>
#include <QHash>
#include <QFileInfo>

#include <algorithm>

namespace quorvel {

int conversionProgressMaximum()
{
    // The width of the import dialog's preview area, not of the picture.
    return progressEstimate(128);
}

namespace {

// A box's whole number as Save reads its number fields: blanks around it allowed, an empty box 0.
std::optional<std::int32_t> boxNumber(const QString& text)
{
    if (text.trimmed().isEmpty()) return 0;
    return wholeNumberOf(text);
}

} // namespace

int conversionAlpha(const QString& alphaText)
{
    const std::optional<std::int32_t> value = boxNumber(alphaText);
    if (!value || *value < 0 || *value > 255)
        throw Error(QStringLiteral("The Alpha value must be a whole number from 0 to 255, not \"%1\"").arg(alphaText));
    return *value;
}

void checkConversionFlags(const QString& flagText)
{
    if (!boxNumber(flagText))
        throw Error(QStringLiteral("The Flag value must be a whole number from -2147483648 to 2147483647, not \"%1\"")
                        .arg(flagText));
}

ConversionOptions conversionOptions(bool allSizes, const QString& flagText, const QString& alphaText,
                                    const QString& outputDirectory)
{
    checkConversionFlags(flagText);
    return {allSizes, flagText, conversionAlpha(alphaText), outputDirectory};
}

QString convertedFileName(const QString& sourcePath)
{
    const QString name = QFileInfo(sourcePath).fileName();
    // Every kind of three letters loses exactly its extension by the old rule; a longer
    // extension of a kind the program reads (.jpeg, .webp, .tiff) is replaced whole, so that
    // x.jpeg gives x.m32 rather than x.jm32.
    const QString extension = pictureExtension(name);
    if (extension.size() > 3 && name.size() > extension.size() && findPictureKind(extension))
        return name.left(name.size() - extension.size()) + QStringLiteral("m32");
    return name.left(std::max<qsizetype>(0, name.size() - 3)) + QStringLiteral("m32");
}

QString convertedPath(const QString& sourcePath, const QString& outputDirectory)
{
    const QString name = convertedFileName(sourcePath);
    return outputDirectory.isEmpty() ? name : QDir(outputDirectory).filePath(name);
}

std::vector<OutputClash> outputClashes(const QStringList& sourcePaths)
{
    // The distinct files writing each output name, each by its first path in the list.
    struct Writer {
        QString file, path;
    };
    const auto fileOf = [](const QString& path) {
        const QFileInfo info(path);
        const QString canonical = info.canonicalFilePath();
        return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
    };
    QHash<QString, std::vector<Writer>> writers;
    QStringList files;
    for (const QString& path : sourcePaths) {
        files.append(fileOf(path));
        std::vector<Writer>& of = writers[convertedFileName(path)];
        if (std::none_of(of.begin(), of.end(), [&](const Writer& w) { return w.file == files.constLast(); }))
            of.push_back({files.constLast(), path});
    }
    std::vector<OutputClash> clashes;
    for (qsizetype i = 0; i < sourcePaths.size(); ++i) {
        const std::vector<Writer>& of = writers[convertedFileName(sourcePaths[i])];
        if (of.size() < 2) continue;
        QStringList others;
        for (const Writer& w : of)
            if (w.file != files[i]) others.append(w.path);
        clashes.push_back({i, QStringLiteral("also written by %1").arg(others.join(QStringLiteral(", ")))});
    }
    return clashes;
}

QStringList outputClashLines(const QStringList& sourcePaths)
{
    QStringList lines;
    for (const OutputClash& clash : outputClashes(sourcePaths))
        lines.append(sourcePaths[clash.index] + QStringLiteral(": ") + clash.message);
    return lines;
}

QString convertt(TextureDocument& document, const QString& sourcePath, const ConversionOptions& options,
                 const ProgressReport& progress)
{
    const QString output = convertedPath(sourcePath, options.outputDirectory);
    refuseOutputOverInputs(output, {sourcePath});
    const QImage picture = importedImage(sourcePath, *loadLevelPicture(sourcePath), options.chain.keepPictureAlpha);
    checkChainLimits(0, picture.size(), options.allSizes);
    // Not plain New: the sizes of an earlier file's absent levels and the reserved bytes of a
    // texture opened before would otherwise go into this file's header.
    document.newBlankDocument();
    makemipmaps(document, picture, options.alpha, options.allSizes, CountedPass::Copy, progress, options.chain);
    if (document.levelCount() > 0) document.setCurrentLevel(1);
    HeaderTexts texts = document.texts();
    texts.flags = options.flags;
    document.setTexts(texts);
    document.save(output);
    return output;
}

} // namespace quorvel
