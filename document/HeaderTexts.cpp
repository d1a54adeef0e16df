#include "document/HeaderTexts.h"

#include "base/Error.h"
#include "document/NumberText.h"

namespace quorvel {

HeaderTexts HeaderTexts::fromHeader(const M32Header& h)
{
    HeaderTexts t;
    t.name = nameText(h.name);
    t.substitution_name = nameText(h.substitution_name);
    t.next_frame_name = nameText(h.next_frame_name);
    t.damaged_name = nameText(h.damaged_name);
    t.detail_name = nameText(h.detail_name);
    t.flags = QString::number(h.flags);
    t.contents = QString::number(h.contents);
    t.value = QString::number(h.value);
    t.mip_scale = QString::number(h.mip_scale);
    t.detail_src = QString::number(h.detail_src);
    t.detail_dst = QString::number(h.detail_dst);
    t.detail_flags = QString::number(h.detail_flags);
    t.scale_x = realTwoDecimals(h.scale_x);
    t.scale_y = realTwoDecimals(h.scale_y);
    t.damage_health = realTwoDecimals(h.damage_health);
    t.detail_scale_x = realTwoDecimals(h.detail_scale_x);
    t.detail_scale_y = realTwoDecimals(h.detail_scale_y);
    t.dt_u = realScientific(h.dt_u);
    t.dt_v = realScientific(h.dt_v);
    t.dt_alpha = realScientific(h.dt_alpha);
    return t;
}

void HeaderTexts::applyTo(M32Header& h) const
{
    setNameText(h.name, name);
    setNameText(h.substitution_name, substitution_name);
    setNameText(h.next_frame_name, next_frame_name);
    setNameText(h.damaged_name, damaged_name);
    setNameText(h.detail_name, detail_name);
    h.flags = readWholeNumber(flags);
    h.contents = readWholeNumber(contents);
    h.value = readWholeNumber(value);
    h.mip_scale = readWholeNumber(mip_scale);
    h.detail_src = readWholeNumber(detail_src);
    h.detail_dst = readWholeNumber(detail_dst);
    h.detail_flags = readWholeNumber(detail_flags);
    h.scale_x = readReal(scale_x);
    h.scale_y = readReal(scale_y);
    h.damage_health = readReal(damage_health);
    h.detail_scale_x = readReal(detail_scale_x);
    h.detail_scale_y = readReal(detail_scale_y);
    h.dt_u = readReal(dt_u);
    h.dt_v = readReal(dt_v);
    h.dt_alpha = readReal(dt_alpha);
}

void checkHeaderNumbers(const HeaderTexts& t)
{
    // In the order of the properties window; the detail group's labels repeat the surface
    // group's, so they say which group they belong to.
    struct Field {
        const char* label;
        const QString& text;
        bool whole;
    };
    const Field fields[] = {
        {"Flags", t.flags, true},
        {"Contents", t.contents, true},
        {"Value", t.value, true},
        {"Mipscale", t.mip_scale, true},
        {"ScaleX", t.scale_x, false},
        {"ScaleY", t.scale_y, false},
        {"Src (detail texture)", t.detail_src, true},
        {"Dst (detail texture)", t.detail_dst, true},
        {"Flags (detail texture)", t.detail_flags, true},
        {"Damage health", t.damage_health, false},
        {"dt_u", t.dt_u, false},
        {"dt_v", t.dt_v, false},
        {"dt_alpha", t.dt_alpha, false},
        {"ScaleX (detail texture)", t.detail_scale_x, false},
        {"ScaleY (detail texture)", t.detail_scale_y, false},
    };
    for (const Field& f : fields) {
        if (f.whole ? isWholeNumberText(f.text) : isRealText(f.text)) continue;
        throw Error(QStringLiteral("%1: \"%2\" is not %3. Nothing was saved.")
                        .arg(QString::fromLatin1(f.label), f.text,
                             f.whole ? QStringLiteral("a whole number from -2147483648 to 2147483647")
                                     : QStringLiteral("a number")));
    }
}

} // namespace quorvel
