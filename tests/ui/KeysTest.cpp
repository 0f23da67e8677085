#include "platform/graphics/Gdi.h"
#include "platform/rtl/QtHost.h"
#include "platform/ui/Render.h"
#include "platform/ui/StdCtrls.h"

#include <gtest/gtest.h>

using namespace qor;

namespace {

class DialogKeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureQtApplication();
        form.SetBounds(0, 0, 300, 200);
        edit = Add<TEdit>();
        memo = Add<TMemo>();
        ok = Add<TButton>();
        ok->SetDefault(true);
        ok->SetModalResult(mrOk);
        ok->OnClick = [this](TObject*) { ++okClicks; };
        cancel = Add<TButton>();
        cancel->SetCancel(true);
        cancel->SetModalResult(mrCancel);
        form.Show();
    }
    void TearDown() override
    {
        form.Hide();
        SetKeyboardShiftState({});
    }
    template <class T>
    T* Add()
    {
        auto* c = new T(&form);
        c->SetParent(&form);
        return c;
    }
    void Key(TWinControl* C, Word K) { C->Perform(WM_KEYDOWN, K); }

    TForm form{nullptr};
    TEdit* edit = nullptr;
    TMemo* memo = nullptr;
    TButton* ok = nullptr;
    TButton* cancel = nullptr;
    Integer okClicks = 0;
};

} // namespace

TEST_F(DialogKeys, ReturnClicksTheDefaultButtonAndEscapeTheCancelButton)
{
    Key(edit, VK_RETURN);
    EXPECT_EQ(okClicks, 1);
    EXPECT_EQ(form.ModalResult(), mrOk);
    Key(edit, VK_ESCAPE);
    EXPECT_EQ(form.ModalResult(), mrCancel);
    // a memo takes Return as a new line
    Key(memo, VK_RETURN);
    EXPECT_EQ(okClicks, 1);
    // a handler that takes the key keeps it from the buttons
    edit->OnKeyDown = [](TObject*, Word& K, TShiftState) { K = 0; };
    Key(edit, VK_RETURN);
    EXPECT_EQ(okClicks, 1);
    // a disabled default button is not clicked; a focused button is clicked instead of it
    ok->SetEnabled(false);
    Key(memo, VK_ESCAPE);
    form.SetModalResult(mrNone);
    Key(cancel, VK_RETURN);
    EXPECT_EQ(form.ModalResult(), mrCancel);
}

TEST_F(DialogKeys, TabMovesTheFocusInTabOrderSkippingWhatCannotTakeIt)
{
    memo->SetTabStop(false);
    edit->SetFocus();
    Key(edit, VK_TAB);
    EXPECT_EQ(form.ActiveControl(), ok);
    ok->SetTabOrder(0); // now: ok, edit, memo, cancel
    Key(ok, VK_TAB);
    EXPECT_EQ(form.ActiveControl(), edit);
    cancel->SetEnabled(false);
    Key(edit, VK_TAB); // memo has no tab stop, cancel is disabled: around to ok
    EXPECT_EQ(form.ActiveControl(), ok);
    SetKeyboardShiftState({ssShift});
    Key(ok, VK_TAB);
    EXPECT_EQ(form.ActiveControl(), edit);
}

TEST(FormPaint, OnPaintDrawsOnTheFormsCanvasAfterItsBackground)
{
    EnsureQtApplication();
    TForm form(nullptr);
    form.SetBounds(0, 0, 50, 50);
    form.OnPaint = [&](TObject*) {
        form.Canvas()->Brush()->SetColor(clRed);
        form.Canvas()->FillRect(Rect(10, 10, 20, 20));
    };
    HDC dc = RenderToDC(&form);
    EXPECT_EQ(TColor(GetPixel(dc, 15, 15)), TColor(ColorToRGB(clRed)));
    EXPECT_EQ(TColor(GetPixel(dc, 5, 5)), TColor(ColorToRGB(clBtnFace)));
    DeleteDC(dc);
}
