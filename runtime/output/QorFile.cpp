#include "runtime/output/QorFile.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Brush.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Pen.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/StrUtils.h"
#include "platform/ui/RichLayout.h"
#include "platform/ui/RtfReader.h"
#include "platform/ui/RtfWriter.h"
#include "runtime/output/QorSetup.h"
#include "runtime/output/QorStr.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <span>

namespace qor {

QOR_PUBLISH(TQorPagePosition) {}
QOR_PUBLISH(TQorFile) {}
QOR_PUBLISH(TQorQorFileObject) {}
QOR_PUBLISH(TQorQorFile) {}
QOR_PUBLISH(TQorDeviceContext) {}
QOR_PUBLISH(TQorFiler) {}

// ---- TQorFile ------------------------------------------------------------------------------------

TQorFile::TQorFile() : FPages(std::make_unique<TQorList>()), FQorPrinterSetup(std::make_unique<TQorPrinterSetup>()) {}

TQorFile::~TQorFile() = default;

void TQorFile::AbstractError() const { throw EAbstractError("Abstract Error"); }

void TQorFile::LoadQorFile(TQorFile*) { AbstractError(); }
void TQorFile::LoadPage(TQorFile*, Integer) { AbstractError(); }
void TQorFile::LoadPages(TQorFile*, Integer, Integer) { AbstractError(); }
void TQorFile::LoadFromFile(const String&) { AbstractError(); }
void TQorFile::LoadFromStream(TStream*) { AbstractError(); }
void TQorFile::Send(TQorFile*) { AbstractError(); }
void TQorFile::SendPage(TQorFile*, Integer) { AbstractError(); }
void TQorFile::SendPages(TQorFile*, Integer, Integer) { AbstractError(); }
void TQorFile::SaveToFile(const String&) { AbstractError(); }
void TQorFile::SaveToStream(TStream*) { AbstractError(); }
void TQorFile::PlayPage(HDC, Integer) { AbstractError(); }

void TQorFile::Clear()
{
    FStream.reset();
    ClearPages();
}

void TQorFile::ClearPages()
{
    FPages->Clear();
    FPagePositions.clear();
}

void TQorFile::AddPage(Integer Position)
{
    FPagePositions.push_back(std::make_unique<TQorPagePosition>(Position));
    FPages->Add(FPagePositions.back().get());
}

Integer TQorFile::PagePosition(Integer Page) const
{
    return static_cast<TQorPagePosition*>(FPages->Items(Page - 1))->Position;
}

void TQorFile::SetQorPrinterSetup(const TQorPrinterSetup* Value)
{
    if (Value && Value != FQorPrinterSetup.get())
        FQorPrinterSetup->Assign(*Value);
}

Integer TQorFile::PageInRange(const TQorFile* QorFile, Integer Page)
{
    const Integer Count = QorFile->PageCount();
    if (QorFile->IsRunning()) {
        if (Page >= Count)
            Page = Count - 1;
    } else if (Page > Count) {
        Page = Count;
    }
    return Page < 1 ? 1 : Page;
}

// ---- TQorQorFileObject ---------------------------------------------------------------------------

TQorQorFileObject::TQorQorFileObject(const TQorObjectRecord& Record)
    : ObjectType(Record.ObjectType), LogFont(Record.LogFont), LogPen(Record.LogPen), LogBrush(Record.LogBrush)
{
}

TQorQorFileObject::~TQorQorFileObject() { DeleteObject(); }

TQorObjectRecord TQorQorFileObject::Record() const
{
    TQorObjectRecord R;
    R.ObjectType = ObjectType;
    R.LogFont = LogFont;
    R.LogPen = LogPen;
    R.LogBrush = LogBrush;
    return R;
}

void TQorQorFileObject::Write(TStream& Stream) const { WriteQorObject(Stream, Record()); }

void TQorQorFileObject::Read(TQorReader& Reader)
{
    const TQorObjectRecord R = ReadQorObject(Reader);
    ObjectType = R.ObjectType;
    LogFont = R.LogFont;
    LogPen = R.LogPen;
    LogBrush = R.LogBrush;
}

void TQorQorFileObject::DeleteObject()
{
    Font.reset();
    Pen.reset();
    Brush.reset();
    if (SelectFont)
        ::qor::DeleteObject(SelectFont);
    if (SelectPen)
        ::qor::DeleteObject(SelectPen);
    if (SelectBrush)
        ::qor::DeleteObject(SelectBrush);
    SelectFont = HFONT();
    SelectPen = HPEN();
    SelectBrush = HBRUSH();
}

// ---- TQorQorFile: recording ------------------------------------------------------------------------

// The text read last, kept so that the pages of one document parse it once.
struct TQorQorFile::TRtfSource {
    std::vector<Byte> Bytes;
    TRichDocument Document;
};

TQorQorFile::TQorQorFile() = default;

TQorQorFile::~TQorQorFile() = default;

void TQorQorFile::CheckRecording() const
{
    if (!FDoc.Running)
        throw EInvalidOperation("The page file is not recording: no document has begun");
}

void TQorQorFile::Put(const TQorRecord& Record)
{
    TQorWriter W(*FStream);
    WriteQorRecord(W, Record);
}

template <Word Code>
void TQorQorFile::Put()
{
    FRecord.Code = Code;
    TQorWriter W(*FStream);
    WriteQorRecordOf<Code>(W, FRecord);
}

void TQorQorFile::PutSelect(Integer Index)
{
    FRecord.Index = Index;
    Put<rcSelectObject>();
}

// A printer setup read from and written to the record stream of a page file (record 101).
namespace {

TStream& RecordStream(const TQorQorFile& QorFile)
{
    if (!QorFile.Stream())
        throw EStreamError("The page file has no record stream open");
    return *QorFile.Stream();
}

} // namespace

void TQorPrinterSetup::WriteToQorFile(TQorQorFile& QorFile) const { WriteToStream(RecordStream(QorFile)); }

bool TQorPrinterSetup::ReadFromQorFile(TQorQorFile& QorFile) { return ReadFromStream(RecordStream(QorFile)); }

void TQorQorFile::PutPageStart()
{
    FQorPrinterSetup->WriteToStream(*FStream);
    Put<rcPageBegin>();
}

void TQorQorFile::BeginDoc()
{
    FDoc.PercentDone = 0;
    QorFileHeader = TQorFileHeader();
    Clear();
    FStream = std::make_unique<TQorStream>();
    FQorStartPrinterSetup = std::make_unique<TQorPrinterSetup>();
    FQorStartPrinterSetup->Assign(*FQorPrinterSetup);
    AddPage(0);
    PutPageStart();
    FDoc.Running = true;
}

void TQorQorFile::NewPage()
{
    CheckRecording();
    Put<rcPageEnd>();
    const Int64 Position = FStream->Position();
    if (Position > INT32_MAX)
        throw EInvalidOperation("The page file has grown past the 2 GB its page index can address");
    AddPage(static_cast<Integer>(Position));
    PutPageStart();
    for (const Integer Index : {FDoc.CurrFont, FDoc.CurrPen, FDoc.CurrBrush})
        if (Index != -1)
            PutSelect(Index);
}

void TQorQorFile::EndDoc() { FinishDoc(FCreateFile); }

void TQorQorFile::AbortDoc() { FinishDoc(false); }

void TQorQorFile::FinishDoc(bool WriteFile)
{
    if (!FDoc.Running)
        return;
    Put<rcPageEnd>();
    QorFileInfo.Pages = PageCount();
    QorFileInfo.Objects = static_cast<Word>(FDoc.Objects.size());
    QorFileHeader.Description = Utf8ToUtf16(FDoc.Description);
    const auto Finish = [this] {
        FQorStartPrinterSetup.reset();
        FRtfSource.reset();
        FDoc.Running = false;
        FDoc.PercentDone = 100.0f;
    };
    if (!WriteFile) {
        FQorPrinterSetup->Assign(*FQorStartPrinterSetup);
        Finish();
        return;
    }
    // The pages are complete in memory whether or not the file could be written.
    try {
        WriteFileSafely(FFileName, *FQorStartPrinterSetup);
    } catch (...) {
        Finish();
        throw;
    }
    Finish();
}

void TQorQorFile::SetFont(TFont* Font)
{
    LOGFONT Lf;
    QorGetObject(Font->Handle(), sizeof(LOGFONT), &Lf);
    SetLogFont(Font, Lf);
}

namespace {

// The stored fields of a font record but its name, with the size the font gives.
void TakeFontFields(TQorLogFont& F, TFont* Font, const LOGFONT& Lf, Word Size)
{
    F.Color = Font->Color();
    F.Size = Size;
    F.Italic = Lf.lfItalic;
    F.Underline = Lf.lfUnderline;
    F.StrikeOut = Lf.lfStrikeOut;
    F.Escapement = static_cast<Word>(Lf.lfEscapement);
    F.Weight = static_cast<Word>(Lf.lfWeight);
    F.CharSet = Lf.lfCharSet;
    F.OutPrecision = Lf.lfOutPrecision;
    F.ClipPrecision = Lf.lfClipPrecision;
    F.Quality = Lf.lfQuality;
    F.PitchAndFamily = Lf.lfPitchAndFamily;
}

// Whether F holds the fields TakeFontFields would take (none is built to compare).
bool SameFontFields(const TQorLogFont& F, TFont* Font, const LOGFONT& Lf, Word Size)
{
    return F.Color == Font->Color() && F.Size == Size && F.Italic == Lf.lfItalic && F.Underline == Lf.lfUnderline &&
           F.StrikeOut == Lf.lfStrikeOut && F.Escapement == static_cast<Word>(Lf.lfEscapement) &&
           F.Weight == static_cast<Word>(Lf.lfWeight) && F.CharSet == Lf.lfCharSet &&
           F.OutPrecision == Lf.lfOutPrecision && F.ClipPrecision == Lf.lfClipPrecision &&
           F.Quality == Lf.lfQuality && F.PitchAndFamily == Lf.lfPitchAndFamily;
}

} // namespace

void TQorQorFile::SetLogFont(TFont* Font, const LOGFONT& Lf)
{
    CheckRecording();
    // A label selects the font it selected last over and over: that one is known by the name it
    // was given and its other fields, without building a record (the name is converted once).
    const bool SameName = FLastFontIndex >= 0 && Font->Name() == FLastFontName;
    // The size follows from the height and the resolution: the same pair gives the same size.
    const bool SameHeight = SameName && Font->Height() == FLastFontHeight && Font->PixelsPerInch() == FLastFontPPI;
    const Word Size = SameHeight ? FLastFontRecord.Size : static_cast<Word>(Font->Size());
    if (SameName && SameFontFields(FLastFontRecord, Font, Lf, Size)) {
        FDoc.CurrFont = FLastFontIndex;
        PutSelect(FDoc.CurrFont);
        return;
    }
    TQorObjectRecord R;
    R.ObjectType = qotFont;
    TQorLogFont& F = R.LogFont;
    TakeFontFields(F, Font, Lf, Size);
    // Compared as it is stored: at most 31 units.
    F.Name = SameName ? FLastFontRecord.Name : Utf8ToUtf16(Font->Name()).substr(0, 31);
    FDoc.CurrFont = ShareObject(R);
    FLastFontIndex = FDoc.CurrFont;
    if (!SameName)
        FLastFontName = Font->Name();
    FLastFontRecord = F;
    FLastFontHeight = Font->Height();
    FLastFontPPI = Font->PixelsPerInch();
    PutSelect(FDoc.CurrFont);
}

namespace {

void TakeObject(TQorObjectRecord& Record, const TQorLogPen& Pen)
{
    Record.ObjectType = qotPen;
    Record.LogPen = Pen;
}

void TakeObject(TQorObjectRecord& Record, const TQorLogBrush& Brush)
{
    Record.ObjectType = qotBrush;
    Record.LogBrush = Brush;
}

bool IsObject(const TQorQorFileObject& Object, const TQorLogPen& Pen) { return Object.PenSame(Pen); }
bool IsObject(const TQorQorFileObject& Object, const TQorLogBrush& Brush) { return Object.BrushSame(Brush); }

} // namespace

template <class TLogObject>
Integer TQorQorFile::ShareAgain(Integer Current, const TLogObject& Value)
{
    if (Current >= 0 && IsObject(*FDoc.Objects[static_cast<std::size_t>(Current)], Value))
        return Current;
    TQorObjectRecord R;
    TakeObject(R, Value);
    return ShareObject(R);
}

void TQorQorFile::SetPen(TPen* Pen)
{
    CheckRecording();
    TQorLogPen P;
    P.Color = Pen->Color();
    P.Style = Pen->Style();
    P.Width = static_cast<Word>(Pen->Width());
    P.Mode = Pen->Mode();
    FDoc.CurrPen = ShareAgain(FDoc.CurrPen, P);
    PutSelect(FDoc.CurrPen);
}

void TQorQorFile::SetBrush(TBrush* Brush)
{
    CheckRecording();
    TQorLogBrush B;
    B.Color = Brush->Color();
    B.Style = Brush->Style();
    FDoc.CurrBrush = ShareAgain(FDoc.CurrBrush, B);
    PutSelect(FDoc.CurrBrush);
}

namespace {

std::string ObjectKey(const TQorObjectRecord& Record)
{
    TMemoryStream S;
    WriteQorObject(S, Record);
    return std::string(static_cast<const char*>(S.Memory()), static_cast<size_t>(S.Size()));
}

bool SameObject(const TQorQorFileObject& Object, const TQorObjectRecord& Record)
{
    switch (Record.ObjectType) {
    case qotFont: return Object.FontSame(Record.LogFont);
    case qotPen: return Object.PenSame(Record.LogPen);
    case qotBrush: return Object.BrushSame(Record.LogBrush);
    default: return false;
    }
}

} // namespace

Integer TQorQorFile::ShareObject(const TQorObjectRecord& Record)
{
    // Only indices the index gave are kept here, so both ways answer the same entry.
    for (const Integer Recent : FDoc.RecentObjects)
        if (Recent >= 0 && Recent < static_cast<Integer>(FDoc.Objects.size()) &&
            SameObject(*FDoc.Objects[static_cast<std::size_t>(Recent)], Record))
            return Recent;
    const std::string Key = ObjectKey(Record);
    Integer Index;
    if (const auto It = FDoc.ObjectIndex.find(Key); It != FDoc.ObjectIndex.end()) {
        Index = It->second;
    } else {
        if (static_cast<Integer>(FDoc.Objects.size()) >= QorMaxObjects)
            throw EInvalidOperation("A page file holds at most 32767 different fonts, pens and brushes");
        FDoc.Objects.push_back(std::make_unique<TQorQorFileObject>(Record));
        Index = static_cast<Integer>(FDoc.Objects.size()) - 1;
        FDoc.ObjectIndex.emplace(Key, Index);
    }
    FDoc.RecentObjects[FDoc.NextRecent] = Index;
    FDoc.NextRecent = (FDoc.NextRecent + 1) % FDoc.RecentObjects.size();
    return Index;
}

void TQorQorFile::IndexObject(Integer Index)
{
    FDoc.ObjectIndex.emplace(ObjectKey(FDoc.Objects[static_cast<size_t>(Index)]->Record()), Index);
}

void TQorQorFile::SetTextAlign(Word Flags)
{
    CheckRecording();
    FRecord.Align = Flags;
    Put<rcSetTextAlign>();
}

void TQorQorFile::StartRecord(Word Code, Integer X, Integer Y)
{
    CheckRecording();
    FRecord.Code = Code;
    FRecord.X = X;
    FRecord.Y = Y;
}

void TQorQorFile::Textout(Integer X, Integer Y, const String& Text)
{
    StartRecord(rcTextout, X, Y);
    FRecord.Text = Text;
    Put<rcTextout>();
}

void TQorQorFile::MoveTo(Integer X, Integer Y)
{
    StartRecord(rcMoveTo, X, Y);
    Put<rcMoveTo>();
}

void TQorQorFile::LineTo(Integer X, Integer Y)
{
    StartRecord(rcLineTo, X, Y);
    Put<rcLineTo>();
}

void TQorQorFile::PTextout(Integer X, Integer Y, const WideChar* Text, Integer Count)
{
    StartRecord(rcPTextout, X, Y);
    FRecord.Text = Utf16ToUtf8(std::u16string_view(Text, Text && Count > 0 ? static_cast<size_t>(Count) : 0));
    Put(FRecord);
}

void TQorQorFile::ExtTextout(Integer X, Integer Y, Word Options, const TRect& Rect, const WideChar* Text, Word Count)
{
    StartRecord(rcExtTextout, X, Y);
    FRecord.Options = Options;
    FRecord.Rect = Rect;
    FRecord.Text = Utf16ToUtf8(std::u16string_view(Text, Text ? Count : 0));
    Put(FRecord);
}

void TQorQorFile::TextRect(const TRect& Rect, Integer X, Integer Y, const String& Text)
{
    CheckRecording();
    FRecord.Rect = Rect;
    FRecord.X = X;
    FRecord.Y = Y;
    FRecord.Text = Text;
    Put<rcTextRect>();
}

void TQorQorFile::FillRect(const TRect& Rect)
{
    CheckRecording();
    FRecord.Rect = Rect;
    Put<rcFillRect>();
}

void TQorQorFile::Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2)
{
    CheckRecording();
    FRecord.Rect = TRect(X1, Y1, X2, Y2);
    Put<rcRectangle>();
}

