#include "platform/rtl/QtHost.h"
#include "platform/ui/Application.h"
#include "platform/ui/DialogService.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qor;

namespace {

class UiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureQtApplication();
        DialogService().Reset();
        ClearMessageQueue();
    }
    void TearDown() override
    {
        DialogService().Reset();
        ClearMessageQueue();
    }
};

// A form with a handler by message number, the way designer forms declare theirs.
class TManagerForm : public TForm {
public:
    using TForm::TForm;
    void UpdateForm(TMessage&) { Log.push_back("update"); }
    void SetDataLists(TMessage& M)
    {
        Log.push_back("lists");
        M.Result = 5;
    }
    std::vector<std::string> Log;
};
QOR_MESSAGE(WM_USER + 1, &TManagerForm::UpdateForm);
QOR_MESSAGE(WM_USER + 2, &TManagerForm::SetDataLists);

// A form whose handler fails, the way a user's event handler can.
class TFailingForm : public TForm {
public:
    using TForm::TForm;
    void Fail(TMessage&) { throw EConvertError("'x' is not a valid integer value"); }
    void Count(TMessage&) { ++Counted; }
    int Counted = 0;
};
QOR_MESSAGE(WM_USER + 3, &TFailingForm::Fail);
QOR_MESSAGE(WM_USER + 4, &TFailingForm::Count);

// A window that handles its own size change and then does what every window does with it.
class TFittingForm : public TForm {
public:
    using TForm::TForm;
    void WMSize(TMessage& M)
    {
        Widths.push_back(LOWORD(static_cast<std::uintptr_t>(M.LParam)));
        if (HandOn)
            InheritedMessage<TFittingForm>(M);
    }
    std::vector<Integer> Widths;
    bool HandOn = true;
};
QOR_MESSAGE(WM_SIZE, &TFittingForm::WMSize);

TControl* NewControl(TWinControl* Parent, TAlign A, Integer W, Integer H)
{
    auto* c = new TWinControl(Parent);
    c->SetBounds(0, 0, W, H);
    c->SetParent(Parent);
    c->SetAlign(A);
    return c;
}

} // namespace

TEST_F(UiTest, PostedAndSentMessagesReachTheFormsHandlers)
{
    TManagerForm f(nullptr);
    PostMessage(f.Handle(), WM_USER + 1);
    EXPECT_EQ(SendMessage(f.Handle(), WM_USER + 2), 5);
    EXPECT_EQ(f.Log, std::vector<std::string>{"lists"});
    Application()->ProcessMessages();
    EXPECT_EQ(f.Log, (std::vector<std::string>{"lists", "update"}));
}

TEST_F(UiTest, AlignedChildrenShareTheClientArea)
{
    TForm f(nullptr);
    f.SetBounds(0, 0, 400, 300);
    TControl* top = NewControl(&f, alTop, 10, 37);
    TControl* bottom = NewControl(&f, alBottom, 10, 20);
    TControl* right = NewControl(&f, alRight, 50, 10);
    TControl* client = NewControl(&f, alClient, 1, 1);
    EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 400, 37));
    EXPECT_EQ(bottom->BoundsRect(), Rect(0, 280, 400, 300));
    EXPECT_EQ(right->BoundsRect(), Rect(350, 37, 400, 280));
    EXPECT_EQ(client->BoundsRect(), Rect(0, 37, 350, 280));

    // resizing the form lays them out again; hiding one gives its room to the others
    f.SetWidth(500);
    EXPECT_EQ(right->BoundsRect(), Rect(450, 37, 500, 280));
    top->SetVisible(false);
    EXPECT_EQ(client->BoundsRect(), Rect(0, 0, 450, 280));
    // a second top control placed above the first stacks before it
    top->SetVisible(true);
    TControl* top2 = NewControl(&f, alTop, 10, 10);
    top2->SetTop(-1);
    EXPECT_EQ(top2->Top(), 0);
    EXPECT_EQ(top->Top(), 10);
}

TEST_F(UiTest, ASizeHandlerHandingOnKeepsTheChildrenAligned)
{
    TFittingForm f(nullptr);
    f.SetBounds(0, 0, 400, 300);
    TControl* client = NewControl(&f, alClient, 1, 1);
    f.SetWidth(500);
    EXPECT_EQ(f.Widths, (std::vector<Integer>{400, 500}));
    EXPECT_EQ(client->BoundsRect(), Rect(0, 0, f.ClientWidth(), f.ClientHeight()));
    // a handler that keeps the message to itself replaces the alignment
    f.HandOn = false;
    const Integer before = client->Width();
    f.SetWidth(300);
    EXPECT_EQ(client->Width(), before);
}

