#include "document/SettingsFile.h"

#include "base/FileNames.h"
#include "base/SettingsStore.h"

namespace quorvel {

namespace {

constexpr int kLineCount = 14;
constexpr char kEndOfFile = 26;

} // namespace

void putAtHead(std::array<QString, kRecentFileCount>& recentFiles, const QString& path)
{
    for (int i = kRecentFileCount - 1; i > 0; --i) recentFiles[i] = recentFiles[i - 1];
    recentFiles[0] = path;
}

Settings parseSettings(const QByteArray& bytes)
{
    std::array<QString, kLineCount> lines;
    int line = 0;
    QByteArray current;
    for (qsizetype i = 0; i < bytes.size() && line < kLineCount; ++i) {
        const char c = bytes[i];
        if (c == kEndOfFile) break;
        if (c == '\r' || c == '\n') {
            lines[line++] = pathFromBytes(current);
            current.clear();
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            current.append(c);
        }
    }
    // A last line without its CR still counts.
    if (line < kLineCount) lines[line] = pathFromBytes(current);

    Settings s;
    s.openDirectory = lines[1];
    s.importDirectory = lines[3];
    for (int i = 0; i < kRecentFileCount; ++i) s.recentFiles[i] = lines[5 + 2 * i];
    return s;
}

QByteArray settingsBytes(const Settings& settings)
{
    QByteArray bytes;
    // A path holding a line end (or the end-of-file byte) would split into lines and move every
    // value after it; it is written as an empty entry instead.
    const auto line = [&bytes](const QString& text) {
        const QByteArray own = pathBytes(text);
        if (!own.contains('\r') && !own.contains('\n') && !own.contains(kEndOfFile)) bytes += own;
        bytes += "\r\n";
    };
    line(QStringLiteral("OPENDIR"));
    line(settings.openDirectory);
    line(QStringLiteral("IMPORTDIR"));
    line(settings.importDirectory);
    for (int i = 0; i < kRecentFileCount; ++i) {
        line(QStringLiteral("FILE%1").arg(i + 1));
        line(settings.recentFiles[i]);
    }
    return bytes;
}

std::optional<Settings> readSettingsFile(const QString& path)
{
    if (const std::optional<QByteArray> bytes = readStore(path)) return parseSettings(*bytes);
    writeSettingsFile(path, Settings());
    return std::nullopt;
}

bool writeSettingsFile(const QString& path, const Settings& settings)
{
    return writeStore(path, settingsBytes(settings));
}

} // namespace quorvel
