// Page playback: the records of one stored page drawn on a device context (or handed to an export
// filter), scaled from the file's resolution to the device's and by the container's zoom.

#include "platform/graphics/Brush.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/Pen.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/Streams.h"
#include "runtime/output/QorCtrl.h"
#include "runtime/output/QorFile.h"
#include "runtime/output/QorImg.h"
#include "runtime/output/QorRtfP.h"
#include "runtime/output/QorSetup.h"
#include "runtime/output/QorStr.h"
#include "runtime/output/QorXport.h"

#include <algorithm>

namespace qor {

// ---- extra record kinds -------------------------------------------------------------------------

namespace {

struct TQorRecType {
    SmallInt RecordType;
    TQorRecordPrintEvent RecordPrintEvent;
};

std::vector<TQorRecType>& RecordTypes()
{
    static std::vector<TQorRecType> Types;
    return Types;
}

const TQorRecType* FindRecordType(Word Code)
{
    for (const TQorRecType& Type : RecordTypes())
        if (static_cast<Word>(Type.RecordType) == Code)
            return &Type;
    return nullptr;
}

bool IsPageFileRecord(Word Code) { return QorRecordName(Code)[0] != '\0'; }

// Byte values of a file that name no style are taken as the nearest one.
template <typename E>
E Clamped(Byte Value, E Last)
{
    return static_cast<E>(std::min<Byte>(Value, static_cast<Byte>(Last)));
}

} // namespace

Integer QorAddRecordType(SmallInt RecordType, TQorRecordPrintEvent RecordPrintEvent)
{
    RecordTypes().push_back({RecordType, std::move(RecordPrintEvent)});
    return static_cast<Integer>(RecordTypes().size()) - 1;
}

// ---- play-time objects --------------------------------------------------------------------------

void TQorQorFileObject::CreateObject(Integer PixelsPerInchY)
{
    switch (ObjectType) {
    case qotFont: {
        if (Font)
            return;
        LOGFONT Lf;
        Lf.lfHeight = -MulDiv(LogFont.Size, PixelsPerInchY, 72);
        Lf.lfWidth = 0;
        Lf.lfEscapement = static_cast<SmallInt>(LogFont.Escapement);
        Lf.lfOrientation = 0;
        Lf.lfWeight = LogFont.Weight;
        Lf.lfItalic = LogFont.Italic;
        Lf.lfUnderline = LogFont.Underline;
        Lf.lfStrikeOut = LogFont.StrikeOut;
        Lf.lfCharSet = LogFont.CharSet;
        Lf.lfOutPrecision = LogFont.OutPrecision;
        Lf.lfClipPrecision = LogFont.ClipPrecision;
        Lf.lfQuality = LogFont.Quality;
        Lf.lfPitchAndFamily = LogFont.PitchAndFamily;
        const std::size_t Units = std::min<std::size_t>(LogFont.Name.size(), LF_FACESIZE - 1);
        std::copy_n(LogFont.Name.begin(), Units, Lf.lfFaceName);
        Lf.lfFaceName[Units] = 0;
        SelectFont = CreateFontIndirect(Lf);
        QorGetObject(SelectFont, sizeof(LOGFONT), &SelectLogFont);
        Font = std::make_unique<TFont>();
        Font->SetName(Utf16ToUtf8(LogFont.Name));
        Font->SetPixelsPerInch(PixelsPerInchY);
        Font->SetColor(static_cast<TColor>(LogFont.Color));
        Font->SetSize(LogFont.Size);
        Font->SetHeight(Lf.lfHeight);
        Font->SetPitch(fpDefault);
        TFontStyles Style;
        if (LogFont.Weight >= FW_SEMIBOLD)
            Style.Include(fsBold);
        if (LogFont.Italic)
            Style.Include(fsItalic);
        if (LogFont.Underline)
            Style.Include(fsUnderline);
        if (LogFont.StrikeOut)
            Style.Include(fsStrikeOut);
        Font->SetStyle(Style);
        break;
    }
    case qotPen: {
        if (Pen)
            return;
        Pen = std::make_unique<TPen>();
        Pen->SetColor(static_cast<TColor>(LogPen.Color));
        Pen->SetWidth(LogPen.Width);
        Pen->SetMode(Clamped(LogPen.Mode, pmNotXor));
        Pen->SetStyle(Clamped(LogPen.Style, psInsideFrame));
        LOGPEN Lp;
        QorGetObject(Pen->Handle(), sizeof(LOGPEN), &Lp);
        SelectPen = CreatePenIndirect(Lp);
        break;
    }
    case qotBrush: {
        if (Brush)
            return;
        Brush = std::make_unique<TBrush>();
        Brush->SetColor(static_cast<TColor>(LogBrush.Color));
        Brush->SetStyle(Clamped(LogBrush.Style, bsDiagCross));
        LOGBRUSH Lb;
        if (QorGetObject(Brush->Handle(), sizeof(LOGBRUSH), &Lb) != 0)
            SelectBrush = CreateBrushIndirect(Lb);
        break;
    }
    case qotNone: break;
    }
}

// ---- the player ---------------------------------------------------------------------------------

class TQorPlayer;

// Playback's device-context target: draws with the objects of the page file's table (selected by
// the player before each change reaches it) at the device's scale.
class TQorPlayDevice final : public IQorDrawTarget {
public:
    explicit TQorPlayDevice(TQorPlayer& Player) : P(Player) {}

