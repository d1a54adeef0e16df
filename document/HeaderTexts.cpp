#include "document/HeaderTexts.h"

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

} // namespace quorvel
