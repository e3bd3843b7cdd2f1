#include "fileops/StringFunctions.h"

#include <gtest/gtest.h>

using namespace orvane::fileops;

TEST(StringFunctions, StripTrailingSlashRemovesAtMostOneSeparator)
{
    struct Case { const char* in; const char* out; };
    for (auto c : {Case{"C:\\", "C:"}, Case{"a\\\\", "a\\"}, Case{"", ""}, Case{"/home/me", "/home/me"},
                   Case{"/home/me/", "/home/me"}, Case{"/", ""}, Case{"x//", "x/"}})
        EXPECT_EQ(StripTrailingSlash(QString::fromLatin1(c.in)), QString::fromLatin1(c.out)) << c.in;
}

TEST(StringFunctions, StartsAndEndsWithTextIgnoreAsciiCaseOnly)
{
    EXPECT_FALSE(EndsWithText("\\", ""));
    EXPECT_TRUE(EndsWithText("\\", "C:\\folder\\"));
    EXPECT_TRUE(StartsWithText("ORVANE", "orvane uninstall"));
    EXPECT_TRUE(EndsWithText(".EXE", "setup.exe"));
    EXPECT_FALSE(StartsWithText("abc", "ab")); // text shorter than the prefix
    // Letters beyond ASCII keep their case.
    EXPECT_FALSE(StartsWithText(QString::fromUtf8("Ä"), QString::fromUtf8("ä")));
}

TEST(StringFunctions, ParseLooseIntegerKeepsDigitsAndMinusOnly)
{
    struct Case { const char* text; long long value; };
    for (auto c : {Case{"5000 ms", 5000}, Case{"1,500", 1500}, Case{"-20", -20}, Case{"5-0", 0}, Case{"-", 0},
                   Case{"no digits", 0}, Case{"12345678901", 0}, Case{"2147483647", 2147483647},
                   Case{"-2147483648", -2147483648LL}, Case{"2147483648", 0}, Case{"--5", 0}, Case{"", 0}})
        EXPECT_EQ(ParseLooseInteger(QString::fromLatin1(c.text)), c.value) << c.text;
}

TEST(StringFunctions, IntToTextIsPlainDecimal)
{
    EXPECT_EQ(IntToText(0), "0");
    EXPECT_EQ(IntToText(-17), "-17");
    EXPECT_EQ(IntToText(2147483647), "2147483647");
}