    void SetLogFont(TFont* Font, const LOGFONT& LogFont) override;
    void SetPen(TPen* Pen) override;
    void SetBrush(TBrush* Brush) override;
    void SetTextAlign(Word Flags) override;
    void SetBkColor(Integer Color) override;
    void Textout(Integer X, Integer Y, const String& Text) override;
    void MoveTo(Integer X, Integer Y) override;
    void LineTo(Integer X, Integer Y) override;
    void PTextout(Integer X, Integer Y, const WideChar* Text, Integer Count) override;
    void ExtTextout(Integer X, Integer Y, Word Options, const TRect& Rect, const WideChar* Text, Word Count) override;
    void TextRect(const TRect& Rect, Integer X, Integer Y, const String& Text) override;
    void FillRect(const TRect& Rect) override;
    void Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2) override;
    void RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3) override;
    void Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2) override;
    void Draw(Integer X, Integer Y, TGraphic* Graphic) override;
    void StretchDraw(const TRect& Rect, TGraphic* Graphic) override;
    void ShadeRect(const TRect& Rect, TQorShadePercent Shade) override;
    void TextJustify(const TRect& Rect, Integer X, Integer Y, const String& Text, bool EndParagraph,
                     const TRect& FullRect) override;
    void DrawBitmap(Integer X, Integer Y, TStream* Stream) override;
    void StretchDrawBitmap(const TRect& Rect, TStream* Stream) override;
    void RtfDraw(const TRect& Rect, TStream* Stream, Integer StartPos, Integer EndPos, bool SetDefFont) override;
    void DrawCheckBox(const TRect& Rect, TQorCheckStyle CheckStyle, TColor Color, Integer Thickness) override;
    void DrawShapeType(TQorDrawType DrawType, Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3,
                       Integer X4, Integer Y4) override;
    void DrawPoly(TQorPolyType PolyType, const TPoint* Points, Integer Count) override;
    void Print3of9Barcode(Integer Left, Integer Top, Integer Width, Integer Height, Integer NarrowWidth,
                          Integer WideWidth, bool Inches, bool Vertical, const String& BarData) override;
    void Print2of5Barcode(Integer Left, Integer Top, Integer Width, Integer Height, Integer NarrowWidth,
                          Integer WideWidth, bool Inches, bool Vertical, const String& BarData) override;

private:
    // Runs Draw with the selected pen widened by the scale (shapes), the file's own pen after.
    template <typename Fn>
    void WithScaledPen(Fn&& Draw);
    void PrintBarcode(bool ThreeOfNine, Integer Left, Integer Top, Integer Width, Integer Height, Integer NarrowWidth,
                      Integer WideWidth, bool Inches, bool Vertical, const String& BarData);

    TQorPlayer& P;
};

// Plays the records of one page onto a drawing target: an export filter that takes the drawing
// calls, or the device context. The record currently played is in File.FPlayRecord.
class TQorPlayer {
public:
    TQorPlayer(TQorQorFile& File, HDC DC)
        : F(File), DC(DC), Device(*this), Target(ExportRoute(File) ? *ExportRoute(File) : Device),
          DeviceX(GetDeviceCaps(DC, LOGPIXELSX)), DeviceY(GetDeviceCaps(DC, LOGPIXELSY))
    {
    }