TEST_F(UiTest, TopmostFollowsTheStyleAndChangesAloneWithoutMovingOrActivating)
{
    TForm f(nullptr);
    f.SetBounds(10, 20, 300, 200);
    EXPECT_FALSE(f.Topmost());
    f.SetFormStyle(fsStayOnTop);
    EXPECT_TRUE(f.Topmost());
    TCustomForm* active = ActiveForm();
    f.SetTopmost(false);
    EXPECT_FALSE(f.Topmost());
    EXPECT_EQ(f.FormStyle(), fsStayOnTop);
    EXPECT_EQ(f.BoundsRect(), Rect(10, 20, 310, 220));
    EXPECT_EQ(ActiveForm(), active);
    f.SetFormStyle(fsNormal);
    EXPECT_FALSE(f.Topmost());
}

TEST_F(UiTest, ScrollBoxScrollsItsChildrenWithinTheRange)
{
    TScrollBox box(nullptr);
    box.SetBorderStyle(bsNone);
    box.SetBounds(0, 0, 100, 100);
    auto* child = new TWinControl(&box);
    child->SetBounds(0, 0, 300, 250);
    child->SetParent(&box);
    auto* vs = box.VertScrollBar();
    vs->SetIncrement(24);
    // both bars show and take their 16 pixels: the client area is 84 x 84
    EXPECT_EQ(box.ClientRect(), Rect(0, 0, 84, 84));
    EXPECT_EQ(vs->MaxPosition(), 250 - 84);
    box.Perform(WM_VSCROLL, SB_LINEDOWN);
    EXPECT_EQ(vs->Position(), 24);
    EXPECT_EQ(child->Top(), -24);
    box.Perform(WM_VSCROLL, SB_BOTTOM);
    EXPECT_EQ(vs->Position(), 166);
    box.Perform(WM_VSCROLL, SB_LINEDOWN);
    EXPECT_EQ(vs->Position(), 166); // never past the end
    // the thumb position travels in the parameter's high word, the code in its low word
    box.Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 100));
    EXPECT_EQ(box.HorzScrollBar()->Position(), 100);
    EXPECT_EQ(child->Left(), -100);
    box.Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 2000));
    EXPECT_EQ(box.HorzScrollBar()->Position(), 300 - 84);
    EXPECT_EQ(child->Left(), -216);
    box.Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0));
    EXPECT_EQ(child->Left(), 0);
    // a fixed range wins over the children's extent
    vs->SetRange(120);
    EXPECT_EQ(vs->Position(), 120 - 84);
    // content that fits needs no bars: the whole box is client area
    child->SetBounds(0, 0, 50, 50);
    vs->SetRange(0);
    box.HorzScrollBar()->SetRange(0);
    EXPECT_EQ(box.ClientRect(), Rect(0, 0, 100, 100));
    // content a little wider than the box: the horizontal bar makes the vertical one needed
    child->SetBounds(0, 0, 120, 90);
    EXPECT_EQ(box.ClientRect(), Rect(0, 0, 84, 84));
}

TEST_F(UiTest, ModalFormAnsweredByAScriptReturnsItsModalResult)
{
    TForm f(nullptr);
    f.SetCaption("Page Movement");
    bool shown = false, closed = false;
    f.OnShow = [&](TObject*) { shown = true; };
    f.OnClose = [&](TObject*, TCloseAction&) { closed = true; };
    DialogService().Expect(TDialogKind::dkModalForm, [&](const TDialogRequest& R) {
        EXPECT_EQ(R.Form, &f);
        EXPECT_TRUE(f.Visible());
        R.Form->SetModalResult(mrOk); // as pressing an OK button would
        return mrNone;
    });
    EXPECT_EQ(f.ShowModal(), mrOk);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(f.Visible());
    EXPECT_EQ(DialogService().History().back().Caption, "Page Movement");

    DialogService().ScriptResult(mrCancel);
    EXPECT_EQ(f.ShowModal(), mrCancel);

    // Closing a modal form asks OnCloseQuery first: a refusal keeps it running.
    bool mayClose = false;
    int asked = 0;
    f.OnCloseQuery = [&](TObject*, bool& CanClose) {
        ++asked;
        CanClose = mayClose;
    };
    DialogService().Expect(TDialogKind::dkModalForm, [&](const TDialogRequest& R) {
        R.Form->Close();
        EXPECT_EQ(R.Form->ModalResult(), mrNone) << "refused";
        mayClose = true;
        R.Form->Close();
        return R.Form->ModalResult();
    });
    EXPECT_EQ(f.ShowModal(), mrCancel);
    EXPECT_EQ(asked, 2);
}

