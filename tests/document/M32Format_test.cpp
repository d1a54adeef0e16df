// The header block, the code page of names, the composition tables and the number texts.
#include "document/HeaderTexts.h"
#include "document/M32Format.h"
#include "document/NumberText.h"
#include "document/StoredRows.h"
#include "tests/document/M32Bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace quorvel {
namespace {

using test::M32Fields;

// A header whose every field holds a value of its own.
M32Fields everyField()
{
    M32Fields s;
    s.version = 7;
    s.name = "wall";
    s.substitution_name = "sub";
    s.next_frame_name = "next";
    s.damaged_name = "dmg";
    s.detail_name = "detail";
    s.level(1, 64, 32, 968).level(16, 1, 2, 123456);
    s.flags = -3;
    s.contents = 5;
    s.value = 6;
    s.scale_x = 1.5f;
    s.scale_y = -0.25f;
    s.mip_scale = 9;
    s.detail_scale_x = 2;
    s.detail_scale_y = 3;
    s.dt_u = 0.5f;
    s.dt_v = 4;
    s.dt_alpha = 5;
    s.detail_src = 10;
    s.detail_dst = 11;
    s.detail_flags = 12;
    s.damage_health = 13;
    for (int i = 0; i < 72; ++i) s.reserved[i] = char(i + 1);
    return s;
}

TEST(M32Header, DecodesEveryFieldAndEncodesTheSameBytes)
{
    const M32Fields s = everyField();
    const QByteArray bytes = test::m32Header(s);
    ASSERT_EQ(bytes.size(), kM32HeaderSize);

    const M32Header h = decodeM32Header(bytes.constData());
    EXPECT_EQ(h.version, 7);
    EXPECT_EQ(nameText(h.name), "wall");
    EXPECT_EQ(nameText(h.substitution_name), "sub");
    EXPECT_EQ(nameText(h.next_frame_name), "next");
    EXPECT_EQ(nameText(h.damaged_name), "dmg");
    EXPECT_EQ(nameText(h.detail_name), "detail");
    EXPECT_EQ(h.widths[0], 64);
    EXPECT_EQ(h.heights[0], 32);
    EXPECT_EQ(h.offsets[0], 968);
    EXPECT_EQ(h.widths[15], 1);
    EXPECT_EQ(h.heights[15], 2);
    EXPECT_EQ(h.offsets[15], 123456);
    EXPECT_EQ(h.flags, -3);
    EXPECT_EQ(h.contents, 5);
    EXPECT_EQ(h.value, 6);
    EXPECT_EQ(h.scale_x, 1.5f);
    EXPECT_EQ(h.scale_y, -0.25f);
    EXPECT_EQ(h.mip_scale, 9);
    EXPECT_EQ(h.detail_scale_x, 2);
    EXPECT_EQ(h.detail_scale_y, 3);
    EXPECT_EQ(h.dt_u, 0.5f);
    EXPECT_EQ(h.dt_v, 4);
    EXPECT_EQ(h.dt_alpha, 5);
    EXPECT_EQ(h.detail_src, 10);
    EXPECT_EQ(h.detail_dst, 11);
    EXPECT_EQ(h.detail_flags, 12);
    EXPECT_EQ(h.damage_health, 13);
    EXPECT_EQ(h.reserved[0], 1);
    EXPECT_EQ(h.reserved[71], 72);

    QByteArray again(kM32HeaderSize, '\0');
    encodeM32Header(h, again.data());
    EXPECT_EQ(again, bytes);
}

TEST(M32Names, Windows1252BothWays)
{
    EXPECT_EQ(fromWindows1252(QByteArray("\x80\x9f\xe9\x81 A", 6)), QString::fromUtf8("€Ÿé\u0081 A"));
    EXPECT_EQ(toWindows1252(QString::fromUtf8("€Ÿé\u0081 A")), QByteArray("\x80\x9f\xe9\x81 A", 6));
    // Every byte but NUL survives the trip; characters the code page lacks become '?'.
    QByteArray all;
    for (int b = 1; b < 256; ++b) all.append(char(b));
    EXPECT_EQ(toWindows1252(fromWindows1252(all)), all);
    EXPECT_EQ(toWindows1252(QString::fromUtf8("ā→")), QByteArray("??"));
}

TEST(M32Names, FieldHoldsTheTextUpToItsFirstNulAndAtMost128Bytes)
{
    char field[kM32NameSize];
    std::memset(field, 'x', sizeof field);
    setNameText(field, "abc");
    EXPECT_EQ(QByteArray(field, 4), QByteArray("abc\0", 4));
    EXPECT_EQ(QByteArray(field + 3, 125), QByteArray(125, '\0'));

    setNameText(field, QString(200, u'n'));
    EXPECT_EQ(QByteArray(field, 128), QByteArray(128, 'n'));
    EXPECT_EQ(nameText(field), QString(128, u'n'));

    std::memcpy(field, "ab\0cd", 5);
    EXPECT_EQ(nameText(field), "ab");
}

TEST(M32Composition, ShowsAndStoresOverTheBackgroundGrey)
{
    const Composition& c = composition();
    struct Row {
        int stored, alpha, shown, storedAgain;
    } rows[] = {
        {200, 128, 196, 200}, {100, 128, 146, 100}, {50, 128, 121, 51}, {255, 128, 224, 255},
        {77, 0, 192, 0},      {0, 255, 0, 0},       {255, 255, 255, 255}, {13, 1, 191, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.stored << " at alpha " << r.alpha);
        EXPECT_EQ(c.shown[r.alpha][r.stored], r.shown);
        EXPECT_EQ(c.stored[r.alpha][r.shown], r.storedAgain);
    }
    for (int v = 0; v < 256; ++v) {
        EXPECT_EQ(c.shown[255][v], v);
        EXPECT_EQ(c.stored[255][v], v);
        EXPECT_EQ(c.shown[0][v], kBackgroundGrey);
        EXPECT_EQ(c.stored[0][v], 0);
    }
    // The true value here is 64.5: the extended arithmetic and ties to even give 64.
    EXPECT_EQ(c.stored[2][191], 64);
}

// The tables are made when the program is built; every entry is the extended-precision formula's.
TEST(M32Composition, EveryEntryIsTheExtendedFormula)
{
    const Composition& c = composition();
    const long double step = 1.0L / 255.0L;
    int wrong = 0;
    for (int a = 0; a < 256; ++a) {
        const long double over = (255 - a) * step * kBackgroundGrey;
        for (int v = 0; v < 256; ++v) {
            const long double shown = std::clamp(std::nearbyintl(v * (a * step) + over), 0.0L, 255.0L);
            const long double stored = a == 0 ? 0.0L : std::clamp(std::nearbyintl((v - over) / (a * step)), 0.0L, 255.0L);
            if (c.shown[a][v] != int(shown) || c.stored[a][v] != int(stored)) {
                ADD_FAILURE() << "alpha " << a << ", channel " << v << ": " << int(c.shown[a][v]) << "/"
                              << int(c.stored[a][v]) << ", not " << int(shown) << "/" << int(stored);
                if (++wrong == 10) return;
            }
        }
    }
}

// The rows the file's pixels move through give every alpha and channel what the tables give,
// whether a row is opaque, of one alpha or mixed, and however it ends.
TEST(M32Composition, RowsBothWaysAreTheTables)
{
    const Composition& c = composition();
    std::vector<PixelSteps> steps = {PixelSteps::One};
    if (widestPixelSteps() != PixelSteps::One) steps.push_back(PixelSteps::Sixteen);
    if (widestPixelSteps() == PixelSteps::SixteenWide) steps.push_back(PixelSteps::SixteenWide);
    for (const PixelSteps step : steps)
        for (const bool opaqueFirst : {false, true}) {
            SCOPED_TRACE(testing::Message() << "steps " << int(step) << (opaqueFirst ? ", opaque rows first" : ""));
            // Every alpha with every channel value (in red; green and blue take others), 256
            // pixels of each alpha in turn, in one row of 65,536 pixels and three more.
            std::vector<uchar> stored;
            for (int a = 0; a < 256; ++a)
                for (int v = 0; v < 256; ++v) {
                    const int alpha = opaqueFirst && a < 16 ? 255 : a;
                    stored.insert(stored.end(), {uchar(v), uchar(255 - v), uchar(v * 7), uchar(alpha)});
                }
            stored.insert(stored.end(), {1, 2, 3, 4, 5, 6, 7, 255, 9, 10, 11, 0});
            const int count = int(stored.size() / 4);
            std::vector<QRgb> colour(std::size_t(count) + 1, 0x12345678u);
            std::vector<uchar> alpha(std::size_t(count) + 1, 0x5A);
            showStoredRow(stored.data(), count, colour.data(), alpha.data(), step);
            EXPECT_EQ(colour.back(), 0x12345678u);
            EXPECT_EQ(alpha.back(), 0x5A);
            for (int x = 0; x < count; ++x) {
                const uchar* s = &stored[std::size_t(x) * 4];
                const std::uint8_t* shown = c.shown[s[3]];
                ASSERT_EQ(colour[std::size_t(x)], qRgb(shown[s[0]], shown[s[1]], shown[s[2]])) << "pixel " << x;
                ASSERT_EQ(alpha[std::size_t(x)], s[3]) << "pixel " << x;
            }
            // Back: the shown colours of all those pixels, by the stored table.
            std::vector<uchar> back(stored.size() + 1, 0xEE);
            storeShownRow(colour.data(), alpha.data(), count, back.data(), step);
            EXPECT_EQ(back.back(), 0xEE);
            for (int x = 0; x < count; ++x) {
                const QRgb p = colour[std::size_t(x)];
                const std::uint8_t* table = c.stored[alpha[std::size_t(x)]];
                const uchar expected[4] = {table[qRed(p)], table[qGreen(p)], table[qBlue(p)], alpha[std::size_t(x)]};
                ASSERT_EQ(std::memcmp(&back[std::size_t(x) * 4], expected, 4), 0) << "pixel " << x;
            }
            // Short rows take the last pixels one at a time.
            for (int width = 1; width < 40; ++width) {
                std::vector<QRgb> part(static_cast<std::size_t>(width));
                std::vector<uchar> partAlpha(static_cast<std::size_t>(width));
                showStoredRow(stored.data() + 4 * 1000, width, part.data(), partAlpha.data(), step);
                EXPECT_TRUE(std::equal(part.begin(), part.end(), colour.begin() + 1000)) << width << " wide";
            }
        }
}

TEST(NumberText, WholeNumbersAsTheRuntimeReadsThem)
{
    struct Row {
        const char* text;
        std::int32_t value;
    } rows[] = {
        {"2048", 2048},           {"$800", 2048},         {"  -12", -12},         {"+7", 7},
        {"", 0},                  {"-", 0},               {"12 ", 12},            {"-12 ", -12},
        {"12abc", 12},            {"-12abc", 12},         {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN}, {"2147483648", 214748364}, {"$FFFFFFFF", -1}, {"$ff", 255},
        {"abc", 0},
    };
    for (const Row& r : rows) EXPECT_EQ(readWholeNumber(QString::fromLatin1(r.text)), r.value) << r.text;
}

TEST(NumberText, WholeNumbersOnlyWhenTheWholeTextIsOne)
{
    struct Row {
        const char* text;
        std::optional<std::int32_t> value;
    } rows[] = {
        {"128", 128},       {" 128 ", 128},  {"+7", 7},          {"-12", -12},   {"$ff", 255},
        {"$FFFFFFFF", -1},  {"-2147483648", INT32_MIN},          {"2147483647", 2147483647},
        {"", std::nullopt}, {"-", std::nullopt}, {"$", std::nullopt}, {"12abc", std::nullopt},
        {"1.5", std::nullopt}, {"2147483648", std::nullopt}, {"abc", std::nullopt}, {"1 2", std::nullopt},
    };
    for (const Row& r : rows) EXPECT_EQ(wholeNumberOf(QString::fromLatin1(r.text)), r.value) << r.text;
}

TEST(NumberText, RealsReadWithAPointWhateverTheLocale)
{
    struct Row {
        const char* text;
        float value;
    } rows[] = {
        {"1.234", 1.234f}, {"0.1", 0.1f}, {" -2.5 ", -2.5f}, {"1e3", 1000.0f}, {"2.5E-1", 0.25f},
        {".5", 0.5f},      {"5.", 5.0f},  {"", 0.0f},        {"abc", 0.0f},   {"1,5", 0.0f},
        {"1.5x", 0.0f},    {"+3", 3.0f},  {" 5.00000000000000E-0001", 0.5f},
    };
    for (const Row& r : rows) EXPECT_EQ(readReal(QString::fromLatin1(r.text)), r.value) << r.text;
    EXPECT_TRUE(std::isinf(readReal("1e999")));
    EXPECT_TRUE(std::isnan(readReal("NAN")));
}

TEST(NumberText, RealsShownWithTwoDecimalsOrScientific)
{
    struct Row {
        float value;
        const char* twoDecimals;
        const char* scientific;
    } rows[] = {
        {1.0f, "1.00", " 1.00000000000000E+0000"},    {0.25f, "0.25", " 2.50000000000000E-0001"},
        {-2.5f, "-2.50", "-2.50000000000000E+0000"},  {1.234f, "1.23", " 1.23399996757507E+0000"},
        {0.125f, "0.13", " 1.25000000000000E-0001"},  {-0.125f, "-0.13", "-1.25000000000000E-0001"},
        {0.0f, "0.00", " 0.00000000000000E+0000"},    {0.5f, "0.50", " 5.00000000000000E-0001"},
        {1234.5f, "1234.50", " 1.23450000000000E+0003"}, {1e-10f, "0.00", " 1.00000001335143E-0010"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(realTwoDecimals(r.value), r.twoDecimals) << r.value;
        EXPECT_EQ(realScientific(r.value), r.scientific) << r.value;
        EXPECT_EQ(readReal(realScientific(r.value)), r.value) << r.value;
    }
}

TEST(HeaderTexts, DefaultsAndTheTripThroughTheHeader)
{
    // The texts of a new document give the numbers of a new header.
    M32Header h;
    std::memset(&h, 0x55, sizeof h);
    HeaderTexts().applyTo(h);
    const M32Header fresh = newM32Header();
    EXPECT_EQ(h.flags, 2048);
    EXPECT_EQ(h.scale_x, 1.0f);
    EXPECT_EQ(h.mip_scale, 1);
    EXPECT_EQ(h.dt_alpha, 0.0f);
    EXPECT_EQ(std::memcmp(h.name, fresh.name, sizeof h.name), 0);
    EXPECT_EQ(h.widths[0], 0x55555555); // the level table is not the texts' business

    M32Header opened = newM32Header();
    setNameText(opened.name, "stone");
    opened.flags = -12;
    opened.scale_x = 1.234f;
    opened.dt_u = 1.0f / 3.0f;
    const HeaderTexts texts = HeaderTexts::fromHeader(opened);
    EXPECT_EQ(texts.name, "stone");
    EXPECT_EQ(texts.flags, "-12");
    EXPECT_EQ(texts.scale_x, "1.23");
    EXPECT_EQ(texts.scale_y, "1.00");
    EXPECT_EQ(texts.dt_v, " 0.00000000000000E+0000");
    M32Header saved = opened;
    texts.applyTo(saved);
    EXPECT_EQ(saved.flags, -12);
    EXPECT_EQ(saved.scale_x, 1.23f);
    EXPECT_EQ(saved.dt_u, 1.0f / 3.0f); // the scientific form keeps every bit of a single

    // Every one of the twenty fields, each with a value of its own, comes back to its own bytes
    // and no other: a field read or stored at the wrong place or as the wrong kind shows here.
    const M32Header all = decodeM32Header(test::m32Header(everyField()).data().constData());
    const HeaderTexts allTexts = HeaderTexts::fromHeader(all);
    EXPECT_EQ(allTexts.detail_name, "detail");
    EXPECT_EQ(allTexts.detail_flags, "12");
    EXPECT_EQ(allTexts.damage_health, "13.00");
    EXPECT_EQ(allTexts.dt_alpha, " 5.00000000000000E+0000");
    M32Header back = newM32Header();
    back.version = all.version;
    std::memcpy(back.widths, all.widths, sizeof back.widths);
    std::memcpy(back.heights, all.heights, sizeof back.heights);
    std::memcpy(back.offsets, all.offsets, sizeof back.offsets);
    std::memcpy(back.reserved, all.reserved, sizeof back.reserved);
    allTexts.applyTo(back);
    EXPECT_EQ(std::memcmp(&back, &all, sizeof back), 0);
}

} // namespace
} // namespace quorvel
