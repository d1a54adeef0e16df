// quorvel-cli info and resave, run as a user runs them.
#include "cli/HeaderReport.h"
#include "cli/InfoFields.h"
#include "base/PseudoRandom.h"
#include "tests/cli/CliRun.h"
#include "tests/document/M32Bytes.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>

namespace quorvel {
namespace {

using test::Bytes;
using test::runCli;
using test::CliRun;
using test::M32Fields;

QString texture()
{
    M32Fields s;
    s.version = 7;
    s.name = "caf\xe9 \x80\"q\"";
    s.detail_name = QByteArray("d\0after", 7);
    s.flags = -12;
    s.scale_x = 1.234f;
    s.dt_u = 0.5f;
    s.level(1, 2, 2, 968).level(3, 1, 1, 968 + 16);
    Bytes b = test::m32Header(s);
    for (int i = 0; i < 5; ++i) b.u8s({200, 100, 50, 128});
    return test::writeTempFile("cli.m32", b);
}

TEST(M32Commands, InfoAsJsonInEitherOrder)
{
    const QString path = texture();
    for (const QStringList& args : {QStringList{"info", "--json", path}, QStringList{"info", path, "--json"}}) {
        const CliRun run = runCli(args);
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        QJsonParseError error;
        const QJsonObject o = QJsonDocument::fromJson(run.out, &error).object();
        ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
        EXPECT_EQ(o.size(), 22);
        EXPECT_EQ(o["version"].toInt(), 7);
        EXPECT_EQ(o["name"].toString(), QString::fromUtf8("café €\"q\""));
        EXPECT_EQ(o["detail_name"].toString(), "d");
        EXPECT_EQ(o["substitution_name"].toString(), "");
        EXPECT_EQ(o["flags"].toInt(), -12);
        EXPECT_EQ(o["mip_scale"].toInt(), 1);
        EXPECT_FLOAT_EQ(float(o["scale_x"].toDouble()), 1.234f);
        EXPECT_EQ(o["dt_u"].toDouble(), 0.5);
        for (const cli::InfoField& f : cli::infoFields()) EXPECT_TRUE(o.contains(f.key)) << f.key;
        const QJsonArray levels = o["levels"].toArray();
        ASSERT_EQ(levels.size(), 2);
        EXPECT_EQ(levels[0].toObject(), QJsonObject({{"width", 2}, {"height", 2}, {"offset", 968}}));
        EXPECT_EQ(levels[1].toObject(), QJsonObject({{"width", 1}, {"height", 1}, {"offset", 984}}));
    }
    const CliRun text = runCli({"info", path});
    EXPECT_EQ(text.status, 0);
    EXPECT_TRUE(text.out.contains("café")) << text.out.toStdString();
    const QList<QByteArray> lines = text.out.split('\n');
    const std::vector<cli::InfoField>& fields = cli::infoFields();
    ASSERT_GE(lines.size(), qsizetype(fields.size()));
    for (std::size_t i = 0; i < fields.size(); ++i)
        EXPECT_TRUE(lines[qsizetype(i)].startsWith(fields[i].key)) << lines[qsizetype(i)].toStdString();
    // The text form goes in the order of the bytes in the file, whatever order the fields are
    // edited in.
    const char* const inFileOrder[] = {"version", "name", "substitution_name", "next_frame_name", "damaged_name",
                                       "flags", "contents", "value", "scale_x", "scale_y", "mip_scale",
                                       "detail_name", "detail_scale_x", "detail_scale_y", "dt_u", "dt_v",
                                       "dt_alpha", "detail_src", "detail_dst", "detail_flags", "damage_health"};
    ASSERT_EQ(fields.size(), std::size(inFileOrder));
    for (std::size_t i = 0; i < std::size(inFileOrder); ++i)
        EXPECT_TRUE(lines[qsizetype(i)].startsWith(QByteArray(inFileOrder[i]) + ' ')) << lines[qsizetype(i)].toStdString();
}

// JSON has no infinities or NaN: such reals are null there, and spelled out in the text form.
TEST(M32Commands, RealsThatJsonCannotHold)
{
    M32Fields s;
    s.scale_x = std::numeric_limits<float>::infinity();
    s.scale_y = -std::numeric_limits<float>::infinity();
    s.dt_u = std::numeric_limits<float>::quiet_NaN();
    s.dt_v = 0.1f;
    const QString path = test::writeTempFile("reals.m32", test::m32Header(s));
    const CliRun json = runCli({"info", "--json", path});
    ASSERT_EQ(json.status, 0) << json.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(json.out).object();
    EXPECT_TRUE(o["scale_x"].isNull());
    EXPECT_TRUE(o["scale_y"].isNull());
    EXPECT_TRUE(o["dt_u"].isNull());
    EXPECT_TRUE(json.out.contains("\"dt_v\":0.1,")) << json.out.toStdString(); // the float's shortest text
    const CliRun text = runCli({"info", path});
    EXPECT_TRUE(text.out.contains("scale_x            inf\n")) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains("scale_y            -inf\n"));
    EXPECT_TRUE(text.out.contains("dt_u               nan\n"));
    EXPECT_TRUE(text.out.contains("dt_v               0.1\n"));
}

// The two forms info printed through Qt's text and JSON classes before it printed without them:
// the reference the report must match byte for byte.
std::string shortestText(float v)
{
    char buffer[32];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, v).ptr);
}

