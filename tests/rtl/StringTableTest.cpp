#include "platform/rtl/Resources.h"
#include "platform/rtl/StringTable.h"

#include <gtest/gtest.h>

using namespace qor;

TEST(StringTable, LooksUpCompiledInTexts)
{
    EXPECT_EQ(LoadStr(1), "Test string");
    EXPECT_EQ(LoadStr(2), "Line one\nLine two\tTabbed \\ backslash");
    EXPECT_EQ(LoadStr(3), "Grüße, ünïcode");
    EXPECT_TRUE(HasStr(1));
    EXPECT_EQ(LoadStr(99), "");
    EXPECT_FALSE(HasStr(99));
    EXPECT_EQ(LoadStr(-1), "");
}

TEST(StringTable, FmtLoadStrFillsInArguments)
{
    EXPECT_EQ(FmtLoadStr(4, {"Band", 3}), "Band has 3 items");
}

TEST(StringTable, TheShippedTableHasNoMalformedLines)
{
    auto Bytes = FindResource("strings.txt");
    ASSERT_TRUE(Bytes.has_value());
    std::vector<Integer> Bad;
    ParseStringTable(std::string_view(reinterpret_cast<const char*>(Bytes->data()), Bytes->size()), &Bad);
    EXPECT_TRUE(Bad.empty()) << "first bad line: " << (Bad.empty() ? 0 : Bad.front());
}

TEST(StringTable, ParsingRules)
{
    std::vector<Integer> Bad;
    auto T = ParseStringTable("\xEF\xBB\xBF# comment\r\n"
                              "\n"
                              "  10 =  padded text  \r\n"
                              "11=a=b\n"
                              "12=\\n\\t\\\\\\q\n"
                              "nonsense\n"
                              "x1=bad number\n"
                              "10=duplicate\n"
                              "  # indented comment\n"
                              "13=\n"
                              "2147483648=too big\n"
                              "14=no newline at the end",
                              &Bad);
    EXPECT_EQ(T.at(10), "  padded text  ");
    EXPECT_EQ(T.at(11), "a=b");
    EXPECT_EQ(T.at(12), "\n\t\\\\q");
    EXPECT_EQ(T.at(13), "");
    EXPECT_EQ(T.at(14), "no newline at the end");
    EXPECT_EQ(T.size(), 5u);
    EXPECT_EQ(Bad, (std::vector<Integer>{6, 7, 8, 11}));
}