void TQorQorFile::RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3)
{
    CheckRecording();
    FRecord.Code = rcRoundRect;
    FRecord.Rect = TRect(X1, Y1, X2, Y2);
    FRecord.Corner = TPoint(X3, Y3);
    Put(FRecord);
}

void TQorQorFile::Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2)
{
    CheckRecording();
    FRecord.Rect = TRect(X1, Y1, X2, Y2);
    Put<rcEllipse>();
}

namespace {

// The graphic kind of records 32 and 33: 1 bitmap, 0 icon, 2 metafile, 3 any other class.
Word GraphicKind(const TGraphic* Graphic)
{
    if (Graphic->Is<TBitmap>())
        return 1;
    if (Graphic->Is<TIcon>())
        return 0;
    if (Graphic->Is<TMetafile>())
        return 2;
    return 3;
}

} // namespace

// A graphic as records 32 and 33 store it: its kind and what its own save writes; nothing for
// an empty graphic or one that saves nothing.
void TQorQorFile::PutGraphic(Word Code, TGraphic* Graphic, Integer X, Integer Y, const TRect& Rect)
{
    CheckRecording();
    if (!Graphic || Graphic->Empty())
        return;
    TBytesStream Saved;
    Graphic->SaveToStream(&Saved);
    if (Saved.Size() == 0)
        return;
    FRecord.Code = Code;
    FRecord.X = X;
    FRecord.Y = Y;
    FRecord.Rect = Rect;
    FRecord.GraphicKind = GraphicKind(Graphic);
    FRecord.Data = Saved.Bytes();
    Put(FRecord);
}

