// The rich-text label: an RTF document of a variable measured and drawn piece by piece over pages,
// every character exactly once, a fixed label taking what fits, and nothing for RTF output.

#include "runtime/engine/QorRtfC.h"

#include "common/Golden.h"
#include "engine/PageTestSupport.h"
#include "platform/rtl/Streams.h"
#include "runtime/engine/KivExprVar.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

using namespace qor;
using namespace qor::test;

namespace {

// An RTF document of Count paragraphs, each with a bold number and some words.
std::string Document(int Count)
{
    std::string Rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 DejaVu Sans;}}\\f0\\fs20 ";
    for (int I = 1; I <= Count; ++I)
        Rtf += "{\\b Paragraph " + std::to_string(I) + "}: {\\i some words} that fill a line of the label.\\par ";
    return Rtf + "}";
}

// The character ranges the page file's rich-text records draw, page by page.
std::vector<std::vector<std::pair<int, int>>> Ranges(const std::string& Dump)
{
    std::vector<std::vector<std::pair<int, int>>> Pages;
    std::istringstream In(Dump);
    for (std::string Line; std::getline(In, Line);) {
        if (Line.rfind("page ", 0) == 0 && Line.find(" at ") == std::string::npos)
            Pages.emplace_back();
        const auto At = Line.find(" start ");
        if (Line.rfind("  RtfDraw", 0) == 0 && At != std::string::npos && !Pages.empty()) {
            std::istringstream L(Line.substr(At + 7));
            int Start = 0, End = 0;
            std::string Word;
            L >> Start >> Word >> End;
            Pages.back().emplace_back(Start, End);
        }
    }
    return Pages;
}

class RtfLabelPage : public PageFixture {
protected:
    void SetUp() override
    {
        PageFixture::SetUp();
        Free(Page->Detail()->Labels()[0]); // the detail shows only the rich text
        Page->SetDataSource(Data({"N:Integer"}, {"1"}));
        Label = new TKivRichTextLabel(&Root);
        Label->SetParent(Page->Detail());
        Label->SetBounds(4, 2, 400, 40);
        Doc = new TKivExprVar(&Root);
        Doc->SetName("Doc");
        Doc->SetParent(Page);
        Doc->SetDataType(dtypeMemo);
        Doc->SetUpdateLevel(Page->Detail()->UpdateLevel());
        Doc->OnGetData = [this](TKivVar* V) {
            TMemoryStream S;
            S.WriteBuffer(Text.data(), Int64(Text.size()));
            V->SetAsStream(&S);
        };
        Label->SetVariable(Doc);
    }
    TKivRichTextLabel* Label = nullptr;
    TKivExprVar* Doc = nullptr;
    std::string Text;
};

TEST_F(RtfLabelPage, ALongDocumentGoesOverPagesWithEveryCharacterDrawnOnce)
{
    Text = Document(160);
    Page->Detail()->SetStretch(true);
    Label->SetStretch(true);
    const std::string Dump = Run();
    ExpectGoldenFile(std::string(QOR_TEST_DATA_DIR) + "/engine/rtflabel/long.dump", Dump);
    const auto Pages = Ranges(Dump);
    ASSERT_GE(Pages.size(), 3u) << "three pages' worth";
    int Next = 0;
    for (const auto& P : Pages)
        for (auto [Start, End] : P) {
            EXPECT_EQ(Start, Next) << "no character left out or drawn twice";
            EXPECT_GT(End, Start);
            Next = End;
        }
    EXPECT_GT(Next, 160 * 40) << "the whole document";
    EXPECT_EQ(TextsOf(PagesOf(Dump)).back().front(), "PH");
}

TEST_F(RtfLabelPage, AShortDocumentEndsOnItsPageAndAFixedLabelTakesWhatFits)
{
    Text = Document(2);
    Page->Detail()->SetStretch(true);
    Label->SetStretch(true);
    auto Pages = Ranges(Run());
    ASSERT_EQ(Pages.size(), 1u);
    ASSERT_EQ(Pages[0].size(), 1u);
    EXPECT_EQ(Pages[0][0].first, 0);

    Text = Document(50);
    Label->SetStretch(false);
    Pages = Ranges(Run());
    ASSERT_EQ(Pages.size(), 1u) << "a fixed label never continues";
    ASSERT_EQ(Pages[0].size(), 1u);
    EXPECT_GT(Pages[0][0].second, 0);
    EXPECT_LT(Pages[0][0].second, 50 * 40) << "only what fits in its height";
}

TEST_F(RtfLabelPage, ALineTallerThanAFreshPageEndsTheLabel)
{
    Text = "{\\rtf1\\ansi {\\fs20 First line\\par}{\\fs2000 X\\par}{\\fs20 Last line\\par}}";
    Page->Detail()->SetStretch(true);
    Label->SetStretch(true);
    const auto Pages = RunTexts();
    EXPECT_LE(Pages.size(), 4u) << "the run ends";
}

TEST(RtfLabel, ANewLabelAndOneWithoutAVariable)
{
    TKivRichTextLabel L(nullptr);
    EXPECT_EQ(L.BottomMargin(), 20);
    EXPECT_FALSE(L.SetDefaultFont());
    L.SetVariable(nullptr);
    EXPECT_EQ(L.GetDataNow(), "Fill in variable.");
    EXPECT_EQ(L.Caption(), "Fill in variable.");
    EXPECT_EQ(L.SpendHeight(nullptr, 100), 0);
    EXPECT_EQ(L.PrintHeight(nullptr, 100, 0), 0);
    EXPECT_TRUE(L.EndPrint());
    L.SetEndPrint(false);
    L.PrintRtf(nullptr, nullptr, 0);
    EXPECT_TRUE(L.EndPrint()) << "nothing for RTF output";
}

} // namespace
