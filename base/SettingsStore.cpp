#include "base/SettingsStore.h"

#include "base/Error.h"
#include "base/FileErrors.h"
#include "base/FileNames.h"
#include "base/RegularFile.h"
#include "base/SaveFile.h"

#include <QFile>
#include <QMutex>
#include <QSet>

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

namespace quorvel {

namespace {

constexpr SizeLimit kStoreLimit{kMaxSettingsStoreSize, "a settings file"};

struct Reports {
    QMutex mutex;
    StoreProblemSink sink;
    QSet<QString> reported;
};

Reports& reports()
{
    static Reports r;
    return r;
}

// A message naming the store: the refusals of base/RegularFile.h name it already.
QString aboutStore(const QString& path, const QString& message)
{
    const QString shown = shownPath(path);
    return message.startsWith(shown + u' ') ? message : shown + QStringLiteral(": ") + message;
}

enum class Found { Missing, Regular, Other, Unknown };

Found whatIsAt(const QString& path)
{
    struct stat info;
    if (::stat(pathBytes(path).constData(), &info) != 0) return errno == ENOENT ? Found::Missing : Found::Unknown;
    return S_ISREG(info.st_mode) ? Found::Regular : Found::Other;
}

} // namespace

void setStoreProblemSink(StoreProblemSink sink)
{
    Reports& r = reports();
    const QMutexLocker lock(&r.mutex);
    r.sink = std::move(sink);
    r.reported.clear();
}

void reportStoreProblem(const QString& path, const QString& message)
{
    Reports& r = reports();
    StoreProblemSink sink;
    {
        const QMutexLocker lock(&r.mutex);
        if (r.reported.contains(path)) return;
        r.reported.insert(path);
        sink = r.sink;
    }
    const QString text = aboutStore(path, message);
    if (sink)
        sink(text);
    else
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

std::optional<QByteArray> readStore(const QString& path)
{
    if (whatIsAt(path) == Found::Missing) return std::nullopt;
    try {
        return readRegularFile(path, OpenMessages::Runtime, kStoreLimit);
    } catch (const Error& e) {
        reportStoreProblem(path, e.message());
        return std::nullopt;
    }
}

bool writeStore(const QString& path, const QByteArray& bytes)
{
    if (!settingsStoreWritable(path)) return false;
    try {
        saveWhole(path, SaveMessages::Runtime, [&bytes](QIODevice& file) { writeAll(file, bytes); });
        return true;
    } catch (const Error& e) {
        reportStoreProblem(path, e.message());
        return false;
    }
}

std::unique_ptr<QSettings> openSettingsStore(const QString& path)
{
    if (whatIsAt(path) != Found::Missing) {
        try {
            // Only looked at: QSettings reads it itself.
            QFile file;
            openRegularFile(file, path, OpenMessages::Runtime, kStoreLimit);
        } catch (const Error& e) {
            reportStoreProblem(path, e.message());
            return nullptr;
        }
    }
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

bool settingsStoreWritable(const QString& path)
{
    if (whatIsAt(path) != Found::Other) return true;
    reportStoreProblem(path, notRegularFileMessage(path));
    return false;
}

bool settingsStoreWritten(QSettings& settings)
{
    if (settings.status() == QSettings::NoError) return true;
    const QString path = settings.fileName();
    reportStoreProblem(path, settings.status() == QSettings::AccessError ? fileErrorMessage(EACCES, path)
                                                                         : QStringLiteral("I/O error %1").arg(EIO));
    return false;
}

} // namespace quorvel