    void Play(Word Code);

private:
    friend class TQorPlayDevice;

    static IQorDrawTarget* ExportRoute(const TQorQorFile& File)
    {
        TQorExportFilter* Filter = File.FExporting ? File.FExportFilter : nullptr;
        return Filter && !Filter->IsGraphicExport() ? Filter : nullptr;
    }

    // Device pixels per inch with the zoom applied.
    void ComputeScale();
    Integer SX(Integer V) const { return MulDiv(V, DX, F.PixelsPerInchX()); }
    Integer SY(Integer V) const { return MulDiv(V, DY, F.PixelsPerInchY()); }
    TPoint SP(Integer X, Integer Y) const { return TPoint(SX(X), SY(Y)); }
    // Left and top scaled, width and height scaled apart from them so that neighbours keep meeting.
    TRect SR(const TRect& R) const
    {
        const Integer L = SX(R.Left), T = SY(R.Top);
        return TRect(L, T, L + SX(R.Right - R.Left), T + SY(R.Bottom - R.Top));
    }

    TQorQorFileObject& Entry(Integer Index) const;
    TQorQorFileObject* Selected(Integer Index, TQorQorFileObjectTypes Type) const;
    void Select(Integer Index);
    std::unique_ptr<TMemoryStream> DataStream() const;
    void PlayGraphic(const TQorRecord& R, bool Stretch);

    TQorQorFile& F;
    HDC DC;
    TQorPlayDevice Device;
    IQorDrawTarget& Target;
    // The entry whose object Select is handing to the target.
    const TQorQorFileObject* Selecting = nullptr;
    // The device's pixels per inch (a device context keeps its own), and with the zoom.
    const Integer DeviceX;
    const Integer DeviceY;
    Integer DX = 96;
    Integer DY = 96;
};

void TQorPlayer::ComputeScale()
{
    DX = DeviceX;
    DY = DeviceY;
    if (F.HorzScale() != 100)
        DX = MulDiv(DX, F.HorzScale(), 100);
    if (F.VertScale() != 100)
        DY = MulDiv(DY, F.VertScale(), 100);
}

TQorQorFileObject& TQorPlayer::Entry(Integer Index) const
{
    if (Index < 0 || Index >= F.ObjectCount())
        throw EQorFileError("The page file is damaged: object " + std::to_string(Index) + " selected of " +
                            std::to_string(F.ObjectCount()) + " objects");
    return *F.FDoc.Objects[static_cast<std::size_t>(Index)];
}

TQorQorFileObject* TQorPlayer::Selected(Integer Index, TQorQorFileObjectTypes Type) const
{
    if (Index < 0 || Index >= F.ObjectCount())
        return nullptr;
    TQorQorFileObject& E = *F.FDoc.Objects[static_cast<std::size_t>(Index)];
    if (E.ObjectType != Type)
        return nullptr;
    E.CreateObject(DY);
    return &E;
}

void TQorPlayer::Select(Integer Index)
{
    TQorQorFileObject& E = Entry(Index);
    E.CreateObject(DY);
    Selecting = &E;
    switch (E.ObjectType) {
    case qotBrush:
        F.FDoc.LastBrush = Index;
        Target.SetBrush(E.Brush.get());
        break;
    case qotFont:
        F.FDoc.LastFont = Index;
        Target.SetLogFont(E.Font.get(), E.SelectLogFont);
        break;
    case qotPen:
        F.FDoc.LastPen = Index;
        Target.SetPen(E.Pen.get());
        break;
    case qotNone: break;
    }
}

std::unique_ptr<TMemoryStream> TQorPlayer::DataStream() const
{
    auto S = std::make_unique<TMemoryStream>();
    const std::vector<Byte>& Data = F.FPlayRecord.Data;
    if (!Data.empty())
        S->WriteBuffer(Data.data(), static_cast<Int64>(Data.size()));
    S->SetPosition(0);
    return S;
}

void TQorPlayer::PlayGraphic(const TQorRecord& R, bool Stretch)
{
    auto S = DataStream();
    std::unique_ptr<TGraphic> Graphic = QorGetGraphic(*S);
    if (!Graphic)
        return;
    TRect Rect;
    if (Stretch) {
        Rect = SR(R.Rect);
    } else {
        const TPoint P = SP(R.X, R.Y);
        Rect = TRect(P.X, P.Y, P.X + SX(Graphic->Width()), P.Y + SY(Graphic->Height()));
    }
    Target.StretchDraw(Rect, Graphic.get());
}

