// convert [--no-mipmaps] [--flags TEXT] [--alpha N] [--filter point|box|linear] [--keep-alpha]
// [--alpha-coverage N] [--output DIR] [--jobs N] IMAGE...: what the batch wizard writes for each
// IMAGE, DIR/(its file name without its last three characters)m32, but going on past files that
// fail; the chain options default to the wizard's chain. Files run in parallel, one document per worker. Inputs that
// end in the same output name are converted in their list order by one worker, so the file left
// is the one a run one at a time leaves. Different files that would write one output are all
// failures, reported before anything is converted, and none of them is written.
#include "cli/Commands.h"
#include "cli/ProgressLine.h"
#include "base/Error.h"
#include "base/FileNames.h"
#include "base/SameFile.h"
#include "document/NumberText.h"
#include "document/TextureDocument.h"
#include "import/BatchConversion.h"

#include <QFileInfo>
#include <QHash>
#include <QThread>

#include <atomic>
#include <cstdio>
#include <system_error>
#include <thread>
#include <vector>

namespace quorvel::cli {

namespace {

[[noreturn]] void usage(const QString& problem)
{
    throw usageError("convert", problem);
}

struct Request {
    ConversionOptions options;
    int jobs = std::max(1, QThread::idealThreadCount());
    QStringList images;
};

Request parse(const QStringList& args)
{
    Request request;
    QString alphaText = QStringLiteral("255");
    bool optionsEnd = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (optionsEnd || !arg.startsWith(u'-') || arg == u"-") {
            request.images << arg;
            continue;
        }
        const auto value = [&]() -> QString {
            if (i + 1 >= args.size()) usage(arg + QStringLiteral(" needs a value"));
            return args[++i];
        };
        if (arg == u"--") optionsEnd = true;
        else if (arg == u"--no-mipmaps") request.options.allSizes = false;
        else if (arg == u"--flags") request.options.flags = value();
        else if (arg == u"--alpha") alphaText = value();
        else if (arg == u"--output") request.options.outputDirectory = value();
        else if (chainOption(arg, value, request.options.chain, usage)) continue;
        else if (arg == u"--jobs") {
            const QString text = value();
            const std::optional<std::int32_t> jobs = wholeNumberOf(text);
            if (!jobs || *jobs < 1) usage(QStringLiteral("--jobs must be a whole number of at least 1, not \"%1\"").arg(text));
            request.jobs = *jobs;
        } else {
            usage(QStringLiteral("unknown option %1").arg(arg));
        }
    }
    // The boxes' rules, checked before any file is touched.
    try {
        request.options.alpha = conversionAlpha(alphaText);
    } catch (const Error&) {
        usage(QStringLiteral("--alpha must be a whole number from 0 to 255, not \"%1\"").arg(alphaText));
    }
    try {
        checkConversionFlags(request.options.flags);
    } catch (const Error&) {
        usage(QStringLiteral("--flags must be a whole number from -2147483648 to 2147483647, not \"%1\"")
                  .arg(request.options.flags));
    }
    checkChainOptions(request.options.chain, usage);
    if (request.images.isEmpty()) usage(QStringLiteral("no IMAGE given"));
    // A directory that is not there is one mistake, told once, not once for each file.
    const QString& directory = request.options.outputDirectory;
    if (!directory.isEmpty() && !QFileInfo(directory).isDir())
        usage(QStringLiteral("--output %1 is not a directory").arg(directory));
    return request;
}

} // namespace

bool chainOption(const QString& arg, const std::function<QString()>& value, ChainOptions& chain,
                 const std::function<void(const QString&)>& usage)
{
    if (arg == u"--keep-alpha") {
        chain.keepPictureAlpha = true;
    } else if (arg == u"--filter") {
        const QString text = value();
        if (text == u"point") chain.resampling = Resampling::Point;
        else if (text == u"box") chain.resampling = Resampling::Box;
        else if (text == u"linear") chain.resampling = Resampling::Linear;
        else usage(QStringLiteral("--filter must be point, box or linear, not \"%1\"").arg(text));
    } else if (arg == u"--alpha-coverage") {
        const QString text = value();
        const std::optional<std::int32_t> reference = wholeNumberOf(text);
        if (!reference || *reference < 1 || *reference > 255)
            usage(QStringLiteral("--alpha-coverage must be a whole number from 1 to 255, not \"%1\"").arg(text));
        chain.alphaCoverage = *reference;
    } else {
        return false;
    }
    return true;
}

void checkChainOptions(const ChainOptions& chain, const std::function<void(const QString&)>& usage)
{
    // Without the picture's alpha every pixel has the one alpha, and there is no coverage to hold.
    if (chain.alphaCoverage > 0 && !chain.keepPictureAlpha) usage(QStringLiteral("--alpha-coverage needs --keep-alpha"));
}

int convert(const QStringList& args)
{
    const Request request = parse(args);

    // Two files writing one output would leave only the later one: neither is converted.
    const std::vector<OutputClash> clashes = outputClashes(request.images);
    std::vector<bool> clashing(std::size_t(request.images.size()), false);
    for (const OutputClash& clash : clashes) clashing[std::size_t(clash.index)] = true;

    // Inputs grouped by the file they write, each group in list order.
    std::vector<std::vector<qsizetype>> groups;
    QHash<QString, std::size_t> groupOf;
    for (qsizetype i = 0; i < request.images.size(); ++i) {
        if (clashing[std::size_t(i)]) continue;
        const QString output = convertedFileName(request.images[i]);
        const auto found = groupOf.constFind(output);
        if (found != groupOf.constEnd()) {
            groups[*found].push_back(i);
        } else {
            groupOf.insert(output, groups.size());
            groups.push_back({i});
        }
    }

    // No output may land on any input of the run, also through another name or a link.
    const InputFiles inputs(request.images);
    std::atomic<std::size_t> nextGroup{0};
    std::atomic<int> converted{0}, failed{int(clashes.size())};
    {
        ProgressLine progress("converting", int(request.images.size()));
        for (const OutputClash& clash : clashes) {
            progress.printLine(request.images[clash.index] + QStringLiteral(": ") + clash.message);
            progress.advance();
        }
        const auto work = [&] {
            TextureDocument document;
            for (std::size_t g; (g = nextGroup.fetch_add(1)) < groups.size();) {
                for (const qsizetype i : groups[g]) {
                    const QString& path = request.images[i];
                    try {
                        inputs.refuseAsOutput(convertedPath(path, request.options.outputDirectory));
                        convertt(document, path, request.options);
                        ++converted;
                    } catch (const std::exception& e) {
                        ++failed;
                        progress.printLine(fileFailure(path, QString::fromUtf8(e.what())));
                    }
                    progress.advance();
                }
            }
        };
        const std::size_t workers = std::min<std::size_t>(std::size_t(request.jobs), groups.size());
        std::vector<std::thread> threads;
        try {
            for (std::size_t w = 1; w < workers; ++w) threads.emplace_back(work);
        } catch (const std::system_error&) {
            // The system gives no more threads: the workers there are (this thread at least)
            // share all the files.
            progress.printLine(QStringLiteral("quorvel-cli convert: could start only %1 of %2 workers")
                                   .arg(threads.size() + 1)
                                   .arg(workers));
        }
        work();
        for (std::thread& t : threads) t.join();
    }
    std::printf("%d converted, %d failed\n", converted.load(), failed.load());
    return failed > 0 ? 1 : 0;
}

} // namespace quorvel::cli
