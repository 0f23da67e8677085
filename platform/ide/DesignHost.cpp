#include "platform/ide/DesignHost.h"

#include "platform/rtl/ClassRegistry.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/FormText.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/Application.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/Menus.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace qor {

QOR_PUBLISH(TGrabHandle) {}

// Hears of the removal of selected components (whoever frees them).
class TDesignWatcher : public TComponent {
public:
    explicit TDesignWatcher(TDesignHost* AHost) : TComponent(nullptr), FHost(AHost) {}

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove)
            FHost->Forget(AComponent);
    }

private:
    TDesignHost* FHost;
};

namespace {

Integer MsgX(LPARAM L) { return static_cast<SmallInt>(LOWORD(static_cast<std::uintptr_t>(L))); }
Integer MsgY(LPARAM L) { return static_cast<SmallInt>(HIWORD(static_cast<std::uintptr_t>(L))); }

bool IsMouseMessage(UINT Msg) { return Msg >= WM_MOUSEMOVE && Msg <= WM_MBUTTONDBLCLK; }

String ReadFileText(const String& FileName)
{
    std::error_code ec;
    if (!std::filesystem::exists(FileName, ec))
        throw EFOpenError(FileName + ": no such file");
    if (std::filesystem::is_directory(FileName, ec))
        throw EFOpenError(FileName + ": is a folder, not a form file");
    std::ifstream in(FileName, std::ios::binary);
    if (!in)
        throw EFOpenError(FileName + ": cannot be read (" + std::strerror(errno) + ")");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TControl* AsControl(TPersistent* P) { return dynamic_cast<TControl*>(P); }

} // namespace

// ---- Life ------------------------------------------------------------------------------------

TDesignHost::TDesignHost() : FWatcher(std::make_unique<TDesignWatcher>(this)) {}

TDesignHost::~TDesignHost()
{
    CloseForm();
    delete FContextMenu;
}

TCustomForm* TDesignHost::Form() const { return dynamic_cast<TCustomForm*>(FRoot.get()); }

void TDesignHost::Open(const String& FileName)
{
    const String text = ReadFileText(FileName);
    const TFormObject tree = ParseFormText(text, FileName);
    const TClass cls = GetClass(tree.ClassName);
    if (!cls || !cls->NewComponent)
        FormError(FileName, tree.Line, "Class " + tree.ClassName + " not found");
    std::unique_ptr<TComponent> root(cls->NewComponent(nullptr));
    root->SetDesigning(true);
    if (auto* form = dynamic_cast<TCustomForm*>(root.get()))
        form->SetDesigner(this);
    std::error_code ec;
    const String folder = std::filesystem::absolute(FileName, ec).parent_path().string();
    FReading = true;
    try {
        ReadComponentIntoRoot(root.get(), text, FileName, folder);
        // what the components posted while they were read (main bands, lists) is done before
        // anybody looks at the form
        Application()->ProcessMessages();
    } catch (...) {
        FReading = false;
        if (auto* form = dynamic_cast<TCustomForm*>(root.get()))
            form->SetDesigner(nullptr);
        throw;
    }
    FReading = false;
    Adopt(std::move(root), FileName);
    Snapshot();
}

void TDesignHost::New(const String& FileName)
{
    std::unique_ptr<TComponent> root(Create<TForm>(nullptr));
    root->SetDesigning(true);
    auto* form = static_cast<TForm*>(root.get());
    form->SetDesigner(this);
    form->SetName("Form1");
    form->SetCaption("Form1");
    Adopt(std::move(root), FileName);
}

void TDesignHost::Adopt(std::unique_ptr<TComponent> Root, const String& FileName)
{
    CloseForm();
    FRoot = std::move(Root);
    FFileName = FileName;
    FDirty = false;
    FAncestorValues.clear();
    SetSelection({FRoot.get()});
    if (OnFormChanged)
        OnFormChanged();
}

void TDesignHost::CloseForm()
{
    FDrag = TDrag();
    SetSelection({});
    if (FRoot) {
        if (auto* form = Form()) {
            form->Hide();
            form->SetDesigner(nullptr);
        }
        FRoot->SetDesigning(false, false);
        Free(FRoot.release()); // through BeforeDestruction, while the form is whole
    }
    FFileName.clear();
    FDirty = false;
}

String TDesignHost::FormText() const { return FRoot ? WriteComponentToText(FRoot.get()) : String(); }

void TDesignHost::Save() { SaveAs(FFileName); }

void TDesignHost::SaveAs(const String& FileName)
{
    if (!FRoot)
        throw EInvalidOperation("There is no form to save");
    const String text = FormText();
    SaveFileSafely(FileName, [&](TStream& S) { S.WriteBuffer(text.data(), static_cast<Int64>(text.size())); });
    FFileName = FileName;
    FDirty = false;
    if (OnModified)
        OnModified();
}

void TDesignHost::ShowForm()
{
    if (auto* form = Form()) {
        form->Show();
        UpdateHandles();
    }
}

// Keeps the values read for components that come from an ancestor form.
void TDesignHost::Snapshot()
{
    auto keep = [&](TComponent* C) {
        if (!C->ComponentState().Contains(csAncestor))
            return;
        auto& values = FAncestorValues[C];
        for (const TPropInfo* p : C->ClassType()->AllProperties())
            if (p->Kind != TPropKind::SubObject && p->Kind != TPropKind::Strings)
                values[p->Name] = PropValueText(p, C, FRoot.get());
    };
    keep(FRoot.get());
    for (Integer i = 0; i < FRoot->ComponentCount(); ++i)
        keep(FRoot->Components(i));
}

// ---- Selection -------------------------------------------------------------------------------

void TDesignHost::SetSelection(std::vector<TPersistent*> List)
{
    for (TPersistent* p : FSelection)
        if (auto* c = dynamic_cast<TComponent*>(p); c && std::find(List.begin(), List.end(), p) == List.end())
            c->RemoveFreeNotification(FWatcher.get());
    for (TPersistent* p : List)
        if (auto* c = dynamic_cast<TComponent*>(p))
            c->FreeNotification(FWatcher.get());
    FSelection = std::move(List);
    UpdateHandles();
    if (OnSelectionChanged)
        OnSelectionChanged();
}

void TDesignHost::Forget(TComponent* Component)
{
    for (TGrabHandle* h : FHandles)
        if (h == Component)
            return; // handles are freed by UpdateHandles
    auto it = std::find(FSelection.begin(), FSelection.end(), Component);
    if (it == FSelection.end())
        return;
    FSelection.erase(it);
    FAncestorValues.erase(Component);
    if (FDrag.Active)
        FDrag = TDrag();
    UpdateHandles();
    if (OnSelectionChanged)
        OnSelectionChanged();
}

void TDesignHost::SelectComponent(TPersistent* Instance)
{
    SetSelection({Instance ? Instance : FRoot.get()});
}

void TDesignHost::SetSelections(const TDesignerSelections& List) { SetSelection(List.List()); }

void TDesignHost::GetSelections(TDesignerSelections& List)
{
    List.Clear();
    for (TPersistent* p : FSelection)
        List.Add(p);
}

bool TDesignHost::IsDesigned(const TControl* Control) const
{
    return Control && FRoot && (Control == FRoot.get() || Control->Owner() == FRoot.get());
}

bool TDesignHost::IsAlive(const TComponent* Component) const
{
    if (!FRoot)
        return false;
    if (Component == FRoot.get())
        return true;
    for (Integer i = 0; i < FRoot->ComponentCount(); ++i)
        if (FRoot->Components(i) == Component)
            return true;
    return false;
}

std::vector<TGrabHandle*> TDesignHost::HandlesOf(const TControl* Control) const
{
    std::vector<TGrabHandle*> out;
    for (TGrabHandle* h : FHandles)
        if (h->Control() == Control)
            out.push_back(h);
    return out;
}

void TDesignHost::UpdateHandles()
{
    std::vector<TGrabHandle*> old;
    old.swap(FHandles);
    for (TGrabHandle* h : old)
        delete h;
    TCustomForm* form = Form();
    if (!form)
        return;
    for (TPersistent* p : FSelection) {
        TControl* c = AsControl(p);
        if (!c || c == form || !c->Parent())
            continue;
        for (Integer i = 0; i < 8; ++i) {
            auto* h = new TGrabHandle(this, c, i);
            h->SetParent(form);
            h->Place();
            FHandles.push_back(h);
        }
    }
}

// ---- IDesigner -------------------------------------------------------------------------------

void TDesignHost::Modified()
{
    if (FReading || !FRoot)
        return;
    FDirty = true;
    for (TGrabHandle* h : FHandles)
        h->Place();
    if (OnModified)
        OnModified();
}

void TDesignHost::GetComponentNames(TClass Class, const TGetStrProc& Proc)
{
    if (!FRoot)
        return;
    if (!Class || FRoot->InheritsFrom(Class))
        Proc(FRoot->Name());
    for (Integer i = 0; i < FRoot->ComponentCount(); ++i) {
        TComponent* c = FRoot->Components(i);
        if (!c->Name().empty() && (!Class || c->InheritsFrom(Class)))
            Proc(c->Name());
    }
}

TComponent* TDesignHost::GetComponent(const String& Name)
{
    if (!FRoot || Name.empty())
        return nullptr;
    const size_t dot = Name.find('.');
    if (dot != String::npos) {
        TComponent* module = FindModule(Name.substr(0, dot));
        return module ? module->FindComponent(Name.substr(dot + 1)) : nullptr;
    }
    return SameText(FRoot->Name(), Name) ? FRoot.get() : FRoot->FindComponent(Name);
}

String TDesignHost::GetComponentName(TComponent* Component)
{
    if (!Component)
        return {};
    if (Component == FRoot.get() || Component->Owner() == FRoot.get() || !Component->Owner())
        return Component->Name();
    return Component->Owner()->Name() + "." + Component->Name();
}

bool TDesignHost::IsComponentLinkable(TComponent* Component)
{
    if (!Component || !FRoot)
        return false;
    if (Component == FRoot.get() || Component->Owner() == FRoot.get())
        return true;
    TComponent* owner = Component->Owner();
    return owner && FindModule(owner->Name()) == owner;
}

String TDesignHost::GetMethodName(const TObject* Instance, const TPropInfo* Event)
{
    return Instance && Event ? Event->GetHandlerName(Instance) : String();
}

void TDesignHost::Revert(TPersistent* Instance, const TPropInfo* Prop)
{
    if (!Instance || !Prop || Prop->ReadOnly)
        return;
    auto read = FAncestorValues.find(Instance);
    if (read != FAncestorValues.end()) {
        auto v = read->second.find(Prop->Name);
        if (v != read->second.end()) {
            SetPropText(Instance, Prop->Name, v->second, FRoot.get());
            Modified();
            return;
        }
    }
    switch (Prop->Kind) {
    case TPropKind::Component: Prop->SetValue(Instance, static_cast<TObject*>(nullptr)); break;
    case TPropKind::Method: Prop->SetHandler(Instance, nullptr, nullptr); break;
    case TPropKind::Strings:
    {
        const TPropValue v = Prop->GetValue(Instance);
        if (auto* s = std::get_if<TStrings*>(&v); s && *s)
            (*s)->Clear();
    }
        break;
    case TPropKind::SubObject:
        if (auto* sub = dynamic_cast<TPersistent*>(detail::ValueAsObject(Prop->GetValue(Instance))))
            for (const TPropInfo* p : sub->ClassType()->AllProperties())
                Revert(sub, p);
        return;
    default:
        if (Prop->HasDefault)
            Prop->SetValue(Instance, Prop->DefaultValue);
        else if (Prop->Kind == TPropKind::String)
            Prop->SetValue(Instance, String());
        else
            return;
    }
    Modified();
}

// ---- Editing ---------------------------------------------------------------------------------

String TDesignHost::UniqueName(TClass Class) const
{
    String base = Class->Name;
    if (base.size() > 1 && (base[0] == 'T' || base[0] == 't'))
        base.erase(0, 1);
    for (Integer n = 1;; ++n) {
        String name = base + std::to_string(n);
        if (!FRoot || (!SameText(FRoot->Name(), name) && !FRoot->FindComponent(name)))
            return name;
    }
}

TComponent* TDesignHost::Place(TClass Class, TControl* Target, const TPoint& At)
{
    if (!FRoot || !Class || !Class->NewComponent)
        return nullptr;
    TComponent* made = Class->NewComponent(FRoot.get());
    try {
        made->SetName(UniqueName(Class));
        if (auto* control = dynamic_cast<TControl*>(made)) {
            TPoint p = At;
            bool placed = false;
            for (TControl* t = Target; t && !placed; t = t->Parent()) {
                auto* w = dynamic_cast<TWinControl*>(t);
                if (w && IsDesigned(w) && w->ControlStyle().Contains(csAcceptsControls)) {
                    try {
                        control->SetParent(w);
                        placed = control->Parent() == w;
                    } catch (const EAbort&) {
                    }
                    if (placed)
                        control->SetBounds(p.X, p.Y, control->Width(), control->Height());
                }
                if (!placed)
                    p = p + t->BoundsRect().TopLeft() + t->ClientOffset();
            }
            if (!placed) {
                Free(made);
                return nullptr;
            }
        }
    } catch (...) {
        if (IsAlive(made))
            Free(made);
        throw;
    }
    SelectComponent(made);
    Modified();
    return made;
}

// The selected components of the form whose parents are not selected too (what is deleted or
// copied with its children).
std::vector<TComponent*> TDesignHost::TopSelected() const
{
    std::vector<TComponent*> out;
    for (TPersistent* p : FSelection) {
        auto* c = dynamic_cast<TComponent*>(p);
        if (!c || c == FRoot.get() || c->Owner() != FRoot.get())
            continue;
        bool under = false;
        if (auto* ctl = dynamic_cast<TControl*>(c))
            for (TControl* up = ctl->Parent(); up && !under; up = up->Parent())
                under = std::find(FSelection.begin(), FSelection.end(), static_cast<TPersistent*>(up)) != FSelection.end();
        if (!under)
            out.push_back(c);
    }
    return out;
}

bool TDesignHost::DeleteSelection()
{
    const std::vector<TComponent*> doomed = TopSelected();
    if (doomed.empty())
        return true;
    bool all = true;
    for (TComponent* c : doomed) {
        if (!IsAlive(c))
            continue; // went with an earlier one
        try {
            Free(c);
        } catch (const EAbort&) {
            all = false;
            break;
        } catch (const Exception& e) {
            Application()->ShowException(e);
            all = false;
            break;
        }
    }
    if (FSelection.empty())
        SelectComponent(nullptr);
    Modified();
    return all;
}

void TDesignHost::CopySelection()
{
    const std::vector<TComponent*> top = TopSelected();
    if (top.empty())
        return;
    Clipboard()->SetAsText(WriteComponentsToText(FRoot.get(), top));
    NotifyCopied(this);
}

void TDesignHost::CutSelection()
{
    CopySelection();
    DeleteSelection();
}

void TDesignHost::PasteSelection()
{
    if (!FRoot || !Clipboard()->HasText())
        return;
    // into the first selected control that takes controls, else its parent, else the form
    TControl* target = nullptr;
    for (TPersistent* p : FSelection)
        if (TControl* c = AsControl(p)) {
            target = c;
            break;
        }
    if (!target)
        target = Form();
    auto place = [&](TComponent* C) {
        auto* control = dynamic_cast<TControl*>(C);
        if (!control)
            return;
        for (TControl* t = target; t; t = t->Parent()) {
            auto* w = dynamic_cast<TWinControl*>(t);
            if (!w || !w->ControlStyle().Contains(csAcceptsControls))
                continue;
            try {
                control->SetParent(w);
                if (control->Parent() == w)
                    return;
            } catch (const EAbort&) {
            }
        }
        Abort(); // no parent takes it: nothing is pasted
    };
    std::vector<TComponent*> pasted;
    try {
        pasted = ReadComponentsIntoRoot(FRoot.get(), Clipboard()->AsText(), place);
    } catch (const EAbort&) {
        return;
    } catch (const Exception& e) {
        Application()->ShowException(e);
        return;
    }
    SetSelection(std::vector<TPersistent*>(pasted.begin(), pasted.end()));
    Modified();
}

void TDesignHost::EditComponent(TComponent* Component)
{
    if (!Component)
        return;
    try {
        GetComponentEditor(Component, this)->Edit();
    } catch (const EAbort&) {
    } catch (const Exception& e) {
        Application()->ShowException(e);
    }
}

void TDesignHost::ShowContextMenu(TComponent* Target, const TPoint& Screen)
{
    delete FContextMenu;
    FContextMenu = new TPopupMenu(nullptr);
    TMenuItem* items = FContextMenu->Items();
    {
        auto editor = GetComponentEditor(Target, this);
        for (Integer i = 0; i < editor->GetVerbCount(); ++i) {
            auto* item = new TMenuItem(FContextMenu);
            item->SetCaption(editor->GetVerb(i));
            item->OnClick = [this, Target, i](TObject*) {
                if (!IsAlive(Target))
                    return;
                try {
                    GetComponentEditor(Target, this)->ExecuteVerb(i);
                } catch (const EAbort&) {
                } catch (const Exception& e) {
                    Application()->ShowException(e);
                }
            };
            items->Add(item);
        }
        if (editor->GetVerbCount() > 0) {
            auto* line = new TMenuItem(FContextMenu);
            line->SetCaption("-");
            items->Add(line);
        }
    }
    auto* del = new TMenuItem(FContextMenu);
    del->SetCaption("Delete");
    del->SetEnabled(Target != FRoot.get());
    del->OnClick = [this](TObject*) { DeleteSelection(); };
    items->Add(del);
    FContextMenu->Popup(Screen.X, Screen.Y);
}

// ---- Messages --------------------------------------------------------------------------------

bool TDesignHost::IsDesignMsg(TControl* Sender, TMessage& Message)
{
    if (!FRoot || FReading || !IsDesigned(Sender))
        return false;
    if (IsMouseMessage(Message.Msg))
        return MouseMessage(Sender, Message);
    switch (Message.Msg) {
    case WM_KEYDOWN: return KeyMessage(static_cast<Word>(Message.WParam));
    case WM_KEYUP:
    case WM_CHAR: return true;
    default: return false;
    }
}

TControl* TDesignHost::DesignedAt(TControl* Sender, TPoint& P) const
{
    TControl* current = Sender;
    for (;;) {
        auto* w = dynamic_cast<TWinControl*>(current);
        if (!w)
            return current;
        TControl* hit = nullptr;
        // at design time hidden controls show too
        for (Integer i = w->ControlCount() - 1; i >= 0 && !hit; --i) {
            TControl* c = w->Controls(i);
            if ((c->Visible() || IsDesigned(c)) && c->BoundsRect().Contains(P))
                hit = c;
        }
        if (!hit)
            return current;
        if (!IsDesigned(hit))
            return nullptr;
        P = P - hit->BoundsRect().TopLeft() - hit->ClientOffset();
        current = hit;
    }
}

bool TDesignHost::MouseMessage(TControl* Sender, TMessage& M)
{
    TPoint p(MsgX(M.LParam), MsgY(M.LParam));
    const TPoint screen = Sender->ClientToScreen(p);
    TControl* target = DesignedAt(Sender, p);
    if (!target) {
        // a control that is not designed (a tool button on a designed control) has the message
        TPoint local = p;
        TControl* current = Sender;
        while (auto* w = dynamic_cast<TWinControl*>(current)) {
            TControl* hit = w->ControlAtPos(local, true);
            if (!hit)
                break;
            local = local - hit->BoundsRect().TopLeft() - hit->ClientOffset();
            current = hit;
            if (!IsDesigned(hit))
                break;
        }
        if (current == Sender)
            return false;
        current->Perform(M.Msg, M.WParam, MAKELPARAM(static_cast<Word>(local.X), static_cast<Word>(local.Y)));
        return true;
    }
    // the control may keep the mouse for itself (and follows it for the rulers)
    if (target->Perform(CM_DESIGNHITTEST, M.WParam, MAKELPARAM(static_cast<Word>(p.X), static_cast<Word>(p.Y))) != 0) {
        if (target == Sender)
            return false;
        target->Perform(M.Msg, M.WParam, MAKELPARAM(static_cast<Word>(p.X), static_cast<Word>(p.Y)));
        return true;
    }
    const bool shift = (M.WParam & MK_SHIFT) != 0;
    switch (M.Msg) {
    case WM_LBUTTONDOWN: MouseDown(target, p, shift); break;
    case WM_MOUSEMOVE:
        if (FDrag.Active)
            DragTo(screen);
        break;
    case WM_LBUTTONUP:
        if (FDrag.Active) {
            if (FDrag.Handle >= 0)
                EndResize();
            else {
                const bool moved = FDrag.Moved;
                FDrag = TDrag();
                if (moved)
                    Modified();
            }
        }
        break;
    case WM_LBUTTONDBLCLK:
        FDrag = TDrag();
        EditComponent(target);
        break;
    case WM_RBUTTONDOWN:
        if (std::find(FSelection.begin(), FSelection.end(), static_cast<TPersistent*>(target)) == FSelection.end())
            SelectComponent(target);
        break;
    case WM_RBUTTONUP: ShowContextMenu(target, screen); break;
    default: break;
    }
    return true;
}

void TDesignHost::MouseDown(TControl* Target, const TPoint& At, bool Shift)
{
    if (FPlacing) {
        const TClass cls = FPlacing;
        FPlacing = nullptr;
        try {
            Place(cls, Target, At);
        } catch (const EAbort&) {
        } catch (const Exception& e) {
            Application()->ShowException(e);
        }
        return;
    }
    auto selected = std::find(FSelection.begin(), FSelection.end(), static_cast<TPersistent*>(Target));
    if (Shift) {
        std::vector<TPersistent*> list = FSelection;
        if (selected != FSelection.end() && list.size() > 1)
            list.erase(list.begin() + (selected - FSelection.begin()));
        else if (selected == FSelection.end()) {
            std::erase(list, static_cast<TPersistent*>(FRoot.get()));
            list.push_back(Target);
        }
        SetSelection(std::move(list));
        return;
    }
    if (selected == FSelection.end())
        SelectComponent(Target);
    if (Target == FRoot.get())
        return;
    FDrag = TDrag();
    FDrag.Active = true;
    FDrag.Start = Target->ClientToScreen(At);
    for (TPersistent* p : FSelection)
        if (TControl* c = AsControl(p); c && c != FRoot.get() && c->Parent())
            FDrag.From.emplace_back(c, c->BoundsRect());
}

void TDesignHost::DragTo(const TPoint& Screen)
{
    if (FDrag.Handle >= 0) {
        ResizeTo(Screen);
        return;
    }
    const Integer dx = Screen.X - FDrag.Start.X, dy = Screen.Y - FDrag.Start.Y;
    if (!FDrag.Moved && dx == 0 && dy == 0)
        return;
    FDrag.Moved = true;
    for (auto& [c, r] : FDrag.From)
        c->SetBounds(r.Left + dx, r.Top + dy, r.Width(), r.Height());
    for (TGrabHandle* h : FHandles)
        h->Place();
}

void TDesignHost::BeginResize(TControl* Control, Integer Handle, const TPoint& Screen)
{
    FDrag = TDrag();
    FDrag.Active = true;
    FDrag.Handle = Handle;
    FDrag.Start = Screen;
    FDrag.From.emplace_back(Control, Control->BoundsRect());
}

void TDesignHost::ResizeTo(const TPoint& Screen)
{
    if (!FDrag.Active || FDrag.From.empty())
        return;
    auto [c, r] = FDrag.From[0];
    const Integer dx = Screen.X - FDrag.Start.X, dy = Screen.Y - FDrag.Start.Y;
    Integer left = r.Left, top = r.Top, right = r.Right, bottom = r.Bottom;
    const Integer h = FDrag.Handle;
    if (h == 0 || h == 6 || h == 7)
        left = std::min(left + dx, right - 1);
    if (h == 2 || h == 3 || h == 4)
        right = std::max(right + dx, left + 1);
    if (h == 0 || h == 1 || h == 2)
        top = std::min(top + dy, bottom - 1);
    if (h == 4 || h == 5 || h == 6)
        bottom = std::max(bottom + dy, top + 1);
    FDrag.Moved = FDrag.Moved || dx != 0 || dy != 0;
    c->SetBounds(left, top, right - left, bottom - top);
    for (TGrabHandle* g : FHandles)
        g->Place();
}

void TDesignHost::EndResize()
{
    const bool moved = FDrag.Moved;
    FDrag = TDrag();
    if (moved)
        Modified();
}

void TDesignHost::NudgeSelection(Integer DX, Integer DY, bool Resize)
{
    bool any = false;
    for (TPersistent* p : FSelection)
        if (TControl* c = AsControl(p); c && c != FRoot.get()) {
            if (Resize)
                c->SetBounds(c->Left(), c->Top(), std::max(1, c->Width() + DX), std::max(1, c->Height() + DY));
            else
                c->SetBounds(c->Left() + DX, c->Top() + DY, c->Width(), c->Height());
            any = true;
        }
    if (any)
        Modified();
}

bool TDesignHost::KeyMessage(Word Key)
{
    const TShiftState shift = KeyboardShiftState();
    const bool ctrl = shift.Contains(ssCtrl);
    switch (Key) {
    case VK_DELETE: DeleteSelection(); break;
    case VK_LEFT: NudgeSelection(-1, 0, shift.Contains(ssShift)); break;
    case VK_RIGHT: NudgeSelection(1, 0, shift.Contains(ssShift)); break;
    case VK_UP: NudgeSelection(0, -1, shift.Contains(ssShift)); break;
    case VK_DOWN: NudgeSelection(0, 1, shift.Contains(ssShift)); break;
    case VK_ESCAPE: {
        TControl* c = FSelection.empty() ? nullptr : AsControl(FSelection.front());
        SelectComponent(c && c->Parent() && IsDesigned(c->Parent()) ? static_cast<TPersistent*>(c->Parent()) : nullptr);
        break;
    }
    case 'C':
        if (ctrl)
            CopySelection();
        break;
    case 'X':
        if (ctrl)
            CutSelection();
        break;
    case 'V':
        if (ctrl)
            PasteSelection();
        break;
    default: break;
    }
    return true;
}

// ---- Grab handles ----------------------------------------------------------------------------

TGrabHandle::TGrabHandle(TDesignHost* AHost, TControl* AControl, Integer AIndex)
    : TCustomControl(nullptr), FHost(AHost), FControl(AControl), FIndex(AIndex)
{
    SetColor(clBlack);
    static const TCursor cursors[8] = {crSizeNWSE, crSizeNS, crSizeNESW, crSizeWE,
                                       crSizeNWSE, crSizeNS, crSizeNESW, crSizeWE};
    SetCursor(cursors[AIndex]);
    SetBounds(0, 0, Size, Size);
}

void TGrabHandle::Place()
{
    TWinControl* form = Parent();
    if (!form || !FControl->Parent())
        return;
    const TPoint o = form->ScreenToClient(FControl->Parent()->ClientToScreen(FControl->BoundsRect().TopLeft()));
    const Integer w = FControl->Width(), h = FControl->Height();
    const Integer xs[3] = {o.X - Size / 2, o.X + w / 2 - Size / 2, o.X + w - Size / 2};
    const Integer ys[3] = {o.Y - Size / 2, o.Y + h / 2 - Size / 2, o.Y + h - Size / 2};
    static const Integer col[8] = {0, 1, 2, 2, 2, 1, 0, 0};
    static const Integer row[8] = {0, 0, 0, 1, 2, 2, 2, 1};
    SetBounds(xs[col[FIndex]], ys[row[FIndex]], Size, Size);
    BringToFront();
}

void TGrabHandle::Paint()
{
    Canvas()->Brush()->SetColor(clBlack);
    Canvas()->FillRect(ClientRect());
}

void TGrabHandle::MouseDown(TMouseButton Button, TShiftState, Integer X, Integer Y)
{
    if (Button == mbLeft)
        FHost->BeginResize(FControl, FIndex, ClientToScreen(Point(X, Y)));
}

void TGrabHandle::MouseMove(TShiftState, Integer X, Integer Y)
{
    if (FHost->FDrag.Active && FHost->FDrag.Handle == FIndex)
        FHost->ResizeTo(ClientToScreen(Point(X, Y)));
}

void TGrabHandle::MouseUp(TMouseButton Button, TShiftState, Integer, Integer)
{
    if (Button == mbLeft && FHost->FDrag.Active && FHost->FDrag.Handle == FIndex)
        FHost->EndResize();
}

} // namespace qor