void TQorQorFile::Draw(Integer X, Integer Y, TGraphic* Graphic) { PutGraphic(rcDraw, Graphic, X, Y, TRect()); }

void TQorQorFile::StretchDraw(const TRect& Rect, TGraphic* Graphic) { PutGraphic(rcStretchDraw, Graphic, 0, 0, Rect); }

void TQorQorFile::ShadeRect(const TRect& Rect, TQorShadePercent Shade)
{
    CheckRecording();
    FRecord.Rect = Rect;
    FRecord.Shade = Shade;
    Put<rcShadeRect>();
}

void TQorQorFile::SetBkColor(Integer Color)
{
    CheckRecording();
    FRecord.Code = rcSetBkColor;
    FRecord.Color = Color;
    Put(FRecord);
}

void TQorQorFile::TextJustify(const TRect& Rect, Integer X, Integer Y, const String& Text, bool EndParagraph,
                              const TRect& FullRect)
{
    CheckRecording();
    FRecord.Code = rcTextJustify;
    FRecord.Rect = Rect;
    FRecord.X = X;
    FRecord.Y = Y;
    FRecord.Text = Text;
    FRecord.EndParagraph = EndParagraph;
    FRecord.FullRect = FullRect;
    Put(FRecord);
}

// The whole of Stream, from its start, as the Data of a record (written by PutStream).
void TQorQorFile::TakeStream(Word Code, TStream* Stream, Integer X, Integer Y, const TRect& Rect)
{
    FRecord.Code = Code;
    FRecord.X = X;
    FRecord.Y = Y;
    FRecord.Rect = Rect;
    FRecord.Data.resize(static_cast<size_t>(Stream->Size()));
    Stream->SetPosition(0);
    Stream->ReadBuffer(FRecord.Data.data(), Stream->Size());
}

