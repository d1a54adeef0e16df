#include "document/HeaderPresets.h"

#include "base/Error.h"
#include "base/SettingsStore.h"

#include <QSettings>
#include <QStandardPaths>

#include <algorithm>

namespace quorvel {

const std::array<PresetField, 15> kPresetFields = {{
    {"flags", &HeaderTexts::flags},
    {"contents", &HeaderTexts::contents},
    {"value", &HeaderTexts::value},
    {"mip_scale", &HeaderTexts::mip_scale},
    {"scale_x", &HeaderTexts::scale_x},
    {"scale_y", &HeaderTexts::scale_y},
    {"detail_src", &HeaderTexts::detail_src},
    {"detail_dst", &HeaderTexts::detail_dst},
    {"detail_flags", &HeaderTexts::detail_flags},
    {"damage_health", &HeaderTexts::damage_health},
    {"dt_u", &HeaderTexts::dt_u},
    {"dt_v", &HeaderTexts::dt_v},
    {"dt_alpha", &HeaderTexts::dt_alpha},
    {"detail_scale_x", &HeaderTexts::detail_scale_x},
    {"detail_scale_y", &HeaderTexts::detail_scale_y},
}};

namespace {
// Kept as an array, so that a name may hold any character, "/" included.
constexpr auto kArray = "header_presets";

// A preset's name is one of the header's 32-byte names at most four times over; its values are
// the properties window's number texts.
bool withinLimits(const QString& name, const std::array<QString, 15>& numbers)
{
    if (name.size() > kMaxPresetNameLength) return false;
    return std::all_of(numbers.begin(), numbers.end(), [](const QString& n) { return n.size() <= kMaxPresetValueLength; });
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
    // The count is the file's word: only the first presets are looked at.
    const int count = settings->beginReadArray(QLatin1String(kArray));
    bool ignored = count > kMaxPresets;
    const HeaderTexts defaults;
    for (int i = 0; i < std::min(count, kMaxPresets); ++i) {
        settings->setArrayIndex(i);
        Preset p;
        p.name = settings->value(QStringLiteral("name")).toString();
        if (p.name.isEmpty()) continue;
        for (std::size_t f = 0; f < kPresetFields.size(); ++f)
            p.numbers[f] = settings->value(QLatin1String(kPresetFields[f].key), defaults.*kPresetFields[f].text).toString();
        if (!withinLimits(p.name, p.numbers)) {
            ignored = true;
            continue;
        }
        presets_.push_back(p);
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
    Preset p{name, {}};
    for (std::size_t f = 0; f < kPresetFields.size(); ++f) p.numbers[f] = texts.*kPresetFields[f].text;
    // Refused rather than kept in a form the next start would ignore.
    if (!withinLimits(p.name, p.numbers))
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
    for (std::size_t f = 0; f < kPresetFields.size(); ++f) texts.*kPresetFields[f].text = found->numbers[f];
    return texts;
}

void HeaderPresets::write() const
{
    if (!settingsStoreWritable(path_)) return;
    const std::unique_ptr<QSettings> settings = openSettingsStore(path_);
    if (settings == nullptr) return;
    settings->remove(QLatin1String(kArray));
    settings->beginWriteArray(QLatin1String(kArray), int(presets_.size()));
    for (std::size_t i = 0; i < presets_.size(); ++i) {
        settings->setArrayIndex(int(i));
        settings->setValue(QStringLiteral("name"), presets_[i].name);
        for (std::size_t f = 0; f < kPresetFields.size(); ++f)
            settings->setValue(QLatin1String(kPresetFields[f].key), presets_[i].numbers[f]);
    }
    settings->endArray();
    settings->sync();
    settingsStoreWritten(*settings);
}

} // namespace quorvel
