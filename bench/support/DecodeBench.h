// What the decoders' benchmarks share: a scratch folder (in /dev/shm when it exists, so the disk
// does not time itself), files written into it once per program, and the decode of a file
// through its stream loader as import and quorvel-cli decode read it.
#pragma once

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace quorvel::bench {

inline QString scratchRoot()
{
    return QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
}

// Writes `bytes` once into a folder that lasts as long as the program and returns its path.
inline QString writeBenchFile(const QString& name, const QByteArray& bytes)
{
    static QTemporaryDir directory(scratchRoot() + "/quorvel-bench-XXXXXX");
    const QString path = QDir(directory.path()).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) qFatal("cannot write %s", qPrintable(path));
    return path;
}

// The file `name`, written from `make()` the first time it is asked for.
template <class Make>
QString benchFile(const QString& name, Make&& make)
{
    static QHash<QString, QString> written;
    if (!written.contains(name)) written.insert(name, writeBenchFile(name, make()));
    return written.value(name);
}

// Fresh: a new picture for every decode, as one import or one decode command makes it. Reused:
// one picture loaded again and again, as a batch goes from file to file.
enum class Into { Fresh, Reused };

// Decodes the file at `path` into a `Picture` through its stream loader, each time opening the
// file; `pixels` gives the decoded picture's first byte.
template <class Picture, class Pixels>
void decodeFile(benchmark::State& state, const QString& path, Into into, Pixels pixels)
{
    Picture reused;
    for (auto _ : state) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            state.SkipWithError("cannot open the file");
            break;
        }
        if (into == Into::Reused) {
            reused.loadFromStream(file);
            benchmark::DoNotOptimize(pixels(reused));
        } else {
            Picture picture;
            picture.loadFromStream(file);
            benchmark::DoNotOptimize(pixels(picture));
        }
    }
    state.counters["file_bytes"] = double(QFile(path).size());
}

template <class Picture>
void decodeFile(benchmark::State& state, const QString& path, Into into)
{
    decodeFile<Picture>(state, path, into, [](const Picture& p) { return p.image().constBits(); });
}

} // namespace quorvel::bench