void TQorQorFile::PutStream(Word Code, TStream* Stream, Integer X, Integer Y, const TRect& Rect)
{
    TakeStream(Code, Stream, X, Y, Rect);
    Put(FRecord);
}

void TQorQorFile::DrawBitmap(Integer X, Integer Y, TStream* Stream)
{
    CheckRecording();
    if (Stream && Stream->Size() > 0)
        PutStream(rcDrawBitmap, Stream, X, Y, TRect());
}

void TQorQorFile::StretchDrawBitmap(const TRect& Rect, TStream* Stream)
{
    CheckRecording();
    if (Stream && Stream->Size() > 0)
        PutStream(rcStretchDrawBitmap, Stream, 0, 0, Rect);
}

void TQorQorFile::RtfDraw(const TRect& Rect, TStream* Stream, Integer StartPos, Integer EndPos, bool SetDefFont)
{
    CheckRecording();
    if (!Stream || Stream->Size() == 0)
        return;
    // The pages of one text parse it once; a text held in memory is compared where it is, so a
    // page costs what it draws rather than a copy of the whole text.
    if (!FRtfSource)
        FRtfSource = std::make_unique<TRtfSource>();
    const auto* Held = dynamic_cast<const TCustomMemoryStream*>(Stream);
    if (!Held || !std::ranges::equal(std::span(static_cast<const Byte*>(Held->Memory()), static_cast<std::size_t>(Held->Size())),
                                     FRtfSource->Bytes)) {
        TakeStream(rcRtfDraw, Stream, 0, 0, Rect);
        if (FRtfSource->Bytes != FRecord.Data) {
            FRtfSource->Bytes = FRecord.Data;
            ReadRichText(FRtfSource->Bytes, FRtfSource->Document);
        }
    }
    FRecord.Code = rcRtfDraw;
    FRecord.X = 0;
    FRecord.Y = 0;
    FRecord.Rect = Rect;
    FRecord.SetDefFont = SetDefFont;
    // A page keeps only the part of a longer text that it draws, as a document of its own with the
    // range moved onto it, so that a text over many pages is stored about once, not once a page.
    bool Whole = true;
    if (StartPos > 0 || (EndPos >= 0 && EndPos < FRtfSource->Document.TextLength())) {
        Integer Start = StartPos, End = EndPos;
        const std::string Part = WriteRtf(RichRangePart(FRtfSource->Document, Start, End));
        if (Part.size() < FRtfSource->Bytes.size()) {
            FRecord.Data.assign(Part.begin(), Part.end());
            StartPos = Start;
            EndPos = End;
            Whole = false;
        }
    }
    if (Whole)
        FRecord.Data = FRtfSource->Bytes;
    FRecord.RangeStart = StartPos;
    FRecord.RangeEnd = EndPos;
    Put(FRecord);
}

