// The check Save makes of the number texts before anything is written, and the title.
#include "document/EditorTitle.h"
#include "document/HeaderTexts.h"
#include "document/NumberText.h"
#include "base/Error.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(HeaderCheck, WholeAndRealTexts)
{
    struct Row {
        const char* text;
        bool whole;
        bool real;
    } rows[] = {
        {"", true, true},         {"   ", true, true},       {"2048", true, true},
        {" -12 ", true, true},    {"+7", true, true},        {"$800", true, false},
        {"$FFFFFFFF", true, false}, {"$100000000", false, false}, {"2147483647", true, true},
        {"2147483648", false, true}, {"-2147483648", true, true}, {"-2147483649", false, true},
        {"12abc", false, false},  {"1.5", false, true},      {"-", false, false},
        {"$", false, false},      {"1e5", false, true},      {".5", false, true},
        {"5.", false, true},      {".", false, false},       {"1e", false, false},
        {" 5.00000000000000E-0001", false, true}, {"NAN", false, true}, {"-INF", false, true},
        {"1,5", false, false},    {"1 2", false, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(isWholeNumberText(QString::fromLatin1(r.text)), r.whole);
        EXPECT_EQ(isRealText(QString::fromLatin1(r.text)), r.real);
    }
}

TEST(HeaderCheck, NamesTheFirstWrongFieldByLabelAndText)
{
    EXPECT_NO_THROW(checkHeaderNumbers(HeaderTexts()));
    HeaderTexts opened = HeaderTexts::fromHeader(newM32Header());
    EXPECT_NO_THROW(checkHeaderNumbers(opened));

    struct Row {
        QString HeaderTexts::*field;
        const char* text;
        const char* message;
    } rows[] = {
        {&HeaderTexts::flags, "12abc",
         "Flags: \"12abc\" is not a whole number from -2147483648 to 2147483647. Nothing was saved."},
        {&HeaderTexts::detail_flags, "x", "Flags (detail texture): \"x\" is not a whole number from -2147483648 to "
                                          "2147483647. Nothing was saved."},
        {&HeaderTexts::scale_x, "1.2.3", "ScaleX: \"1.2.3\" is not a number. Nothing was saved."},
        {&HeaderTexts::dt_alpha, "abc", "dt_alpha: \"abc\" is not a number. Nothing was saved."},
    };
    for (const Row& r : rows) {
        HeaderTexts t;
        t.*r.field = QString::fromLatin1(r.text);
        try {
            checkHeaderNumbers(t);
            ADD_FAILURE() << r.text << " passed";
        } catch (const Error& e) {
            EXPECT_EQ(e.message(), QString::fromLatin1(r.message));
        }
    }
    HeaderTexts t;
    t.name = "12abc"; // names are free text
    t.value = "";
    EXPECT_NO_THROW(checkHeaderNumbers(t));
}

TEST(HeaderCheck, Title)
{
    EXPECT_EQ(editorTitle("", 4), "Quorvel v1.2BETA");
    EXPECT_EQ(editorTitle("/home/tex/wall.m32", 4), "Quorvel v1.2BETA \"wall.m32\" (M32 v4)");
    EXPECT_EQ(editorTitle("wall.m32", 7), "Quorvel v1.2BETA \"wall.m32\" (M32 v7)");
}

} // namespace
} // namespace quorvel
