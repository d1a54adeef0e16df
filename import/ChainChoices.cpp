#include "import/ChainChoices.h"

#include "base/SettingsStore.h"

#include <QDir>
#include <QFileInfo>

namespace quorvel {

namespace {

const char* const kResamplingNames[] = {"point", "box", "linear"};

} // namespace

ChainOptions ChainChoices::options() const
{
    return {resampling, keepPictureAlpha, keepPictureAlpha && holdCoverage ? coverageReference : 0};
}

QString chainChoicesPath(const QString& settingsFilePath)
{
    return QFileInfo(settingsFilePath).dir().filePath(QStringLiteral("QUORVEL-CHAINS.INI"));
}

ChainChoices readChainChoices(const QString& path, const QString& group)
{
    ChainChoices choices;
    const std::unique_ptr<QSettings> store = openSettingsStore(path);
    if (store == nullptr) return choices;
    QSettings& settings = *store;
    settings.beginGroup(group);
    const QString resampling = settings.value(QStringLiteral("Resampling")).toString();
    for (int i = 0; i < 3; ++i)
        if (resampling == QLatin1String(kResamplingNames[i])) choices.resampling = Resampling(i);
    const auto flag = [&](const char* key, bool fallback) {
        const QString text = settings.value(QLatin1String(key)).toString();
        return text == u"true" ? true : text == u"false" ? false : fallback;
    };
    choices.keepPictureAlpha = flag("KeepPictureAlpha", choices.keepPictureAlpha);
    choices.holdCoverage = flag("HoldCoverage", choices.holdCoverage);
    bool ok = false;
    const int reference = settings.value(QStringLiteral("CoverageReference")).toString().toInt(&ok);
    if (ok && reference >= 1 && reference <= 255) choices.coverageReference = reference;
    return choices;
}

void writeChainChoices(const QString& path, const QString& group, const ChainChoices& choices)
{
    if (!settingsStoreWritable(path)) return;
    const std::unique_ptr<QSettings> store = openSettingsStore(path);
    if (store == nullptr) return;
    QSettings& settings = *store;
    settings.beginGroup(group);
    settings.setValue(QStringLiteral("Resampling"), QLatin1String(kResamplingNames[int(choices.resampling)]));
    settings.setValue(QStringLiteral("KeepPictureAlpha"), choices.keepPictureAlpha);
    settings.setValue(QStringLiteral("HoldCoverage"), choices.holdCoverage);
    settings.setValue(QStringLiteral("CoverageReference"), choices.coverageReference);
    settings.endGroup();
    settings.sync();
    settingsStoreWritten(settings);
}

} // namespace quorvel
