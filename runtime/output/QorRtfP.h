#pragma once
// Measuring and drawing a range of rich text into a rectangle on a device context.
//
// The text lives in a hidden rich-edit control, which lays it out (EM_FORMATRANGE): once to
// measure how many characters fit and how high they stand, once to draw them. The rectangle and
// both resolutions are device pixels; the control works in twips (1440 per inch). Measuring is
// done against the printer's context, drawing on Handle; the engine draws at the device's own
// resolution, so no correction for screens is needed.

#include "platform/graphics/GdiTypes.h"
#include "platform/graphics/Geometry.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

#include <memory>

namespace qor {

class TComponent;
class TFont;
class TRichEdit;
class TStream;
struct TFormatRange;

class TQorRtfDraw : public TObject {
    QOR_CLASS(TQorRtfDraw, TObject)
public:
    TQorRtfDraw();
    ~TQorRtfDraw() override;

    void Reset();
    // Replaces the text with the RTF (or plain text) of the whole stream.
    void LoadFromStream(TStream* Stream);

    TRichEdit* RichEdit() const { return FRichEdit; }
    Integer Position() const { return FPosition; }
    // Moves where the next measuring or drawing starts; the measurements are made again.
    void SetPosition(Integer Value);
    const TRect& OutRect() const { return FOutRect; }
    void SetOutRect(const TRect& Value) { FOutRect = Value; }
    HDC Handle() const { return FHandle; }
    void SetHandle(HDC Value) { FHandle = Value; }
    // Characters of the text, asked of the control once.
    Integer TextLength();
    Integer PixelsPerInchX() const { return FPixelsPerInchX; }
    void SetPixelsPerInchX(Integer Value) { FPixelsPerInchX = Value; }
    Integer PixelsPerInchY() const { return FPixelsPerInchY; }
    void SetPixelsPerInchY(Integer Value) { FPixelsPerInchY = Value; }
    Integer RangeStart() const { return FRangeStart; }
    void SetRangeStart(Integer Value) { FRangeStart = Value; }
    Integer RangeEnd() const { return FRangeEnd; }
    void SetRangeEnd(Integer Value) { FRangeEnd = Value; }
    // Characters from the position that fit in OutRect, and the pixels they take; measured on
    // first reading after a change of position.
    Integer PrintCount();
    Integer Height();
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value);

    // Draws what fits from the position into Handle and moves the position past it.
    void Print();

    // OutRect-style pixels (both edges inclusive) to twips at the object's resolutions.
    TRect ScaleRect(const TRect& Rect) const;
    // ScaleRect, after mapping DC so that twips land on pixels at the object's resolutions
    // when they differ from the device's.
    TRect PScaleRect(const TRect& Rect, HDC DC) const;

    // True: Font is the text's default character format when measuring and drawing.
    bool SetDefaultFont = false;

protected:
    void SetCountHeight();
    Integer StartOfRange() const;
    // Lays out from the range's start without drawing; answers the first character left out.
    Integer Measure(TFormatRange& Range);
    void ClearFormatCache();
    void ApplyDefaultFont();

    TRichEdit* FRichEdit = nullptr;
    Integer FPosition = 0;
    TRect FOutRect;
    HDC FHandle = 0;
    Integer FTextLength = 0;
    Integer FPixelsPerInchX = 0;
    Integer FPixelsPerInchY = 0;
    Integer FRangeStart = -1;
    Integer FRangeEnd = -1;
    Integer FPrintCount = 0;
    Integer FHeight = 0;
    std::unique_ptr<TFont> FFont;

private:
    // Clears FRichEdit when the control's parent window frees it first.
    std::unique_ptr<TComponent> FWatch;
};

} // namespace qor
