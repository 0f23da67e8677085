#pragma once
// Menus: items in a tree, the form's main menu and pop-up menus.

#include "platform/rtl/Component.h"
#include "platform/rtl/Events.h"
#include "platform/graphics/Geometry.h"

#include <memory>
#include <vector>

namespace qor {

class TControl;

using TShortCut = Word;

// A caption as it reads without its hot-key marker: each "&" goes, and "&&" stands for one "&".
String StripHotkey(const String& Caption);

class TMenuItem : public TComponent {
    QOR_CLASS(TMenuItem, TComponent)
public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;

    const String& Caption() const { return FCaption; }
    void SetCaption(const String& Value);
    // A caption of "-" makes a separator.
    bool IsLine() const { return FCaption == "-"; }
    bool Checked() const { return FChecked; }
    void SetChecked(bool Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    bool RadioItem() const { return FRadioItem; }
    void SetRadioItem(bool Value) { FRadioItem = Value; }
    Byte GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(Byte Value) { FGroupIndex = Value; }
    bool AutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool Value) { FAutoCheck = Value; }
    const String& Hint() const { return FHint; }
    void SetHint(const String& Value) { FHint = Value; }
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut Value) { FShortCut = Value; }
    Integer HelpContext() const { return FHelpContext; }
    void SetHelpContext(Integer Value) { FHelpContext = Value; }

    Integer Count() const { return static_cast<Integer>(FItems.size()); }
    TMenuItem* Items(Integer Index) const;
    TMenuItem* operator[](Integer Index) const { return Items(Index); }
    TMenuItem* Parent() const { return FParent; }
    void Add(TMenuItem* Item);
    void Insert(Integer Index, TMenuItem* Item);
    void Remove(TMenuItem* Item);
    // Removes and frees item Index.
    void Delete(Integer Index);
    // Frees every sub-item.
    void Clear();
    Integer IndexOf(const TMenuItem* Item) const;
    Integer MenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }
    TMenuItem* Find(const String& ACaption) const;

    // Runs OnClick (an auto-check item toggles first; a radio item checks itself and unchecks the
    // others of its group).
    virtual void Click();

    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* Value) override;
    bool HasParent() const override { return true; }
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

    TNotifyEvent OnClick;

private:
    void Changed();
    String FCaption;
    bool FChecked = false;
    bool FEnabled = true;
    bool FVisible = true;
    bool FRadioItem = false;
    bool FAutoCheck = false;
    Byte FGroupIndex = 0;
    String FHint;
    TShortCut FShortCut = 0;
    Integer FHelpContext = 0;
    TMenuItem* FParent = nullptr;
    std::vector<TMenuItem*> FItems;
};

class TMenu : public TComponent {
    QOR_CLASS(TMenu, TComponent)
public:
    explicit TMenu(TComponent* AOwner);
    ~TMenu() override;
    TMenuItem* Items() const { return FItems.get(); }
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
    // The item (at any depth) whose shortcut is ShortCut, or nullptr.
    TMenuItem* FindItemByShortCut(TShortCut ShortCut) const;

private:
    std::unique_ptr<TMenuItem> FItems; // the root item, not a component of the form
};

class TMainMenu : public TMenu {
    QOR_CLASS(TMainMenu, TMenu)
public:
    explicit TMainMenu(TComponent* AOwner);
};

enum TPopupAlignment : Byte { paLeft, paRight, paCenter };
QOR_ENUM_NAMES(TPopupAlignment, "paLeft", "paRight", "paCenter");

class TPopupMenu : public TMenu {
    QOR_CLASS(TPopupMenu, TMenu)
public:
    explicit TPopupMenu(TComponent* AOwner);
    bool AutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool Value) { FAutoPopup = Value; }
    TPopupAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TPopupAlignment Value) { FAlignment = Value; }
    // The control the menu was last popped up for.
    TComponent* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* Value) { FPopupComponent = Value; }
    // Fires OnPopup; with a display the menu is shown at screen point (X, Y) and the chosen item
    // clicked. Headless, only OnPopup runs (tests click items themselves).
    virtual void Popup(Integer X, Integer Y);

    TNotifyEvent OnPopup;

private:
    bool FAutoPopup = true;
    TPopupAlignment FAlignment = paLeft;
    TComponent* FPopupComponent = nullptr;
};

} // namespace qor