TEST_F(UiTest, UnscriptedModalFormRaisesHeadlessAndStaysUsable)
{
    if (QtCanShowWindows())
        GTEST_SKIP() << "a display is present";
    TForm f(nullptr);
    EXPECT_THROW(f.ShowModal(), EDialogUnanswered);
    EXPECT_FALSE(f.Visible());
    EXPECT_FALSE(f.Modal());
    EXPECT_THROW(ShowMessage("hello"), EDialogUnanswered);
    f.Show();
    EXPECT_THROW(f.ShowModal(), EInvalidOperation); // a visible window cannot be made modal
}

TEST_F(UiTest, HandleExceptionShowsTheMessageAndIgnoresAbort)
{
    DialogService().ScriptResult(IDOK);
    try {
        throw EConvertError("'x' is not a valid integer value");
    } catch (...) {
        Application()->HandleException(nullptr);
    }
    try {
        Abort();
    } catch (...) {
        Application()->HandleException(nullptr);
    }
    ASSERT_EQ(DialogService().History().size(), 1u);
    EXPECT_EQ(DialogService().History()[0].Text, "'x' is not a valid integer value.");
    EXPECT_EQ(DialogService().History()[0].Buttons & MB_ICONMASK, MB_ICONSTOP);

    // OnException takes over when assigned
    String seen;
    Application()->OnException = [&](TObject*, const Exception& E) { seen = E.Message(); };
    try {
        throw std::runtime_error("plain");
    } catch (...) {
        Application()->HandleException(nullptr);
    }
    Application()->OnException = nullptr;
    EXPECT_EQ(seen, "plain");
}

TEST_F(UiTest, AHeadlessRunSurvivesAFailingHandler)
{
    if (QtCanShowWindows())
        GTEST_SKIP() << "a display is present: the error would be shown in a box";
    TFailingForm f(nullptr);
    const String title = Application()->Title();
    Application()->SetTitle("Reports");
    PostMessage(f.Handle(), WM_USER + 3);
    PostMessage(f.Handle(), WM_USER + 4);
    testing::internal::CaptureStderr();
    EXPECT_NO_THROW(Application()->ProcessMessages());
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "Reports: 'x' is not a valid integer value.\n");
    EXPECT_EQ(f.Counted, 1); // the run went on

    String seen;
    Application()->OnException = [&](TObject*, const Exception& E) { seen = E.Message(); };
    PostMessage(f.Handle(), WM_USER + 3);
    testing::internal::CaptureStderr();
    Application()->ProcessMessages();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    Application()->OnException = nullptr;
    Application()->SetTitle(title);
    EXPECT_EQ(seen, "'x' is not a valid integer value");
}

TEST_F(UiTest, MessageDlgAnswersTheButtonPressed)
{
    DialogService().Expect(TDialogKind::dkMessageBox, [](const TDialogRequest& R) {
        EXPECT_EQ(R.Buttons & MB_TYPEMASK, MB_YESNOCANCEL);
        EXPECT_EQ(R.Text, "Abort Report?");
        return IDNO;
    });
    EXPECT_EQ(MessageDlg("Abort Report?", mtConfirmation, mbYesNoCancel), mrNo);
}

TEST_F(UiTest, CloseWithCaFreeReleasesTheFormAfterWaitingMessages)
{
    bool destroyed = false;
    auto* f = new TForm(nullptr);
    f->OnDestroy = [&](TObject*) { destroyed = true; };
    f->OnClose = [](TObject*, TCloseAction& A) { A = caFree; };
    f->Show();
    f->Close();
    EXPECT_FALSE(destroyed);
    EXPECT_FALSE(f->Visible());
    Application()->ProcessMessages();
    EXPECT_TRUE(destroyed);

    // OnCloseQuery can refuse
    TForm g(nullptr);
    g.Show();
    g.OnCloseQuery = [](TObject*, bool& CanClose) { CanClose = false; };
    g.Close();
    EXPECT_TRUE(g.Visible());

    // closing the main form ends the application's run (and frees nothing)
    TForm m(nullptr);
    m.OnClose = [](TObject*, TCloseAction& A) { A = caFree; };
    Application()->SetMainForm(&m);
    m.Show();
    EXPECT_FALSE(Application()->Terminated());
    m.Close();
    EXPECT_FALSE(m.Visible());
    EXPECT_TRUE(Application()->Terminated());
    Application()->SetMainForm(nullptr);
}

