#include "platform/rtl/QtHost.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/DialogService.h"
#include "platform/ui/StdCtrls.h"

#include <gtest/gtest.h>

using namespace qor;

TEST(StdCtrls, ButtonWithModalResultEndsAScriptedModalRun)
{
    EnsureQtApplication();
    DialogService().Reset();
    TForm f(nullptr);
    auto* go = new TButton(&f);
    go->SetParent(&f);
    go->SetModalResult(mrOk);
    auto* page = new TMaskEdit(&f);
    page->SetParent(&f);
    DialogService().Expect(TDialogKind::dkModalForm, [&](const TDialogRequest&) {
        page->SetText("12");
        go->Click();
        return mrNone;
    });
    EXPECT_EQ(f.ShowModal(), mrOk);
    EXPECT_EQ(page->Text(), "12");
    DialogService().Reset();
}

TEST(StdCtrls, AMaskedEditRefusesWhatItsMaskDoesNotTake)
{
    TForm f(nullptr);
    auto* page = new TMaskEdit(&f);
    page->SetParent(&f);
    std::vector<String> changes;
    page->OnChange = [&](TObject*) { changes.push_back(page->Text()); };
    page->SetEditMask("999999;0");
    page->SetText("12x");
    EXPECT_EQ(page->Text(), "12");
    page->SetText("12345678");
    EXPECT_EQ(page->Text(), "123456");
    EXPECT_EQ(changes, (std::vector<String>{"12", "123456"})); // refused text is never announced

    page->SetEditMask("(999) 000;0;_");
    EXPECT_EQ(page->Text(), "123456");
    EXPECT_EQ(page->EditText(), "(123) 456");
    page->SetEditMask("999;0"); // a shorter mask cuts what no longer fits
    EXPECT_EQ(page->Text(), "123");
}

TEST(StdCtrls, MemoLinesAndTextStayInStepAndWrapAtTheClientWidth)
{
    TMemo m(nullptr);
    m.SetBounds(0, 0, 60, 50);
    m.Lines()->Add("hello world");
    m.Lines()->Add("x");
    EXPECT_EQ(m.Text(), "hello world\nx");
    auto w = [](std::string_view s) { return static_cast<Integer>(s.size()) * 10; };
    EXPECT_EQ(m.DisplayLines(w), (std::vector<String>{"hello ", "world", "x"}));
    m.SetText("a\r\nb");
    EXPECT_EQ(m.Lines()->Count(), 2);
    m.SetWordWrap(false);
    EXPECT_EQ(m.DisplayLines(w), (std::vector<String>{"a", "b"}));
}

TEST(StdCtrls, ListBoxFindsItemsByPositionAndSelects)
{
    TListBox lb(nullptr);
    lb.SetBounds(0, 0, 104, 60); // a client area of 100 x 56 inside the frame
    lb.SetItemHeight(14);
    for (const char* s : {"a", "b", "c", "d", "e", "f"})
        lb.Items()->Add(s);
    EXPECT_EQ(lb.ItemAtPos(Point(5, 15), true), 1);
    EXPECT_EQ(lb.ItemAtPos(Point(5, 200), true), -1);
    EXPECT_EQ(lb.ItemAtPos(Point(5, 200), false), 6);
    lb.SetColumns(2); // four rows a column
    EXPECT_EQ(lb.ItemAtPos(Point(60, 15), true), 5);
    EXPECT_EQ(lb.ItemRect(5), Rect(50, 14, 100, 28));
    lb.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 30));
    EXPECT_EQ(lb.ItemIndex(), 2);
    EXPECT_THROW(lb.SetItemIndex(6), EListError);
    lb.SetMultiSelect(true);
    lb.Perform(WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(5, 0));
    EXPECT_EQ(lb.SelCount(), 2);
    lb.Items()->Delete(0);
    EXPECT_EQ(lb.Count(), 5);
}

TEST(StdCtrls, RadioButtonsOfOneParentExcludeEachOther)
{
    TPanel p(nullptr);
    auto* a = new TRadioButton(&p);
    auto* b = new TRadioButton(&p);
    a->SetParent(&p);
    b->SetParent(&p);
    int clicks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    a->SetChecked(true);
    b->Click();
    EXPECT_FALSE(a->Checked());
    EXPECT_TRUE(b->Checked());
    EXPECT_EQ(clicks, 1);
}

TEST(StdCtrls, PanelBevelsInsetAlignedChildren)
{
    TPanel p(nullptr);
    p.SetBounds(0, 0, 200, 100);
    p.SetBevelInner(bvLowered);
    auto* c = new TPanel(&p);
    c->SetParent(&p);
    c->SetAlign(alClient);
    EXPECT_EQ(c->BoundsRect(), Rect(2, 2, 198, 98));
}

