#pragma once
// Standard controls: panels, labels, buttons, edits, memos, check boxes, radio buttons, group
// boxes, list boxes and combo boxes, plus the paint box.

#include "platform/rtl/Alignment.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Forms.h"
#include "platform/ui/MemoWrap.h"

#include <unordered_map>

namespace qor {

enum TBevelCut : Byte { bvNone, bvLowered, bvRaised, bvSpace };
QOR_ENUM_NAMES(TBevelCut, "bvNone", "bvLowered", "bvRaised", "bvSpace");

class TCustomPanel : public TCustomControl {
    QOR_CLASS(TCustomPanel, TCustomControl)
public:
    explicit TCustomPanel(TComponent* AOwner);
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut Value);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut Value);
    Integer BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(Integer Value);
    Integer BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(Integer Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    // The client area less the bevels and the border: where aligned children go.
    TRect AlignRect() const override;

protected:
    // Bevels, then the caption.
    void Paint() override;

private:
    TBevelCut FBevelInner = bvNone;
    TBevelCut FBevelOuter = bvRaised;
    Integer FBevelWidth = 1;
    Integer FBorderWidth = 0;
    TAlignment FAlignment = taCenter;
};

class TPanel : public TCustomPanel {
    QOR_CLASS(TPanel, TCustomPanel)
public:
    explicit TPanel(TComponent* AOwner);
};

class TPaintBox : public TGraphicControl {
    QOR_CLASS(TPaintBox, TGraphicControl)
public:
    explicit TPaintBox(TComponent* AOwner);
    TNotifyEvent OnPaint;

protected:
    void Paint() override { OnPaint(this); }
};

class TLabel : public TGraphicControl {
    QOR_CLASS(TLabel, TGraphicControl)
public:
    explicit TLabel(TComponent* AOwner);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    // With AutoSize the label takes the size of its text in its font (with WordWrap, its width
    // stays and its height fits the wrapped lines).
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    bool Transparent() const { return !FControlStyle.Contains(csOpaque); }
    void SetTransparent(bool Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    TWinControl* FocusControl() const { return FFocusControl; }
    void CMFontChanged(TMessage& M);
    void Loaded() override;
    void SetFocusControl(TWinControl* Value);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Paint() override;
    void TextChanged() override;

private:
    void AdjustBounds();
    TAlignment FAlignment = taLeftJustify;
    bool FAutoSize = true;
    bool FWordWrap = false;
    TWinControl* FFocusControl = nullptr;
};

class TButtonControl : public TWinControl {
    QOR_CLASS(TButtonControl, TWinControl)
public:
    explicit TButtonControl(TComponent* AOwner);
};

class TButton : public TButtonControl {
    QOR_CLASS(TButton, TButtonControl)
public:
    explicit TButton(TComponent* AOwner);
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult Value) { FModalResult = Value; }
    bool Default() const { return FDefault; }
    void SetDefault(bool Value);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool Value) { FCancel = Value; }
    // Sets the form's ModalResult (when this button has one), then OnClick.
    void Click() override;
    // A dialog key of the form (CM_DIALOGKEY, see Messages.h): Return when the button has the
    // focus or is the default button, Escape when it is the cancel button, clicks it (answers 1).
    void CMDialogKey(TMessage& M);

protected:
    void PaintControl(TCanvas* ACanvas) override;

private:
    TModalResult FModalResult = mrNone;
    bool FDefault = false;
    bool FCancel = false;
};

class TCheckBox : public TButtonControl {
    QOR_CLASS(TCheckBox, TButtonControl)
public:
    explicit TCheckBox(TComponent* AOwner);
    bool Checked() const { return FChecked; }
    void SetChecked(bool Value);
    // Toggles the check, then OnClick.
    void Click() override;

protected:
    void PaintControl(TCanvas* ACanvas) override;

private:
    bool FChecked = false;
};

class TRadioButton : public TButtonControl {
    QOR_CLASS(TRadioButton, TButtonControl)
public:
    explicit TRadioButton(TComponent* AOwner);
    bool Checked() const { return FChecked; }
    // Checking one radio button unchecks the others with the same parent; OnClick runs on check.
    void SetChecked(bool Value);
    void Click() override;

protected:
    void PaintControl(TCanvas* ACanvas) override;

private:
    bool FChecked = false;
};

class TGroupBox : public TCustomControl {
    QOR_CLASS(TGroupBox, TCustomControl)
public:
    explicit TGroupBox(TComponent* AOwner);
    TRect AlignRect() const override;

protected:
    void Paint() override;
};

