#include "platform/ui/Menus.h"
#include "platform/ui/internal/NativeBridge.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/List.h"

#include <algorithm>

namespace qor {

String StripHotkey(const String& Caption)
{
    String out;
    out.reserve(Caption.size());
    for (std::size_t i = 0; i < Caption.size(); ++i) {
        if (Caption[i] == '&') {
            if (i + 1 >= Caption.size())
                break;
            ++i;
        }
        out += Caption[i];
    }
    return out;
}

QOR_PUBLISH(TMenuItem)
{
    b.Property("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption).Default(String());
    b.Property("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked).Default(false);
    b.Property("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled).Default(true);
    b.Property("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible).Default(true);
    b.Property("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem).Default(false);
    b.Property("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex).Default(Byte(0));
    b.Property("AutoCheck", &TMenuItem::AutoCheck, &TMenuItem::SetAutoCheck).Default(false);
    b.Property("Hint", &TMenuItem::Hint, &TMenuItem::SetHint).Default(String());
    b.Property("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut).Default(TShortCut(0));
    b.Property("HelpContext", &TMenuItem::HelpContext, &TMenuItem::SetHelpContext).Default(0);
    b.Event("OnClick", &TMenuItem::OnClick);
}

QOR_PUBLISH(TMenu) {}
QOR_PUBLISH(TMainMenu) {}
QOR_PUBLISH(TPopupMenu)
{
    b.Property("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup).Default(true);
    b.Property("Alignment", &TPopupMenu::Alignment, &TPopupMenu::SetAlignment).Default(paLeft);
    b.Event("OnPopup", &TPopupMenu::OnPopup);
}

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem()
{
    // Sub-items owned by a form are freed by it and only lose their parent here; one made with no
    // owner has no one else to free it, and goes with its item (as a parent window frees its
    // controls).
    std::vector<TMenuItem*> Orphans;
    for (TMenuItem* i : FItems) {
        i->FParent = nullptr;
        if (!i->Owner())
            Orphans.push_back(i);
    }
    FItems.clear();
    for (TMenuItem* i : Orphans)
        delete i;
    if (FParent)
        FParent->Remove(this);
}

void TMenuItem::Changed()
{
    // the menu bar of a form showing this menu follows
    const TMenuItem* root = this;
    while (root->FParent)
        root = root->FParent;
    NativeMenuChanged(root);
}

void TMenuItem::SetCaption(const String& Value)
{
    FCaption = Value;
    Changed();
}

void TMenuItem::SetChecked(bool Value)
{
    if (Value == FChecked)
        return;
    FChecked = Value;
    if (Value && FRadioItem && FParent)
        for (TMenuItem* i : FParent->FItems)
            if (i != this && i->FRadioItem && i->FGroupIndex == FGroupIndex)
                i->FChecked = false;
    Changed();
}

void TMenuItem::SetEnabled(bool Value)
{
    FEnabled = Value;
    Changed();
}

void TMenuItem::SetVisible(bool Value)
{
    FVisible = Value;
    Changed();
}

TMenuItem* TMenuItem::Items(Integer Index) const
{
    if (Index < 0 || Index >= Count())
        ListIndexError(Index);
    return FItems[static_cast<size_t>(Index)];
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(Integer Index, TMenuItem* Item)
{
    if (!Item)
        return;
    if (Item->FParent)
        throw EInvalidOperation("Menu inserted twice");
    for (TMenuItem* p = this; p; p = p->FParent)
        if (p == Item)
            throw EInvalidOperation("A menu item cannot hold itself");
    if (Index < 0 || Index > Count())
        ListIndexError(Index);
    FItems.insert(FItems.begin() + Index, Item);
    Item->FParent = this;
    Changed();
}

void TMenuItem::Remove(TMenuItem* Item)
{
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    if (it == FItems.end())
        return;
    FItems.erase(it);
    Item->FParent = nullptr;
    Changed();
}

void TMenuItem::Delete(Integer Index)
{
    TMenuItem* item = Items(Index);
    Remove(item);
    Free(item);
}

void TMenuItem::Clear()
{
    while (!FItems.empty())
        Delete(Count() - 1);
}

Integer TMenuItem::IndexOf(const TMenuItem* Item) const
{
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    return it == FItems.end() ? -1 : static_cast<Integer>(it - FItems.begin());
}

TMenuItem* TMenuItem::Find(const String& ACaption) const
{
    auto strip = [](const String& S) {
        String r;
        for (char c : S)
            if (c != '&')
                r += c;
        return r;
    };
    for (TMenuItem* i : FItems)
        if (strip(i->FCaption) == strip(ACaption))
            return i;
    return nullptr;
}

void TMenuItem::Click()
{
    if (!FEnabled)
        return;
    if (FAutoCheck)
        SetChecked(!FChecked);
    OnClick(this);
}

TComponent* TMenuItem::GetParentComponent() const
{
    if (!FParent)
        return nullptr;
    // the root item of a menu stands for the menu itself
    if (!FParent->FParent && FParent->Owner() && dynamic_cast<TMenu*>(FParent->Owner()) &&
        static_cast<TMenu*>(FParent->Owner())->Items() == FParent)
        return FParent->Owner();
    return FParent;
}

void TMenuItem::SetParentComponent(TComponent* Value)
{
    if (FParent)
        FParent->Remove(this);
    if (auto* m = dynamic_cast<TMenu*>(Value))
        m->Items()->Add(this);
    else if (auto* i = dynamic_cast<TMenuItem*>(Value))
        i->Add(this);
}

void TMenuItem::GetChildren(const TGetChildProc& Proc, TComponent*)
{
    for (TMenuItem* i : FItems)
        Proc(i);
}

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(std::make_unique<TMenuItem>(nullptr)) {}

TMenu::~TMenu()
{
    // The root item goes: items owned by the form only lose their parent, the others go with it.
    const std::unique_ptr<TMenuItem> root = std::move(FItems);
}

void TMenu::GetChildren(const TGetChildProc& Proc, TComponent* Root) { FItems->GetChildren(Proc, Root); }

namespace {
TMenuItem* FindShortCut(TMenuItem* Item, TShortCut S)
{
    for (Integer i = 0; i < Item->Count(); ++i) {
        TMenuItem* c = Item->Items(i);
        if (c->ShortCut() == S && S != 0)
            return c;
        if (TMenuItem* f = FindShortCut(c, S))
            return f;
    }
    return nullptr;
}
} // namespace

TMenuItem* TMenu::FindItemByShortCut(TShortCut ShortCut) const { return FindShortCut(FItems.get(), ShortCut); }

TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}


void TPopupMenu::Popup(Integer X, Integer Y)
{
    OnPopup(this);
    NativePopupMenu(this, X, Y);
}

} // namespace qor
