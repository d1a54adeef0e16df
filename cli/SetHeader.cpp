// set-header [--FIELD TEXT]... [--dry-run] TEXTURE.m32...: gives header fields new values in
// many textures at once. Each text is read as the properties window reads its field; only the
// bytes of the named fields change, every other byte of the file (level table, reserved bytes,
// pixels) stays as it was. Each file is replaced whole or not at all, and a file that fails is
// reported and passed over.
#include "cli/Commands.h"
#include "base/Error.h"
#include "base/FileErrors.h"
#include "base/LittleEndian.h"
#include "base/SaveFile.h"
#include "document/HeaderTexts.h"
#include "document/M32Format.h"
#include "document/NumberText.h"
#include "document/TextureDocument.h"

#include <QBuffer>
#include <QFile>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace quorvel::cli {

namespace {

enum class Kind { Name, Whole, Real };

// One header field the properties window edits: its option, its working text and its bytes.
struct HeaderOption {
    const char* option;
    QString HeaderTexts::*text;
    std::size_t offset;
    std::size_t size;
    Kind kind;
};

#define QUORVEL_FIELD(option, member, kind) \
    {option, &HeaderTexts::member, offsetof(M32Header, member), sizeof(M32Header::member), kind}

// In the order of the properties window.
const HeaderOption kOptions[] = {
    QUORVEL_FIELD("--name", name, Kind::Name),
    QUORVEL_FIELD("--substitution-name", substitution_name, Kind::Name),
    QUORVEL_FIELD("--next-frame-name", next_frame_name, Kind::Name),
    QUORVEL_FIELD("--damaged-name", damaged_name, Kind::Name),
    QUORVEL_FIELD("--flags", flags, Kind::Whole),
    QUORVEL_FIELD("--contents", contents, Kind::Whole),
    QUORVEL_FIELD("--value", value, Kind::Whole),
    QUORVEL_FIELD("--mip-scale", mip_scale, Kind::Whole),
    QUORVEL_FIELD("--scale-x", scale_x, Kind::Real),
    QUORVEL_FIELD("--scale-y", scale_y, Kind::Real),
    QUORVEL_FIELD("--detail-name", detail_name, Kind::Name),
    QUORVEL_FIELD("--detail-src", detail_src, Kind::Whole),
    QUORVEL_FIELD("--detail-dst", detail_dst, Kind::Whole),
    QUORVEL_FIELD("--detail-flags", detail_flags, Kind::Whole),
    QUORVEL_FIELD("--damage-health", damage_health, Kind::Real),
    QUORVEL_FIELD("--dt-u", dt_u, Kind::Real),
    QUORVEL_FIELD("--dt-v", dt_v, Kind::Real),
    QUORVEL_FIELD("--dt-alpha", dt_alpha, Kind::Real),
    QUORVEL_FIELD("--detail-scale-x", detail_scale_x, Kind::Real),
    QUORVEL_FIELD("--detail-scale-y", detail_scale_y, Kind::Real),
};

#undef QUORVEL_FIELD

struct Setting {
    const HeaderOption* field;
    QString text;
};

// Why a text cannot go into its field, or nothing when it can. A name field takes what the
// properties window lets a user type: at most 128 characters of Windows-1252, no control
// characters. A number field takes a whole number or a number, as Save requires.
std::optional<QString> refusal(const HeaderOption& field, const QString& text)
{
    switch (field.kind) {
    case Kind::Name: {
        if (text.size() > kM32NameSize) return QStringLiteral("a name holds at most %1 characters").arg(kM32NameSize);
        for (QChar c : text)
            if (c.unicode() < 0x20) return QStringLiteral("a name holds no control characters");
        if (fromWindows1252(toWindows1252(text)) != text)
            return QStringLiteral("a name holds only characters of the Windows-1252 code page");
        return std::nullopt;
    }
    case Kind::Whole:
        if (isWholeNumberText(text)) return std::nullopt;
        return QStringLiteral("is not a whole number from -2147483648 to 2147483647");
    case Kind::Real:
        if (isRealText(text)) return std::nullopt;
        return QStringLiteral("is not a number");
    }
    return std::nullopt;
}

// A field's value as the bytes hold it, for the report of what changes.
std::string shownValue(const HeaderOption& field, const QByteArray& bytes)
{
    const char* at = bytes.constData() + field.offset;
    switch (field.kind) {
    case Kind::Name: {
        const char* end = static_cast<const char*>(std::memchr(at, 0, field.size));
        const QByteArray raw(at, end != nullptr ? end - at : qsizetype(field.size));
        return '"' + fromWindows1252(raw).toStdString() + '"';
    }
    case Kind::Whole:
        return std::to_string(i32At(bytes, qint64(field.offset)));
    case Kind::Real: {
        const float v = std::bit_cast<float>(u32At(bytes, qint64(field.offset)));
        if (std::isnan(v)) return "nan";
        if (std::isinf(v)) return v < 0 ? "-inf" : "inf";
        char buffer[32];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
        return std::string(buffer, result.ptr);
    }
    }
    return {};
}

QByteArray readWholeFile(const QString& path)
{
    QFile file;
    openForReading(file, path);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) throw Error(kReadBeyondEndOfFile);
    return bytes;
}

