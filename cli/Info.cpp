// info [--json] TEXTURE.m32: the header of an m32 file as it stands in the file, names as
// UTF-8, and the present levels of its level table.
#include "cli/Commands.h"
#include "document/M32File.h"
#include "document/M32Format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

namespace quorvel::cli {

namespace {

std::string realText(float v, bool json)
{
    if (!std::isfinite(v)) return json ? "null" : (std::isnan(v) ? "nan" : v < 0 ? "-inf" : "inf");
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    return std::string(buffer, result.ptr);
}

std::string jsonString(const QString& text)
{
    std::string out = "\"";
    for (const char c : text.toStdString()) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", u);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

} // namespace

int info(const QStringList& args)
{
    bool json = false;
    QStringList files;
    for (const QString& a : args) {
        if (a == QLatin1String("--json")) json = true;
        else files << a;
    }
    if (files.size() != 1) throw UsageError(std::string("usage: quorvel-cli info ") + command("info").usage);
    const M32Header h = readM32Header(files[0]);

    struct Field {
        const char* key;
        std::string text; // as it goes into JSON
        std::string plain; // as the text form shows it
    };
    auto name = [&](const char* key, const char (&field)[kM32NameSize]) {
        const QString text = nameText(field);
        return Field{key, jsonString(text), text.toStdString()};
    };
    auto number = [&](const char* key, std::int32_t v) {
        return Field{key, std::to_string(v), std::to_string(v)};
    };
    auto real = [&](const char* key, float v) { return Field{key, realText(v, true), realText(v, false)}; };
    const Field fields[] = {
        number("version", h.version),
        name("name", h.name),
        name("substitution_name", h.substitution_name),
        name("next_frame_name", h.next_frame_name),
        name("damaged_name", h.damaged_name),
        number("flags", h.flags),
        number("contents", h.contents),
        number("value", h.value),
        real("scale_x", h.scale_x),
        real("scale_y", h.scale_y),
        number("mip_scale", h.mip_scale),
        name("detail_name", h.detail_name),
        real("detail_scale_x", h.detail_scale_x),
        real("detail_scale_y", h.detail_scale_y),
        real("dt_u", h.dt_u),
        real("dt_v", h.dt_v),
        real("dt_alpha", h.dt_alpha),
        number("detail_src", h.detail_src),
        number("detail_dst", h.detail_dst),
        number("detail_flags", h.detail_flags),
        real("damage_health", h.damage_health),
    };

    if (json) {
        std::string out = "{";
        for (const Field& f : fields) {
            out += '"';
            out += f.key;
            out += "\":";
            out += f.text;
            out += ',';
        }
        out += "\"levels\":[";
        bool first = true;
        for (int k = 0; k < kMaxLevels; ++k) {
            if (h.offsets[k] == 0) continue;
            if (!first) out += ',';
            first = false;
            out += "{\"width\":";
            out += std::to_string(h.widths[k]);
            out += ",\"height\":";
            out += std::to_string(h.heights[k]);
            out += ",\"offset\":";
            out += std::to_string(h.offsets[k]);
            out += '}';
        }
        out += "]}\n";
        std::fputs(out.c_str(), stdout);
        return 0;
    }
    for (const Field& f : fields) std::printf("%-18s %s\n", f.key, f.plain.c_str());
    std::printf("levels\n");
    for (int k = 0; k < kMaxLevels; ++k)
        if (h.offsets[k] != 0)
            std::printf("  %2d  %d x %d at %d\n", k + 1, h.widths[k], h.heights[k], h.offsets[k]);
    return 0;
}

} // namespace quorvel::cli
