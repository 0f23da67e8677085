#include "platform/printing/Capabilities.h"

#include "platform/printing/PrinterDriver.h"

#include <QString>

#include <algorithm>
#include <cstring>

namespace qor {

namespace {

void PutName(WideChar* Entry, int Width, const String& Name)
{
    const QString Q = QString::fromStdString(Name);
    int N = std::min<int>(Q.size(), Width);
    if (N > 0 && N < Q.size() && Q.at(N - 1).isHighSurrogate())
        --N;
    std::fill(Entry, Entry + Width, WideChar(0));
    for (int I = 0; I < N; ++I)
        Entry[I] = static_cast<WideChar>(Q.at(I).unicode());
}

void PutWord(void* Output, size_t Index, Integer Value)
{
    const Word W = static_cast<Word>(Value);
    std::memcpy(static_cast<Byte*>(Output) + Index * sizeof(Word), &W, sizeof W);
}

void PutPair(void* Output, size_t Index, Integer A, Integer B)
{
    const Integer Pair[2] = {A, B};
    std::memcpy(static_cast<Byte*>(Output) + Index * sizeof Pair, Pair, sizeof Pair);
}

} // namespace

Integer DeviceCapabilities(const String& Device, const String& /*Port*/, Word Capability, void* Output,
                           const TDeviceMode* /*DevMode*/)
{
    const TPrinterDriver* D = FindPrinterDriver(Device);
    if (!D)
        return -1;
    const TPrinterCapabilities& C = D->Capabilities();
    const auto Count = [](const auto& List) { return static_cast<Integer>(List.size()); };

    switch (Capability) {
    case DC_FIELDS:
        return static_cast<Integer>(D->SupportedFields());
    case DC_COPIES:
        return C.MaxCopies;
    case DC_DUPLEX:
        return C.Duplex ? 1 : 0;
    case DC_PAPERS:
        if (Output)
            for (size_t I = 0; I < C.Papers.size(); ++I)
                PutWord(Output, I, C.Papers[I].Code);
        return Count(C.Papers);
    case DC_PAPERSIZE:
        if (Output)
            for (size_t I = 0; I < C.Papers.size(); ++I)
                PutPair(Output, I, C.Papers[I].Width, C.Papers[I].Length);
        return Count(C.Papers);
    case DC_PAPERNAMES:
        if (Output)
            for (size_t I = 0; I < C.Papers.size(); ++I)
                PutName(static_cast<WideChar*>(Output) + I * CCHPAPERNAME, CCHPAPERNAME, C.Papers[I].Name);
        return Count(C.Papers);
    case DC_BINS:
        if (Output)
            for (size_t I = 0; I < C.Bins.size(); ++I)
                PutWord(Output, I, C.Bins[I].Code);
        return Count(C.Bins);
    case DC_BINNAMES:
        if (Output)
            for (size_t I = 0; I < C.Bins.size(); ++I)
                PutName(static_cast<WideChar*>(Output) + I * CCHBINNAME, CCHBINNAME, C.Bins[I].Name);
        return Count(C.Bins);
    case DC_ENUMRESOLUTIONS:
        if (Output)
            for (size_t I = 0; I < C.Resolutions.size(); ++I)
                PutPair(Output, I, C.Resolutions[I].X, C.Resolutions[I].Y);
        return Count(C.Resolutions);
    default:
        return -1;
    }
}

bool DefaultPrinterConfigured()
{
    return DefaultPrinterDriverIndex() >= 0;
}

String DefaultPrinterName()
{
    const Integer I = DefaultPrinterDriverIndex();
    return I >= 0 ? PrinterDrivers()[static_cast<size_t>(I)]->Name() : String();
}

} // namespace qor