class TCustomEdit : public TWinControl {
    QOR_CLASS(TCustomEdit, TWinControl)
public:
    explicit TCustomEdit(TComponent* AOwner);
    Integer MaxLength() const { return FMaxLength; }
    void SetMaxLength(Integer Value) { FMaxLength = Value; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TNotifyEvent OnChange;
    // Inside the sunken frame when BorderStyle is bsSingle.
    TRect ClientRect() const override;
    TPoint ClientOffset() const override;

protected:
    void TextChanged() override;
    void PaintFrame(TCanvas* ACanvas) override;
    void PaintControl(TCanvas* ACanvas) override;

private:
    Integer FMaxLength = 0;
    bool FReadOnly = false;
    TBorderStyle FBorderStyle = bsSingle;
};

class TEdit : public TCustomEdit {
    QOR_CLASS(TEdit, TCustomEdit)
public:
    explicit TEdit(TComponent* AOwner);
};

// An edit with an input mask ("999999;0": up to six digits, literals not saved). The mask holds
// while the user types: a character its position does not take is refused, and nothing goes past
// the mask's end (ConformToMask); Text is what the mask saves.
class TMaskEdit : public TCustomEdit {
    QOR_CLASS(TMaskEdit, TCustomEdit)
public:
    explicit TMaskEdit(TComponent* AOwner);
    const String& EditMask() const { return FEditMask; }
    // The text already there is made to fit the new mask.
    void SetEditMask(const String& Value);
    // The text as the mask shows it, with literals and blanks (FormatMaskText).
    String EditText() const;

protected:
    void TextChanged() override;

private:
    String FEditMask;
};

enum TScrollStyle : Byte { ssNone, ssHorizontal, ssVertical, ssBoth };
QOR_ENUM_NAMES(TScrollStyle, "ssNone", "ssHorizontal", "ssVertical", "ssBoth");

class TMemo;

// The lines of a memo as the control holds them. With WordWrap they are the text wrapped at the
// memo's client width in its font (measured at the font's pixels per inch), the way the
// platform's edit control breaks it; without, the paragraphs. As in that control, a line break
// at the very end of the text starts no line of its own ("a\n" is one line, "a\n\n" two).
// Reading gives those lines; writing edits the text: Put replaces a line's text, Insert puts a
// new paragraph before a line (Add after the last), Delete takes a line out with the line break
// that ends it, and SetText, Assign and LoadFromStream replace the whole text.
class TMemoStrings : public TStrings {
public:
    explicit TMemoStrings(TMemo* AMemo) : FMemo(AMemo) {}
    Integer Count() const override;
    String Get(Integer Index) const override;
    void Put(Integer Index, const String& S) override;
    void Insert(Integer Index, const String& S) override;
    void Delete(Integer Index) override;
    void Clear() override;
    void SetText(const String& Value) override;
    void Assign(TPersistent* Source) override;

private:
    TMemo* FMemo;
};

class TMemo : public TCustomEdit {
    QOR_CLASS(TMemo, TCustomEdit)
public:
    explicit TMemo(TComponent* AOwner);
    ~TMemo() override;
    // The lines the control holds (see TMemoStrings).
    TStrings* Lines() const { return FLines.get(); }
    void SetLines(TStrings* Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value) { FScrollBars = Value; }
    // The lines the control shows when TextWidth measures them: the text wrapped at the client
    // width (with word wrap off, the paragraphs themselves).
    std::vector<String> DisplayLines(const TTextWidthFn& TextWidth) const;
    // A memo keeps every key, Return included (a new line): answers DLGC_WANTALLKEYS.
    void WMGetDlgCode(TMessage& M);

protected:
    void TextChanged() override;
    void PaintControl(TCanvas* ACanvas) override;

private:
    friend class TMemoStrings;
    // Where one line lies in the text (bytes).
    struct TLineSpan {
        size_t Start;
        size_t Length;
    };
    // The lines in the memo's own font, worked out again only when the text, the client width,
    // the font or the word wrap has changed.
    const std::vector<TLineSpan>& LineSpans() const;
    void ReplaceText(const String& Value);

