#pragma once
// The seam between device contexts and the printer drivers (platform/printing): a driver plugs a
// sink into a context and hears of its document and page calls. Private to the platform: the
// system's own code prints through the global printer object, never through this seam.

#include "platform/graphics/Gdi.h"

#include <memory>

namespace qor {

// What a printer driver plugs into a context: each call comes after the context's own work
// (StartPage: before; the driver may still change the page format then). Returning false makes
// the call fail.
class IPrinterDriverSink {
public:
    virtual ~IPrinterDriverSink() = default;
    virtual bool StartDoc(HDC DC, const DOCINFO& Info) { (void)DC; (void)Info; return true; }
    virtual bool StartPage(HDC DC) { (void)DC; return true; }
    virtual bool EndPage(HDC DC) { (void)DC; return true; }
    virtual bool EndDoc(HDC DC) { (void)DC; return true; }
    virtual bool AbortDoc(HDC DC) { (void)DC; return true; }
    virtual bool ResetDC(HDC DC, const TDeviceMode* DevMode) { (void)DC; (void)DevMode; return true; }
    // Called once when the context is deleted.
    virtual void Detached(HDC DC) { (void)DC; }
};
// The context holds the sink until it is deleted or another sink is set; the context then
// answers TECHNOLOGY with DT_RASPRINTER.
void SetPrinterDriverSink(HDC DC, std::shared_ptr<IPrinterDriverSink> Sink);
IPrinterDriverSink* GetPrinterDriverSink(HDC DC);

} // namespace qor