TEST_F(UiTest, KeyPreviewLetsTheFormSeeKeysFirst)
{
    TForm f(nullptr);
    auto* edit = new TWinControl(&f);
    edit->SetParent(&f);
    std::vector<std::string> log;
    f.OnKeyDown = [&](TObject*, Word& Key, TShiftState S) {
        log.push_back("form");
        if (Key == VK_NEXT && S.Contains(ssCtrl))
            Key = 0; // consumed
    };
    edit->OnKeyDown = [&](TObject*, Word&, TShiftState) { log.push_back("edit"); };
    edit->Perform(WM_KEYDOWN, VK_NEXT);
    EXPECT_EQ(log, std::vector<std::string>{"edit"});
    f.SetKeyPreview(true);
    edit->Perform(WM_KEYDOWN, VK_NEXT);
    SetKeyboardShiftState({ssCtrl});
    edit->Perform(WM_KEYDOWN, VK_NEXT);
    SetKeyboardShiftState({});
    EXPECT_EQ(log, (std::vector<std::string>{"edit", "form", "edit", "form"}));
}

TEST_F(UiTest, AutomaticDragDropsOnAnAcceptingControl)
{
    TForm f(nullptr);
    f.SetBounds(100, 100, 400, 300);
    auto* source = new TWinControl(&f);
    source->SetBounds(10, 10, 50, 20);
    source->SetParent(&f);
    source->SetDragMode(dmAutomatic);
    auto* target = new TWinControl(&f);
    target->SetBounds(200, 100, 100, 100);
    target->SetParent(&f);
    f.Show();

    std::vector<std::string> log;
    TObject* dropped = nullptr;
    Integer dropX = -1, dropY = -1;
    target->OnDragOver = [&](TObject*, TObject* Src, Integer, Integer, TDragState S, bool& Accept) {
        EXPECT_FALSE(Accept); // answers start from false
        log.push_back(S == dsDragEnter ? "enter" : S == dsDragMove ? "move" : "leave");
        Accept = Src == source;
    };
    target->OnDragDrop = [&](TObject*, TObject* Src, Integer X, Integer Y) {
        dropped = Src;
        dropX = X;
        dropY = Y;
    };
    bool clicked = false, ended = false;
    source->OnClick = [&](TObject*) { clicked = true; };
    source->OnEndDrag = [&](TObject*, TObject* T, Integer, Integer) { ended = T == target; };

    source->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_FALSE(source->Dragging()); // waits for the mouse to move
    // mouse moves are in the source's coordinates (the source holds the mouse)
    source->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 100));
    EXPECT_TRUE(source->Dragging());
    source->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(210, 110));
    source->Perform(WM_LBUTTONUP, 0, MAKELPARAM(210, 110));
    EXPECT_EQ(log, (std::vector<std::string>{"enter", "move"}));
    EXPECT_EQ(dropped, source);
    EXPECT_EQ(dropX, 20);
    EXPECT_EQ(dropY, 20);
    EXPECT_TRUE(ended);
    EXPECT_FALSE(clicked); // a drag is not a click
    EXPECT_FALSE(source->Dragging());

    // a press and release without moving is a click
    source->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    source->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(clicked);
    // and so is one where the hand shook: the threshold counts from where the button went down
    clicked = false;
    source->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 15));
    source->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(42, 16));
    EXPECT_FALSE(source->Dragging());
    source->Perform(WM_LBUTTONUP, 0, MAKELPARAM(42, 16));
    EXPECT_TRUE(clicked);
}

TEST_F(UiTest, ParentsAndOwnershipHoldTogether)
{
    auto* f = new TForm(nullptr);
    auto* panel = new TWinControl(f);
    panel->SetParent(f);
    auto* inner = new TWinControl(f);
    inner->SetParent(panel);
    EXPECT_THROW(panel->SetParent(inner), EInvalidOperation);
    EXPECT_EQ(inner->GetParentForm(), f);
    EXPECT_EQ(inner->ClientToScreen(Point(1, 1)), Point(1, 1));
    panel->SetBounds(10, 20, 100, 100);
    f->SetBounds(5, 5, 300, 300);
    EXPECT_EQ(inner->ClientToScreen(Point(1, 1)), Point(16, 26));
    // freeing a child takes it out of its parent's list
    Free(inner);
    EXPECT_EQ(panel->ControlCount(), 0);
    // a label's focus control on another form: freeing it clears the reference
    TForm other(nullptr);
    auto* label = new TLabel(&other);
    label->SetFocusControl(panel);
    Free(f);
    EXPECT_EQ(label->FocusControl(), nullptr);
}

