#include "runtime/engine/QorRtfC.h"

#include "platform/rtl/Filer.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/StrUtils.h"
#include "runtime/engine/KivData.h"
#include "runtime/engine/KivUtil.h"
#include "runtime/engine/KivVarBase.h"
#include "runtime/output/QorOut.h"
#include "runtime/output/QorRtfP.h"

#include <algorithm>
#include <string_view>

namespace qor {

namespace {

// The tallest rectangle a single line is looked for in, in pixels.
constexpr Integer TallestLine = 1 << 20;

bool HasPrefix(std::string_view S, std::string_view Prefix) { return S.substr(0, Prefix.size()) == Prefix; }

bool HasByteOrderMark(std::string_view S)
{
    return HasPrefix(S, "\xFF\xFE") || HasPrefix(S, "\xFE\xFF") || HasPrefix(S, "\xEF\xBB\xBF");
}

bool IsRtfText(std::string_view S)
{
    const auto First = S.find_first_not_of(" \t\r\n");
    return First != std::string_view::npos && HasPrefix(S.substr(First), "{\\rtf");
}

// RTF keeps to ASCII: every UTF-16 unit beyond it becomes \uN? (N signed, '?' the fallback the
// reader skips).
String EscapeRtf(const String& Text)
{
    String Out;
    Out.reserve(Text.size());
    std::size_t Plain = 0;
    for (std::size_t I = 0; I < Text.size();) {
        if (static_cast<Byte>(Text[I]) < 0x80) {
            ++I;
            continue;
        }
        std::size_t End = I + 1;
        while (End < Text.size() && (static_cast<Byte>(Text[End]) & 0xC0) == 0x80)
            ++End;
        Out.append(Text, Plain, I - Plain);
        for (char16_t C : Utf8ToUtf16(std::string_view(Text).substr(I, End - I)))
            Out += "\\u" + std::to_string(static_cast<SmallInt>(C)) + "?";
        I = Plain = End;
    }
    Out.append(Text, Plain, String::npos);
    return Out;
}

} // namespace

void KivRichDocument(TKivVar* Var, TMemoryStream& Out)
{
    Out.Clear();
    if (!Var || !Var->Active())
        return;
    const TKivDataTypes Kind = Var->DataType();
    String Bytes;
    if (Kind == dtypeBlob || Kind == dtypeGraphic) {
        TStream* S = Var->AsStream();
        if (!S)
            return;
        S->SetPosition(0);
        const std::vector<Byte> Raw = S->ReadBytes(S->Size());
        S->SetPosition(0);
        Bytes.assign(Raw.begin(), Raw.end());
        if (!HasByteOrderMark(Bytes)) {
            Out.WriteString(Bytes);
            Out.SetPosition(0);
            return;
        }
        // Text written into a blob: read as a memo reads its own.
        TKivMemo Memo;
        Memo.SetAsStream(S);
        Bytes = Memo.AsString();
    } else {
        // A memo decodes its stream as text.
        Bytes = Var->AsString();
    }
    Out.WriteString(IsRtfText(Bytes) ? EscapeRtf(Bytes) : Bytes);
    Out.SetPosition(0);
}

TKivRichTextLabel::TKivRichTextLabel(TComponent* AOwner)
    : TKivLabel(AOwner), FDocument(std::make_unique<TMemoryStream>())
{
    FreshMeasurer();
}

TKivRichTextLabel::~TKivRichTextLabel() = default;

void TKivRichTextLabel::SetVariable(TKivVar* Value)
{
    KivSetReference(this, FVariable, Value);
    SetCaption(GetDisplayText());
    Invalidate();
}

void TKivRichTextLabel::Notification(TComponent* AComponent, TOperation Operation)
{
    TKivLabel::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FVariable)
        SetVariable(nullptr);
}

void TKivRichTextLabel::SetBottomMargin(Integer Value)
{
    if (Value != FBottomMargin) {
        FBottomMargin = Value;
        Invalidate();
    }
}

void TKivRichTextLabel::SetSetDefaultFont(bool Value)
{
    if (Value != FSetDefaultFont) {
        FSetDefaultFont = Value;
        Invalidate();
    }
}

Integer TKivRichTextLabel::Position() const { return FRtfDraw->Position(); }

String TKivRichTextLabel::GetDisplayText() { return FVariable ? FVariable->Name() : String("Fill in variable."); }

// ---- Measuring ---------------------------------------------------------------------------------

