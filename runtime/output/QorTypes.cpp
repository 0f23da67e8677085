#include "runtime/output/QorTypes.h"

#include "platform/rtl/Streams.h"

namespace qor {

TQorFilePrinterInfo ReadQorFilePrinterInfo(TStream& Stream, bool WithCollate)
{
    TQorFilePrinterInfo I;
    I.Orientation = Stream.ReadWord();
    I.PaperSize = Stream.ReadWord();
    I.Length = Stream.ReadDouble();
    I.Width = Stream.ReadDouble();
    I.Scale = Stream.ReadWord();
    I.Copies = Stream.ReadWord();
    I.Source = Stream.ReadWord();
    I.PrintQuality = Stream.ReadSmallInt();
    I.Color = Stream.ReadWord();
    I.Duplex = Stream.ReadWord();
    I.YResolution = Stream.ReadWord();
    I.TTOption = Stream.ReadWord();
    I.CollatedCopies = WithCollate ? Stream.ReadByte() != 0 : true;
    return I;
}

void WriteQorFilePrinterInfo(TStream& Stream, const TQorFilePrinterInfo& Info)
{
    Stream.WriteWord(Info.Orientation);
    Stream.WriteWord(Info.PaperSize);
    Stream.WriteDouble(Info.Length);
    Stream.WriteDouble(Info.Width);
    Stream.WriteWord(Info.Scale);
    Stream.WriteWord(Info.Copies);
    Stream.WriteWord(Info.Source);
    Stream.WriteSmallInt(Info.PrintQuality);
    Stream.WriteWord(Info.Color);
    Stream.WriteWord(Info.Duplex);
    Stream.WriteWord(Info.YResolution);
    Stream.WriteWord(Info.TTOption);
    Stream.WriteByte(Info.CollatedCopies ? 1 : 0);
}

} // namespace qor
