#include "document/SettingsFile.h"

#include "base/SaveFile.h"

#include <QFile>

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
        if (c == '\r') {
            lines[line++] = QString::fromLocal8Bit(current);
            current.clear();
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            current.append(c);
        }
    }
    // A last line without its CR still counts.
    if (line < kLineCount) lines[line] = QString::fromLocal8Bit(current);

    Settings s;
    s.openDirectory = lines[1];
    s.importDirectory = lines[3];
    for (int i = 0; i < kRecentFileCount; ++i) s.recentFiles[i] = lines[5 + 2 * i];
    return s;
}

QByteArray settingsBytes(const Settings& settings)
{
    QByteArray bytes;
    const auto line = [&bytes](const QString& text) { bytes += text.toLocal8Bit() + "\r\n"; };
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
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        if (file.error() == QFileDevice::NoError) return parseSettings(bytes);
    }
    writeSettingsFile(path, Settings());
    return std::nullopt;
}

void writeSettingsFile(const QString& path, const Settings& settings)
{
    const QByteArray bytes = settingsBytes(settings);
    saveWhole(path, SaveMessages::Runtime, [&bytes](QIODevice& file) { writeAll(file, bytes); });
}

} // namespace quorvel
