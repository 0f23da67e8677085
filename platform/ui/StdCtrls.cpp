#include "platform/ui/StdCtrls.h"

#include "platform/rtl/SysUtils.h"

#include "platform/rtl/List.h"
#include "platform/ui/ControlPaint.h"

#include <algorithm>

namespace qor {

QOR_PUBLISH(TCustomPanel) {}
QOR_PUBLISH(TPanel)
{
    b.Property("BevelInner", &TPanel::BevelInner, &TPanel::SetBevelInner).Default(bvNone);
    b.Property("BevelOuter", &TPanel::BevelOuter, &TPanel::SetBevelOuter).Default(bvRaised);
    b.Property("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth).Default(1);
    b.Property("BorderWidth", &TPanel::BorderWidth, &TPanel::SetBorderWidth).Default(0);
    b.Property("Alignment", &TPanel::Alignment, &TPanel::SetAlignment).Default(taCenter);
}
QOR_PUBLISH(TPaintBox) { b.Event("OnPaint", &TPaintBox::OnPaint); }
QOR_PUBLISH(TLabel)
{
    b.Property("Alignment", &TLabel::Alignment, &TLabel::SetAlignment).Default(taLeftJustify);
    b.Property("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize).Default(true);
    b.Property("Transparent", &TLabel::Transparent, &TLabel::SetTransparent).Default(false);
    b.Property("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap).Default(false);
    b.Property("FocusControl", &TLabel::FocusControl, &TLabel::SetFocusControl);
    b.Property("ParentColor", &TLabel::ParentColor, &TLabel::SetParentColor).Default(true);
}
QOR_PUBLISH(TButtonControl) {}
QOR_PUBLISH(TButton)
{
    b.Property("ModalResult", &TButton::ModalResult, &TButton::SetModalResult).Default(mrNone);
    b.Property("Default", &TButton::Default, &TButton::SetDefault).Default(false);
    b.Property("Cancel", &TButton::Cancel, &TButton::SetCancel).Default(false);
}
QOR_PUBLISH(TCheckBox)
{
    b.Property("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked).Default(false);
    b.Property("ParentColor", &TCheckBox::ParentColor, &TCheckBox::SetParentColor).Default(true);
}
QOR_PUBLISH(TRadioButton)
{
    b.Property("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked).Default(false);
    b.Property("ParentColor", &TRadioButton::ParentColor, &TRadioButton::SetParentColor).Default(true);
}
QOR_PUBLISH(TGroupBox) {}
QOR_PUBLISH(TCustomEdit)
{
    b.Property("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength).Default(0);
    b.Property("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly).Default(false);
    b.Property("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle).Default(bsSingle);
    b.Property("Text", &TCustomEdit::Caption, &TCustomEdit::SetText).Default(String());
    b.Event("OnChange", &TCustomEdit::OnChange);
}
QOR_PUBLISH(TEdit) {}
QOR_PUBLISH(TMaskEdit) { b.Property("EditMask", &TMaskEdit::EditMask, &TMaskEdit::SetEditMask).Default(String()); }
QOR_PUBLISH(TMemo)
{
    b.SubObject("Lines", &TMemo::Lines);
    b.Property("WordWrap", &TMemo::WordWrap, &TMemo::SetWordWrap).Default(true);
    b.Property("ScrollBars", &TMemo::ScrollBars, &TMemo::SetScrollBars).Default(ssNone);
}
QOR_PUBLISH(TListBox)
{
    b.SubObject("Items", &TListBox::Items);
    b.Property("MultiSelect", &TListBox::MultiSelect, &TListBox::SetMultiSelect).Default(false);
    b.Property("Style", &TListBox::Style, &TListBox::SetStyle).Default(lbStandard);
    b.Property("ItemHeight", &TListBox::ItemHeight, &TListBox::SetItemHeight).Default(16);
    b.Property("Columns", &TListBox::Columns, &TListBox::SetColumns).Default(0);
    b.Property("BorderStyle", &TListBox::BorderStyle, &TListBox::SetBorderStyle).Default(bsSingle);
    b.Event("OnDrawItem", &TListBox::OnDrawItem);
}
QOR_PUBLISH(TComboBox)
{
    b.SubObject("Items", &TComboBox::Items);
    b.Property("Style", &TComboBox::Style, &TComboBox::SetStyle).Default(csDropDown);
    b.Property("DropDownCount", &TComboBox::DropDownCount, &TComboBox::SetDropDownCount).Default(8);
    b.Property("Text", &TComboBox::Caption, &TComboBox::SetText).Default(String());
    b.Event("OnChange", &TComboBox::OnChange);
    b.Event("OnDropDown", &TComboBox::OnDropDown);
}

QOR_MESSAGE(WM_LBUTTONDOWN, &TListBox::WMLButtonDown);
QOR_MESSAGE(CM_FONTCHANGED, &TLabel::CMFontChanged);
QOR_MESSAGE(CM_DIALOGKEY, &TButton::CMDialogKey);
QOR_MESSAGE(WM_GETDLGCODE, &TMemo::WMGetDlgCode);

// ---- Panels, paint boxes, labels ---------------------------------------------------------------

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner)
{
    FControlStyle += csAcceptsControls;
    FControlStyle += csOpaque;
    SetColor(clBtnFace);
    SetBounds(0, 0, 185, 41);
}

void TCustomPanel::SetBevelInner(TBevelCut Value) { FBevelInner = Value; Realign(); Invalidate(); }
void TCustomPanel::SetBevelOuter(TBevelCut Value) { FBevelOuter = Value; Realign(); Invalidate(); }
void TCustomPanel::SetBevelWidth(Integer Value) { FBevelWidth = std::max(1, Value); Realign(); Invalidate(); }
void TCustomPanel::SetBorderWidth(Integer Value) { FBorderWidth = std::max(0, Value); Realign(); Invalidate(); }
void TCustomPanel::SetAlignment(TAlignment Value) { FAlignment = Value; Invalidate(); }

TRect TCustomPanel::AlignRect() const
{
    TRect r = ClientRect();
    Integer inset = FBorderWidth;
    if (FBevelOuter != bvNone)
        inset += FBevelWidth;
    if (FBevelInner != bvNone)
        inset += FBevelWidth;
    r.Left += inset;
    r.Top += inset;
    r.Right = std::max(r.Left, r.Right - inset);
    r.Bottom = std::max(r.Top, r.Bottom - inset);
    return r;
}

void TCustomPanel::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    auto bevel = [&](TBevelCut Cut) {
        if (Cut == bvRaised)
            Frame3D(c, r, clBtnHighlight, clBtnShadow, FBevelWidth);
        else if (Cut == bvLowered)
            Frame3D(c, r, clBtnShadow, clBtnHighlight, FBevelWidth);
        else if (Cut == bvSpace)
            Frame3D(c, r, Color(), Color(), FBevelWidth);
    };
    bevel(FBevelOuter);
    Frame3D(c, r, Color(), Color(), FBorderWidth);
    bevel(FBevelInner);
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    const Cardinal align = FAlignment == taCenter ? DT_CENTER : FAlignment == taRightJustify ? DT_RIGHT : DT_LEFT;
    DrawCaption(c, r, Caption(), align | DT_VCENTER);
}

TPanel::TPanel(TComponent* AOwner) : TCustomPanel(AOwner) {}

TPaintBox::TPaintBox(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 105, 105); }

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner)
{
    SetBounds(0, 0, 65, 17);
    FControlStyle += csOpaque;
    SetParentColor(true); // a label shows on its parent's colour, not in a white box
}

void TLabel::SetAlignment(TAlignment Value) { FAlignment = Value; Invalidate(); }

void TLabel::SetTransparent(bool Value)
{
    if (Value)
        FControlStyle -= csOpaque;
    else
        FControlStyle += csOpaque;
    Invalidate();
}

void TLabel::SetAutoSize(bool Value)
{
    FAutoSize = Value;
    AdjustBounds();
}

void TLabel::SetWordWrap(bool Value)
{
    FWordWrap = Value;
    AdjustBounds();
    Invalidate();
}

void TLabel::TextChanged()
{
    TGraphicControl::TextChanged();
    AdjustBounds();
}

void TLabel::CMFontChanged(TMessage&) { AdjustBounds(); }

void TLabel::Loaded()
{
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TLabel::AdjustBounds()
{
    if (!FAutoSize || ComponentState().Contains(csLoading) || ComponentState().Contains(csReading))
        return;
    TCanvas* c = Canvas();
    c->Font()->Assign(Font());
    const String text = StripAccelerator(Caption());
    const Integer lineHeight = c->TextHeight("Wg");
    if (FWordWrap) {
        const auto lines = WrapText(text, Width(), [c](std::string_view s) { return c->TextWidth(String(s)); });
        SetBounds(Left(), Top(), Width(), std::max<Integer>(1, static_cast<Integer>(lines.size())) * lineHeight);
        return;
    }
    const Integer w = text.empty() ? 0 : c->TextWidth(text);
    // a right-justified label keeps its right edge
    const Integer left = FAlignment == taRightJustify ? Left() + Width() - w : Left();
    SetBounds(left, Top(), w, lineHeight);
}

void TLabel::Paint()
{
    TCanvas* c = Canvas();
    const TRect r = ClientRect();
    if (!Transparent()) {
        c->Brush()->SetColor(Color());
        c->FillRect(r);
    }
    if (!Enabled())
        c->Font()->SetColor(clGrayText);
    const Cardinal align = FAlignment == taCenter ? DT_CENTER : FAlignment == taRightJustify ? DT_RIGHT : DT_LEFT;
    const String text = StripAccelerator(Caption());
    if (!FWordWrap) {
        DrawCaption(c, r, text, align, true);
        return;
    }
    const Integer lineHeight = c->TextHeight("Wg");
    Integer y = r.Top;
    for (const String& line : WrapText(text, r.Width(), [c](std::string_view s) { return c->TextWidth(String(s)); })) {
        DrawCaption(c, Rect(r.Left, y, r.Right, y + lineHeight), line, align, true);
        y += lineHeight;
    }
}

void TLabel::SetFocusControl(TWinControl* Value)
{
    if (Value == FFocusControl)
        return;
    if (FFocusControl)
        FFocusControl->RemoveFreeNotification(this);
    FFocusControl = Value;
    if (FFocusControl)
        FFocusControl->FreeNotification(this);
}

void TLabel::Notification(TComponent* AComponent, TOperation Operation)
{
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFocusControl)
        FFocusControl = nullptr;
}

// ---- Buttons -----------------------------------------------------------------------------------

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) { SetTabStop(true); }

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) { SetBounds(0, 0, 75, 25); }

void TButton::SetDefault(bool Value)
{
    FDefault = Value;
    UpdateNative();
}

void TButton::Click()
{
    if (FModalResult != mrNone)
        if (TCustomForm* f = GetParentForm())
            f->SetModalResult(FModalResult);
    TButtonControl::Click();
}

void TButton::CMDialogKey(TMessage& M)
{
    const bool focused = M.LParam != 0;
    if ((M.WParam == VK_RETURN && (focused || FDefault)) || (M.WParam == VK_ESCAPE && !focused && FCancel)) {
        Click();
        M.Result = 1;
    }
}

void TButton::PaintControl(TCanvas* ACanvas)
{
    TRect r = ClientRect();
    DrawButtonFace(ACanvas, r, false, FDefault);
    if (!Enabled())
        ACanvas->Font()->SetColor(clGrayText);
    DrawCaption(ACanvas, r, Caption(), DT_CENTER | DT_VCENTER);
}

namespace {

// The 13 x 13 box of check boxes and radio buttons at the left, then the caption.
TRect CheckMarkBox(const TRect& Client)
{
    const Integer size = 13;
    const Integer top = Client.Top + (Client.Height() - size) / 2;
    return Bounds(Client.Left, top, size, size);
}

void PaintCheckCaption(TControl* Control, TCanvas* ACanvas, const TRect& Client)
{
    if (!Control->Enabled())
        ACanvas->Font()->SetColor(clGrayText);
    DrawCaption(ACanvas, Rect(Client.Left + 17, Client.Top, Client.Right, Client.Bottom), Control->Caption(),
                DT_LEFT | DT_VCENTER);
}

} // namespace

void TCheckBox::PaintControl(TCanvas* ACanvas)
{
    const TRect client = ClientRect();
    ACanvas->FillRect(client);
    TRect box = CheckMarkBox(client);
    DrawSunkenFrame(ACanvas, box);
    ACanvas->Brush()->SetColor(Enabled() ? clWindow : clBtnFace);
    ACanvas->FillRect(box);
    if (FChecked) {
        ACanvas->Pen()->SetColor(clWindowText);
        for (Integer i = 0; i < 3; ++i) {
            ACanvas->MoveTo(box.Left + 1, box.Top + 3 + i);
            ACanvas->LineTo(box.Left + 3, box.Top + 5 + i);
            ACanvas->LineTo(box.Left + 8, box.Top + i);
        }
    }
    ACanvas->Brush()->SetColor(Color());
    PaintCheckCaption(this, ACanvas, client);
}

TCheckBox::TCheckBox(TComponent* AOwner) : TButtonControl(AOwner)
{
    SetBounds(0, 0, 97, 17);
    SetParentColor(true);
}

void TCheckBox::SetChecked(bool Value)
{
    if (Value == FChecked)
        return;
    FChecked = Value;
    UpdateNative();
}

void TCheckBox::Click()
{
    SetChecked(!FChecked);
    TButtonControl::Click();
}

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner)
{
    SetBounds(0, 0, 113, 17);
    SetParentColor(true);
}

void TRadioButton::SetChecked(bool Value)
{
    if (Value == FChecked)
        return;
    FChecked = Value;
    if (Value) {
        if (Parent())
            for (Integer i = 0; i < Parent()->ControlCount(); ++i)
                if (auto* r = dynamic_cast<TRadioButton*>(Parent()->Controls(i)); r && r != this)
                    r->SetChecked(false);
        TButtonControl::Click();
    }
    UpdateNative();
}

void TRadioButton::Click() { SetChecked(true); }

void TRadioButton::PaintControl(TCanvas* ACanvas)
{
    const TRect client = ClientRect();
    ACanvas->FillRect(client);
    const TRect box = CheckMarkBox(client);
    ACanvas->Pen()->SetColor(clBtnShadow);
    ACanvas->Brush()->SetColor(Enabled() ? clWindow : clBtnFace);
    ACanvas->Ellipse(box);
    if (FChecked) {
        ACanvas->Pen()->SetColor(clWindowText);
        ACanvas->Brush()->SetColor(clWindowText);
        ACanvas->Ellipse(box.Left + 4, box.Top + 4, box.Right - 4, box.Bottom - 4);
    }
    ACanvas->Brush()->SetColor(Color());
    PaintCheckCaption(this, ACanvas, client);
}

TGroupBox::TGroupBox(TComponent* AOwner) : TCustomControl(AOwner)
{
    FControlStyle += csAcceptsControls;
    SetBounds(0, 0, 185, 105);
}

TRect TGroupBox::AlignRect() const
{
    TRect r = ClientRect();
    r.Left += 2;
    r.Top += 15;
    r.Right = std::max(r.Left, r.Right - 2);
    r.Bottom = std::max(r.Top, r.Bottom - 2);
    return r;
}

void TGroupBox::Paint()
{
    TCanvas* c = Canvas();
    const TRect client = ClientRect();
    c->FillRect(client);
    const String text = StripAccelerator(Caption());
    const Integer textHeight = c->TextHeight("Wg");
    TRect frame = Rect(client.Left, client.Top + textHeight / 2, client.Right, client.Bottom);
    Frame3D(c, frame, clBtnShadow, clBtnHighlight, 1);
    Frame3D(c, frame, clBtnHighlight, clBtnShadow, 1);
    if (!text.empty()) {
        c->Brush()->SetColor(Color());
        const Integer w = c->TextWidth(text);
        c->FillRect(Rect(6, client.Top, 8 + w + 2, client.Top + textHeight));
        DrawCaption(c, Rect(8, client.Top, 8 + w, client.Top + textHeight), text, DT_LEFT, true);
    }
}

// ---- Edits -------------------------------------------------------------------------------------

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner)
{
    FControlStyle -= csSetCaption;
    SetTabStop(true);
    SetBounds(0, 0, 121, 21);
}

void TCustomEdit::SetReadOnly(bool Value) { FReadOnly = Value; UpdateNative(); }
void TCustomEdit::SetBorderStyle(TBorderStyle Value) { FBorderStyle = Value; UpdateNative(); }

TRect TCustomEdit::ClientRect() const
{
    const Integer b = FBorderStyle == bsSingle ? 2 : 0;
    return Rect(0, 0, std::max(0, Width() - 2 * b), std::max(0, Height() - 2 * b));
}

TPoint TCustomEdit::ClientOffset() const { return FBorderStyle == bsSingle ? Point(2, 2) : Point(0, 0); }

void TCustomEdit::PaintFrame(TCanvas* ACanvas)
{
    if (FBorderStyle != bsSingle)
        return;
    TRect r = Rect(0, 0, Width(), Height());
    DrawSunkenFrame(ACanvas, r);
}

void TCustomEdit::PaintControl(TCanvas* ACanvas)
{
    const TRect r = ClientRect();
    ACanvas->Brush()->SetColor(Enabled() ? Color() : clBtnFace);
    ACanvas->FillRect(r);
    if (!Enabled())
        ACanvas->Font()->SetColor(clGrayText);
    DrawCaption(ACanvas, Rect(r.Left + 1, r.Top, r.Right, r.Bottom), Text(), DT_LEFT | DT_VCENTER, true);
}

void TCustomEdit::TextChanged()
{
    TWinControl::TextChanged();
    OnChange(this);
}

TEdit::TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
TMaskEdit::TMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

void TMaskEdit::SetEditMask(const String& Value)
{
    if (Value == FEditMask)
        return;
    FEditMask = Value;
    SetText(ConformToMask(FEditMask, Text()));
    UpdateNative();
}

String TMaskEdit::EditText() const { return FEditMask.empty() ? Text() : FormatMaskText(FEditMask, Text()); }

void TMaskEdit::TextChanged()
{
    // What the mask refuses goes at once: the control, and its widget, show only what it keeps.
    const String kept = ConformToMask(FEditMask, Text());
    if (kept != Text()) {
        SetText(kept); // comes back here with text that fits
        return;
    }
    TCustomEdit::TextChanged();
}

TMemo::TMemo(TComponent* AOwner)
    : TCustomEdit(AOwner), FLines(std::make_unique<TMemoStrings>(this)),
      FMeasure(std::make_unique<TControlCanvas>(this))
{
    SetBounds(0, 0, 185, 89);
}

TMemo::~TMemo() = default;

void TMemo::WMGetDlgCode(TMessage& M) { M.Result = DLGC_WANTALLKEYS; }

void TMemo::SetLines(TStrings* Value) { FLines->Assign(Value); }

void TMemo::SetWordWrap(bool Value)
{
    if (Value == FWordWrap)
        return;
    FWordWrap = Value;
    UpdateNative();
}

void TMemo::TextChanged()
{
    ++FTextVersion;
    TCustomEdit::TextChanged();
}

void TMemo::ReplaceText(const String& Value)
{
    if (Value == FText)
        return;
    FText = Value;
    TextChanged();
}

namespace {

bool IsLineBreak(char C) { return C == '\r' || C == '\n'; }

// Bytes of the line break at Text[At] (CR LF, LF or CR), 0 when there is none.
size_t LineBreakAt(const String& Text, size_t At)
{
    if (At >= Text.size() || !IsLineBreak(Text[At]))
        return 0;
    return Text[At] == '\r' && At + 1 < Text.size() && Text[At + 1] == '\n' ? 2 : 1;
}

} // namespace

const std::vector<TMemo::TLineSpan>& TMemo::LineSpans() const
{
    TFont* font = Font();
    TLayoutKey key{FTextVersion, ClientWidth(), FWordWrap, font->Name(), font->Height(), font->Style().bits()};
    if (key == FSpansKey)
        return FSpans;
    const bool sameLook = key.Width == FSpansKey.Width && key.WordWrap == FSpansKey.WordWrap &&
                          key.FontName == FSpansKey.FontName && key.FontHeight == FSpansKey.FontHeight &&
                          key.FontStyle == FSpansKey.FontStyle;
    if (!sameLook || FWrapCache.size() > 4096)
        FWrapCache.clear();
    FSpans.clear();
    TCanvas* c = FMeasure.get();
    c->Font()->Assign(font);
    const TTextWidthFn width = [c](std::string_view s) { return c->TextWidth(String(s)); };
    // the paragraphs, each broken into lines (an empty paragraph is one empty line)
    size_t start = 0;
    while (start < FText.size()) {
        size_t end = start;
        while (end < FText.size() && !IsLineBreak(FText[end]))
            ++end;
        const std::string_view para(FText.data() + start, end - start);
        if (!FWordWrap || para.empty()) {
            FSpans.push_back(TLineSpan{start, para.size()});
        } else {
            auto it = FWrapCache.find(String(para));
            if (it == FWrapCache.end()) {
                std::vector<size_t> lengths;
                for (const String& line : WrapParagraph(para, key.Width, width))
                    lengths.push_back(line.size());
                it = FWrapCache.emplace(String(para), std::move(lengths)).first;
            }
            size_t at = start;
            for (size_t len : it->second) {
                FSpans.push_back(TLineSpan{at, len});
                at += len;
            }
        }
        start = end + LineBreakAt(FText, end);
    }
    FSpansKey = std::move(key);
    return FSpans;
}

void TMemo::PaintControl(TCanvas* ACanvas)
{
    const TRect r = ClientRect();
    ACanvas->Brush()->SetColor(Enabled() ? Color() : clBtnFace);
    ACanvas->FillRect(r);
    const Integer lineHeight = std::max(1, ACanvas->TextHeight("Wg"));
    Integer y = r.Top + 1;
    ACanvas->Brush()->SetStyle(bsClear);
    for (const String& line : DisplayLines([ACanvas](std::string_view s) { return ACanvas->TextWidth(String(s)); })) {
        if (y >= r.Bottom)
            break;
        ACanvas->TextOut(r.Left + 1, y, line);
        y += lineHeight;
    }
    ACanvas->Brush()->SetStyle(bsSolid);
}

std::vector<String> TMemo::DisplayLines(const TTextWidthFn& TextWidth) const
{
    if (!FWordWrap)
        return SplitLines(FText);
    return WrapText(FText, ClientWidth(), TextWidth);
}

// ---- TMemoStrings ------------------------------------------------------------------------------

Integer TMemoStrings::Count() const { return static_cast<Integer>(FMemo->LineSpans().size()); }

String TMemoStrings::Get(Integer Index) const
{
    const auto& spans = FMemo->LineSpans();
    if (Index < 0 || Index >= static_cast<Integer>(spans.size()))
        IndexError(Index);
    const auto& s = spans[static_cast<size_t>(Index)];
    return FMemo->FText.substr(s.Start, s.Length);
}

void TMemoStrings::Put(Integer Index, const String& S)
{
    const auto& spans = FMemo->LineSpans();
    if (Index < 0 || Index >= static_cast<Integer>(spans.size()))
        IndexError(Index);
    const auto s = spans[static_cast<size_t>(Index)];
    String text = FMemo->FText;
    text.replace(s.Start, s.Length, S);
    FMemo->ReplaceText(text);
}

void TMemoStrings::Insert(Integer Index, const String& S)
{
    const auto& spans = FMemo->LineSpans();
    const Integer count = static_cast<Integer>(spans.size());
    if (Index < 0 || Index > count)
        IndexError(Index);
    String text = FMemo->FText;
    if (Index < count) {
        text.insert(spans[static_cast<size_t>(Index)].Start, S + "\n");
    } else {
        // after the last line; an empty line needs the break after it to count as a line
        if (!text.empty() && !IsLineBreak(text.back()))
            text += '\n';
        text += S;
        if (S.empty())
            text += '\n';
    }
    FMemo->ReplaceText(text);
}

void TMemoStrings::Delete(Integer Index)
{
    const auto& spans = FMemo->LineSpans();
    if (Index < 0 || Index >= static_cast<Integer>(spans.size()))
        IndexError(Index);
    const auto s = spans[static_cast<size_t>(Index)];
    String text = FMemo->FText;
    size_t from = s.Start;
    size_t to = s.Start + s.Length;
    if (const size_t br = LineBreakAt(text, to)) {
        to += br; // the line and the break that ends it
    } else if (Index > 0 && from > 0 && IsLineBreak(text[from - 1])) {
        // the last line: the break before it goes, so no empty line is left in its place
        from -= from >= 2 && text[from - 2] == '\r' && text[from - 1] == '\n' ? 2 : 1;
    }
    text.erase(from, to - from);
    FMemo->ReplaceText(text);
}

void TMemoStrings::Clear() { FMemo->ReplaceText(String()); }

void TMemoStrings::SetText(const String& Value) { FMemo->ReplaceText(Value); }

void TMemoStrings::Assign(TPersistent* Source)
{
    auto* source = dynamic_cast<TStrings*>(Source);
    if (!source || source == this) {
        TStrings::Assign(Source);
        return;
    }
    // the lines joined by breaks, with a final break only to keep an empty last line
    String text;
    const Integer n = source->Count();
    for (Integer i = 0; i < n; ++i) {
        if (i > 0)
            text += '\n';
        text += source->Get(i);
    }
    if (n > 0 && source->Get(n - 1).empty())
        text += '\n';
    FMemo->ReplaceText(text);
}

// ---- List and combo boxes ----------------------------------------------------------------------

TListBox::TListBox(TComponent* AOwner)
    : TWinControl(AOwner), FItems(std::make_unique<TStringList>()), FCanvas(std::make_unique<TControlCanvas>(this))
{
    SetTabStop(true);
    SetBounds(0, 0, 121, 97);
    FItems->OnChange = [this](TObject*) {
        FSelected.assign(static_cast<size_t>(FItems->Count()), false);
        if (FItemIndex >= FItems->Count())
            FItemIndex = -1;
        if (FItemIndex >= 0)
            FSelected[static_cast<size_t>(FItemIndex)] = true;
        Invalidate();
        UpdateNative();
    };
}

TListBox::~TListBox() = default;

void TListBox::SetBorderStyle(TBorderStyle Value)
{
    FBorderStyle = Value;
    Invalidate();
    UpdateNative();
}

TRect TListBox::ClientRect() const
{
    const Integer b = FBorderStyle == bsSingle ? 2 : 0;
    return Rect(0, 0, std::max(0, Width() - 2 * b), std::max(0, Height() - 2 * b));
}

TPoint TListBox::ClientOffset() const { return FBorderStyle == bsSingle ? Point(2, 2) : Point(0, 0); }

void TListBox::PaintFrame(TCanvas* ACanvas)
{
    if (FBorderStyle != bsSingle)
        return;
    TRect r = Rect(0, 0, Width(), Height());
    DrawSunkenFrame(ACanvas, r);
}

void TListBox::PaintControl(TCanvas* ACanvas)
{
    const TRect client = ClientRect();
    ACanvas->FillRect(client);
    const TColor textColor = Font()->Color();
    for (Integer i = FTopIndex; i < Count(); ++i) {
        const TRect r = ItemRect(i);
        if (r.Top >= client.Bottom || r.Left >= client.Right)
            break;
        TOwnerDrawState state;
        if (Selected(i))
            state += odSelected;
        if (i == FItemIndex && Focused())
            state += odFocused;
        if (!Enabled())
            state += odDisabled;
        ACanvas->Brush()->SetStyle(bsSolid);
        ACanvas->Brush()->SetColor(state.Contains(odSelected) ? clHighlight : Color());
        ACanvas->Font()->SetColor(state.Contains(odSelected) ? clHighlightText : textColor);
        DrawItem(i, r, state);
    }
}

void TListBox::DrawItem(Integer Index, const TRect& R, TOwnerDrawState State)
{
    if (FStyle != lbStandard && OnDrawItem) {
        OnDrawItem(this, Index, R, State);
        return;
    }
    FCanvas->FillRect(R);
    FCanvas->Brush()->SetStyle(bsClear);
    FCanvas->TextOut(R.Left + 2, R.Top + (R.Height() - FCanvas->TextHeight("Wg")) / 2, FItems->Get(Index));
    FCanvas->Brush()->SetStyle(bsSolid);
}

void TListBox::SetItems(TStrings* Value) { FItems->Assign(Value); }

void TListBox::SetItemIndex(Integer Value)
{
    if (Value < -1 || Value >= Count())
        ListIndexError(Value);
    FItemIndex = Value;
    if (!FMultiSelect)
        FSelected.assign(static_cast<size_t>(Count()), false);
    if (Value >= 0)
        FSelected[static_cast<size_t>(Value)] = true;
    UpdateNative();
}

void TListBox::SetMultiSelect(bool Value)
{
    FMultiSelect = Value;
    if (!Value) {
        FSelected.assign(static_cast<size_t>(Count()), false);
        if (FItemIndex >= 0)
            FSelected[static_cast<size_t>(FItemIndex)] = true;
    }
}

bool TListBox::Selected(Integer Index) const
{
    if (Index < 0 || Index >= Count())
        ListIndexError(Index);
    return Index < static_cast<Integer>(FSelected.size()) && FSelected[static_cast<size_t>(Index)];
}

void TListBox::SetSelected(Integer Index, bool Value)
{
    if (Index < 0 || Index >= Count())
        ListIndexError(Index);
    FSelected.resize(static_cast<size_t>(Count()), false);
    if (!FMultiSelect) {
        if (Value)
            SetItemIndex(Index);
        else if (FItemIndex == Index)
            SetItemIndex(-1);
        return;
    }
    FSelected[static_cast<size_t>(Index)] = Value;
    UpdateNative();
}

Integer TListBox::SelCount() const
{
    if (!FMultiSelect)
        return -1;
    return static_cast<Integer>(std::count(FSelected.begin(), FSelected.end(), true));
}

void TListBox::ClearSelection()
{
    FSelected.assign(static_cast<size_t>(Count()), false);
    FItemIndex = -1;
    UpdateNative();
}

void TListBox::SetStyle(TListBoxStyle Value) { FStyle = Value; UpdateNative(); }
void TListBox::SetItemHeight(Integer Value) { FItemHeight = std::max(1, Value); Invalidate(); }
void TListBox::SetColumns(Integer Value) { FColumns = std::max(0, Value); Invalidate(); }
void TListBox::SetTopIndex(Integer Value) { FTopIndex = std::clamp(Value, 0, std::max(0, Count() - 1)); Invalidate(); }

TRect TListBox::ItemRect(Integer Index) const
{
    const TRect c = ClientRect();
    const Integer rows = std::max(1, c.Height() / FItemHeight);
    const Integer rel = Index - FTopIndex;
    if (FColumns > 0) {
        const Integer colWidth = std::max(1, c.Width() / FColumns);
        const Integer col = rel >= 0 ? rel / rows : -1 - (-rel - 1) / rows;
        const Integer row = rel - col * rows;
        return Bounds(col * colWidth, row * FItemHeight, colWidth, FItemHeight);
    }
    return Bounds(0, rel * FItemHeight, c.Width(), FItemHeight);
}

Integer TListBox::ItemAtPos(const TPoint& P, bool Existing) const
{
    const TRect c = ClientRect();
    if (P.X < 0 || P.Y < 0 || P.X >= c.Width() || P.Y >= c.Height())
        return Existing ? -1 : Count();
    const Integer rows = std::max(1, c.Height() / FItemHeight);
    Integer index;
    if (FColumns > 0) {
        const Integer colWidth = std::max(1, c.Width() / FColumns);
        index = FTopIndex + (P.X / colWidth) * rows + std::min(P.Y / FItemHeight, rows - 1);
    } else {
        index = FTopIndex + P.Y / FItemHeight;
    }
    if (index < Count())
        return index;
    return Existing ? -1 : Count();
}

void TListBox::Clear()
{
    FItems->Clear();
    FItemIndex = -1;
}

void TListBox::Click() { TWinControl::Click(); }

void TListBox::WMLButtonDown(TMessage& M)
{
    const TPoint p(static_cast<SmallInt>(LOWORD(M.LParam)), static_cast<SmallInt>(HIWORD(M.LParam)));
    const Integer i = ItemAtPos(p, true);
    if (i >= 0) {
        if (FMultiSelect && (M.WParam & MK_CONTROL))
            SetSelected(i, !Selected(i));
        else {
            if (FMultiSelect)
                FSelected.assign(static_cast<size_t>(Count()), false);
            SetItemIndex(i);
        }
    }
    TControl::WMLButtonDown(M);
}

TComboBox::TComboBox(TComponent* AOwner) : TWinControl(AOwner), FItems(std::make_unique<TStringList>())
{
    SetTabStop(true);
    SetBounds(0, 0, 145, 21);
    FItems->OnChange = [this](TObject*) {
        if (FItemIndex >= FItems->Count())
            FItemIndex = -1;
        UpdateNative();
    };
}

TComboBox::~TComboBox() = default;

void TComboBox::PaintControl(TCanvas* ACanvas)
{
    TRect r = ClientRect();
    DrawSunkenFrame(ACanvas, r);
    ACanvas->Brush()->SetColor(Enabled() ? Color() : clBtnFace);
    ACanvas->FillRect(r);
    const Integer buttonWidth = std::min(r.Width(), 17);
    TRect button = Rect(r.Right - buttonWidth, r.Top, r.Right, r.Bottom);
    DrawButtonFace(ACanvas, button, false);
    const Integer cx = (button.Left + button.Right) / 2, cy = (button.Top + button.Bottom) / 2;
    ACanvas->Pen()->SetColor(clBtnText);
    ACanvas->Brush()->SetColor(clBtnText);
    const TPoint arrow[] = {Point(cx - 3, cy - 1), Point(cx + 3, cy - 1), Point(cx, cy + 2)};
    ACanvas->Polygon(arrow);
    ACanvas->Brush()->SetColor(Color());
    if (!Enabled())
        ACanvas->Font()->SetColor(clGrayText);
    DrawCaption(ACanvas, Rect(r.Left + 2, r.Top, r.Right - buttonWidth, r.Bottom), Text(), DT_LEFT | DT_VCENTER, true);
}

void TComboBox::SetItems(TStrings* Value) { FItems->Assign(Value); }

void TComboBox::SetItemIndex(Integer Value)
{
    if (Value < -1 || Value >= FItems->Count())
        ListIndexError(Value);
    FItemIndex = Value;
    FText = Value >= 0 ? FItems->Get(Value) : String();
    UpdateNative();
}

void TComboBox::UserSelect(Integer Index)
{
    SetItemIndex(Index);
    OnChange(this);
}

} // namespace qor
