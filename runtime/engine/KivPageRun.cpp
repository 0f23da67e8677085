#include "runtime/engine/KivPageRun.h"

#include "runtime/engine/KivBand.h"
#include "runtime/engine/KivRtf.h"

namespace qor {

namespace {

class TPageSink final : public IKivBandSink {
public:
    bool Continuous() const override { return false; }
    void Print(TKivBand* Band, TComponent* Page) override { Band->Print(Page); }
    Integer PrintPiece(TKivBand* Band, TComponent* Page, Integer Room) override
    {
        return Band->PrintHeight(Page, Room);
    }
};

// A stretching band goes into the RTF file whole: its first piece is all of it.
class TRtfSink final : public IKivBandSink {
public:
    TRtfSink(const String& FileName, TKivPageSetup* Setup) : FFile(FileName) { FFile.SetPageSetup(Setup); }
    bool Continuous() const override { return true; }
    void Print(TKivBand* Band, TComponent* Page) override { Band->PrintRtf(Page, &FFile); }
    Integer PrintPiece(TKivBand* Band, TComponent* Page, Integer) override
    {
        Band->PrintRtf(Page, &FFile);
        return 0;
    }
    TKivRtfFile* RtfFile() override { return &FFile; }
    void Finish() override { FFile.Finish(); }

private:
    TKivRtfFile FFile;
};

} // namespace

std::unique_ptr<IKivBandSink> KivPageSink() { return std::make_unique<TPageSink>(); }

std::unique_ptr<IKivBandSink> KivRtfSink(const String& FileName, TKivPageSetup* Setup)
{
    return std::make_unique<TRtfSink>(FileName, Setup);
}

} // namespace qor
