// Seeded mutation of CSV text opened as data sets: each mutant opens with every row as wide as
// the header, or raises EDatabaseError.

#include "platform/db/CsvDataSet.h"
#include "platform/rtl/StringList.h"

#include "TextMutator.h"

#include <gtest/gtest.h>

using namespace qor;

namespace {

const char* const Seeds[] = {
    "Id,Name,Price,Day,Paid,Note\n1,Widget,2.5,2024-01-02,true,\"multi\nline, with \"\"quotes\"\"\"\n"
    "2,\"Gadget, large\",0.125,2024-02-29,false,\n3,,1e3,2024-12-31,1,x\n",
    "\xEF\xBB\xBFGr\xC3\xB6\xC3\x9F" "e,\xC3\x84rger\r\n12345678901234567890123,-5\r\n9223372036854775807,7\r\n",
    "a;b;c\n1;2;3\n",
};

const char* const Tokens[] = {",", ";", "\"", "\"\"", "\n", "\r\n", "\r", "\xff", "\xC3", "12345678901234567890123",
                              "-9223372036854775809", "2024-02-30", "2024-01-01 10:00", "true", "1e999", "NaN",
                              "-", "+", ".", "A", "a", "\xC3\x84", "\xC3\xA4", " "};

} // namespace

TEST(CsvFuzz, MutatedTextOpensOrRaises)
{
    test::TTextMutator M(1357, Tokens);
    int Opened = 0;
    for (int Iteration = 0; Iteration < 3000; ++Iteration) {
        const std::string Input = M.Mutate(Seeds[Iteration % std::size(Seeds)]);
        TCsvDataSet DS(nullptr);
        DS.SetHasHeader(Iteration % 5 != 0);
        DS.SetSeparator(Iteration % std::size(Seeds) == 2 ? ';' : ',');
        if (Iteration % 7 == 0)
            DS.Columns()->SetText("Id:Integer\nName:String:10");
        DS.SetCsvText(Input);
        try {
            DS.Open();
        } catch (const EDatabaseError&) {
            ASSERT_FALSE(DS.Active());
            ASSERT_EQ(DS.FieldCount(), 0);
            continue;
        }
        ++Opened;
        for (DS.First(); !DS.Eof(); DS.Next())
            for (Integer i = 0; i < DS.FieldCount(); ++i)
                (void)DS.Fields()->Fields(i)->DisplayText();
    }
    EXPECT_GT(Opened, 300);
}