void TQorQorFile::DrawCheckBox(const TRect& Rect, TQorCheckStyle CheckStyle, TColor Color, Integer Thickness)
{
    CheckRecording();
    FRecord.Code = rcDrawCheckBox;
    FRecord.Rect = Rect;
    FRecord.CheckStyle = CheckStyle;
    FRecord.Color = Color;
    FRecord.Thickness = Thickness;
    Put(FRecord);
}

void TQorQorFile::DrawShapeType(TQorDrawType DrawType, Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3,
                                Integer Y3, Integer X4, Integer Y4)
{
    CheckRecording();
    FRecord.Code = rcDrawShapeType;
    FRecord.Shape = DrawType;
    FRecord.ArcPoints = {TPoint(X1, Y1), TPoint(X2, Y2), TPoint(X3, Y3), TPoint(X4, Y4)};
    Put(FRecord);
}

void TQorQorFile::PolyDrawType(TQorPolyType PolyType, const TPoint* Points, Integer LastIndex)
{
    CheckRecording();
    const Integer Count = Points && LastIndex >= 0 ? LastIndex + 1 : 0;
    if (Count > 32767)
        throw EInvalidOperation("A polygon in a page file has at most 32767 points");
    FRecord.Code = rcPolyDrawType;
    FRecord.PolyType = PolyType;
    FRecord.Points.assign(Points, Points + Count);
    Put(FRecord);
}

