#include "runtime/output/QorRtfP.h"

#include "platform/graphics/Font.h"
#include "platform/graphics/Gdi.h"
#include "platform/printing/Printers.h"
#include "platform/rtl/Component.h"
#include "platform/ui/Application.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Forms.h"
#include "runtime/output/QorMemoU.h"
#include "runtime/output/QorUtil.h"

#include <algorithm>

namespace qor {

QOR_PUBLISH(TQorRtfDraw) {}

namespace {

constexpr Integer TwipsPerInch = 1440;
// How far the measuring rectangle's bottom steps up while the text laid out overruns it.
constexpr Integer MeasureStep = 140;
// Room below the measured rectangle when drawing, so that what was measured is also drawn.
constexpr Integer DrawSlack = 5000;

// Runs Action when the scope is left, also by an exception.
template <class F>
struct TOnExit {
    F Action;
    ~TOnExit() { Action(); }
};
template <class F>
TOnExit(F) -> TOnExit<F>;

// Hears of the rich edit's end when its parent window frees it first.
class TRichEditWatch : public TComponent {
public:
    explicit TRichEditWatch(TRichEdit*& Target) : TComponent(nullptr), FTarget(Target)
    {
        if (FTarget)
            FTarget->FreeNotification(this);
    }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove && AComponent == FTarget)
            FTarget = nullptr;
    }

private:
    TRichEdit*& FTarget;
};

} // namespace

TQorRtfDraw::TQorRtfDraw() : FFont(std::make_unique<TFont>())
{
    FRichEdit = Create<TRichEdit>(nullptr);
    FRichEdit->SetVisible(false);
    TWinControl* parent = Application()->MainForm();
    if (!parent)
        parent = GForm();
    FRichEdit->SetParent(parent);
    FRichEdit->SetBounds(0, 0, 500, 500);
    FWatch = std::make_unique<TRichEditWatch>(FRichEdit);
    Reset();
}

TQorRtfDraw::~TQorRtfDraw()
{
    if (FRichEdit) {
        TRichEdit* edit = FRichEdit;
        FWatch.reset();
        edit->SetParent(nullptr);
        Free(edit);
    }
}

void TQorRtfDraw::Reset()
{
    FPosition = 0;
    FHandle = 0;
    FTextLength = 0;
    if (FRichEdit)
        FRichEdit->Lines()->Clear();
    FPixelsPerInchX = 0;
    FPixelsPerInchY = 0;
    FRangeStart = -1;
    FRangeEnd = -1;
    FPrintCount = 0;
    FHeight = 0;
    SetDefaultFont = false;
}

void TQorRtfDraw::LoadFromStream(TStream* Stream)
{
    FRichEdit->Lines()->Clear();
    if (Stream)
        FRichEdit->Lines()->LoadFromStream(Stream);
    FHeight = 0;
    FTextLength = 0;
    FPrintCount = 0;
    TextLength();
}

Integer TQorRtfDraw::TextLength()
{
    if (FTextLength == 0 && FRichEdit) {
        GETTEXTLENGTHEX info;
        info.flags = GTL_PRECISE;
        info.codepage = 0;
        FTextLength = static_cast<Integer>(FRichEdit->Perform(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&info), 0));
    }
    return FTextLength;
}

void TQorRtfDraw::SetPosition(Integer Value)
{
    FPosition = Value;
    FPrintCount = 0;
    FHeight = 0;
}

Integer TQorRtfDraw::PrintCount()
{
    if (FPrintCount == 0)
        SetCountHeight();
    return FPrintCount;
}

Integer TQorRtfDraw::Height()
{
    if (FHeight == 0)
        SetCountHeight();
    return FHeight;
}

void TQorRtfDraw::SetFont(TFont* Value) { FFont->Assign(Value); }

TRect TQorRtfDraw::ScaleRect(const TRect& Rect) const
{
    return QorMulDivRect(Rect, TwipsPerInch, FPixelsPerInchX, TwipsPerInch, FPixelsPerInchY);
}

TRect TQorRtfDraw::PScaleRect(const TRect& Rect, HDC DC) const
{
    if (QorIsScreen(DC)) {
        const Integer dx = GetDeviceCaps(DC, LOGPIXELSX), dy = GetDeviceCaps(DC, LOGPIXELSY);
        if (dx != FPixelsPerInchX || dy != FPixelsPerInchY) {
            const Integer w = GetDeviceCaps(DC, HORZRES), h = GetDeviceCaps(DC, VERTRES);
            SetMapMode(DC, MM_ANISOTROPIC);
            SetWindowExtEx(DC, w, h);
            SetViewportExtEx(DC, MulDiv(w, FPixelsPerInchX, dx), MulDiv(h, FPixelsPerInchY, dy));
        }
    }
    return ScaleRect(Rect);
}

