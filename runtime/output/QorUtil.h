#pragma once
// Drawing routines shared by the page canvas and page playback, device queries, paper sizes and
// the small services of the page output (chunked list, string helpers, temporary files, the
// abort question, the version).
//
// The drawing routines take a device context first and keep no state of their own; a failing
// device call is ignored. Rectangles handed to them include both edges.

#include "platform/graphics/GdiTypes.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/TypeInfo.h"
#include "platform/rtl/Types.h"

#include <memory>
#include <string_view>
#include <vector>

namespace qor {

class TComponent;
class TList;

// ---- drawing ------------------------------------------------------------------------------------

enum TQorShadePercent : Byte { spNone, spVeryDark, spDark, spMedDark, spMedium, spMedLight, spLight };
QOR_ENUM_NAMES(TQorShadePercent, "spNone", "spVeryDark", "spDark", "spMedDark", "spMedium", "spMedLight", "spLight");
enum TQorCheckStyle : Byte { qcsCross, qcsCheck };
enum TQorDrawType : Byte { dtArc, dtChord, dtPie };
enum TQorPolyType : Byte { ptPolygon, ptPolyLine };

// The 8 x 8 pattern of a shade: eight rows, top first, each a Word whose low byte holds the
// pixels (most significant bit leftmost; 1 = background colour, 0 = foreground). spNone has no
// pattern and is answered with the spMedium one, as is any value outside the enumeration.
const Word* QorShadePattern(TQorShadePercent Shade);

// Fills Rect with the shade's pattern (spNone draws nothing). Leaves the background mode
// TRANSPARENT.
void QorShadeRect(HDC DC, const TRect& Rect, TQorShadePercent Shade);
// A cross or a check mark inside Rect, with a solid pen of Thickness pixels in Color. Leaves the
// mix mode R2_COPYPEN.
void QorDrawCheckBox(HDC DC, const TRect& Rect, TQorCheckStyle Style, TColor Color, Integer Thickness);
// One line of a paragraph at (X, Y): justified over Rect (from X to Rect.Right), or, when the
// line has no inner blanks or EndParagraph is true, aligned by the context's text alignment and
// held inside FullRect.
void QorTextJustify(HDC DC, const TRect& Rect, Integer X, Integer Y, const String& Text, bool EndParagraph,
                    const TRect& FullRect);
// Draws Text character by character from (X, Y), spreading its inner blanks so that the line
// spans Width pixels (leftwards from X when the alignment has the TA_RIGHT bit).
void QorSetTextJustify(HDC DC, Integer X, Integer Y, const String& Text, Integer Width);
// Arc, Chord or Pie with the bounding box (X1, Y1)-(X2, Y2), start (X3, Y3) and end (X4, Y4).
void QorDrawShapeType(HDC DC, TQorDrawType DrawType, Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3,
                      Integer Y3, Integer X4, Integer Y4);
// Polygon or Polyline through Count points.
void QorPolyDrawType(HDC DC, TQorPolyType PolyType, const TPoint* Points, Integer Count);

// ---- scaling and device queries -----------------------------------------------------------------

// MM_ANISOTROPIC; unless window and viewport are equal and both scales 100, window extent
// (WindowX, WindowY) and viewport extent scaled by ScaleX/ScaleY percent.
void QorScale(HDC DC, Integer WindowX, Integer WindowY, Integer ViewportX, Integer ViewportY, Integer ScaleX,
              Integer ScaleY);
// Viewport origin from a position in page pixels (PixelsPerInchX/Y) to device pixels.
void QorSetOrigin(HDC DC, Integer PixelsPerInchX, Integer PixelsPerInchY, Integer X, Integer Y);
// An inclusive rectangle scaled by NumeratorX/DenominatorX across and NumeratorY/DenominatorY down:
// the corner is scaled, and the extent (right - left + 1) apart from it, so both edges stay in.
TRect QorMulDivRect(const TRect& Rect, Integer NumeratorX, Integer DenominatorX, Integer NumeratorY,
                    Integer DenominatorY);
// A page rectangle (page pixels, inclusive) in device pixels at ScaleX/ScaleY percent.
TRect QorScaleRect(HDC DC, Integer PixelsPerInchX, Integer PixelsPerInchY, const TRect& Rect, Integer ScaleX,
                   Integer ScaleY);
// True for raster displays (TECHNOLOGY with bit 0 set; also raster cameras and metafiles).
bool QorIsScreen(HDC DC);
// True when Component is not null and its state holds csAncestor.
bool QorIsAncestor(const TComponent* Component);

TPoint QorGetResolution(HDC DC);      // LOGPIXELSX, LOGPIXELSY
TPoint QorGetPhysicalSize(HDC DC);    // PHYSICALWIDTH, PHYSICALHEIGHT
TPoint QorGetPhysicalOffset(HDC DC);  // PHYSICALOFFSETX, PHYSICALOFFSETY
TPoint QorGetPrintableSize(HDC DC);   // HORZRES, VERTRES
// Top-left at the physical offset, extent the printable size.
TRect QorGetPrintableArea(HDC DC);
Integer QorGetObject(HGDIOBJ Handle, Integer Size, void* Buffer);

// ---- paper sizes and units ----------------------------------------------------------------------

// The sheet of a standard paper code: X across and Y down the page in the orientation
// (2 landscape, anything else portrait), in inches (Units 0) or millimetres (Units 1).
// A code with no standard sheet gives 0 x 0.
void QorPaperSizeUnit(Integer Orientation, Integer PaperSize, Double& X, Double& Y, Word Units);
void QorPaperSizeInch(Integer Orientation, Integer PaperSize, Double& X, Double& Y);
void QorPaperSizeMM(Integer Orientation, Integer PaperSize, Double& X, Double& Y);
Double QorInchToMM(Double X);
Double QorMMtoInch(Double X);
// The 0-based index of a form name among the 26 oldest paper names ("LETTER" ... "ESHEET"),
// compared upper-cased; -1 when none.
Integer QorGetForm(std::string_view Name);

// ---- small services -----------------------------------------------------------------------------

// A list of pointers kept in chunks of 1000, so that it grows without moving what it holds.
// It does not own its items.
class TQorList : public TObject {
    QOR_CLASS(TQorList, TObject)
public:
    static constexpr Integer ChunkSize = 1000;

    TQorList();
    ~TQorList() override;

    // Appends Item; answers its index.
    Integer Add(void* Item);
    // The item at Spot; EListError for an index outside the list.
    void* Items(Integer Spot) const;
    void Clear();
    Integer Count() const { return FCount; }

private:
    Integer FCount = 0;
    std::vector<std::unique_ptr<TList>> FChunks;
};

// The library's version, "major.minor".
String QorVersion();
// The characters of S, NUL-terminated, for calls that want a character pointer.
char* QorStrToPChar(String& S);
// True when the first Len bytes of A and B are equal (true for Len <= 0).
bool QorIsPCharEqual(const void* A, const void* B, Integer Len);
// True for an empty text or one of blanks only (only ' ' counts as a blank).
bool QorEmpty(std::string_view S);
// S without its trailing blanks (only ' ').
String QorRightTrim(std::string_view S);
// Decimal text of Value.
String QorIntToStr(Integer Value);
// The full name of a new, empty, uniquely named file in the temporary directory whose name
// starts with Prefix. EFCreateError when none can be made.
String QorGetTempFile(std::string_view Prefix);
// Asks whether to stop a report being generated: IDYES discard it, IDNO keep the pages made so
// far, IDCANCEL go on.
Integer QorAskAbort();

} // namespace qor