void TKivRichTextLabel::FreshMeasurer()
{
    FRtfDraw = std::make_unique<TQorRtfDraw>();
    FRtfDraw->Reset();
    FRtfDraw->SetFont(Font());
    FRtfDraw->SetDefaultFont = FSetDefaultFont;
}

void TKivRichTextLabel::LoadDocument()
{
    const Integer PPI = GetPPI();
    FRtfDraw->SetPixelsPerInchX(PPI);
    FRtfDraw->SetPixelsPerInchY(PPI);
    FRtfDraw->SetOutRect(Bounds(100, 100, Width() - 2 * BorderMargin(), 2000));
    KivRichDocument(FVariable, *FDocument);
    if (FDocument->Size() > 0)
        FRtfDraw->LoadFromStream(FDocument.get());
}

void TKivRichTextLabel::Measure(Integer Height)
{
    FRtfDraw->SetFont(Font());
    FRtfDraw->SetDefaultFont = FSetDefaultFont;
    FRtfDraw->SetOutRect(Bounds(100, 100, Width() - 2 * BorderMargin(), std::max<Integer>(Height, 0)));
    // Setting the position again drops the last measurement.
    FRtfDraw->SetPosition(FRtfDraw->Position());
}

bool TKivRichTextLabel::AtFreshPage() const
{
    if (Painting())
        return false;
    auto* BandPage = dynamic_cast<IKivBandPage*>(Page());
    return BandPage && BandPage->AtPageTop();
}

Integer TKivRichTextLabel::MeasurePiece(Integer Room)
{
    FLineRoom = 0;
    Measure(Room);
    if (FRtfDraw->PrintCount() > 0 || FRtfDraw->Position() >= FRtfDraw->TextLength() || !AtFreshPage())
        return FRtfDraw->PrintCount();
    // No later page has more room than this one: find the least height that holds the next line.
    Integer Short = std::max<Integer>(Room, 0);
    Integer Tall = Short;
    do {
        Tall = std::min(std::max<Integer>(Tall, 1) * 2, TallestLine);
        Measure(Tall);
    } while (FRtfDraw->PrintCount() == 0 && Tall < TallestLine);
    if (FRtfDraw->PrintCount() == 0)
        return 0;
    while (Tall - Short > 1) {
        const Integer Mid = Short + (Tall - Short) / 2;
        Measure(Mid);
        (FRtfDraw->PrintCount() > 0 ? Tall : Short) = Mid;
    }
    Measure(Tall);
    FLineRoom = Tall;
    return FRtfDraw->PrintCount();
}

Integer TKivRichTextLabel::PieceHeight(Integer Room) const
{
    const Integer H = FRtfDraw->Height();
    return FLineRoom > 0 ? std::clamp<Integer>(H, 0, std::max<Integer>(Room - 1, 0)) : H;
}

// ---- The print protocol ------------------------------------------------------------------------

void TKivRichTextLabel::StartPrint()
{
    if (!StartStretchPrint())
        return;
    SetFirstTime(true);
    if (!FVariable)
        return;
    FreshMeasurer();
    LoadDocument();
}

Integer TKivRichTextLabel::SpendHeight(TComponent*, Integer Space)
{
    if (!PrintOk() || !FVariable)
        return 0;
    if (!Stretch())
        return Top() + Height();
    const Integer BM = BorderMargin(), BoM = FBottomMargin;
    if (FirstTime()) {
        // Too little room for the label at all: the band moves it to the next page.
        if (Space - Top() < Height())
            return Top() + Height();
        const Integer Room = Space - Top() - 2 * BM - BoM;
        MeasurePiece(Room);
        return std::max(PieceHeight(Room) + Top() + 2 * BM + BoM, Top() + Height());
    }
    const Integer Room = Space - 2 * BM - BoM;
    MeasurePiece(Room);
    return PieceHeight(Room) + 2 * BM + BoM + 1;
}

Integer TKivRichTextLabel::PrintHeight(TComponent* oPage, Integer Space, Integer)
{
    if (!PrintOk() || !FVariable) {
        SetEndPrint(true);
        return 0;
    }
    IKivPrintPage* P = PrintPage(oPage);
    const bool First = FirstTime();
    TRect R = Bounds(P->XPos() + Left(), P->YPos() + 1, Width(), Space);
    if (First) {
        BeforePrint();
        Space -= Top();
        R = Bounds(P->XPos() + Left(), P->YPos() + Top(), Width(), Space);
    }
    Integer H = PrintMemo(P->OutputCanvas(), R, Space);
    if (First)
        H += Top();
    if (EndPrint())
        AfterPrint();
    SetFirstTime(false);
    return H;
}

