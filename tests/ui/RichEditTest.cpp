// The rich-edit control: RTF loaded through its lines, the formatting messages, default attributes.

#include "platform/graphics/Font.h"
#include "platform/graphics/Gdi.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/ComCtrls.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace qor;

namespace {

std::unique_ptr<TMemoryStream> StreamOf(const std::string& S)
{
    auto M = std::make_unique<TMemoryStream>();
    M->Write(S.data(), static_cast<Int64>(S.size()));
    return M;
}

const char* const TwoParagraphs = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Hello\\par {\\b World}\\par}";

Integer Length(TRichEdit& E, DWORD Flags)
{
    GETTEXTLENGTHEX Info;
    Info.flags = Flags;
    return static_cast<Integer>(E.Perform(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&Info), 0));
}

} // namespace

TEST(RichEdit, LoadsRtfThroughItsLinesAndAnswersItsLength)
{
    std::unique_ptr<TRichEdit> E(Create<TRichEdit>(nullptr));
    auto S = StreamOf(TwoParagraphs);
    S->SetPosition(S->Size()); // read from the start whatever the position
    E->Lines()->LoadFromStream(S.get());
    EXPECT_EQ(E->Lines()->Count(), 2);
    EXPECT_EQ(E->Lines()->Get(1), "World");
    EXPECT_EQ(E->Text(), "Hello\r\nWorld\r\n");
    EXPECT_EQ(Length(*E, GTL_PRECISE), 12);
    EXPECT_EQ(Length(*E, GTL_PRECISE | GTL_USECRLF), 14);
    // Formatting survives loading: the second paragraph is bold.
    EXPECT_TRUE(E->Engine().Document().Paragraph(1).Runs.at(0).Format.Style(rsBold, false));

    E->Lines()->Clear();
    EXPECT_EQ(Length(*E, GTL_PRECISE), 0);
    EXPECT_EQ(E->Lines()->Count(), 0);
    EXPECT_EQ(E->Text(), "");
}

TEST(RichEdit, FormatRangeMeasuresAndDefaultAttributesApply)
{
    std::unique_ptr<TRichEdit> E(Create<TRichEdit>(nullptr));
    E->SetText("Plain words that take their font from the default attributes of the control.");
    const HDC DC = CreateRecordingDC(816, 1056, 96);
    auto Measure = [&] {
        TFormatRange R{DC, DC, TRect(0, 0, 1440, 14400), TRect(0, 0, 1440, 14400), 0, -1};
        E->Perform(EM_FORMATRANGE, 0, 0);
        const LRESULT End = E->Perform(EM_FORMATRANGE, 0, reinterpret_cast<LPARAM>(&R));
        EXPECT_EQ(End, Length(*E, GTL_PRECISE));
        return R.rc.Bottom;
    };
    const Integer Small = Measure();
    TFont F;
    F.SetName("Courier New");
    F.SetSize(20);
    F.SetStyle(TFontStyles{fsBold});
    E->DefAttributes()->Assign(&F);
    EXPECT_EQ(E->Engine().DefaultFont().Name, "Courier New");
    EXPECT_EQ(E->Engine().DefaultFont().Size, 400);
    EXPECT_EQ(E->Engine().DefaultFont().Styles, rsBold);
    EXPECT_GT(Measure(), 2 * Small);
    // Nothing is drawn while measuring.
    for (const String& Call : GetRecordedCalls(DC))
        EXPECT_EQ(Call.find("TextOut"), String::npos) << Call;
    DeleteDC(DC);
}

TEST(RichEdit, PaintsItsTextInsideItsFrame)
{
    std::unique_ptr<TRichEdit> E(Create<TRichEdit>(nullptr));
    auto S = StreamOf("{\\rtf1\\ansi{\\colortbl ;\\red0\\green0\\blue255;}\\fs24 Top line\\par\\cf1 Blue line\\par}");
    E->Lines()->LoadFromStream(S.get());
    E->SetBounds(0, 0, 150, 60);
    const HDC DC = CreateRasterDC(200, 100, 96);
    E->PaintTo(DC, 10, 10);
    Integer Blue = 0, Dark = 0;
    for (Integer Y = 0; Y < 100; ++Y)
        for (Integer X = 0; X < 200; ++X) {
            const COLORREF C = GetPixel(DC, X, Y);
            const bool Inside = X >= 10 && X < 160 && Y >= 10 && Y < 70;
            if (!Inside) {
                ASSERT_EQ(C, RGB(255, 255, 255)) << X << "," << Y;
                continue;
            }
            if (GetBValue(C) > 150 && GetRValue(C) < 100)
                ++Blue;
            if (GetRValue(C) < 100 && GetBValue(C) < 100)
                ++Dark;
        }
    EXPECT_GT(Blue, 20);
    EXPECT_GT(Dark, 20);
    DeleteDC(DC);
}

TEST(RichEdit, LinesEditThePlainText)
{
    std::unique_ptr<TRichEdit> E(Create<TRichEdit>(nullptr));
    E->SetText("one\r\nthree");
    E->Lines()->Insert(1, "two");
    E->Lines()->Delete(0);
    E->Lines()->Put(1, "3");
    EXPECT_EQ(E->Text(), "two\r\n3");
    EXPECT_EQ(Length(*E, GTL_PRECISE), 5);
    EXPECT_THROW(E->Lines()->Delete(5), Exception);
}
