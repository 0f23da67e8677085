#pragma once
// Export filters: the extension point for turning a finished page file into another format. An
// application derives a filter and overrides the operations it needs; playback hands a page's
// drawing records to the filter's drawing operations, which mirror the page canvas one to one.
// While Active, a filter is listed in the registry that the viewer's Save dialog offers.

#include "platform/graphics/GdiTypes.h"
#include "platform/graphics/Geometry.h"
#include "platform/rtl/Component.h"
#include "runtime/output/QorDraw.h"
#include "runtime/output/QorUtil.h"

#include <vector>

namespace qor {

class TBrush;
class TFont;
class TGraphic;
class TPen;
class TStream;

class TQorExportFilter : public TComponent, public IQorDrawTarget {
    QOR_CLASS(TQorExportFilter, TComponent)
public:
    // Registers the filter (it is Active from the start).
    explicit TQorExportFilter(TComponent* AOwner = nullptr);
    ~TQorExportFilter() override;

    bool Active() const { return FActive; }
    // True registers the filter, False takes it out of the registry.
    void SetActive(bool Value);
    // The text of the Save dialog's type list.
    const String& DisplayName() const { return FDisplayName; }
    void SetDisplayName(const String& Value) { FDisplayName = Value; }
    // The Save dialog's patterns for this type: "*.txt", or several separated by ";".
    const String& FileExtension() const { return FFileExtension; }
    void SetFileExtension(const String& Value) { FFileExtension = Value; }
    // True: playback draws on the device context as usual instead of calling the drawing operations.
    bool IsGraphicExport() const { return FIsGraphicExport; }
    void SetIsGraphicExport(bool Value) { FIsGraphicExport = Value; }

    // Every operation below raises EAbstractError unless a descendant overrides it.
    virtual void GenerateToFile(TStream* QorFileStream, const String& FileName, Integer CurrentPage);
    virtual void GenerateToStream(TStream* QorFileStream, TStream* UserStream, Integer CurrentPage);
    virtual void BeginDoc();
    virtual void EndDoc();
    virtual void BeginPage();
    virtual void EndPage();
    virtual void SetFont(TFont* Font);
    void SetLogFont(TFont* Font, const LOGFONT& LogFont) override;
    void SetPen(TPen* Pen) override;
    void SetBrush(TBrush* Brush) override;
    void SetTextAlign(Word Flags) override;
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
    void DrawBitmap(Integer X, Integer Y, TStream* Stream) override;
    void StretchDrawBitmap(const TRect& Rect, TStream* Stream) override;
    void ShadeRect(const TRect& Rect, TQorShadePercent Shade) override;
    void SetBkColor(Integer BkColor) override;
    void TextJustify(const TRect& Rect, Integer X, Integer Y, const String& Text, bool EndParagraph,
                     const TRect& FullRect) override;
    void RtfDraw(const TRect& Rect, TStream* Stream, Integer StartPos, Integer EndPos, bool SetDefFont) override;
    void DrawCheckBox(const TRect& Rect, TQorCheckStyle CheckStyle, TColor Color, Integer Thickness) override;
    void DrawShapeType(TQorDrawType DrawType, Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3,
                       Integer X4, Integer Y4) override;
    virtual void PolyDrawType(TQorPolyType PolyType, const TPoint* Points, Integer Count);
    void DrawPoly(TQorPolyType PolyType, const TPoint* Points, Integer Count) override
    {
        PolyDrawType(PolyType, Points, Count);
    }
    void Print3of9Barcode(Integer Left, Integer Top, Integer Width, Integer Height, Integer NarrowWidth,
                          Integer WideWidth, bool Inches, bool Vertical, const String& BarData) override;
    void Print2of5Barcode(Integer Left, Integer Top, Integer Width, Integer Height, Integer NarrowWidth,
                          Integer WideWidth, bool Inches, bool Vertical, const String& BarData) override;

protected:
    TStream* FMainStream = nullptr;
    String FFileName;

private:
    bool FActive = false;
    String FDisplayName;
    String FFileExtension;
    bool FIsGraphicExport = false;
};

// The registered filters in registration order (filter k is the Save dialog's type k + 2); null
// while none is registered.
const std::vector<TQorExportFilter*>* ExportFiltersList();
// Adds Filter unless it is listed already.
void RegisterQorFilter(TQorExportFilter* Filter);
// Removes Filter; the registry goes away with its last filter.
void UnRegisterQorFilter(TQorExportFilter* Filter);

} // namespace qor