void TQorPlayer::Play(Word Code)
{
    if (!IsPageFileRecord(Code)) {
        if (const TQorRecType* Type = FindRecordType(Code)) {
            Type->RecordPrintEvent(DC, F);
            return;
        }
    }
    TQorReader Reader = F.Reader();
    TQorRecord& R = F.FPlayRecord;
    R.Code = Code;
    ReadQorRecord(Reader, R); // an unknown code is a damaged file: its payload cannot be skipped
    ComputeScale();
    IQorDrawTarget& T = Target;
    switch (Code) {
    case rcSelectObject: Select(R.Index); break;
    case rcPageBegin: break;
    case rcSetTextAlign: T.SetTextAlign(R.Align); break;
    case rcTextout: T.Textout(SX(R.X), SY(R.Y), R.Text); break;
    case rcMoveTo: T.MoveTo(SX(R.X), SY(R.Y)); break;
    case rcLineTo: T.LineTo(SX(R.X), SY(R.Y)); break;
    case rcPTextout:
    case rcExtTextout: {
        const WideString Units = Utf8ToUtf16(R.Text);
        const Integer Count = static_cast<Integer>(Units.size());
        if (Code == rcPTextout)
            T.PTextout(SX(R.X), SY(R.Y), Units.data(), Count);
        else
            T.ExtTextout(SX(R.X), SY(R.Y), R.Options, SR(R.Rect), Units.data(),
                         static_cast<Word>(std::min(Count, 0xFFFF)));
        break;
    }
    case rcTextRect: T.TextRect(SR(R.Rect), SX(R.X), SY(R.Y), R.Text); break;
    case rcFillRect:
        if (F.FDoc.LastBrush != -1)
            T.FillRect(SR(R.Rect));
        break;
    case rcRectangle:
    case rcEllipse: {
        const TRect Rect = SR(R.Rect);
        if (Code == rcRectangle)
            T.Rectangle(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
        else
            T.Ellipse(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
        break;
    }
    case rcRoundRect: {
        const TRect Rect = SR(R.Rect);
        T.RoundRect(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom, SX(R.Corner.X), SY(R.Corner.Y));
        break;
    }
    case rcDraw:
    case rcStretchDraw: PlayGraphic(R, Code == rcStretchDraw); break;
    case rcShadeRect: T.ShadeRect(SR(R.Rect), static_cast<TQorShadePercent>(R.Shade)); break;
    case rcSetBkColor: T.SetBkColor(R.Color); break;
    case rcTextJustify:
        if (F.FDoc.LastFont != -1)
            T.TextJustify(SR(R.Rect), SX(R.X), SY(R.Y), R.Text, R.EndParagraph, SR(R.FullRect));
        break;
    case rcDrawBitmap: {
        auto S = DataStream();
        T.DrawBitmap(SX(R.X), SY(R.Y), S.get());
        break;
    }
    case rcStretchDrawBitmap: {
        auto S = DataStream();
        T.StretchDrawBitmap(SR(R.Rect), S.get());
        break;
    }
    case rcRtfDraw: {
        auto S = DataStream();
        T.RtfDraw(SR(R.Rect), S.get(), R.RangeStart, R.RangeEnd, R.SetDefFont);
        break;
    }
    case rcDrawCheckBox:
        T.DrawCheckBox(SR(R.Rect), static_cast<TQorCheckStyle>(R.CheckStyle), static_cast<TColor>(R.Color),
                       SX(R.Thickness));
        break;
    case rcDrawShapeType: {
        const auto& A = R.ArcPoints;
        T.DrawShapeType(static_cast<TQorDrawType>(R.Shape), SX(A[0].X), SY(A[0].Y), SX(A[1].X), SY(A[1].Y), SX(A[2].X),
                        SY(A[2].Y), SX(A[3].X), SY(A[3].Y));
        break;
    }
    case rcPolyDrawType: {
        std::vector<TPoint> Points(R.Points.size());
        std::transform(R.Points.begin(), R.Points.end(), Points.begin(), [&](const TPoint& P) { return SP(P.X, P.Y); });
        T.DrawPoly(static_cast<TQorPolyType>(R.PolyType), Points.data(), static_cast<Integer>(Points.size()));
        break;
    }
    case rcPrint3of9Barcode:
    case rcPrint2of5Barcode: {
        if (F.FDoc.LastBrush == -1)
            break;
        const TPoint P = SP(R.X, R.Y);
        if (Code == rcPrint3of9Barcode)
            T.Print3of9Barcode(P.X, P.Y, SX(R.BarWidth), SY(R.BarHeight), R.NarrowWidth, R.WideWidth, R.Inches,
                               R.Vertical, R.Text);
        else
            T.Print2of5Barcode(P.X, P.Y, SX(R.BarWidth), SY(R.BarHeight), R.NarrowWidth, R.WideWidth, R.Inches,
                               R.Vertical, R.Text);
        break;
    }
    case rcPrinterInfo: F.QorFilePrinterInfo = R.PrinterInfo; break;
    case rcPrinterSetup: {
        auto S = DataStream();
        F.FQorPrinterSetup->ReadFromStream(*S);
        break;
    }
    default: break;
    }
}

// ---- playback's device target -----------------------------------------------------------------

void TQorPlayDevice::SetBrush(TBrush*)
{
    const TQorQorFileObject& E = *P.Selecting;
    if (E.SelectBrush)
        SelectObject(P.DC, E.SelectBrush);
    ::qor::SetBkColor(P.DC, static_cast<COLORREF>(ColorToRGB(E.Brush->Color())));
    SetBkMode(P.DC, E.Brush->Style() == bsSolid ? OPAQUE : TRANSPARENT);
}

void TQorPlayDevice::SetLogFont(TFont* Font, const LOGFONT&)
{
    SelectObject(P.DC, P.Selecting->SelectFont);
    ::qor::SetTextColor(P.DC, static_cast<COLORREF>(ColorToRGB(Font->Color())));
}

void TQorPlayDevice::SetPen(TPen*) { SelectObject(P.DC, P.Selecting->SelectPen); }

void TQorPlayDevice::SetTextAlign(Word Flags) { ::qor::SetTextAlign(P.DC, Flags); }

void TQorPlayDevice::SetBkColor(Integer Color) { ::qor::SetBkColor(P.DC, static_cast<COLORREF>(Color)); }

void TQorPlayDevice::Textout(Integer X, Integer Y, const String& Text) { TextOut(P.DC, X, Y, Text); }

void TQorPlayDevice::MoveTo(Integer X, Integer Y) { MoveToEx(P.DC, X, Y); }

void TQorPlayDevice::LineTo(Integer X, Integer Y) { ::qor::LineTo(P.DC, X, Y); }

void TQorPlayDevice::PTextout(Integer X, Integer Y, const WideChar* Text, Integer Count)
{
    TextOut(P.DC, X, Y, Text, Count);
}

void TQorPlayDevice::ExtTextout(Integer X, Integer Y, Word Options, const TRect& Rect, const WideChar* Text, Word Count)
{
    ExtTextOut(P.DC, X, Y, Options, &Rect, Text, Count);
}

void TQorPlayDevice::TextRect(const TRect& Rect, Integer X, Integer Y, const String& Text)
{
    Cardinal Options = ETO_CLIPPED;
    if (const TQorQorFileObject* Brush = P.Selected(P.F.LastBrush(), qotBrush);
        Brush && Brush->Brush->Style() != bsClear)
        Options |= ETO_OPAQUE;
    ExtTextOut(P.DC, X, Y, Options, &Rect, Text);
}

void TQorPlayDevice::FillRect(const TRect& Area)
{
    const TQorQorFileObject* Brush = P.Selected(P.F.LastBrush(), qotBrush);
    if (!Brush || !Brush->SelectBrush)
        return;
    TRect Rect = Area;
    if (QorIsScreen(P.DC)) {
        // An empty rectangle still shows on screen, one pixel wide.
        if (Rect.Left >= Rect.Right)
            Rect.Right = Rect.Left + 1;
        if (Rect.Top >= Rect.Bottom)
            Rect.Bottom = Rect.Top + 1;
    }
    ::qor::FillRect(P.DC, Rect, Brush->SelectBrush);
}

template <typename Fn>
void TQorPlayDevice::WithScaledPen(Fn&& Draw)
{
    TQorQorFileObject* Pen = P.Selected(P.F.LastPen(), qotPen);
    if (!Pen) {
        Draw();
        return;
    }
    LOGPEN Lp;
    QorGetObject(Pen->SelectPen, sizeof(LOGPEN), &Lp);
    Lp.lopnWidth.X = P.SX(Lp.lopnWidth.X);
    const HPEN Scaled = CreatePenIndirect(Lp);
    SelectObject(P.DC, Scaled);
    struct TRestore {
        HDC DC;
        HPEN Own, Scaled;
        ~TRestore()
        {
            SelectObject(DC, Own);
            DeleteObject(Scaled);
        }
    } Restore{P.DC, Pen->SelectPen, Scaled};
    Draw();
}

void TQorPlayDevice::Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2)
{
    WithScaledPen([&] { ::qor::Rectangle(P.DC, X1, Y1, X2, Y2); });
}

void TQorPlayDevice::RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3)
{
    WithScaledPen([&] { ::qor::RoundRect(P.DC, X1, Y1, X2, Y2, X3, Y3); });
}