// Sets the fields in one file; returns whether any byte changed. Prints each change.
bool setInFile(const QString& path, const std::vector<Setting>& settings, bool dryRun)
{
    const QByteArray before = readWholeFile(path);
    {
        // Only a file the editor would open is changed.
        QBuffer buffer;
        buffer.setData(before);
        buffer.open(QIODevice::ReadOnly);
        TextureDocument check;
        check.open(buffer, path);
    }
    const M32Header header = decodeM32Header(before.constData());
    HeaderTexts texts = HeaderTexts::fromHeader(header);
    for (const Setting& s : settings) texts.*s.field->text = s.text;
    M32Header changed = header;
    texts.applyTo(changed);
    char encoded[kM32HeaderSize];
    encodeM32Header(changed, encoded);

    // Only the named fields' bytes are taken from the new header.
    QByteArray after = before;
    for (const Setting& s : settings) std::memcpy(after.data() + s.field->offset, encoded + s.field->offset, s.field->size);
    // The changes are told once the file holds them (or, in a dry run, as what would be written).
    if (after != before && !dryRun)
        saveWhole(path, SaveMessages::Runtime, [&](QIODevice& file) { writeAll(file, after); });
    const QByteArray name = path.toLocal8Bit();
    for (const Setting& s : settings) {
        const std::string was = shownValue(*s.field, before);
        const std::string now = shownValue(*s.field, after);
        const bool same = std::memcmp(before.constData() + s.field->offset, after.constData() + s.field->offset,
                                      s.field->size) == 0;
        if (same)
            std::printf("%s: %s %s (unchanged)\n", name.constData(), s.field->option + 2, was.c_str());
        else
            std::printf("%s: %s %s -> %s\n", name.constData(), s.field->option + 2, was.c_str(), now.c_str());
    }
    return after != before;
}

} // namespace

int setHeader(const QStringList& args)
{
    const auto usage = [](const std::string& why) { return usageError("set-header", QString::fromStdString(why)); };
    std::vector<Setting> settings;
    QStringList paths;
    bool dryRun = false;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (optionsEnded || !arg.startsWith(u"--")) {
            paths << arg;
            continue;
        }
        if (arg == u"--") {
            optionsEnded = true;
            continue;
        }
        if (arg == u"--dry-run") {
            dryRun = true;
            continue;
        }
        const HeaderOption* field = nullptr;
        for (const HeaderOption& o : kOptions)
            if (arg == QLatin1String(o.option)) field = &o;
        if (field == nullptr) throw usage("unknown option " + arg.toStdString());
        if (i + 1 >= args.size()) throw usage(arg.toStdString() + " needs a text");
        const QString text = args[++i];
        // A field named twice takes its last text, as a field typed in twice keeps the last.
        std::erase_if(settings, [field](const Setting& s) { return s.field == field; });
        settings.push_back({field, text});
    }
    if (settings.empty()) throw usage("no field to set");
    if (paths.isEmpty()) throw usage("no file named");

    // A text that cannot go into its field changes no file at all.
    for (const Setting& s : settings)
        if (const auto why = refusal(*s.field, s.text))
            throw Error(QStringLiteral("quorvel-cli set-header: %1 \"%2\": %3; no file was changed")
                            .arg(QLatin1String(s.field->option), s.text, *why));

    int changed = 0, unchanged = 0, failed = 0;
    for (const QString& path : paths) {
        try {
            (setInFile(path, settings, dryRun) ? changed : unchanged)++;
        } catch (const std::exception& e) {
            ++failed;
            std::fflush(stdout);
            std::fprintf(stderr, "%s: %s\n", path.toLocal8Bit().constData(), e.what());
        }
    }
    std::printf(dryRun ? "%d would change, %d unchanged, %d failed (dry run: nothing written)\n"
                       : "%d changed, %d unchanged, %d failed\n",
                changed, unchanged, failed);
    return failed > 0 ? 1 : 0;
}

} // namespace quorvel::cli
