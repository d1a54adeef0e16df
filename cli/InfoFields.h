// The header fields `quorvel-cli info` shows, in the order of the file, each under the key it has
// in the text and the JSON form. The command and its tests both go by this table.
#pragma once

#include "document/M32Format.h"

#include <cstdint>
#include <variant>

namespace quorvel::cli {

struct InfoField {
    const char* key;
    std::variant<std::int32_t M32Header::*, float M32Header::*, char (M32Header::*)[kM32NameSize]> member;
};

inline constexpr InfoField kInfoFields[] = {
    {"version", &M32Header::version},
    {"name", &M32Header::name},
    {"substitution_name", &M32Header::substitution_name},
    {"next_frame_name", &M32Header::next_frame_name},
    {"damaged_name", &M32Header::damaged_name},
    {"flags", &M32Header::flags},
    {"contents", &M32Header::contents},
    {"value", &M32Header::value},
    {"scale_x", &M32Header::scale_x},
    {"scale_y", &M32Header::scale_y},
    {"mip_scale", &M32Header::mip_scale},
    {"detail_name", &M32Header::detail_name},
    {"detail_scale_x", &M32Header::detail_scale_x},
    {"detail_scale_y", &M32Header::detail_scale_y},
    {"dt_u", &M32Header::dt_u},
    {"dt_v", &M32Header::dt_v},
    {"dt_alpha", &M32Header::dt_alpha},
    {"detail_src", &M32Header::detail_src},
    {"detail_dst", &M32Header::detail_dst},
    {"detail_flags", &M32Header::detail_flags},
    {"damage_health", &M32Header::damage_health},
};

} // namespace quorvel::cli