void TQorPlayDevice::Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2)
{
    WithScaledPen([&] { ::qor::Ellipse(P.DC, X1, Y1, X2, Y2); });
}

void TQorPlayDevice::Draw(Integer X, Integer Y, TGraphic* Graphic) { QorDrawBitMap(P.DC, X, Y, Graphic); }

void TQorPlayDevice::StretchDraw(const TRect& Rect, TGraphic* Graphic) { QorStretchDrawBitMap(P.DC, Rect, Graphic); }

void TQorPlayDevice::ShadeRect(const TRect& Rect, TQorShadePercent Shade) { QorShadeRect(P.DC, Rect, Shade); }

void TQorPlayDevice::TextJustify(const TRect& Rect, Integer X, Integer Y, const String& Text, bool EndParagraph,
                                 const TRect& FullRect)
{
    QorTextJustify(P.DC, Rect, X, Y, Text, EndParagraph, FullRect);
}

void TQorPlayDevice::DrawBitmap(Integer X, Integer Y, TStream* Stream)
{
    const TQorQorFile& F = P.F;
    TQorBitmap Bitmap;
    Bitmap.LoadFromStream(Stream);
    // A bitmap without a resolution of its own has one pixel per file pixel.
    Bitmap.SetPixelsPerInch(MulDiv(F.PixelsPerInchX(), 100, std::max(F.VertScale(), 1)));
    if (!Bitmap.HasResolution()) {
        Bitmap.Draw(P.DC, X, Y);
        return;
    }
    // One with a resolution has its physical size, which the zoom scales like everything else.
    const Integer W = MulDiv(Bitmap.GetWidth(P.DC), F.HorzScale(), 100);
    const Integer H = MulDiv(Bitmap.GetHeight(P.DC), F.VertScale(), 100);
    Bitmap.StretchDraw(P.DC, TRect(X, Y, X + W - 1, Y + H - 1));
}

