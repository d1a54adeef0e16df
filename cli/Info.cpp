// info [--json] TEXTURE.m32: the header of an m32 file as it stands in the file, names as
// UTF-8, and the present levels of its level table.
#include "cli/Commands.h"
#include "cli/InfoFields.h"
#include "document/M32File.h"
#include "document/M32Format.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

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

// JSON has no infinities or NaN: those are null. A finite value goes in as the double of its
// shortest float text, so that 1.234f is written 1.234 and not 1.2339999675750732.
QJsonValue jsonValue(float v)
{
    if (!std::isfinite(v)) return QJsonValue::Null;
    const std::string text = floatText(v);
    double d = 0;
    std::from_chars(text.data(), text.data() + text.size(), d);
    return d;
}

void printJson(const M32Header& h)
{
    QJsonObject o;
    for (const InfoField& f : infoFields()) {
        switch (f.kind) {
        case HeaderFieldKind::Name: o.insert(f.key, nameAt(h, f.offset)); break;
        case HeaderFieldKind::Whole: o.insert(f.key, wholeAt(h, f.offset)); break;
        case HeaderFieldKind::Decimal: o.insert(f.key, jsonValue(decimalAt(h, f.offset))); break;
        }
    }
    QJsonArray levels;
    for (int k = 0; k < kMaxLevels; ++k)
        if (h.offsets[k] != 0)
            levels.append(QJsonObject{{"width", h.widths[k]}, {"height", h.heights[k]}, {"offset", h.offsets[k]}});
    o.insert("levels", levels);
    const QByteArray out = QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
    std::fwrite(out.constData(), 1, std::size_t(out.size()), stdout);
}

std::string plainText(const M32Header& h, const InfoField& f)
{
    switch (f.kind) {
    case HeaderFieldKind::Name: return nameAt(h, f.offset).toStdString();
    case HeaderFieldKind::Whole: return std::to_string(wholeAt(h, f.offset));
    case HeaderFieldKind::Decimal: return plainText(decimalAt(h, f.offset));
    }
    return {};
}

void printText(const M32Header& h)
{
    for (const InfoField& f : infoFields()) std::printf("%-18s %s\n", f.key, plainText(h, f).c_str());
    std::printf("levels\n");
    for (int k = 0; k < kMaxLevels; ++k)
        if (h.offsets[k] != 0)
            std::printf("  %2d  %d x %d at %d\n", k + 1, h.widths[k], h.heights[k], h.offsets[k]);
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
    if (files.size() != 1) throw usageError("info");
    const M32Header h = readM32Header(files[0]);
    if (json) printJson(h);
    else printText(h);
    return 0;
}

} // namespace quorvel::cli
