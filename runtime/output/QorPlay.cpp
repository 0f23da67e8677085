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
    case qotNone:
        break;
    }
}

// ---- the player ---------------------------------------------------------------------------------

// Plays the records of one page; the record currently played is in File.FPlayRecord.
class TQorPlayer {
public:
    TQorPlayer(TQorQorFile& File, HDC DC) : F(File), DC(DC), Filter(ExportRoute(File)) {}

    void Play(Word Code);

private:
    static TQorExportFilter* ExportRoute(const TQorQorFile& File)
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
    // Runs Draw with the selected pen widened by the scale (shapes), the file's own pen after.
    template <typename Fn>
    void WithScaledPen(Fn&& Draw);
    std::unique_ptr<TMemoryStream> DataStream() const;
    void PlayGraphic(const TQorRecord& R, bool Stretch);
    void PlayBitmap(const TQorRecord& R, bool Stretch);
    void PlayRichText(const TQorRecord& R);
    void PlayBarcode(const TQorRecord& R);
    void PlayPrinterSetup();

    TQorQorFile& F;
    HDC DC;
    TQorExportFilter* Filter;
    Integer DX = 96;
    Integer DY = 96;
};

void TQorPlayer::ComputeScale()
{
    DX = GetDeviceCaps(DC, LOGPIXELSX);
    DY = GetDeviceCaps(DC, LOGPIXELSY);
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
    switch (E.ObjectType) {
    case qotBrush:
        F.FDoc.LastBrush = Index;
        if (Filter) {
            Filter->SetBrush(E.Brush.get());
        } else {
            if (E.SelectBrush)
                SelectObject(DC, E.SelectBrush);
            ::qor::SetBkColor(DC, static_cast<COLORREF>(ColorToRGB(E.Brush->Color())));
            SetBkMode(DC, E.Brush->Style() == bsSolid ? OPAQUE : TRANSPARENT);
        }
        break;
    case qotFont:
        F.FDoc.LastFont = Index;
        if (Filter) {
            LOGFONT Lf;
            QorGetObject(E.SelectFont, sizeof(LOGFONT), &Lf);
            Filter->SetLogFont(E.Font.get(), Lf);
        } else {
            SelectObject(DC, E.SelectFont);
            SetTextColor(DC, static_cast<COLORREF>(ColorToRGB(E.Font->Color())));
        }
        break;
    case qotPen:
        F.FDoc.LastPen = Index;
        if (Filter)
            Filter->SetPen(E.Pen.get());
        else
            SelectObject(DC, E.SelectPen);
        break;
    case qotNone:
        break;
    }
}

template <typename Fn>
void TQorPlayer::WithScaledPen(Fn&& Draw)
{
    TQorQorFileObject* Pen = Filter ? nullptr : Selected(F.FDoc.LastPen, qotPen);
    if (!Pen) {
        Draw();
        return;
    }
    LOGPEN Lp;
    QorGetObject(Pen->SelectPen, sizeof(LOGPEN), &Lp);
    Lp.lopnWidth.X = SX(Lp.lopnWidth.X);
    const HPEN Scaled = CreatePenIndirect(Lp);
    SelectObject(DC, Scaled);
    struct TRestore {
        HDC DC;
        HPEN Own, Scaled;
        ~TRestore()
        {
            SelectObject(DC, Own);
            DeleteObject(Scaled);
        }
    } Restore{DC, Pen->SelectPen, Scaled};
    Draw();
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
    TRect Target;
    if (Stretch) {
        Target = SR(R.Rect);
    } else {
        const TPoint P = SP(R.X, R.Y);
        Target = TRect(P.X, P.Y, P.X + SX(Graphic->Width()), P.Y + SY(Graphic->Height()));
    }
    if (Filter)
        Filter->StretchDraw(Target, Graphic.get());
    else
        QorStretchDrawBitMap(DC, Target, Graphic.get());
}