void TQorPlayDevice::StretchDrawBitmap(const TRect& Rect, TStream* Stream)
{
    TQorBitmap Bitmap;
    Bitmap.LoadFromStream(Stream);
    Bitmap.SetPixelsPerInch(P.F.PixelsPerInchX());
    Bitmap.StretchDraw(P.DC, Rect);
}

void TQorPlayDevice::RtfDraw(const TRect& Rect, TStream* Stream, Integer StartPos, Integer EndPos, bool SetDefFont)
{
    // Rich text met before any font takes the default font.
    TFont Default;
    TQorQorFileObject* FontEntry = P.Selected(P.F.LastFont(), qotFont);
    TQorRtfDraw Rtf;
    Rtf.SetFont(FontEntry ? FontEntry->Font.get() : &Default);
    Rtf.SetDefaultFont = SetDefFont;
    Rtf.SetHandle(P.DC);
    Rtf.SetRangeStart(StartPos);
    Rtf.SetRangeEnd(EndPos);
    Rtf.SetPixelsPerInchX(P.DX);
    Rtf.SetPixelsPerInchY(P.DY);
    Rtf.SetOutRect(Rect);
    Rtf.LoadFromStream(Stream);
    Rtf.Print();
}

void TQorPlayDevice::DrawCheckBox(const TRect& Rect, TQorCheckStyle CheckStyle, TColor Color, Integer Thickness)
{
    QorDrawCheckBox(P.DC, Rect, CheckStyle, Color, Thickness);
}

