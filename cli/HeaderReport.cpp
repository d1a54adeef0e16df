#include "cli/HeaderReport.h"

#include "cli/InfoFields.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace quorvel::cli {

namespace {

// The shortest text that reads back as the same float.
std::string floatText(float v)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    return std::string(buffer, result.ptr);
}

std::string plainText(float v)
{
    if (std::isnan(v)) return "nan";
    if (std::isinf(v)) return v < 0 ? "-inf" : "inf";
    return floatText(v);
}

// The JSON number of a decimal: the double its shortest float text reads as, so that 1.234f is
// written 1.234 and not 1.2339999675750732; a whole double below 2^53 as the integer it is
// (1e+15 as 1000000000000000, -0 as 0).
std::string jsonNumber(float v)
{
    if (!std::isfinite(v)) return "null";
    const std::string text = floatText(v);
    double d = 0;
    std::from_chars(text.data(), text.data() + text.size(), d);
    if (d == std::trunc(d) && std::fabs(d) < 9007199254740992.0) return std::to_string(static_cast<long long>(d));
    return text;
}

void appendUtf8(std::string& out, char16_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | c >> 6);
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xE0 | c >> 12);
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// A name field's text as UTF-8: its Windows-1252 bytes up to the first NUL.
std::string nameUtf8(const M32Header& header, std::size_t offset)
{
    const char* field = reinterpret_cast<const char*>(&header) + offset;
    const char* end = std::find(field, field + kM32NameSize, '\0');
    std::string out;
    for (const char* p = field; p != end; ++p) {
        const auto b = static_cast<unsigned char>(*p);
        appendUtf8(out, (b >= 0x80 && b < 0xA0) ? kCp1252High[b - 0x80] : char16_t(b));
    }
    return out;
}

std::string jsonString(const std::string& utf8)
{
    std::string out = "\"";
    for (const char c : utf8) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(c));
                out += escape;
            } else {
                out += c;
            }
        }
    }
    return out + '"';
}

std::string plainValue(const M32Header& h, const InfoField& f)
{
    switch (f.kind) {
    case HeaderFieldKind::Name: return nameUtf8(h, f.offset);
    case HeaderFieldKind::Whole: return std::to_string(wholeAt(h, f.offset));
    case HeaderFieldKind::Decimal: return plainText(decimalAt(h, f.offset));
    }
    return {};
}

std::string jsonValue(const M32Header& h, const InfoField& f)
{
    switch (f.kind) {
    case HeaderFieldKind::Name: return jsonString(nameUtf8(h, f.offset));
    case HeaderFieldKind::Whole: return std::to_string(wholeAt(h, f.offset));
    case HeaderFieldKind::Decimal: return jsonNumber(decimalAt(h, f.offset));
    }
    return {};
}

} // namespace

std::string headerText(const M32Header& h)
{
    std::string out;
    char line[64];
    for (const InfoField& f : infoFields()) {
        std::snprintf(line, sizeof line, "%-18s ", f.key);
        out += line + plainValue(h, f) + '\n';
    }
    out += "levels\n";
    for (int k = 0; k < kMaxLevels; ++k) {
        if (h.offsets[k] == 0) continue;
        std::snprintf(line, sizeof line, "  %2d  %d x %d at %d\n", k + 1, h.widths[k], h.heights[k], h.offsets[k]);
        out += line;
    }
    return out;
}

std::string headerJson(const M32Header& h)
{
    std::vector<std::pair<std::string, std::string>> members;
    for (const InfoField& f : infoFields()) members.emplace_back(f.key, jsonValue(h, f));
    std::string levels = "[";
    for (int k = 0; k < kMaxLevels; ++k) {
        if (h.offsets[k] == 0) continue;
        if (levels.size() > 1) levels += ',';
        levels += "{\"height\":" + std::to_string(h.heights[k]) + ",\"offset\":" + std::to_string(h.offsets[k])
                  + ",\"width\":" + std::to_string(h.widths[k]) + '}';
    }
    members.emplace_back("levels", levels + ']');
    std::sort(members.begin(), members.end());
    std::string out = "{";
    for (const auto& [key, value] : members) {
        if (out.size() > 1) out += ',';
        out += jsonString(key) + ':' + value;
    }
    return out + "}\n";
}

} // namespace quorvel::cli
