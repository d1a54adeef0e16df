#include "document/HeaderPresets.h"

#include "base/Error.h"
#include "base/SettingsStore.h"
#include "document/HeaderFields.h"

#include <QSettings>
#include <QStandardPaths>

#include <algorithm>

namespace quorvel {

namespace {
// Kept as an array, so that a name may hold any character, "/" included.
constexpr auto kArray = "header_presets";

// A preset's name is one of the header's 32-byte names at most four times over; its values are
// the properties window's number texts.
template <class P> bool withinLimits(const P& preset)
{
    if (preset.name.size() > kMaxPresetNameLength) return false;
    return std::all_of(std::begin(kHeaderFields), std::end(kHeaderFields), [&](const HeaderField& f) {
        return !f.preset || (preset.texts.*f.text).size() <= kMaxPresetValueLength;
    });
}
} // namespace

QString presetsFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Quorvel/HeaderPresets.ini");
}

HeaderPresets::HeaderPresets(const QString& path) : path_(path)
{
    const std::unique_ptr<QSettings> settings = openSettingsStore(path_);
    if (settings == nullptr) return;
    const auto stored = [&settings] {
        StoredEntry entry;
        for (const QString& key : settings->childKeys()) entry.emplace_back(key, settings->value(key));
        return entry;
    };
    // The count is the file's word: only the first presets are looked at. The entries after
    // them are kept as they stand while they are there (the store's size bounds them).
    const int count = settings->beginReadArray(QLatin1String(kArray));
    bool ignored = count > kMaxPresets;
    for (int i = 0; i < std::min(count, kMaxPresets); ++i) {
        settings->setArrayIndex(i);
        Preset p;
        p.name = settings->value(QStringLiteral("name")).toString();
        if (p.name.isEmpty()) continue;
        // A key the store lacks keeps its default text.
        for (const HeaderField& f : kHeaderFields)
            if (f.preset) p.texts.*f.text = settings->value(QLatin1String(f.key), p.texts.*f.text).toString();
        if (!withinLimits(p)) {
            ignored = true;
            ignored_.push_back(stored());
            continue;
        }
        presets_.push_back(p);
    }
    for (int i = kMaxPresets; i < count; ++i) {
        settings->setArrayIndex(i);
        StoredEntry entry = stored();
        if (entry.empty()) break;
        ignored_.push_back(std::move(entry));
    }
    settings->endArray();
    if (ignored)
        reportStoreProblem(path_, QStringLiteral("presets past the first %1, names over %2 characters and values "
                                                 "over %3 characters are ignored")
                                      .arg(kMaxPresets)
                                      .arg(kMaxPresetNameLength)
                                      .arg(kMaxPresetValueLength));
}

QStringList HeaderPresets::names() const
{
    QStringList names;
    for (const Preset& p : presets_) names << p.name;
    return names;
}

void HeaderPresets::save(const QString& name, const HeaderTexts& texts)
{
    const Preset p{name, texts};
    // Refused rather than kept in a form the next start would ignore.
    if (!withinLimits(p))
        throw Error(QStringLiteral("A preset has a name of at most %1 characters and numbers of at most %2")
                        .arg(kMaxPresetNameLength)
                        .arg(kMaxPresetValueLength));
    const auto found = std::find_if(presets_.begin(), presets_.end(), [&](const Preset& q) { return q.name == name; });
    if (found != presets_.end()) {
        *found = p;
    } else {
        if (int(presets_.size()) >= kMaxPresets) throw Error(QStringLiteral("At most %1 presets are kept").arg(kMaxPresets));
        presets_.push_back(p);
    }
    write();
}

std::optional<HeaderTexts> HeaderPresets::applied(const QString& name, HeaderTexts texts) const
{
    const auto found = std::find_if(presets_.begin(), presets_.end(), [&](const Preset& q) { return q.name == name; });
    if (found == presets_.end()) return std::nullopt;
    for (const HeaderField& f : kHeaderFields)
        if (f.preset) texts.*f.text = found->texts.*f.text;
    return texts;
}

void HeaderPresets::write() const
{
    if (!settingsStoreWritable(path_)) return;
    const std::unique_ptr<QSettings> settings = openSettingsStore(path_);
    if (settings == nullptr) return;
    settings->remove(QLatin1String(kArray));
    settings->beginWriteArray(QLatin1String(kArray), int(presets_.size() + ignored_.size()));
    for (std::size_t i = 0; i < presets_.size(); ++i) {
        settings->setArrayIndex(int(i));
        settings->setValue(QStringLiteral("name"), presets_[i].name);
        for (const HeaderField& f : kHeaderFields)
            if (f.preset) settings->setValue(QLatin1String(f.key), presets_[i].texts.*f.text);
    }
    for (std::size_t i = 0; i < ignored_.size(); ++i) {
        settings->setArrayIndex(int(presets_.size() + i));
        for (const auto& [key, value] : ignored_[i]) settings->setValue(key, value);
    }
    settings->endArray();
    settings->sync();
    settingsStoreWritten(*settings);
}

} // namespace quorvel