TEST_F(UiTest, MenuItemsFormATreeWithRadioGroups)
{
    TForm f(nullptr);
    auto* menu = new TMainMenu(&f);
    auto* options = new TMenuItem(&f);
    options->SetCaption("&Options");
    menu->Items()->Add(options);
    auto* a = new TMenuItem(&f);
    auto* b = new TMenuItem(&f);
    for (TMenuItem* i : {a, b}) {
        i->SetRadioItem(true);
        i->SetGroupIndex(1);
        options->Add(i);
    }
    a->SetChecked(true);
    b->SetChecked(true);
    EXPECT_FALSE(a->Checked());
    EXPECT_EQ(menu->Items()->Find("Options"), options);
    EXPECT_THROW(a->Add(options), EInvalidOperation);
    int clicks = 0;
    auto* toggle = new TMenuItem(&f);
    toggle->SetAutoCheck(true);
    toggle->OnClick = [&](TObject*) { ++clicks; };
    options->Add(toggle);
    toggle->Click();
    EXPECT_TRUE(toggle->Checked());
    toggle->SetEnabled(false);
    toggle->Click();
    EXPECT_EQ(clicks, 1);
    f.SetMenu(menu);
    Free(menu);
    EXPECT_EQ(f.Menu(), nullptr);
    // a sub-item made with no owner goes with its item; those the form owns stay for it to free
    struct TTracedItem : TMenuItem {
        explicit TTracedItem(bool* Gone) : TMenuItem(nullptr), FGone(Gone) {}
        ~TTracedItem() override { *FGone = true; }
        bool* FGone;
    };
    bool gone = false;
    options->Add(new TTracedItem(&gone));
    Free(options);
    EXPECT_TRUE(gone);
    EXPECT_EQ(a->Parent(), nullptr);
}

namespace {
// A windowed control that reports its own end.
class TTracedControl : public TWinControl {
public:
    TTracedControl(TComponent* AOwner, bool* Gone) : TWinControl(AOwner), FGone(Gone) {}
    ~TTracedControl() override { *FGone = true; }

private:
    bool* FGone;
};
} // namespace

TEST_F(UiTest, ChildControlsGoWithTheirParentWhoeverOwnsThem)
{
    bool strip = false, check = false, owned = false;
    auto* f = new TForm(nullptr);
    auto* page = new TWinControl(f);
    page->SetParent(f);
    // a strip made with no owner, its own child also unowned, and one owned by the form
    auto* s = new TTracedControl(nullptr, &strip);
    s->SetParent(page);
    (new TTracedControl(nullptr, &check))->SetParent(s);
    auto* o = new TTracedControl(f, &owned);
    o->SetParent(s);
    const Integer components = f->ComponentCount();
    Free(page);
    EXPECT_TRUE(strip);
    EXPECT_TRUE(check);
    EXPECT_TRUE(owned);
    EXPECT_EQ(f->ComponentCount(), components - 2); // the page and the owned child left the owner
    EXPECT_EQ(f->ControlCount(), 0);
    Free(f);
}

TEST_F(UiTest, ReleaseDuringAModalRunWaitsUntilShowModalReturns)
{
    bool destroyed = false;
    auto* f = new TForm(nullptr);
    f->OnDestroy = [&](TObject*) { destroyed = true; };
    DialogService().Expect(TDialogKind::dkModalForm, [&](const TDialogRequest&) {
        f->Release(); // as a handler on the form might
        Application()->ProcessMessages();
        EXPECT_FALSE(destroyed);
        return mrOk;
    });
    EXPECT_EQ(f->ShowModal(), mrOk);
    EXPECT_FALSE(destroyed);
    Application()->ProcessMessages();
    EXPECT_TRUE(destroyed);

    // a modal form that closes with caFree is released once ShowModal has returned
    destroyed = false;
    auto* g = new TForm(nullptr);
    g->OnDestroy = [&](TObject*) { destroyed = true; };
    g->OnClose = [](TObject*, TCloseAction& A) { A = caFree; };
    DialogService().ScriptResult(mrCancel);
    EXPECT_EQ(g->ShowModal(), mrCancel);
    EXPECT_FALSE(destroyed);
    Application()->ProcessMessages();
    EXPECT_TRUE(destroyed);
}