void TQorPlayer::PlayBitmap(const TQorRecord& R, bool Stretch)
{
    auto S = DataStream();
    if (Filter) {
        if (Stretch)
            Filter->StretchDrawBitmap(SR(R.Rect), S.get());
        else
            Filter->DrawBitmap(SX(R.X), SY(R.Y), S.get());
        return;
    }
    TQorBitmap Bitmap;
    Bitmap.LoadFromStream(S.get());
    if (Stretch) {
        Bitmap.SetPixelsPerInch(F.PixelsPerInchX());
        Bitmap.StretchDraw(DC, SR(R.Rect));
        return;
    }
    // A bitmap without a resolution of its own has one pixel per file pixel.
    Bitmap.SetPixelsPerInch(MulDiv(F.PixelsPerInchX(), 100, std::max(F.VertScale(), 1)));
    const TPoint P = SP(R.X, R.Y);
    if (!Bitmap.HasResolution()) {
        Bitmap.Draw(DC, P.X, P.Y);
        return;
    }
    // One with a resolution has its physical size, which the zoom scales like everything else.
    const Integer W = MulDiv(Bitmap.GetWidth(DC), F.HorzScale(), 100);
    const Integer H = MulDiv(Bitmap.GetHeight(DC), F.VertScale(), 100);
    Bitmap.StretchDraw(DC, TRect(P.X, P.Y, P.X + W - 1, P.Y + H - 1));
}

void TQorPlayer::PlayRichText(const TQorRecord& R)
{
    auto S = DataStream();
    const TRect Out = SR(R.Rect);
    if (Filter) {
        Filter->RtfDraw(Out, S.get(), R.N[1], R.N[2], R.Flag);
        return;
    }
    // Rich text met before any font takes the default font.
    TFont Default;
    TQorQorFileObject* FontEntry = Selected(F.FDoc.LastFont, qotFont);
    TQorRtfDraw Rtf;
    Rtf.SetFont(FontEntry ? FontEntry->Font.get() : &Default);
    Rtf.SetDefaultFont = R.Flag;
    Rtf.SetHandle(DC);
    Rtf.SetRangeStart(R.N[1]);
    Rtf.SetRangeEnd(R.N[2]);
    Rtf.SetPixelsPerInchX(DX);
    Rtf.SetPixelsPerInchY(DY);
    Rtf.SetOutRect(Out);
    Rtf.LoadFromStream(S.get());
    Rtf.Print();
}

void TQorPlayer::PlayBarcode(const TQorRecord& R)
{
    const bool ThreeOfNine = R.Code == rcPrint3of9Barcode;
    const TPoint P = SP(R.X, R.Y);
    const Integer Width = SX(R.N[0]), Height = SY(R.N[1]);
    if (Filter) {
        if (F.FDoc.LastBrush == -1)
            return;
        if (ThreeOfNine)
            Filter->Print3of9Barcode(P.X, P.Y, Width, Height, R.N[2], R.N[3], R.Flag, R.Flag2, R.Text);
        else
            Filter->Print2of5Barcode(P.X, P.Y, Width, Height, R.N[2], R.N[3], R.Flag, R.Flag2, R.Text);
        return;
    }
    TQorQorFileObject* Brush = Selected(F.FDoc.LastBrush, qotBrush);
    if (!Brush || !Brush->SelectBrush)
        return;
    std::unique_ptr<TQorBarCode> Code;
    if (ThreeOfNine)
        Code = std::make_unique<TQor3of9BarCode>();
    else
        Code = std::make_unique<TQor2of5BarCode>();
    Code->Vertical = R.Flag2;
    Code->Width = Width;
    Code->Height = Height;
    // Element widths become device pixels at the played size: pixels of the file scale with it, and
    // thousandths of an inch with the device's resolution at the zoom.
    const Integer Along = Code->Vertical ? DY : DX;
    const Integer FileAlong = Code->Vertical ? F.PixelsPerInchY() : F.PixelsPerInchX();
    const Integer Unit = R.Flag ? 1000 : FileAlong;
    // An element keeps at least a pixel, so a small view still shows every bar.
    const auto Element = [&](Integer Stored) { return Stored > 0 ? std::max(1, MulDiv(Stored, Along, Unit)) : 0; };
    Code->NarrowWidth = Element(R.N[2]);
    Code->WideWidth = Element(R.N[3]);
    Code->WidthInInches_1000 = false;
    Code->PrintDC(DC, Brush->SelectBrush, P.X, P.Y, R.Text);
}

