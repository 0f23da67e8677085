#include "runtime/output/QorSetup.h"

#include "platform/graphics/Gdi.h"
#include "platform/printing/Capabilities.h"
#include "platform/printing/Printers.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/TypeInfo.h"
#include "platform/rtl/Utf16.h"
#include "runtime/output/QorStr.h"
#include "runtime/output/QorUtil.h"

#include <algorithm>
#include <limits>

namespace qor {

QOR_PUBLISH(TQorPrinterSetup) {}

namespace {

// Inches to tenths of a millimetre, rounded (halves to even) and held to the Integer range.
Integer InchesToTenthsMM(Double Inches)
{
    const Double V = Inches * 254;
    if (!(V > std::numeric_limits<Integer>::min()))
        return std::numeric_limits<Integer>::min();
    if (!(V < std::numeric_limits<Integer>::max()))
        return std::numeric_limits<Integer>::max();
    return static_cast<Integer>(Round(V));
}

// The most UTF-16 units of a form name that record 101 holds: its byte count is a Word.
constexpr size_t MaxFormNameUnits = 0xFFFF / 2;

} // namespace

TQorPrinterSetup::TQorPrinterSetup() : FPrinterSettings(std::make_unique<TQorPrinterSettings>()) {}

TQorPrinterSetup::~TQorPrinterSetup() = default;

void TQorPrinterSetup::Assign(const TQorPrinterSetup& Source)
{
    if (&Source == this)
        return;
    FOrientation = Source.FOrientation;
    FPaperSize = Source.FPaperSize;
    FLength = Source.FLength;
    FWidth = Source.FWidth;
    FScale = Source.FScale;
    FCopies = Source.FCopies;
    FSource = Source.FSource;
    FPrintQuality = Source.FPrintQuality;
    FColor = Source.FColor;
    FDuplex = Source.FDuplex;
    FYResolution = Source.FYResolution;
    FTTOption = Source.FTTOption;
    FCollatedCopies = Source.FCollatedCopies;
    FFormName = Source.FFormName;
    FPrintSet = Source.FPrintSet;
    FPrinterSettings->Assign(*Source.FPrinterSettings);
}

template <class T>
void TQorPrinterSetup::Change(T& Field, const T& Value, TQorPrintSettings Flag)
{
    if (Field == Value)
        return;
    Field = Value;
    FPrintSet[Flag] = true;
}

void TQorPrinterSetup::SetOrientation(Integer Value) { Change(FOrientation, Value, qpsOrientation); }
void TQorPrinterSetup::SetPaperSize(Integer Value) { Change(FPaperSize, Value, qpsPaperSize); }
void TQorPrinterSetup::SetLength(Double Value) { Change(FLength, Value, qpsPaperLength); }
void TQorPrinterSetup::SetWidth(Double Value) { Change(FWidth, Value, qpsPaperWidth); }
void TQorPrinterSetup::SetScale(Integer Value) { Change(FScale, Value, qpsScale); }
void TQorPrinterSetup::SetCopies(Integer Value) { Change(FCopies, Value, qpsCopies); }
void TQorPrinterSetup::SetSource(Integer Value) { Change(FSource, Value, qpsDefaultSource); }
void TQorPrinterSetup::SetPrintQuality(Integer Value) { Change(FPrintQuality, Value, qpsPrintQuality); }
void TQorPrinterSetup::SetColor(Integer Value) { Change(FColor, Value, qpsColor); }
void TQorPrinterSetup::SetDuplex(Integer Value) { Change(FDuplex, Value, qpsDuplex); }
void TQorPrinterSetup::SetYResolution(Integer Value) { Change(FYResolution, Value, qpsYResolution); }
void TQorPrinterSetup::SetTTOption(Integer Value) { Change(FTTOption, Value, qpsTTOption); }
void TQorPrinterSetup::SetCollatedCopies(bool Value) { Change(FCollatedCopies, Value, qpsCollate); }
void TQorPrinterSetup::SetFormName(const String& Value) { Change(FFormName, Value, qpsFormName); }

void TQorPrinterSetup::ClearSettings()
{
    FPrintSet.fill(false);
}

void TQorPrinterSetup::CopyToPrinterSettings()
{
    TQorPrinterSettings& S = *FPrinterSettings;
    const std::pair<TQorPrintSettings, Integer> Values[] = {
        {qpsOrientation, FOrientation},
        {qpsPaperSize, FPaperSize},
        {qpsPaperLength, InchesToTenthsMM(FLength)},
        {qpsPaperWidth, InchesToTenthsMM(FWidth)},
        {qpsScale, FScale},
        {qpsCopies, FCopies},
        {qpsDefaultSource, FSource},
        {qpsPrintQuality, FPrintQuality},
        {qpsColor, FColor},
        {qpsDuplex, FDuplex},
        {qpsYResolution, FYResolution},
        {qpsTTOption, FTTOption},
    };
    for (const auto& [Index, Value] : Values)
        if (FPrintSet[Index])
            S.SetPSProperty(Index, Value);
    if (FPrintSet[qpsFormName])
        S.SetFormName(FFormName);
}

void TQorPrinterSetup::PageSizeInches(Double& AWidth, Double& ALength) const
{
    AWidth = ALength = 0;
    QorPaperSizeInch(FOrientation, FPaperSize, AWidth, ALength);
    if (AWidth > 0 && ALength > 0)
        return;
    AWidth = FWidth;
    ALength = FLength;
    if (!(AWidth > 0) || !(ALength > 0)) {
        AWidth = 8.5;
        ALength = 11.0;
    }
}

void TQorPrinterSetup::CopyFromPrinterSettings()
{
    const TQorPrinterSettings& S = *FPrinterSettings;
    FOrientation = S.GetPSProperty(qpsOrientation);
    FPaperSize = S.GetPSProperty(qpsPaperSize);
    FLength = S.GetPSProperty(qpsPaperLength) / 254.0;
    FWidth = S.GetPSProperty(qpsPaperWidth) / 254.0;
    if (!(FLength > 0) || !(FWidth > 0)) {
        FLength = 11.0;
        FWidth = 8.5;
    }
    FScale = S.GetPSProperty(qpsScale);
    FCopies = S.GetPSProperty(qpsCopies);
    FSource = S.GetPSProperty(qpsDefaultSource);
    FPrintQuality = S.GetPSProperty(qpsPrintQuality);
    FColor = S.GetPSProperty(qpsColor);
    FDuplex = S.GetPSProperty(qpsDuplex);
    FYResolution = S.GetPSProperty(qpsYResolution);
    FTTOption = S.GetPSProperty(qpsTTOption);
    FFormName = S.FormName();
}

void TQorPrinterSetup::SetData()
{
    CopyToPrinterSettings();
    if (QorGetPrinterCount() > 0)
        FPrinterSettings->SetValues(false);
    GetData();
}

void TQorPrinterSetup::SetDataReset()
{
    CopyToPrinterSettings();
    if (QorGetPrinterCount() > 0)
        FPrinterSettings->SetValues(true);
    GetData();
}

void TQorPrinterSetup::GetData()
{
    if (QorGetPrinterCount() <= 0)
        return;
    FPrinterSettings->GetValues();
    CopyFromPrinterSettings();
    const HDC DC = Printer()->Handle();
    const TRect Area = QorGetPrintableArea(DC);
    const TPoint Physical = QorGetPhysicalSize(DC);
    const TPoint Res = QorGetResolution(DC);
    if (Res.X <= 0 || Res.Y <= 0)
        return;
    FLeftPrintArea = Double(Area.Left) / Res.X;
    FTopPrintArea = Double(Area.Top) / Res.Y;
    FRightPrintArea = Double(Physical.X - Area.Right) / Res.X;
    FBottomPrintArea = Double(Physical.Y - Area.Bottom) / Res.Y;
}

bool TQorPrinterSetup::IsEqual(const TQorPrinterSetup& Ps) const
{
    return IsRunningEqual(Ps) && FScale == Ps.FScale && FPrintQuality == Ps.FPrintQuality &&
           FColor == Ps.FColor && FYResolution == Ps.FYResolution && FTTOption == Ps.FTTOption;
}

bool TQorPrinterSetup::IsRunningEqual(const TQorPrinterSetup& Ps) const
{
    return FOrientation == Ps.FOrientation && FPaperSize == Ps.FPaperSize && FLength == Ps.FLength &&
           FWidth == Ps.FWidth && FCopies == Ps.FCopies && FSource == Ps.FSource && FDuplex == Ps.FDuplex &&
           FCollatedCopies == Ps.FCollatedCopies && FFormName == Ps.FFormName;
}

Integer TQorPrinterSetup::PrinterCount() const
{
    return DefaultPrinterConfigured() ? QorGetPrinterCount() : 0;
}

Integer TQorPrinterSetup::PixelsPerInchX() const
{
    return QorGetPrinterCount() > 0 ? GetDeviceCaps(Printer()->Handle(), LOGPIXELSX) : 0;
}

Integer TQorPrinterSetup::PixelsPerInchY() const
{
    return QorGetPrinterCount() > 0 ? GetDeviceCaps(Printer()->Handle(), LOGPIXELSY) : 0;
}

void TQorPrinterSetup::SetPrintInfo(const TQorFilePrinterInfo& Info)
{
    FOrientation = Info.Orientation;
    FPaperSize = Info.PaperSize;
    FLength = Info.Length;
    FWidth = Info.Width;
    FScale = Info.Scale;
    FCopies = Info.Copies;
    FSource = Info.Source;
    FPrintQuality = Info.PrintQuality;
    FColor = Info.Color;
    FDuplex = Info.Duplex;
    FYResolution = Info.YResolution;
    FTTOption = Info.TTOption;
    FCollatedCopies = Info.CollatedCopies;
    FPrintSet.fill(true);
}

void TQorPrinterSetup::GetPrintInfo(TQorFilePrinterInfo& Info) const
{
    Info.Orientation = static_cast<Word>(FOrientation);
    Info.PaperSize = static_cast<Word>(FPaperSize);
    Info.Length = FLength;
    Info.Width = FWidth;
    Info.Scale = static_cast<Word>(FScale);
    Info.Copies = static_cast<Word>(FCopies);
    Info.Source = static_cast<Word>(FSource);
    Info.PrintQuality = static_cast<SmallInt>(FPrintQuality);
    Info.Color = static_cast<Word>(FColor);
    Info.Duplex = static_cast<Word>(FDuplex);
    Info.YResolution = static_cast<Word>(FYResolution);
    Info.TTOption = static_cast<Word>(FTTOption);
    Info.CollatedCopies = FCollatedCopies;
}

// ---- record 101 ---------------------------------------------------------------------------------
//
// Word 101, Int32 length of the rest, then items: a Word tag and its value. Orientation (0),
// paper size (1), source (6) and duplex (9) always; the others only when flagged. The form name
// (13) is a Word byte count N and N bytes of UTF-16; a reader takes the first N div 2 units, so
// files that stored the character count (and so only the first half of the name) still read.

void TQorPrinterSetup::WriteToStream(TStream& Stream) const
{
    const auto WordItem = [&](Word Tag, Integer Value) {
        Stream.WriteWord(Tag);
        Stream.WriteWord(static_cast<Word>(Value));
    };
    Stream.WriteWord(QorPrinterSetupRecord);
    const Int64 LengthAt = Stream.Position();
    Stream.WriteInteger(0);
    WordItem(0, FOrientation);
    WordItem(1, FPaperSize);
    if (FPrintSet[qpsPaperLength]) {
        Stream.WriteWord(2);
        Stream.WriteInteger(InchesToTenthsMM(FLength));
    }
    if (FPrintSet[qpsPaperWidth]) {
        Stream.WriteWord(3);
        Stream.WriteInteger(InchesToTenthsMM(FWidth));
    }
    if (FPrintSet[qpsScale])
        WordItem(4, FScale);
    if (FPrintSet[qpsCopies])
        WordItem(5, FCopies);
    WordItem(6, FSource);
    if (FPrintSet[qpsPrintQuality])
        WordItem(7, FPrintQuality);
    if (FPrintSet[qpsColor])
        WordItem(8, FColor);
    WordItem(9, FDuplex);
    if (FPrintSet[qpsYResolution])
        WordItem(10, FYResolution);
    if (FPrintSet[qpsTTOption])
        WordItem(11, FTTOption);
    if (FPrintSet[qpsCollate]) {
        Stream.WriteWord(12);
        Stream.WriteByte(FCollatedCopies ? 1 : 0);
    }
    if (FPrintSet[qpsFormName]) {
        WideString Name = Utf8ToUtf16(FFormName);
        if (Name.size() > MaxFormNameUnits) {
            size_t N = MaxFormNameUnits;
            if (IsHighSurrogate(Name[N - 1]))
                --N; // never half a surrogate pair
            Name.resize(N);
        }
        Stream.WriteWord(13);
        Stream.WriteWord(static_cast<Word>(Name.size() * 2));
        for (WideChar C : Name)
            Stream.WriteWord(static_cast<Word>(C));
    }
    const Int64 End = Stream.Position();
    Stream.SetPosition(LengthAt);
    Stream.WriteInteger(static_cast<Integer>(End - LengthAt - 4));
    Stream.SetPosition(End);
}

bool TQorPrinterSetup::ReadFromStream(TStream& Stream)
{
    const Integer Length = Stream.ReadInteger();
    if (Length <= 0)
        return false;
    const Int64 Start = Stream.Position();
    const Int64 End = Start + Length;
    if (End > Stream.Size())
        throw EReadError("Printer setup record runs past the end of the stream");
    while (Stream.Position() - Start < Length) {
        if (End - Stream.Position() < 2)
            break;
        if (!ReadItem(Stream, Stream.ReadSmallInt(), End))
            break;
    }
    // An unknown tag or an item cut short ends the record: the next one starts at its end.
    Stream.SetPosition(End);
    return true;
}

// Reads the value of one item; false for an unknown tag or a value that does not fit before End.
bool TQorPrinterSetup::ReadItem(TStream& Stream, SmallInt Tag, Int64 End)
{
    const Int64 Room = End - Stream.Position();
    if (Tag < 0 || Tag > 13)
        return false;
    if (Tag == 2 || Tag == 3) {
        if (Room < 4)
            return false;
        const Double Inches = Stream.ReadInteger() / 254.0;
        Tag == 2 ? SetLength(Inches) : SetWidth(Inches);
        return true;
    }
    if (Tag == 12) {
        if (Room < 1)
            return false;
        FCollatedCopies = Stream.ReadByte() != 0;
        FPrintSet[qpsCollate] = true;
        return true;
    }
    if (Room < 2)
        return false;
    if (Tag == 13) {
        const Word N = Stream.ReadWord();
        if (N > End - Stream.Position())
            return false;
        const std::vector<Byte> Bytes = Stream.ReadBytes(N);
        WideString Name(N / 2, u'\0');
        for (size_t I = 0; I < Name.size(); ++I)
            Name[I] = static_cast<WideChar>(Bytes[I * 2] | (Bytes[I * 2 + 1] << 8));
        FFormName = Utf16ToUtf8(Name);
        FPrintSet[qpsFormName] = true;
        return true;
    }
    const Integer Value = Stream.ReadSmallInt();
    switch (Tag) {
    case 0: SetOrientation(Value); break;
    case 1: SetPaperSize(Value); break;
    case 4: SetScale(Value); break;
    case 5: SetCopies(Value); break;
    case 6: SetSource(Value); break;
    case 7: SetPrintQuality(Value); break;
    case 8: SetColor(Value); break;
    case 9: SetDuplex(Value); break;
    case 10: SetYResolution(Value); break;
    case 11: SetTTOption(Value); break;
    }
    return true;
}

} // namespace qor