void TQorQorFile::PutBarcode(Word Code, Integer Left, Integer Top, Integer Width, Integer Height, Integer NarrowWidth,
                             Integer WideWidth, bool Inches, bool Vertical, const String& BarData)
{
    CheckRecording();
    FRecord.Code = Code;
    FRecord.X = Left;
    FRecord.Y = Top;
    FRecord.BarWidth = Width;
    FRecord.BarHeight = Height;
    FRecord.NarrowWidth = NarrowWidth;
    FRecord.WideWidth = WideWidth;
    FRecord.Inches = Inches;
    FRecord.Vertical = Vertical;
    FRecord.Text = BarData;
    Put(FRecord);
}

void TQorQorFile::Print3of9Barcode(Integer Left, Integer Top, Integer Width, Integer Height, Integer NarrowWidth,
                                   Integer WideWidth, bool Inches, bool Vertical, const String& BarData)
{
    PutBarcode(rcPrint3of9Barcode, Left, Top, Width, Height, NarrowWidth, WideWidth, Inches, Vertical, BarData);
}

void TQorQorFile::Print2of5Barcode(Integer Left, Integer Top, Integer Width, Integer Height, Integer NarrowWidth,
                                   Integer WideWidth, bool Inches, bool Vertical, const String& BarData)
{
    PutBarcode(rcPrint2of5Barcode, Left, Top, Width, Height, NarrowWidth, WideWidth, Inches, Vertical, BarData);
}

void TQorQorFile::WritePrinterInfo(const TQorFilePrinterInfo& Info)
{
    CheckRecording();
    FRecord.Code = rcPrinterInfo;
    FRecord.PrinterInfo = Info;
    Put(FRecord);
}

TQorWriter TQorQorFile::Writer() const
{
    if (!FStream)
        throw EInvalidOperation("The page file has no record stream");
    return TQorWriter(*FStream);
}

TQorReader TQorQorFile::Reader() const
{
    if (!FStream)
        throw EInvalidOperation("The page file has no record stream");
    return TQorReader(*FStream, QorFileHeader.Version);
}

Integer TQorQorFile::PageWidth() const
{
    return static_cast<Integer>(Round(PixelsPerInchX() * FQorPrinterSetup->Width()));
}

Integer TQorQorFile::PageHeight() const
{
    return static_cast<Integer>(Round(PixelsPerInchY() * FQorPrinterSetup->Length()));
}

// ---- TQorQorFile: containers -----------------------------------------------------------------------

void TQorQorFile::LoadQorFile(TQorFile*) {}
void TQorQorFile::LoadPage(TQorFile*, Integer) {}
void TQorQorFile::LoadPages(TQorFile*, Integer, Integer) {}

void TQorQorFile::Send(TQorFile* QorFile) { QorFile->LoadQorFile(this); }
void TQorQorFile::SendPage(TQorFile* QorFile, Integer Page) { QorFile->LoadPage(this, Page); }
void TQorQorFile::SendPages(TQorFile* QorFile, Integer StartPage, Integer EndPage)
{
    QorFile->LoadPages(this, StartPage, EndPage);
}

void TQorQorFile::Clear()
{
    TQorFile::Clear();
    FDoc.LastFont = FDoc.LastPen = FDoc.LastBrush = -1;
    FDoc.CurrFont = FDoc.CurrPen = FDoc.CurrBrush = -1;
    FDoc.Objects.clear();
    FDoc.ObjectIndex.clear();
    FDoc.RecentObjects.fill(-1);
    FLastFontIndex = -1;
    FDoc.UserStream->Clear();
}

void TQorQorFile::SetUserStream(TStream* Value)
{
    FDoc.UserStream->Clear();
    if (!Value)
        return;
    const Int64 Count = Value->Size() - Value->Position();
    if (Count > 0)
        FDoc.UserStream->CopyFrom(Value, Count);
}

bool TQorQorFile::GetPagePrinterInfo(TQorPrinterSetup* Setup, Integer Page)
{
    const Integer Count = PageCount();
    if (Count == 0 || !FStream || (FDoc.Running && Count < 2)) {
        Setup->Assign(*FQorPrinterSetup);
        return false;
    }
    if (Page < 1)
        Page = 1;
    if (FDoc.Running && Page > Count - 1)
        Page = Count - 1;
    else if (Page > Count)
        Page = Count;
    const Int64 Saved = FStream->Position();
    struct TRestore {
        TQorStream& S;
        Int64 At;
        ~TRestore() { S.SetPosition(At); }
    } Restore{*FStream, Saved};
    FStream->SetPosition(PagePosition(Page));
    TQorReader R(*FStream, QorFileHeader.Version);
    switch (R.ReadType()) {
    case rcPrinterInfo: Setup->SetPrintInfo(R.ReadPrinterInfo()); return true;
    case rcPrinterSetup: return Setup->ReadFromStream(*FStream);
    default: return false;
    }
}

// ---- saving ------------------------------------------------------------------------------------------