void TKivRichTextLabel::PrintLabel(TQorCanvas* QorCanvas, const TRect& Rect, Integer Space)
{
    PrintMemo(QorCanvas, Rect, Space);
}

Integer TKivRichTextLabel::PrintMemo(TQorCanvas* QorCanvas, const TRect& Rect, Integer Space)
{
    const Integer PPI = GetPPI();
    FRtfDraw->SetPixelsPerInchX(PPI);
    FRtfDraw->SetPixelsPerInchY(PPI);
    const Integer BM = BorderMargin(), BoM = FBottomMargin;
    TRect Inner(Rect.Left + BM, Rect.Top + BM, Rect.Right - BM, Rect.Top + BM);
    Integer H = Height();
    Integer N = 0;
    if (Stretch()) {
        const Integer Room = Space - 2 * BM - BoM;
        Inner.Bottom = Inner.Top + Room;
        N = MeasurePiece(Room);
        if (FLineRoom > 0)
            Inner.Bottom = Inner.Top + FLineRoom;
        H = PieceHeight(Room);
        SetEndPrint(FRtfDraw->Position() + N >= FRtfDraw->TextLength());
        if (N == 0 && AtFreshPage())
            // Not even the next line alone can be laid out: the label ends rather than asking for
            // new pages for ever.
            SetEndPrint(true);
        H += 2 * BM + BoM;
        if (FirstTime())
            H = std::max(H, Height());
    } else {
        Inner.Bottom = Inner.Top + Height() - 2 * BM - BoM;
        Measure(Inner.Bottom - Inner.Top);
        N = FRtfDraw->PrintCount();
        SetEndPrint(true);
    }
    InitPrint(QorCanvas, Bounds(Rect.Left, Rect.Top, Width(), H - 1));
    if (N > 0 && FVariable && FVariable->Active()) {
        QorCanvas->SetFont(Font());
        const Integer From = FRtfDraw->Position();
        QorCanvas->RtfDraw(Inner, FDocument.get(), From, From + N, FSetDefaultFont);
        FRtfDraw->SetPosition(From + N);
    }
    PrintBorder(QorCanvas, Painting() ? Rect : Bounds(Rect.Left, Rect.Top, Width(), H));
    return H;
}

void TKivRichTextLabel::Print(TComponent* oPage, Integer Space)
{
    SetEndPrint(false);
    if (PrintOk()) {
        IKivPrintPage* P = PrintPage(oPage);
        BeforePrint();
        SetFirstTime(true);
        FreshMeasurer();
        LoadDocument();
        PrintLabel(P->OutputCanvas(), Bounds(P->XPos() + Left(), P->YPos() + Top(), Width(), Height()), Space - Top());
        AfterPrint();
    }
    SetEndPrint(true);
}

void TKivRichTextLabel::Paint()
{
    SetFirstTime(true);
    FreshMeasurer();
    if (FVariable && !FVariable->Initialized())
        FVariable->Initialize();
    LoadDocument();
    TKivLabel::Paint();
}

void TKivRichTextLabel::DefineProperties(TFiler& Filer)
{
    TKivLabel::DefineProperties(Filer);
    DefineLegacyAutoSize(Filer);
}

QOR_PUBLISH(TKivRichTextLabel)
{
    using L = TKivRichTextLabel;
    b.Property("Variable", &L::Variable, &L::SetVariable).Default(nullptr);
    b.Property("Transparent", &L::Transparent, &L::SetTransparent).Default(true);
    b.Property("ClipType", &L::ClipType, &L::SetClipType).Default(ctDefault);
    b.Property("AlignVertical", &L::AlignVertical, &L::SetVerticalAlign).Default(laBottom);
    b.Property("AlignHorizontal", &L::AlignHorizontal, &L::SetHorizontalAlign).Default(laLeft);
    b.Property("Stretch", &L::Stretch, &L::SetStretch).Default(false);
    b.Property("BorderType", &L::BorderType, &L::SetBorderType).Default(btNone);
    b.Property("Shade", &L::Shade, &L::SetShade).Default(spNone);
    b.Property("BorderMargin", &L::BorderMargin, &L::SetBorderMargin).Default(2);
    b.Property("BottomMargin", &L::BottomMargin, &L::SetBottomMargin).Default(20);
    b.Property("SetDefaultFont", &L::SetDefaultFont, &L::SetSetDefaultFont).Default(false);
}

} // namespace qor