TEST(StdCtrls, ComboSelectionSetsTheText)
{
    TComboBox cb(nullptr);
    cb.Items()->Add("200%");
    cb.Items()->Add("Whole Page");
    int changes = 0;
    cb.OnChange = [&](TObject*) { ++changes; };
    cb.UserSelect(1);
    EXPECT_EQ(cb.Text(), "Whole Page");
    EXPECT_EQ(changes, 1);
    EXPECT_THROW(cb.SetItemIndex(2), EListError);
}

TEST(StdCtrls, ClipboardKeepsTextHeadless)
{
    EnsureQtApplication();
    Clipboard()->SetAsText("object KivReport1: TKivReport");
    EXPECT_TRUE(Clipboard()->HasText());
    EXPECT_EQ(Clipboard()->AsText(), "object KivReport1: TKivReport");
    Clipboard()->Clear();
    EXPECT_FALSE(Clipboard()->HasText());
}

TEST(StdCtrls, AutoSizeLabelsFitTheirText)
{
    EnsureQtApplication();
    TLabel label(nullptr);
    label.SetBounds(100, 10, 65, 17);
    label.SetCaption("&Hello");
    const Integer oneWord = label.Width();
    EXPECT_GT(oneWord, 10);
    label.SetCaption("Hello Hello");
    EXPECT_GT(label.Width(), oneWord * 3 / 2);
    const Integer height = label.Height();
    label.Font()->SetSize(label.Font()->Size() * 2);
    EXPECT_GT(label.Height(), height * 3 / 2);
    // right-justified: the right edge stays where it was
    label.SetAlignment(taRightJustify);
    const Integer right = label.Left() + label.Width();
    label.SetCaption("Hi");
    EXPECT_EQ(label.Left() + label.Width(), right);
    // word wrap keeps the width and grows downwards
    label.SetWordWrap(true);
    label.SetWidth(oneWord + 4);
    label.SetCaption("Hello Hello Hello");
    EXPECT_EQ(label.Width(), oneWord + 4);
    EXPECT_GE(label.Height(), 3 * height);
    // without AutoSize nothing moves
    label.SetAutoSize(false);
    label.SetBounds(0, 0, 40, 40);
    label.SetCaption("A much longer caption than before");
    EXPECT_EQ(label.BoundsRect(), Rect(0, 0, 40, 40));
}

TEST(StdCtrls, MemoLinesAreTheTextWrappedInItsFontAtItsResolution)
{
    EnsureQtApplication();
    TForm form(nullptr);
    auto* m = new TMemo(&form);
    m->SetParent(&form);
    m->SetBorderStyle(bsNone);
    m->Font()->SetName("DejaVu Sans");
    m->Font()->SetSize(10);
    TControlCanvas measure;
    measure.Font()->Assign(m->Font());
    // room for "the quick" and a little more, not for "the quick brown"
    const Integer room = measure.TextWidth("the quick") + 2;
    ASSERT_GT(measure.TextWidth("the quick brown"), room);
    m->SetWidth(room);
    m->Lines()->SetText("the quick brown\r\n\r\nend");
    EXPECT_EQ(m->Lines()->ToVector(), (std::vector<String>{"the quick ", "brown", "", "end"}));
    EXPECT_EQ(m->Lines()->Count(), 4);

    // the same point size at twice the resolution is twice as many pixels: more lines, each
    // within the width unless it is a single character
    m->Font()->SetPixelsPerInch(192);
    m->Font()->SetSize(10);
    measure.Font()->Assign(m->Font());
    const auto lines = m->Lines()->ToVector();
    EXPECT_GT(lines.size(), 4u);
    String joined;
    for (const String& l : lines) {
        joined += l;
        String ink = l;
        while (!ink.empty() && ink.back() == ' ')
            ink.pop_back();
        if (ink.size() > 1) {
            EXPECT_LE(measure.TextWidth(ink), room) << l;
        }
    }
    EXPECT_EQ(joined, "the quick brownend");

    // the paragraph loaded alone: the final line break starts no line of its own
    m->Lines()->SetText("end\r\n");
    EXPECT_EQ(m->Lines()->Count(), 1);
    m->Lines()->Clear();
    EXPECT_EQ(m->Lines()->Count(), 0);
}

TEST(StdCtrls, MemoLinesEditTheText)
{
    TMemo m(nullptr);
    m.SetWordWrap(false);
    TStrings* l = m.Lines();
    l->Add("a");
    l->Add("");
    EXPECT_EQ(l->Count(), 2); // an empty last line is kept
    l->Add("c");
    EXPECT_EQ(m.Text(), "a\n\nc");
    l->Insert(1, "b");
    l->Put(2, "-");
    EXPECT_EQ(l->ToVector(), (std::vector<String>{"a", "b", "-", "c"}));
    l->Delete(3);
    l->Delete(0);
    EXPECT_EQ(m.Text(), "b\n-");
    EXPECT_THROW(l->Delete(2), EListError);
    TStringList other;
    other.Add("x");
    other.Add("");
    m.SetLines(&other);
    EXPECT_EQ(l->ToVector(), (std::vector<String>{"x", ""}));
}