Integer TQorRtfDraw::StartOfRange() const { return std::max(FPosition, FRangeStart); }

Integer TQorRtfDraw::Measure(TFormatRange& Range)
{
    return static_cast<Integer>(FRichEdit->Perform(EM_FORMATRANGE, 0, reinterpret_cast<LPARAM>(&Range)));
}

void TQorRtfDraw::ClearFormatCache() { FRichEdit->Perform(EM_FORMATRANGE, 0, 0); }

void TQorRtfDraw::ApplyDefaultFont()
{
    if (SetDefaultFont)
        FRichEdit->DefAttributes()->Assign(FFont.get());
}

void TQorRtfDraw::SetCountHeight()
{
    if (FPosition >= TextLength())
        return;
    ApplyDefaultFont();
    // Measured against the printer, as it will be printed; a screen stands in when there is none.
    HDC target = Printer()->Handle();
    HDC screen = 0;
    if (!target)
        target = screen = CreateScreenDC();
    const Integer start = StartOfRange();
    const TRect twips = ScaleRect(FOutRect);
    TFormatRange range{target, target, twips, twips, start, FRangeEnd};
    const Integer available = twips.Bottom;
    Integer laidOut = twips.Top;
    TOnExit done{[&] {
        FHeight = std::clamp(MulDiv(laidOut - twips.Top + 1, FPixelsPerInchY, TwipsPerInch), 0,
                             std::max(0, FOutRect.Bottom - FOutRect.Top - 1));
        ClearFormatCache();
        if (screen)
            DeleteDC(screen);
    }};
    ClearFormatCache();
    Integer fits = Measure(range);
    laidOut = range.rc.Bottom;
    // Whatever the control answers, the limit only moves up, and below the top nothing fits.
    Integer limit = laidOut;
    while (laidOut > available) {
        ClearFormatCache();
        limit -= MeasureStep;
        if (limit < twips.Top) {
            fits = start;
            laidOut = twips.Top;
            break;
        }
        range.rc.Bottom = limit;
        fits = Measure(range);
        laidOut = range.rc.Bottom;
    }
    FPrintCount = std::max(0, fits - start);
}

void TQorRtfDraw::Print()
{
    if (!FHandle || FPosition >= TextLength())
        return;
    const Integer saved = SaveDC(FHandle);
    // A screen shown at another resolution (a zoomed preview) is described at that resolution
    // while the text is laid out and drawn, so the glyphs are measured at the size they are drawn.
    // Scaling a layout made at the screen's own resolution instead lets hinted glyphs outgrow
    // their places, and spaces between differently styled words disappear.
    const bool Rescaled = QorIsScreen(FHandle) && (GetDeviceCaps(FHandle, LOGPIXELSX) != FPixelsPerInchX ||
                                                   GetDeviceCaps(FHandle, LOGPIXELSY) != FPixelsPerInchY) &&
                          FPixelsPerInchX > 0 && FPixelsPerInchY > 0;
    const Integer ownX = GetDeviceCaps(FHandle, LOGPIXELSX), ownY = GetDeviceCaps(FHandle, LOGPIXELSY);
    if (Rescaled) {
        SetDeviceCaps(FHandle, LOGPIXELSX, FPixelsPerInchX);
        SetDeviceCaps(FHandle, LOGPIXELSY, FPixelsPerInchY);
    }
    TOnExit done{[&] {
        ClearFormatCache();
        RestoreDC(FHandle, saved);
        if (Rescaled) {
            SetDeviceCaps(FHandle, LOGPIXELSX, ownX);
            SetDeviceCaps(FHandle, LOGPIXELSY, ownY);
        }
        FHeight = 0;
        FPrintCount = 0;
        Application()->ProcessMessages();
    }};
    ApplyDefaultFont();
    TFormatRange range;
    range.hdc = range.hdcTarget = FHandle;
    range.rc = range.rcPage = PScaleRect(FOutRect, FHandle);
    if (!QorIsScreen(FHandle))
        SetMapMode(FHandle, MM_TEXT);
    range.rc.Bottom += DrawSlack;
    range.cpMin = StartOfRange();
    range.cpMax = FRangeEnd;
    ClearFormatCache();
    FPosition = static_cast<Integer>(FRichEdit->Perform(EM_FORMATRANGE, 1, reinterpret_cast<LPARAM>(&range)));
}

} // namespace qor