void TQorPlayer::PlayPrinterSetup()
{
    auto S = DataStream();
    F.FQorPrinterSetup->ReadFromStream(*S);
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
    switch (Code) {
    case rcSelectObject:
        Select(R.N[0]);
        break;
    case rcPageBegin:
        break;
    case rcSetTextAlign:
        if (Filter)
            Filter->SetTextAlign(static_cast<Word>(R.N[0]));
        else
            SetTextAlign(DC, static_cast<Cardinal>(R.N[0]));
        break;
    case rcTextout:
        if (Filter)
            Filter->Textout(SX(R.X), SY(R.Y), R.Text);
        else
            TextOut(DC, SX(R.X), SY(R.Y), R.Text);
        break;
    case rcMoveTo:
    case rcLineTo:
        if (Filter)
            Code == rcMoveTo ? Filter->MoveTo(SX(R.X), SY(R.Y)) : Filter->LineTo(SX(R.X), SY(R.Y));
        else if (Code == rcMoveTo)
            MoveToEx(DC, SX(R.X), SY(R.Y));
        else
            LineTo(DC, SX(R.X), SY(R.Y));
        break;
    case rcPTextout:
    case rcExtTextout: {
        const WideString Units = Utf8ToUtf16(R.Text);
        const Integer Count = static_cast<Integer>(Units.size());
        const TRect Rect = SR(R.Rect);
        if (Code == rcPTextout) {
            if (Filter)
                Filter->PTextout(SX(R.X), SY(R.Y), Units.data(), Count);
            else
                TextOut(DC, SX(R.X), SY(R.Y), Units.data(), Count);
        } else if (Filter) {
            Filter->ExtTextout(SX(R.X), SY(R.Y), static_cast<Word>(R.N[0]), Rect, Units.data(),
                               static_cast<Word>(std::min(Count, 0xFFFF)));
        } else {
            ExtTextOut(DC, SX(R.X), SY(R.Y), static_cast<Cardinal>(R.N[0]), &Rect, Units.data(), Count);
        }
        break;
    }
    case rcTextRect: {
        const TRect Rect = SR(R.Rect);
        if (Filter) {
            Filter->TextRect(Rect, SX(R.X), SY(R.Y), R.Text);
            break;
        }
        Cardinal Options = ETO_CLIPPED;
        if (const TQorQorFileObject* Brush = Selected(F.FDoc.LastBrush, qotBrush); Brush && Brush->Brush->Style() != bsClear)
            Options |= ETO_OPAQUE;
        ExtTextOut(DC, SX(R.X), SY(R.Y), Options, &Rect, R.Text);
        break;
    }
    case rcFillRect: {
        TRect Rect = SR(R.Rect);
        if (Filter) {
            if (F.FDoc.LastBrush != -1)
                Filter->FillRect(Rect);
            break;
        }
        const TQorQorFileObject* Brush = Selected(F.FDoc.LastBrush, qotBrush);
        if (!Brush || !Brush->SelectBrush)
            break;
        if (QorIsScreen(DC)) {
            // An empty rectangle still shows on screen, one pixel wide.
            if (Rect.Left >= Rect.Right)
                Rect.Right = Rect.Left + 1;
            if (Rect.Top >= Rect.Bottom)
                Rect.Bottom = Rect.Top + 1;
        }
        FillRect(DC, Rect, Brush->SelectBrush);
        break;
    }
    case rcRectangle:
    case rcEllipse: {
        const TRect Rect = SR(TRect(R.N[0], R.N[1], R.N[2], R.N[3]));
        if (Filter)
            Code == rcRectangle ? Filter->Rectangle(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom)
                                : Filter->Ellipse(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
        else
            WithScaledPen([&] {
                Code == rcRectangle ? Rectangle(DC, Rect.Left, Rect.Top, Rect.Right, Rect.Bottom)
                                    : Ellipse(DC, Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
            });
        break;
    }
    case rcRoundRect: {
        const TRect Rect = SR(TRect(R.N[0], R.N[1], R.N[2], R.N[3]));
        const Integer W = SX(R.N[4]), H = SY(R.N[5]);
        if (Filter)
            Filter->RoundRect(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom, W, H);
        else
            WithScaledPen([&] { RoundRect(DC, Rect.Left, Rect.Top, Rect.Right, Rect.Bottom, W, H); });
        break;
    }
    case rcDraw:
    case rcStretchDraw:
        PlayGraphic(R, Code == rcStretchDraw);
        break;
    case rcShadeRect:
        if (Filter)
            Filter->ShadeRect(SR(R.Rect), static_cast<TQorShadePercent>(R.N[0]));
        else
            QorShadeRect(DC, SR(R.Rect), static_cast<TQorShadePercent>(R.N[0]));
        break;
    case rcSetBkColor:
        if (Filter)
            Filter->SetBkColor(R.N[0]);
        else
            ::qor::SetBkColor(DC, static_cast<COLORREF>(R.N[0]));
        break;
    case rcTextJustify:
        if (F.FDoc.LastFont == -1)
            break;
        if (Filter)
            Filter->TextJustify(SR(R.Rect), SX(R.X), SY(R.Y), R.Text, R.Flag, SR(R.FullRect));
        else
            QorTextJustify(DC, SR(R.Rect), SX(R.X), SY(R.Y), R.Text, R.Flag, SR(R.FullRect));
        break;
    case rcDrawBitmap:
    case rcStretchDrawBitmap:
        PlayBitmap(R, Code == rcStretchDrawBitmap);
        break;
    case rcRtfDraw:
        PlayRichText(R);
        break;
    case rcDrawCheckBox:
        if (Filter)
            Filter->DrawCheckBox(SR(R.Rect), static_cast<TQorCheckStyle>(R.N[0]), static_cast<TColor>(R.N[1]),
                                 SX(R.N[2]));
        else
            QorDrawCheckBox(DC, SR(R.Rect), static_cast<TQorCheckStyle>(R.N[0]), static_cast<TColor>(R.N[1]),
                            SX(R.N[2]));
        break;
    case rcDrawShapeType: {
        const auto Shape = static_cast<TQorDrawType>(R.N[0]);
        const Integer X1 = SX(R.N[1]), X2 = SX(R.N[2]), X3 = SX(R.N[3]), X4 = SX(R.N[4]);
        const Integer Y1 = SY(R.N[5]), Y2 = SY(R.N[6]), Y3 = SY(R.N[7]), Y4 = SY(R.N[8]);
        if (Filter)
            Filter->DrawShapeType(Shape, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
        else
            WithScaledPen([&] { QorDrawShapeType(DC, Shape, X1, Y1, X2, Y2, X3, Y3, X4, Y4); });
        break;
    }
    case rcPolyDrawType: {
        std::vector<TPoint> Points(R.Points.size());
        std::transform(R.Points.begin(), R.Points.end(), Points.begin(),
                       [&](const TPoint& P) { return SP(P.X, P.Y); });
        const auto Kind = static_cast<TQorPolyType>(R.N[0]);
        const Integer Count = static_cast<Integer>(Points.size());
        if (Filter)
            Filter->PolyDrawType(Kind, Points.data(), Count);
        else
            WithScaledPen([&] { QorPolyDrawType(DC, Kind, Points.data(), Count); });
        break;
    }
    case rcPrint3of9Barcode:
    case rcPrint2of5Barcode:
        PlayBarcode(R);
        break;
    case rcPrinterInfo:
        F.QorFilePrinterInfo = R.PrinterInfo;
        break;
    case rcPrinterSetup:
        PlayPrinterSetup();
        break;
    default:
        break;
    }
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
