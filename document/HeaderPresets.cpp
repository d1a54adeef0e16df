#include "document/HeaderPresets.h"

#include "base/Error.h"

#include <QSettings>

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
} // namespace

QSettings* openPresetSettings()
{
    return new QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quorvel"), QStringLiteral("HeaderPresets"));
}

HeaderPresets::HeaderPresets(QSettings& settings) : settings_(settings)
{
    const int count = settings_.beginReadArray(QLatin1String(kArray));
    for (int i = 0; i < count; ++i) {
        settings_.setArrayIndex(i);
        Preset p;
        p.name = settings_.value(QStringLiteral("name")).toString();
        if (p.name.isEmpty()) continue;
        const HeaderTexts defaults;
        for (std::size_t f = 0; f < kPresetFields.size(); ++f)
            p.numbers[f] = settings_.value(QLatin1String(kPresetFields[f].key), defaults.*kPresetFields[f].text).toString();
        presets_.push_back(p);
    }
    settings_.endArray();
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
    const auto found = std::find_if(presets_.begin(), presets_.end(), [&](const Preset& q) { return q.name == name; });
    if (found != presets_.end())
        *found = p;
    else
        presets_.push_back(p);
    write();
}

std::optional<HeaderTexts> HeaderPresets::applied(const QString& name, HeaderTexts texts) const
{
    const auto found = std::find_if(presets_.begin(), presets_.end(), [&](const Preset& q) { return q.name == name; });
    if (found == presets_.end()) return std::nullopt;
    for (std::size_t f = 0; f < kPresetFields.size(); ++f) texts.*kPresetFields[f].text = found->numbers[f];
    return texts;
}

void HeaderPresets::write()
{
    settings_.remove(QLatin1String(kArray));
    settings_.beginWriteArray(QLatin1String(kArray), int(presets_.size()));
    for (std::size_t i = 0; i < presets_.size(); ++i) {
        settings_.setArrayIndex(int(i));
        settings_.setValue(QStringLiteral("name"), presets_[i].name);
        for (std::size_t f = 0; f < kPresetFields.size(); ++f)
            settings_.setValue(QLatin1String(kPresetFields[f].key), presets_[i].numbers[f]);
    }
    settings_.endArray();
    settings_.sync();
    if (settings_.status() != QSettings::NoError)
        throw Error(QStringLiteral("The presets could not be written to %1").arg(settings_.fileName()));
}

} // namespace quorvel
