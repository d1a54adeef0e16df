// The twenty header fields a user edits, one row each: the properties window's grid, its check
// before a save, the presets, the byte order of the file, `info`, `info --json` and `set-header`
// all go by this table, so that a field is described here and nowhere else. The version and the
// level table are not among them: the program keeps those itself.
#pragma once

#include "document/HeaderTexts.h"
#include "document/M32Format.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>

namespace quorvel {

enum class HeaderFieldKind {
    Name,    // 128 bytes of Windows-1252, up to the first NUL
    Whole,   // a signed 32-bit integer
    Decimal, // a single-precision real
};

// How an open shows a decimal: with two decimals, or in the 23-character scientific form.
enum class DecimalForm { TwoPlaces, Scientific };

struct HeaderField {
    const char* formName; // its edit field in the properties window ("Edit2" .. "Edit21")
    const char* label;    // the label beside or above that field
    // Messages name the field "LABEL (detail texture)": the detail group's labels that repeat the
    // surface group's, or say little on their own.
    bool labelNamesGroup;
    HeaderFieldKind kind;
    DecimalForm shown;  // for a decimal
    std::size_t offset; // its place in the 968-byte header
    std::size_t size;   // its bytes there
    QString HeaderTexts::*text;
    const char* key;    // under which `info`, its JSON form and the presets keep it
    const char* option; // set-header's option
    bool preset;        // whether a header preset keeps it
};

#define QUORVEL_HEADER_FIELD(form, label, namesGroup, member, kind, shown, option, preset)                            \
    HeaderField                                                                                                         \
    {                                                                                                                   \
        form, label, namesGroup, HeaderFieldKind::kind, DecimalForm::shown, offsetof(M32Header, member),               \
            sizeof(M32Header::member), &HeaderTexts::member, #member, option, preset                                    \
    }

// In the order of the properties window: its three groups top to bottom, each row by row.
inline constexpr HeaderField kHeaderFields[] = {
    QUORVEL_HEADER_FIELD("Edit2", "Name", false, name, Name, TwoPlaces, "--name", false),
    QUORVEL_HEADER_FIELD("Edit3", "Texture substitution", false, substitution_name, Name, TwoPlaces,
                         "--substitution-name", false),
    QUORVEL_HEADER_FIELD("Edit4", "Next frame in animationchain", false, next_frame_name, Name, TwoPlaces,
                         "--next-frame-name", false),
    QUORVEL_HEADER_FIELD("Edit5", "Image shown when damaged", false, damaged_name, Name, TwoPlaces, "--damaged-name",
                         false),
    QUORVEL_HEADER_FIELD("Edit6", "Flags", false, flags, Whole, TwoPlaces, "--flags", true),
    QUORVEL_HEADER_FIELD("Edit7", "Contents", false, contents, Whole, TwoPlaces, "--contents", true),
    QUORVEL_HEADER_FIELD("Edit8", "Value", false, value, Whole, TwoPlaces, "--value", true),
    QUORVEL_HEADER_FIELD("Edit11", "Mipscale", false, mip_scale, Whole, TwoPlaces, "--mip-scale", true),
    QUORVEL_HEADER_FIELD("Edit9", "ScaleX", false, scale_x, Decimal, TwoPlaces, "--scale-x", true),
    QUORVEL_HEADER_FIELD("Edit10", "ScaleY", false, scale_y, Decimal, TwoPlaces, "--scale-y", true),
    QUORVEL_HEADER_FIELD("Edit12", "Detail texture name", false, detail_name, Name, TwoPlaces, "--detail-name", false),
    QUORVEL_HEADER_FIELD("Edit13", "Src", true, detail_src, Whole, TwoPlaces, "--detail-src", true),
    QUORVEL_HEADER_FIELD("Edit14", "Dst", true, detail_dst, Whole, TwoPlaces, "--detail-dst", true),
    QUORVEL_HEADER_FIELD("Edit15", "Flags", true, detail_flags, Whole, TwoPlaces, "--detail-flags", true),
    QUORVEL_HEADER_FIELD("Edit16", "Damage health", false, damage_health, Decimal, TwoPlaces, "--damage-health", true),
    QUORVEL_HEADER_FIELD("Edit17", "dt_u", false, dt_u, Decimal, Scientific, "--dt-u", true),
    QUORVEL_HEADER_FIELD("Edit18", "dt_v", false, dt_v, Decimal, Scientific, "--dt-v", true),
    QUORVEL_HEADER_FIELD("Edit19", "dt_alpha", false, dt_alpha, Decimal, Scientific, "--dt-alpha", true),
    QUORVEL_HEADER_FIELD("Edit20", "ScaleX", true, detail_scale_x, Decimal, TwoPlaces, "--detail-scale-x", true),
    QUORVEL_HEADER_FIELD("Edit21", "ScaleY", true, detail_scale_y, Decimal, TwoPlaces, "--detail-scale-y", true),
};

#undef QUORVEL_HEADER_FIELD

static_assert(std::size(kHeaderFields) == 20);

// The field's name in messages: its label, with the group it belongs to when the label alone
// would not say which field is meant.
QString headerFieldMessageLabel(const HeaderField& field);

// A value read from, or stored in, a header at a field's place (offset), by the field's kind.
inline std::int32_t wholeAt(const M32Header& header, std::size_t offset)
{
    std::int32_t value;
    std::memcpy(&value, reinterpret_cast<const char*>(&header) + offset, sizeof value);
    return value;
}
inline float decimalAt(const M32Header& header, std::size_t offset)
{
    float value;
    std::memcpy(&value, reinterpret_cast<const char*>(&header) + offset, sizeof value);
    return value;
}
QString nameAt(const M32Header& header, std::size_t offset);

// The text an open shows for the field's value in `header`.
QString headerFieldText(const M32Header& header, const HeaderField& field);
// Reads `text` as every write reads the field's text (a name cut at 128 bytes, a number read as
// far as it goes) and stores it at the field's place in `header`.
void setHeaderField(M32Header& header, const HeaderField& field, const QString& text);

} // namespace quorvel