void TQorQorFile::WriteDocument(TStream& Stream, const TQorPrinterSetup& Setup)
{
    const Int64 Start = Stream.Position();
    TQorFileHeader Header = QorFileHeader;
    Header.Name = {'Q', 'O', 'R'};
    Header.Key = QorFileKey;
    Header.Version = QorFileVersion;
    Header.HeaderLen = 0;
    Header.Description = Utf8ToUtf16(FDoc.Description);
    QorFileInfo.Pages = PageCount();
    QorFileInfo.Objects = static_cast<Word>(FDoc.Objects.size());

    WriteQorFileHeader(Stream, Header);
    WriteQorFileInfo(Stream, QorFileInfo);
    Setup.WriteToStream(Stream);
    TQorWriter W(Stream);
    W.WriteLongInt(static_cast<Integer>(FDoc.UserStream->Size()));
    if (FDoc.UserStream->Size() > 0)
        Stream.WriteBuffer(FDoc.UserStream->Memory(), FDoc.UserStream->Size());
    for (Integer I = 1; I <= PageCount(); ++I)
        W.WriteLongInt(PagePosition(I));
    for (const auto& Object : FDoc.Objects)
        Object->Write(Stream);

    // The header is rewritten at the start of this document, not of the stream.
    Header.HeaderLen = static_cast<Integer>(Stream.Position() - Start);
    Stream.SetPosition(Start);
    WriteQorFileHeader(Stream, Header);
    Stream.SetPosition(Start + Header.HeaderLen);
    QorFileHeader.HeaderLen = Header.HeaderLen;
    QorFileHeader.Description = Header.Description;

    if (!FStream || FStream->Size() == 0)
        return;
    const Int64 Saved = FStream->Position();
    FStream->SetPosition(0);
    try {
        Stream.CopyFrom(FStream.get(), FStream->Size());
    } catch (...) {
        FStream->SetPosition(Saved);
        throw;
    }
    FStream->SetPosition(Saved);
}

void TQorQorFile::WriteFileSafely(const String& FileName, const TQorPrinterSetup& Setup)
{
    SaveFileSafely(FileName, [&](TStream& File) { WriteDocument(File, Setup); });
}

void TQorQorFile::SaveToFile(const String& FileName)
{
    if (FDoc.Running)
        return;
    WriteFileSafely(FileName, *FQorPrinterSetup);
}

void TQorQorFile::SaveToStream(TStream* SaveStream)
{
    if (FDoc.Running || !SaveStream)
        return;
    WriteDocument(*SaveStream, *FQorPrinterSetup);
}

// ---- loading -----------------------------------------------------------------------------------------

void TQorQorFile::LoadDocument(TStream& Stream)
{
    FStream = std::make_unique<TQorStream>();
    QorFileHeader = ReadQorFileHeader(Stream);
    TQorReader R(Stream, QorFileHeader.Version);
    QorFileInfo = ReadQorFileInfo(R);
    if (QorFileInfo.PixelsPerInchX == 0 || QorFileInfo.PixelsPerInchY == 0)
        R.Damaged("a resolution of 0 pixels per inch");

    if (QorFileHeader.Version < 4) {
        QorFilePrinterInfo = R.ReadPrinterInfo(QorFileHeader.Version >= 3);
        FQorPrinterSetup->SetPrintInfo(QorFilePrinterInfo);
    } else {
        if (R.ReadType() != rcPrinterSetup)
            R.Damaged("no printer setup after the file information");
        try {
            FQorPrinterSetup->ReadFromStream(Stream);
        } catch (const EReadError&) {
            R.Damaged("a printer setup longer than the rest of the file");
        }
    }

    const Integer UserSize = R.ReadLongInt();
    if (UserSize < 0 || UserSize > R.Remaining())
        R.Damaged("a user stream longer than the rest of the file");
    if (UserSize > 0)
        FDoc.UserStream->CopyFrom(&Stream, UserSize);

    if (QorFileInfo.Pages > R.Remaining() / 4)
        R.Damaged("a page index longer than the rest of the file");
    std::vector<Integer> Positions(static_cast<size_t>(QorFileInfo.Pages));
    for (Integer& P : Positions)
        P = R.ReadLongInt();

    for (Word I = 0; I < QorFileInfo.Objects; ++I) {
        auto Object = std::make_unique<TQorQorFileObject>();
        Object->Read(R);
        FDoc.Objects.push_back(std::move(Object));
        IndexObject(static_cast<Integer>(FDoc.Objects.size()) - 1);
    }

    const Int64 RecordSize = R.Remaining();
    Integer Previous = 0;
    for (const Integer P : Positions) {
        if (P < Previous || P >= RecordSize)
            R.Damaged("a page index entry outside the record stream");
        Previous = P;
        AddPage(P);
    }
    if (RecordSize > 0)
        FStream->CopyFrom(&Stream, RecordSize);
    CheckRecords();
    FStream->SetPosition(0);
    FDoc.Description = Utf16ToUtf8(QorFileHeader.Description);
    FDoc.PercentDone = 100.0f;
    FDoc.Running = false;
}