    std::unique_ptr<TMemoStrings> FLines;
    std::unique_ptr<TControlCanvas> FMeasure; // measures text in the memo's font
    bool FWordWrap = true;
    TScrollStyle FScrollBars = ssNone;
    Int64 FTextVersion = 0;
    struct TLayoutKey {
        Int64 TextVersion = -1;
        Integer Width = 0;
        bool WordWrap = false;
        String FontName;
        Integer FontHeight = 0;
        std::uint64_t FontStyle = 0;
        bool operator==(const TLayoutKey&) const = default;
    };
    mutable TLayoutKey FSpansKey;
    mutable std::vector<TLineSpan> FSpans;
    // Line lengths of paragraphs already wrapped at the current width and font, by paragraph.
    mutable std::unordered_map<String, std::vector<size_t>> FWrapCache;
};

enum TListBoxStyle : Byte { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };
QOR_ENUM_NAMES(TListBoxStyle, "lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable");
enum TOwnerDrawStateItem : Byte { odSelected, odGrayed, odDisabled, odChecked, odFocused };
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;
using TDrawItemEvent = TEvent<TWinControl* /*Control*/, Integer /*Index*/, TRect, TOwnerDrawState>;

class TListBox : public TWinControl {
    QOR_CLASS(TListBox, TWinControl)
public:
    explicit TListBox(TComponent* AOwner);
    ~TListBox() override;
    TStringList* Items() const { return FItems.get(); }
    void SetItems(TStrings* Value);
    Integer ItemIndex() const { return FItemIndex; }
    // -1 clears the selection; out of range raises EListError.
    void SetItemIndex(Integer Value);
    Integer Count() const { return FItems->Count(); }
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool Value);
    bool Selected(Integer Index) const;
    void SetSelected(Integer Index, bool Value);
    Integer SelCount() const;
    void ClearSelection();
    TListBoxStyle Style() const { return FStyle; }
    void SetStyle(TListBoxStyle Value);
    Integer ItemHeight() const { return FItemHeight; }
    void SetItemHeight(Integer Value);
    Integer Columns() const { return FColumns; }
    void SetColumns(Integer Value);
    Integer TopIndex() const { return FTopIndex; }
    void SetTopIndex(Integer Value);
    // The rectangle of item Index in client coordinates (columns run top to bottom, then across).
    TRect ItemRect(Integer Index) const;
    // The item at client point P; -1 (or, with Existing false, the index the point would have)
    // when no item is there.
    Integer ItemAtPos(const TPoint& P, bool Existing) const;
    void Clear();
    void Click() override;
    void WMLButtonDown(TMessage& M);
    // The canvas OnDrawItem draws on.
    TCanvas* Canvas() const { return FCanvas.get(); }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    // Inside the sunken frame when BorderStyle is bsSingle.
    TRect ClientRect() const override;
    TPoint ClientOffset() const override;

    TDrawItemEvent OnDrawItem;

protected:
    TCanvas* PaintCanvas() override { return FCanvas.get(); }
    void PaintFrame(TCanvas* ACanvas) override;
    // Each item shown: owner-drawn styles through OnDrawItem, with the canvas's brush and font set
    // for the item's state; otherwise (or with no handler) its text.
    void PaintControl(TCanvas* ACanvas) override;
    virtual void DrawItem(Integer Index, const TRect& Rect, TOwnerDrawState State);

private:
    std::unique_ptr<TStringList> FItems;
    std::vector<bool> FSelected;
    Integer FItemIndex = -1;
    bool FMultiSelect = false;
    TListBoxStyle FStyle = lbStandard;
    Integer FItemHeight = 16;
    Integer FColumns = 0;
    Integer FTopIndex = 0;
    std::unique_ptr<TControlCanvas> FCanvas;
    TBorderStyle FBorderStyle = bsSingle;
};

enum TComboBoxStyle : Byte { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
QOR_ENUM_NAMES(TComboBoxStyle, "csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable");

class TComboBox : public TWinControl {
    QOR_CLASS(TComboBox, TWinControl)
public:
    explicit TComboBox(TComponent* AOwner);
    ~TComboBox() override;
    TStringList* Items() const { return FItems.get(); }
    void SetItems(TStrings* Value);
    Integer ItemIndex() const { return FItemIndex; }
    // Selects item Value (its text becomes the combo's text); -1 clears; out of range raises.
    void SetItemIndex(Integer Value);
    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle Value) { FStyle = Value; }
    Integer DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(Integer Value) { FDropDownCount = Value; }
    // The user picked an item: select it and fire OnChange (what the native widget calls).
    void UserSelect(Integer Index);

    TNotifyEvent OnChange;
    TNotifyEvent OnDropDown;

protected:
    void PaintControl(TCanvas* ACanvas) override;

private:
    std::unique_ptr<TStringList> FItems;
    Integer FItemIndex = -1;
    TComboBoxStyle FStyle = csDropDown;
    Integer FDropDownCount = 8;
};

} // namespace qor
