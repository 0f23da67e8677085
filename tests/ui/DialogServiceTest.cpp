#include "platform/ui/DialogService.h"
#include "platform/ui/Messages.h"

#include <gtest/gtest.h>

using namespace qor;

namespace {

class DialogServiceTest : public ::testing::Test {
protected:
    void SetUp() override { DialogService().Reset(); }
    void TearDown() override { DialogService().Reset(); }
    static TDialogRequest Box(const String& Text)
    {
        TDialogRequest r;
        r.Kind = TDialogKind::dkMessageBox;
        r.Caption = "Delete?";
        r.Text = Text;
        r.Buttons = MB_YESNO;
        return r;
    }
};

} // namespace

TEST_F(DialogServiceTest, ScriptedAnswersAreUsedInOrderAndRecorded)
{
    auto& s = DialogService();
    s.ScriptResult(IDYES);
    s.Script([](const TDialogRequest& R) { return R.Text == "second" ? IDNO : IDCANCEL; });
    bool shown = false;
    auto screen = [&] { shown = true; return 0; };
    EXPECT_EQ(s.Execute(Box("first"), screen), IDYES);
    EXPECT_EQ(s.Execute(Box("second"), screen), IDNO);
    EXPECT_FALSE(shown);
    ASSERT_EQ(s.History().size(), 2u);
    EXPECT_EQ(s.History()[0].Text, "first");
    EXPECT_EQ(s.History()[1].Result, IDNO);
    EXPECT_EQ(s.History()[1].Buttons, MB_YESNO);
}

TEST_F(DialogServiceTest, HeadlessAndUnscriptedRaisesWithAClearMessage)
{
    auto& s = DialogService();
    TDialogRequest r;
    r.Kind = TDialogKind::dkModalForm;
    r.ClassName = "TQorGotoPage";
    r.Caption = "Page Movement";
    try {
        s.Execute(r, [] { return 1; });
        FAIL() << "expected EDialogUnanswered";
    } catch (const EDialogUnanswered& e) {
        EXPECT_NE(e.Message().find("TQorGotoPage"), String::npos) << e.Message();
        EXPECT_NE(e.Message().find("no scripted answer"), String::npos) << e.Message();
    }
    // without any way to show it at all, the same
    EXPECT_THROW(s.Execute(Box("x"), nullptr), EDialogUnanswered);
}

TEST_F(DialogServiceTest, ExpectRefusesADialogOfAnotherKind)
{
    auto& s = DialogService();
    s.Expect(TDialogKind::dkOpenFile, 1);
    EXPECT_THROW(s.Execute(Box("surprise"), nullptr), EDialogUnanswered);
    EXPECT_EQ(s.PendingAnswers(), 0);
    s.Expect(TDialogKind::dkMessageBox, IDOK);
    EXPECT_EQ(s.Execute(Box("ok"), nullptr), IDOK);
}

TEST_F(DialogServiceTest, DriverAnswersWhenTheScriptIsEmpty)
{
    auto& s = DialogService();
    int calls = 0;
    s.SetDriver([&](const TDialogRequest&) { ++calls; return IDNO; });
    s.ScriptResult(IDYES);
    EXPECT_EQ(s.Execute(Box("a"), nullptr), IDYES);
    EXPECT_EQ(s.Execute(Box("b"), nullptr), IDNO);
    EXPECT_EQ(s.Execute(Box("c"), nullptr), IDNO);
    EXPECT_EQ(calls, 2);
    s.SetDriver(nullptr);
    EXPECT_THROW(s.Execute(Box("d"), nullptr), EDialogUnanswered);
}