// A file cut after a complete record, or with an object index past its objects, is refused here as
// the viewer, the printer and the dump would each meet it, so they all say the same. Records of an
// application's own kinds cannot be skipped: a page is checked up to the first of them.
void TQorQorFile::CheckRecords()
{
    TQorReader R = Reader();
    TQorRecord Rec;
    const Integer Count = PageCount();
    for (Integer Page = 1; Page <= Count; ++Page) {
        const Int64 End = Page < Count ? PagePosition(Page + 1) : FStream->Size();
        FStream->SetPosition(PagePosition(Page));
        bool Ended = false;
        while (!Ended && FStream->Position() < End) {
            Rec.Code = R.ReadType();
            if (QorRecordName(Rec.Code)[0] == '\0') {
                Ended = true; // one of the application's own
                break;
            }
            ReadQorRecord(R, Rec);
            if (Rec.Code == rcSelectObject && (Rec.Index < 0 || Rec.Index >= ObjectCount()))
                R.Damaged("object " + std::to_string(Rec.Index) + " selected of " + std::to_string(ObjectCount()) +
                          " objects");
            Ended = Rec.Code == rcPageEnd;
        }
        if (!Ended)
            R.Damaged("page " + std::to_string(Page) + " has no end");
    }
}

void TQorFile::SwapPages(TQorFile& Other)
{
    std::swap(FStream, Other.FStream);
    std::swap(FPages, Other.FPages);
    std::swap(FPagePositions, Other.FPagePositions);
    std::swap(FQorPrinterSetup, Other.FQorPrinterSetup);
}

void TQorQorFile::SwapDocument(TQorQorFile& Other)
{
    SwapPages(Other);
    std::swap(FDoc, Other.FDoc);
    // What the recorder remembers of the font it shared last belongs to neither document now.
    FLastFontIndex = Other.FLastFontIndex = -1;
}

void TQorQorFile::LoadFromStream(TStream* LoadStream)
{
    TQorQorFile Fresh;
    Fresh.LoadDocument(*LoadStream);
    SwapDocument(Fresh);
}

void TQorQorFile::LoadFromFile(const String& FileName)
{
    TFileStream File(FileName, fmOpenRead);
    LoadFromStream(&File);
}

// ---- TQorDeviceContext -------------------------------------------------------------------------------

void TQorDeviceContext::LoadQorFile(TQorFile*) {}

void TQorDeviceContext::LoadPage(TQorFile* QorFile, Integer Page)
{
    QorFile->PlayPage(FDC, PageInRange(QorFile, Page));
}

void TQorDeviceContext::LoadPages(TQorFile*, Integer, Integer) {}

void TQorDeviceContext::LoadFromFile(const String& FileName)
{
    TFileStream File(FileName, fmOpenRead);
    LoadFromStream(&File);
}

void TQorDeviceContext::LoadFromStream(TStream*) {}
void TQorDeviceContext::Send(TQorFile*) {}
void TQorDeviceContext::SendPage(TQorFile*, Integer) {}
void TQorDeviceContext::SendPages(TQorFile*, Integer, Integer) {}
void TQorDeviceContext::SaveToFile(const String&) {}
void TQorDeviceContext::SaveToStream(TStream*) {}
void TQorDeviceContext::PlayPage(HDC, Integer) {}

// ---- TQorFiler ---------------------------------------------------------------------------------------

TQorFiler::TQorFiler() = default;

TQorFiler::~TQorFiler() = default;

void TQorFiler::SetQorFile(std::unique_ptr<TQorFile> Value)
{
    FHeld = std::move(Value);
    FQorFile = FHeld.get();
}

void TQorFiler::ShowQorFile(TQorFile* Value)
{
    if (FHeld.get() != Value)
        FHeld.reset();
    FQorFile = Value;
}

std::unique_ptr<TQorFile> TQorFiler::TakeQorFile()
{
    FQorFile = nullptr;
    return std::move(FHeld);
}

void TQorFiler::LoadFromStream(TStream* Stream)
{
    auto Loaded = std::make_unique<TQorQorFile>();
    Loaded->LoadFromStream(Stream);
    SetQorFile(std::move(Loaded));
}

void TQorFiler::LoadFromFile(const String& FileName)
{
    TFileStream File(FileName, fmOpenRead);
    LoadFromStream(&File);
}

void TQorFiler::SaveToFile(const String& FileName)
{
    if (FQorFile)
        FQorFile->SaveToFile(FileName);
}

void TQorFiler::SaveToStream(TStream* Stream)
{
    if (FQorFile)
        FQorFile->SaveToStream(Stream);
}

void TQorFiler::Send(TQorFile* QorFile)
{
    if (FQorFile)
        FQorFile->Send(QorFile);
}

void TQorFiler::SendPage(TQorFile* QorFile, Integer Page)
{
    if (FQorFile)
        FQorFile->SendPage(QorFile, Page);
}

void TQorFiler::SendPages(TQorFile* QorFile, Integer StartPage, Integer EndPage)
{
    if (FQorFile)
        FQorFile->SendPages(QorFile, StartPage, EndPage);
}

} // namespace qor