void TQorPlayDevice::DrawShapeType(TQorDrawType DrawType, Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3,
                                   Integer Y3, Integer X4, Integer Y4)
{
    WithScaledPen([&] { QorDrawShapeType(P.DC, DrawType, X1, Y1, X2, Y2, X3, Y3, X4, Y4); });
}

void TQorPlayDevice::DrawPoly(TQorPolyType PolyType, const TPoint* Points, Integer Count)
{
    WithScaledPen([&] { QorPolyDrawType(P.DC, PolyType, Points, Count); });
}

void TQorPlayDevice::PrintBarcode(bool ThreeOfNine, Integer Left, Integer Top, Integer Width, Integer Height,
                                  Integer NarrowWidth, Integer WideWidth, bool Inches, bool Vertical,
                                  const String& BarData)
{
    TQorQorFileObject* Brush = P.Selected(P.F.LastBrush(), qotBrush);
    if (!Brush || !Brush->SelectBrush)
        return;
    std::unique_ptr<TQorBarCode> Code = QorNewBarCode(ThreeOfNine);
    Code->Vertical = Vertical;
    Code->Width = Width;
    Code->Height = Height;
    // Element widths become device pixels at the played size: pixels of the file scale with it, and
    // thousandths of an inch with the device's resolution at the zoom.
    const Integer Along = Vertical ? P.DY : P.DX;
    const Integer FileAlong = Vertical ? P.F.PixelsPerInchY() : P.F.PixelsPerInchX();
    const Integer Unit = Inches ? 1000 : FileAlong;
    // An element keeps at least a pixel, so a small view still shows every bar.
    const auto Element = [&](Integer Stored) { return Stored > 0 ? std::max(1, MulDiv(Stored, Along, Unit)) : 0; };
    Code->NarrowWidth = Element(NarrowWidth);
    Code->WideWidth = Element(WideWidth);
    Code->WidthInInches_1000 = false;
    Code->PrintDC(P.DC, Brush->SelectBrush, Left, Top, BarData);
}

void TQorPlayDevice::Print3of9Barcode(Integer Left, Integer Top, Integer Width, Integer Height, Integer NarrowWidth,
                                      Integer WideWidth, bool Inches, bool Vertical, const String& BarData)
{
    PrintBarcode(true, Left, Top, Width, Height, NarrowWidth, WideWidth, Inches, Vertical, BarData);
}

void TQorPlayDevice::Print2of5Barcode(Integer Left, Integer Top, Integer Width, Integer Height, Integer NarrowWidth,
                                      Integer WideWidth, bool Inches, bool Vertical, const String& BarData)
{
    PrintBarcode(false, Left, Top, Width, Height, NarrowWidth, WideWidth, Inches, Vertical, BarData);
}

// ---- playing pages ------------------------------------------------------------------------------

void TQorQorFile::PlayRecord(Word RecType, HDC DC) { TQorPlayer(*this, DC).Play(RecType); }

void TQorQorFile::PlayPage(HDC DC, Integer Page)
{
    const Integer Count = PageCount();
    if (!FStream || Count == 0 || Page < 1 || Page > Count || (FDoc.Running && Page >= Count))
        return;
    const Int64 Saved = FStream->Position();
    // Whatever happens, the device lets go of the file's objects, they are freed, and a file that
    // is still recording goes on writing at its end.
    struct TCleanUp {
        TQorQorFile& File;
        HDC DC;
        Int64 Saved;
        ~TCleanUp()
        {
            SelectObject(DC, GetStockObject(SYSTEM_FONT));
            SelectObject(DC, GetStockObject(NULL_BRUSH));
            SelectObject(DC, GetStockObject(BLACK_PEN));
            for (const auto& Object : File.FDoc.Objects)
                Object->DeleteObject();
            File.FStream->SetPosition(Saved);
        }
    } CleanUp{*this, DC, Saved};
    FStream->SetPosition(PagePosition(Page));
    const Int64 Size = FStream->Size();
    TQorPlayer Player(*this, DC);
    TQorReader Reader = this->Reader();
    for (;;) {
        if (Reader.Remaining() < 2)
            break;
        const Word Code = Reader.ReadType();
        if (Code == rcPageEnd || FStream->Position() >= Size)
            break;
        Player.Play(Code);
    }
}

} // namespace qor