double doubleOf(const std::string& text)
{
    double d = 0;
    std::from_chars(text.data(), text.data() + text.size(), d);
    return d;
}

std::string qtText(const M32Header& h)
{
    std::string out;
    for (const cli::InfoField& f : cli::infoFields()) {
        std::string value;
        if (f.kind == HeaderFieldKind::Name) value = nameAt(h, f.offset).toStdString();
        else if (f.kind == HeaderFieldKind::Whole) value = std::to_string(wholeAt(h, f.offset));
        else if (std::isnan(decimalAt(h, f.offset))) value = "nan";
        else if (std::isinf(decimalAt(h, f.offset))) value = decimalAt(h, f.offset) < 0 ? "-inf" : "inf";
        else value = shortestText(decimalAt(h, f.offset));
        out += (QByteArray(f.key).leftJustified(18, ' ') + ' ').toStdString() + value + '\n';
    }
    out += "levels\n";
    for (int k = 0; k < kMaxLevels; ++k)
        if (h.offsets[k] != 0)
            out += QStringLiteral("  %1  %2 x %3 at %4\n").arg(k + 1, 2).arg(h.widths[k]).arg(h.heights[k]).arg(h.offsets[k]).toStdString();
    return out;
}

std::string qtJson(const M32Header& h)
{
    QJsonObject o;
    for (const cli::InfoField& f : cli::infoFields()) {
        if (f.kind == HeaderFieldKind::Name) {
            o.insert(f.key, nameAt(h, f.offset));
        } else if (f.kind == HeaderFieldKind::Whole) {
            o.insert(f.key, wholeAt(h, f.offset));
        } else {
            const float v = decimalAt(h, f.offset);
            o.insert(f.key, std::isfinite(v) ? QJsonValue(doubleOf(shortestText(v))) : QJsonValue(QJsonValue::Null));
        }
    }
    QJsonArray levels;
    for (int k = 0; k < kMaxLevels; ++k)
        if (h.offsets[k] != 0)
            levels.append(QJsonObject{{"width", h.widths[k]}, {"height", h.heights[k]}, {"offset", h.offsets[k]}});
    o.insert("levels", levels);
    return (QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n').toStdString();
}

// Every byte a name can hold, and reals of every exponent and of the forms where the writers
// differ most (whole numbers beside 2^53, negative zero, the smallest and largest floats).
TEST(M32Commands, InfoReportMatchesQtsWritersByteForByte)
{
    const float reals[] = {0.0f, -0.0f, 1.0f, -1.5f, 0.1f, 1e-5f, 1e-4f, 123456.0f, 1e7f, 1.5e7f, 1e15f,
                           9007199254740992.0f, -9007199254740992.0f, 9007200328482816.0f, 1e16f, 1e21f,
                           3.4028235e38f, 1.17549435e-38f, 1e-45f, std::numeric_limits<float>::infinity(),
                           std::numeric_limits<float>::quiet_NaN()};
    M32Header h = newM32Header();
    char* bytes = reinterpret_cast<char*>(&h);
    std::vector<const cli::InfoField*> names, decimals;
    for (const cli::InfoField& f : cli::infoFields()) {
        if (f.kind == HeaderFieldKind::Name) names.push_back(&f);
        if (f.kind == HeaderFieldKind::Decimal) decimals.push_back(&f);
    }
    for (int b = 1; b < 256; ++b) bytes[names[std::size_t(b) % names.size()]->offset + std::size_t(b) / names.size()] = char(b);
    h.offsets[0] = 968;
    h.widths[0] = h.heights[0] = 1024;
    h.offsets[15] = 1 << 30;
    h.widths[15] = -1;
    PseudoRandom random;
    for (int round = 0; round < 4000; ++round) {
        for (std::size_t i = 0; i < decimals.size(); ++i) {
            float v = reals[(std::size_t(round) + i) % std::size(reals)];
            if (round >= int(std::size(reals))) {
                const std::uint32_t bits = std::uint32_t(random.below(1 << 16)) << 16 | std::uint32_t(random.below(1 << 16));
                std::memcpy(&v, &bits, sizeof v);
            }
            std::memcpy(bytes + decimals[i]->offset, &v, sizeof v);
        }
        h.flags = random.below(1 << 30) - (1 << 29);
        ASSERT_EQ(cli::headerJson(h), qtJson(h)) << round;
        ASSERT_EQ(cli::headerText(h), qtText(h)) << round;
    }
}

TEST(M32Commands, ResaveGoesThroughTheWorkingTexts)
{
    const QString out = QFileInfo(texture()).absolutePath() + "/resaved.m32";
    const CliRun run = runCli({"resave", texture(), out});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_EQ(bytes.size(), 968 + 16 + 4);
    EXPECT_EQ(test::i32At(bytes, 0), 4);
    EXPECT_EQ(test::f32At(bytes, 720), 1.23f);
    EXPECT_EQ(bytes.mid(732, 128), QByteArray("d").append(127, '\0'));
    EXPECT_EQ(test::i32At(bytes, test::kOffsetsAt + 4), 984);
    EXPECT_EQ(test::i32At(bytes, test::kOffsetsAt + 8), 0);
    EXPECT_EQ(bytes.mid(968, 4), QByteArray("\xc8\x64\x33\x80", 4)); // (200, 100, 51, 128)
}

TEST(M32Commands, ExitStatusAndMessages)
{
    QTemporaryDir outDir;
    const QString never = outDir.filePath("never.m32");
    struct Row {
        QStringList args;
        int status;
        QByteArray err;
    } rows[] = {
        {{"info", "/nonexistent-dir/x.m32"}, 1, "Invalid filename\n"},
        {{"info", QFileInfo(texture()).absolutePath() + "/none.m32"}, 1, "File not found\n"},
        // Text is plainly no texture; a texture cut short keeps its message.
        {{"resave", test::writeTempFile("short.m32", QByteArray(100, 'x')), never}, 1, "short.m32 is not an m32 texture\n"},
        {{"resave", test::writeTempFile("cut.m32", test::m32Header(M32Fields()).data().left(900)), never}, 1, "Read beyond end of file\n"},
        {{"info"}, 2, "usage: quorvel-cli info [--json] TEXTURE.m32\n"},
        {{"info", "a", "b"}, 2, "usage: quorvel-cli info [--json] TEXTURE.m32\n"},
        {{"resave", "a"}, 2, "usage: quorvel-cli resave IN.m32 OUT.m32\n"},
    };
    for (const Row& r : rows) {
        const CliRun run = runCli(r.args);
        EXPECT_EQ(run.status, r.status) << r.args.join(' ').toStdString();
        EXPECT_TRUE(run.err.endsWith(r.err)) << run.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(never));
}

} // namespace
} // namespace quorvel
