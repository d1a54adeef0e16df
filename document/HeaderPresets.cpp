#include "document/HeaderPresets.h"

#include "base/Error.h"
#include "document/HeaderFields.h"

#include <QSettings>

#include <algorithm>

namespace quorvel {

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
        // A key the store lacks keeps its default text.
        for (const HeaderField& f : kHeaderFields)
            if (f.preset) p.texts.*f.text = settings_.value(QLatin1String(f.key), p.texts.*f.text).toString();
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
    const Preset p{name, texts};
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
    for (const HeaderField& f : kHeaderFields)
        if (f.preset) texts.*f.text = found->texts.*f.text;
    return texts;
}

void HeaderPresets::write()
{
    settings_.remove(QLatin1String(kArray));
    settings_.beginWriteArray(QLatin1String(kArray), int(presets_.size()));
    for (std::size_t i = 0; i < presets_.size(); ++i) {
        settings_.setArrayIndex(int(i));
        settings_.setValue(QStringLiteral("name"), presets_[i].name);
        for (const HeaderField& f : kHeaderFields)
            if (f.preset) settings_.setValue(QLatin1String(f.key), presets_[i].texts.*f.text);
    }
    settings_.endArray();
    settings_.sync();
    if (settings_.status() != QSettings::NoError)
        throw Error(QStringLiteral("The presets could not be written to %1").arg(settings_.fileName()));
}

} // namespace quorvel
