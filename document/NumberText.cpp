#include "document/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace quorvel {

namespace {

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int d = 99;
    if (u >= u'0' && u <= u'9') d = u - u'0';
    else if (u >= u'a' && u <= u'f') d = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F') d = u - u'A' + 10;
    return d < base ? d : -1;
}

QString nonFinite(double v)
{
    if (std::isnan(v)) return QStringLiteral("NAN");
    return v < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

} // namespace

namespace {

// One pass of the runtime's whole-number reader over a text.
struct WholeNumberScan {
    std::int32_t value; // what readWholeNumber gives
    bool complete;      // the reading reached the end of the text (blanks aside)
    bool anyDigit;
};

WholeNumberScan scanWholeNumber(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    int base = 10;
    if (i < n && text[i] == u'$') {
        base = 16;
        ++i;
    }
    // Hexadecimal covers the whole 32 bits ($FFFFFFFF is -1); decimal stops at the signed range.
    const std::int64_t limit = base == 16 ? 0xFFFFFFFFll : negative ? 0x80000000ll : 0x7FFFFFFFll;
    std::int64_t value = 0;
    const qsizetype firstDigit = i;
    for (; i < n; ++i) {
        const int d = digitValue(text[i], base);
        if (d < 0 || value * base + d > limit) break;
        value = value * base + d;
    }
    const bool anyDigit = i > firstDigit;
    qsizetype rest = i;
    while (rest < n && isBlank(text[rest])) ++rest;
    const auto bits = static_cast<std::uint32_t>(value);
    const bool complete = rest == n;
    if (complete && negative) return {static_cast<std::int32_t>(0u - bits), true, anyDigit};
    return {static_cast<std::int32_t>(bits), complete, anyDigit};
}

} // namespace

std::int32_t readWholeNumber(const QString& text)
{
    return scanWholeNumber(text).value;
}

std::optional<std::int32_t> wholeNumberOf(const QString& text)
{
    const WholeNumberScan scan = scanWholeNumber(text);
    if (!scan.complete || !scan.anyDigit) return std::nullopt;
    return scan.value;
}

bool isWholeNumberText(const QString& text)
{
    // Only the blanks the reader skips may surround the number.
    qsizetype first = 0, end = text.size();
    while (first < end && isBlank(text[first])) ++first;
    while (end > first && isBlank(text[end - 1])) --end;
    if (first == end) return true;
    const QString trimmed = text.sliced(first, end - first);
    qsizetype i = 0;
    const qsizetype n = trimmed.size();
    bool negative = false;
    if (trimmed[i] == u'+' || trimmed[i] == u'-') negative = trimmed[i++] == u'-';
    int base = 10;
    if (i < n && trimmed[i] == u'$') {
        base = 16;
        ++i;
    }
    if (i == n) return false;
    const std::int64_t limit = base == 16 ? 0xFFFFFFFFll : negative ? 0x80000000ll : 0x7FFFFFFFll;
    std::int64_t value = 0;
    for (; i < n; ++i) {
        const int d = digitValue(trimmed[i], base);
        if (d < 0) return false;
        value = value * base + d;
        if (value > limit) return false;
    }
    return true;
}

bool isRealText(const QString& text)
{
    const QString trimmed = text.trimmed();
    // The texts an open shows for values that are not finite read back as those values.
    if (trimmed.isEmpty() || trimmed == u"NAN" || trimmed == u"INF" || trimmed == u"+INF" || trimmed == u"-INF")
        return true;
    qsizetype i = 0;
    const qsizetype n = trimmed.size();
    auto digits = [&] {
        qsizetype count = 0;
        for (; i < n && trimmed[i] >= u'0' && trimmed[i] <= u'9'; ++i) ++count;
        return count;
    };
    if (trimmed[i] == u'+' || trimmed[i] == u'-') ++i;
    qsizetype mantissaDigits = digits();
    if (i < n && trimmed[i] == u'.') {
        ++i;
        mantissaDigits += digits();
    }
    if (mantissaDigits == 0) return false;
    if (i < n && (trimmed[i] == u'E' || trimmed[i] == u'e')) {
        ++i;
        if (i < n && (trimmed[i] == u'+' || trimmed[i] == u'-')) ++i;
        if (digits() == 0) return false;
    }
    return i == n;
}

float readReal(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed == u"NAN") return std::numeric_limits<float>::quiet_NaN();
    if (trimmed == u"INF" || trimmed == u"+INF") return std::numeric_limits<float>::infinity();
    if (trimmed == u"-INF") return -std::numeric_limits<float>::infinity();

    // Checked by hand so that nothing but the plain form passes.
    std::string s;
    qsizetype i = 0;
    const qsizetype n = trimmed.size();
    auto digits = [&] {
        qsizetype count = 0;
        for (; i < n && trimmed[i] >= u'0' && trimmed[i] <= u'9'; ++i, ++count) s += char(trimmed[i].unicode());
        return count;
    };
    if (i < n && (trimmed[i] == u'+' || trimmed[i] == u'-')) {
        if (trimmed[i] == u'-') s += '-';
        ++i;
    }
    qsizetype mantissaDigits = digits();
    if (i < n && trimmed[i] == u'.') {
        s += '.';
        ++i;
        mantissaDigits += digits();
    }
    if (mantissaDigits == 0) return 0.0f;
    bool exponentPositive = true;
    if (i < n && (trimmed[i] == u'E' || trimmed[i] == u'e')) {
        s += 'e';
        ++i;
        if (i < n && (trimmed[i] == u'+' || trimmed[i] == u'-')) {
            exponentPositive = trimmed[i] == u'+';
            s += char(trimmed[i].unicode());
            ++i;
        }
        if (digits() == 0) return 0.0f;
    }
    if (i != n) return 0.0f;

    double value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Too large becomes infinite, too small zero, keeping the sign.
        const double magnitude = exponentPositive ? std::numeric_limits<double>::infinity() : 0.0;
        value = s[0] == '-' ? -magnitude : magnitude;
    } else if (ec != std::errc() || end != s.data() + s.size()) {
        return 0.0f;
    }
    return static_cast<float>(value);
}

QString realTwoDecimals(float value)
{
    const double v = value;
    if (!std::isfinite(v)) return nonFinite(v);
    // A float times 100 is exact in a double, so the rounding below sees the true value.
    const double hundredths = v * 100.0;
    if (std::fabs(hundredths) < 9007199254740992.0) {
        const auto rounded = static_cast<std::int64_t>(std::round(hundredths));
        const std::int64_t whole = std::llabs(rounded) / 100, fraction = std::llabs(rounded) % 100;
        return QStringLiteral("%1%2.%3")
            .arg(rounded < 0 ? "-" : "")
            .arg(whole)
            .arg(fraction, 2, 10, QLatin1Char('0'));
    }
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 2);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

QString realScientific(float value)
{
    const double v = value;
    if (!std::isfinite(v)) return nonFinite(v);
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(v),
                                      std::chars_format::scientific, 14);
    const std::string text(buffer, result.ptr);
    const auto e = text.find('e');
    const int exponent = std::atoi(text.c_str() + e + 1);
    return QStringLiteral("%1%2E%3%4")
        .arg(std::signbit(v) ? "-" : " ")
        .arg(QString::fromLatin1(text.substr(0, e)))
        .arg(exponent < 0 ? "-" : "+")
        .arg(std::abs(exponent), 4, 10, QLatin1Char('0'));
}

} // namespace quorvel
