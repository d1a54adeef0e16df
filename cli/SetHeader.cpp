// set-header [--FIELD TEXT]... [--dry-run] TEXTURE.m32...: gives header fields new values in
// many textures at once. Each text is read as the properties window reads its field; only the
// bytes of the named fields change, every other byte of the file (level table, reserved bytes,
// pixels) stays as it was. Each file is replaced whole or not at all, and a file that fails is
// reported and passed over.
#include "cli/Commands.h"
#include "base/Error.h"
#include "base/FileNames.h"
#include "base/FileErrors.h"
#include "base/LittleEndian.h"
#include "base/SaveFile.h"
#include "document/HeaderFields.h"
#include "document/HeaderTexts.h"
#include "document/M32File.h"
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

struct Setting {
    const HeaderField* field;
    QString text;
};

// Why a text cannot go into its field, or nothing when it can. A name field takes what the
// properties window lets a user type: at most 128 characters of Windows-1252, no control
// characters. A number field takes a whole number or a number, as Save requires.
std::optional<QString> refusal(const HeaderField& field, const QString& text)
{
    switch (field.kind) {
    case HeaderFieldKind::Name: {
        if (text.size() > kM32NameSize) return QStringLiteral("a name holds at most %1 characters").arg(kM32NameSize);
        for (QChar c : text)
            if (c.unicode() < 0x20) return QStringLiteral("a name holds no control characters");
        if (fromWindows1252(toWindows1252(text)) != text)
            return QStringLiteral("a name holds only characters of the Windows-1252 code page");
        return std::nullopt;
    }
    case HeaderFieldKind::Whole:
        if (isWholeNumberText(text)) return std::nullopt;
        return QStringLiteral("is not a whole number from -2147483648 to 2147483647");
    case HeaderFieldKind::Decimal:
        if (isRealText(text)) return std::nullopt;
        return QStringLiteral("is not a number");
    }
    return std::nullopt;
}

// A field's value as the bytes hold it, for the report of what changes.
std::string shownValue(const HeaderField& field, const QByteArray& bytes)
{
    const char* at = bytes.constData() + field.offset;
    switch (field.kind) {
    case HeaderFieldKind::Name: {
        const char* end = static_cast<const char*>(std::memchr(at, 0, field.size));
        const QByteArray raw(at, end != nullptr ? end - at : qsizetype(field.size));
        return '"' + fromWindows1252(raw).toStdString() + '"';
    }
    case HeaderFieldKind::Whole:
        return std::to_string(i32At(bytes, qint64(field.offset)));
    case HeaderFieldKind::Decimal: {
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
    return readRegularFile(path, OpenMessages::Runtime, kM32FileLimit);
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
    const QByteArray name = shownPath(path).toLocal8Bit();
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

const char* setHeaderUsage()
{
    // Every field's option, then the rest; wrapped so that no line --help shows passes 106
    // columns, the first line standing after "  set-header ", the others indented by six.
    static const std::string usage = [] {
        constexpr std::size_t kWidth = 106;
        std::vector<std::string> words;
        for (const HeaderField& f : kHeaderFields) words.push_back(std::string("[") + f.option + " TEXT]");
        words.insert(words.end(), {"[--dry-run]", "TEXTURE.m32..."});
        std::string text;
        std::size_t column = std::strlen("  set-header ");
        for (const std::string& word : words) {
            if (!text.empty()) {
                const bool wrap = column + 1 + word.size() > kWidth;
                text += wrap ? "\n      " : " ";
                column = wrap ? 6 : column + 1;
            }
            text += word;
            column += word.size();
        }
        return text;
    }();
    return usage.c_str();
}

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
        const HeaderField* field = nullptr;
        for (const HeaderField& f : kHeaderFields)
            if (arg == QLatin1String(f.option)) field = &f;
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
            std::fprintf(stderr, "%s\n", fileFailure(path, QString::fromUtf8(e.what())).toLocal8Bit().constData());
        }
    }
    std::printf(dryRun ? "%d would change, %d unchanged, %d failed (dry run: nothing written)\n"
                       : "%d changed, %d unchanged, %d failed\n",
                changed, unchanged, failed);
    return failed > 0 ? 1 : 0;
}

} // namespace quorvel::cli
