#pragma once
// Device contexts and the drawing interface the system is written against.
//
// A device context (HDC) keeps the drawing state: selected font, pen, brush, bitmap and palette,
// text and background colours, background mode, text alignment, current position, mix mode,
// mapping mode with window/viewport origins and extents, clip region, and a stack of saved states.
// Drawing follows the classic raster rules: right and bottom edges of filled shapes are exclusive,
// LineTo leaves out its end point, an OPAQUE background fills the text cell, escapement turns text
// counter-clockwise around its reference point, text is laid out without kerning.
//
// Backends: raster (memory and screen contexts drawing into a bitmap), PDF (one context per
// document) and recording (logs one text line per call, fixed fake font metrics; for tests).
// Functions given an invalid handle fail quietly: 0, false or CLR_INVALID.
// Device contexts are not locked: a context is created, used and deleted on the thread that draws.

#include "platform/graphics/GdiTypes.h"

#include <span>
#include <vector>

namespace qor {

struct TDeviceMode;

// ---- objects -----------------------------------------------------------------------------------

HFONT CreateFontIndirect(const LOGFONT& LogFont);
HFONT CreateFont(Integer Height, Integer Width, Integer Escapement, Integer Orientation, Integer Weight, Byte Italic,
                 Byte Underline, Byte StrikeOut, Byte CharSet, Byte OutPrecision, Byte ClipPrecision, Byte Quality,
                 Byte PitchAndFamily, const String& FaceName);
HPEN CreatePen(Cardinal Style, Integer Width, COLORREF Color);
HPEN CreatePenIndirect(const LOGPEN& LogPen);
HBRUSH CreateSolidBrush(COLORREF Color);
HBRUSH CreateHatchBrush(Cardinal Hatch, COLORREF Color);
// An 8 x 8 pattern from the top-left of Bitmap; a monochrome bitmap's 0 bits take the text
// colour and 1 bits the background colour of the context it is drawn in.
HBRUSH CreatePatternBrush(HBITMAP Bitmap);
HBRUSH CreateBrushIndirect(const LOGBRUSH& LogBrush);

// Bits: rows of Width * BitsPerPixel bits, each padded to 16 bits; 1 and 32 bits per pixel are
// supported (32: 0x00RRGGBB little-endian). A monochrome bitmap's 1 bits are white.
HBITMAP CreateBitmap(Integer Width, Integer Height, Cardinal Planes, Cardinal BitsPerPixel, const void* Bits);
// A 32-bit bitmap of DC's kind (monochrome when DC is a memory context still holding its
// initial 1 x 1 monochrome bitmap). Starts black.
HBITMAP CreateCompatibleBitmap(HDC DC, Integer Width, Integer Height);
// A 32-bit top-down bitmap whose pixels (0x00RRGGBB, Width per row) the caller may write.
// Bits receives their address; they live as long as the bitmap. Starts black.
HBITMAP CreateDIBSection32(Integer Width, Integer Height, std::uint32_t** Bits);

HRGN CreateRectRgn(Integer Left, Integer Top, Integer Right, Integer Bottom);
HRGN CreateRectRgnIndirect(const TRect& R);
Integer CombineRgn(HRGN Dest, HRGN Src1, HRGN Src2, Integer Mode);
bool SetRectRgn(HRGN Region, Integer Left, Integer Top, Integer Right, Integer Bottom);
bool PtInRegion(HRGN Region, Integer X, Integer Y);
Integer GetRgnBox(HRGN Region, TRect& R);

HPALETTE CreatePalette(const LOGPALETTE& LogPalette);
HPALETTE SelectPalette(HDC DC, HPALETTE Palette, bool ForceBackground);
Cardinal RealizePalette(HDC DC);
Cardinal GetSystemPaletteEntries(HDC DC, Cardinal Start, Cardinal Count, PALETTEENTRY* Entries);

HGDIOBJ GetStockObject(Integer Index);
// Returns the previously selected object of the same kind. Selecting a region sets the clip
// region to a copy of it and returns its complexity (as the handle value) instead.
HGDIOBJ SelectObject(HDC DC, HGDIOBJ Object);
// Bytes written to Buffer (LOGFONT, LOGPEN, LOGBRUSH, BITMAP or a Word entry count for
// palettes); with no Buffer the size needed. 0 for an invalid handle or a buffer too small.
Integer GetObject(HGDIOBJ Object, Integer Size, void* Buffer);
bool GetObject(HFONT Font, LOGFONT& Out);
bool GetObject(HPEN Pen, LOGPEN& Out);
bool GetObject(HBRUSH Brush, LOGBRUSH& Out);
bool GetObject(HBITMAP Bitmap, BITMAP& Out);
Integer GetObjectType(HGDIOBJ Object);
// Stock objects are never deleted. An object still selected into a context is released when it
// is no longer selected anywhere; its handle is invalid at once.
bool DeleteObject(HGDIOBJ Object);
HGDIOBJ GetCurrentObject(HDC DC, Integer ObjectType);

// ---- device contexts ---------------------------------------------------------------------------

// A raster context over its own Width x Height bitmap, white, answering as a display.
HDC CreateRasterDC(Integer Width, Integer Height, Integer PixelsPerInch = 96);
// An information and drawing context for the screen (Screen metrics; draws into a 1 x 1 bitmap).
HDC CreateScreenDC();
// A memory context like DC (or the screen when DC is 0) holding a 1 x 1 monochrome bitmap
// until another bitmap is selected.
HDC CreateCompatibleDC(HDC DC);

// The paper of a PDF page. Coordinates on the page are pixels at Resolution with their origin at
// the printable area's top-left corner (OffsetX, OffsetY pixels from the paper's corner).
struct TPdfPageFormat {
    Double PaperWidthPoints = 612;   // as the page stands (landscape: the long side)
    Double PaperHeightPoints = 792;
    Integer Resolution = 300;        // pixels per inch, both directions
    Integer OffsetX = 0;             // unprintable margin, pixels
    Integer OffsetY = 0;
    Integer PrintableWidth = 0;      // pixels; 0 = the paper less both offsets
    Integer PrintableHeight = 0;
};

// A context writing a PDF file. Pages begin with StartPage (or the first drawing call) and take the
// format in force at that moment; the file is complete after EndDoc or DeleteDC.
// 0 when the file cannot be created.
HDC CreatePdfDC(const String& FileName, const TPdfPageFormat& Format);
// The format of the next page to begin (the current page keeps its own).
void SetPdfPageFormat(HDC DC, const TPdfPageFormat& Format);
// False for contexts that are not PDF contexts.
bool GetPdfPageFormat(HDC DC, TPdfPageFormat& Format);
// Why EndDoc on a PDF context failed ("No space left on device"); empty when it did not.
String GetPdfWriteError(HDC DC);

// A context that draws nothing and logs every call, one readable line each, e.g.
// "Rectangle(0,0,10,10)". Text metrics are fixed: every character is half the em wide, ascent
// 0.8 em, descent 0.2 em, no leading. Printer = true makes it answer as a printer.
HDC CreateRecordingDC(Integer Width = 816, Integer Height = 1056, Integer PixelsPerInch = 96, bool Printer = false);
// A context that draws nothing and measures text with the real fonts at PixelsPerInch: what a
// device answers before anything is drawn on it (a printer outside a job). It keeps no log of its
// calls unless Record is set (tests), so it may be drawn on for ever.
HDC CreateInformationDC(Integer Width, Integer Height, Integer PixelsPerInch, bool Printer, bool Record = false);
std::vector<String> GetRecordedCalls(HDC DC);
void ClearRecordedCalls(HDC DC);

// Frees the context; selected objects stay alive as long as they have handles or other selections.
bool DeleteDC(HDC DC);
Integer GetObjectTypeOfDC(HDC DC); // OBJ_DC, OBJ_MEMDC, or 0

// Pixels of the bitmap a raster context draws into (0x00RRGGBB top-down); empty for others.
TSize GetDCBitmapSize(HDC DC);
bool SaveDCToPng(HDC DC, const String& FileName);
bool SaveBitmapToPng(HBITMAP Bitmap, const String& FileName);
// Copies of a bitmap's pixels (0xAARRGGBB, top row first), and writing them back.
bool GetBitmapPixels(HBITMAP Bitmap, TSize& Size, std::vector<std::uint32_t>& Pixels);
bool SetBitmapPixels(HBITMAP Bitmap, const std::vector<std::uint32_t>& Pixels);

// ---- device capabilities and printer pages -----------------------------------------------------

Integer GetDeviceCaps(HDC DC, Integer Index);
// Makes GetDeviceCaps(DC, Index) answer Value (printer drivers describe their device this way).
void SetDeviceCaps(HDC DC, Integer Index, Integer Value);

// A positive job number, or <= 0 on failure.
Integer StartDoc(HDC DC, const DOCINFO& Info);
Integer EndDoc(HDC DC);
Integer StartPage(HDC DC);
Integer EndPage(HDC DC);
Integer AbortDoc(HDC DC);
// Asks the driver to take the new settings for the next page; returns DC, or 0 on failure.
HDC ResetDC(HDC DC, const TDeviceMode* DevMode);

// ---- state -------------------------------------------------------------------------------------

COLORREF SetTextColor(HDC DC, COLORREF Color);
COLORREF GetTextColor(HDC DC);
COLORREF SetBkColor(HDC DC, COLORREF Color);
COLORREF GetBkColor(HDC DC);
Integer SetBkMode(HDC DC, Integer Mode);
Integer GetBkMode(HDC DC);
Cardinal SetTextAlign(HDC DC, Cardinal Flags);
Cardinal GetTextAlign(HDC DC);
Integer SetROP2(HDC DC, Integer Mode);
Integer GetROP2(HDC DC);
Integer SetStretchBltMode(HDC DC, Integer Mode);
Integer GetStretchBltMode(HDC DC);
Integer SetTextCharacterExtra(HDC DC, Integer Extra);
Integer GetTextCharacterExtra(HDC DC);
COLORREF SetDCBrushColor(HDC DC, COLORREF Color);
COLORREF SetDCPenColor(HDC DC, COLORREF Color);

// A positive level, or 0 on failure.
Integer SaveDC(HDC DC);
// Level > 0: back to that saved level; < 0: that many levels back.
bool RestoreDC(HDC DC, Integer Level);

// ---- coordinates -------------------------------------------------------------------------------

Integer SetMapMode(HDC DC, Integer Mode);
Integer GetMapMode(HDC DC);
bool SetWindowOrgEx(HDC DC, Integer X, Integer Y, TPoint* Old = nullptr);
bool GetWindowOrgEx(HDC DC, TPoint& P);
bool SetWindowExtEx(HDC DC, Integer X, Integer Y, TSize* Old = nullptr);
bool GetWindowExtEx(HDC DC, TSize& S);
bool SetViewportOrgEx(HDC DC, Integer X, Integer Y, TPoint* Old = nullptr);
bool GetViewportOrgEx(HDC DC, TPoint& P);
bool SetViewportExtEx(HDC DC, Integer X, Integer Y, TSize* Old = nullptr);
bool GetViewportExtEx(HDC DC, TSize& S);
bool OffsetViewportOrgEx(HDC DC, Integer DX, Integer DY, TPoint* Old = nullptr);
bool OffsetWindowOrgEx(HDC DC, Integer DX, Integer DY, TPoint* Old = nullptr);
bool LPtoDP(HDC DC, TPoint* Points, Integer Count);
bool DPtoLP(HDC DC, TPoint* Points, Integer Count);

// ---- clipping (rectangles in logical units; the region is kept in device units) ----------------

// A copy of Region becomes the clip region; 0 removes clipping. Returns the region's complexity.
Integer SelectClipRgn(HDC DC, HRGN Region);
Integer ExtSelectClipRgn(HDC DC, HRGN Region, Integer Mode);
Integer IntersectClipRect(HDC DC, Integer Left, Integer Top, Integer Right, Integer Bottom);
Integer ExcludeClipRect(HDC DC, Integer Left, Integer Top, Integer Right, Integer Bottom);
// The smallest rectangle around the visible drawing area, in logical units.
Integer GetClipBox(HDC DC, TRect& R);
// 1 and a copy of the clip region in Region; 0 when there is none; -1 on error.
Integer GetClipRgn(HDC DC, HRGN Region);

// ---- lines and shapes --------------------------------------------------------------------------

bool MoveToEx(HDC DC, Integer X, Integer Y, TPoint* Old = nullptr);
bool GetCurrentPositionEx(HDC DC, TPoint& P);
bool LineTo(HDC DC, Integer X, Integer Y);
bool Polyline(HDC DC, const TPoint* Points, Integer Count);
bool PolylineTo(HDC DC, const TPoint* Points, Integer Count);
bool Polygon(HDC DC, const TPoint* Points, Integer Count);
bool PolyPolygon(HDC DC, const TPoint* Points, const Integer* Counts, Integer PolygonCount);
bool Rectangle(HDC DC, Integer Left, Integer Top, Integer Right, Integer Bottom);
bool RoundRect(HDC DC, Integer Left, Integer Top, Integer Right, Integer Bottom, Integer Width, Integer Height);
bool Ellipse(HDC DC, Integer Left, Integer Top, Integer Right, Integer Bottom);
// Counter-clockwise from the ray to (XStart, YStart) to the ray to (XEnd, YEnd).
bool Arc(HDC DC, Integer Left, Integer Top, Integer Right, Integer Bottom, Integer XStart, Integer YStart,
         Integer XEnd, Integer YEnd);
bool Chord(HDC DC, Integer Left, Integer Top, Integer Right, Integer Bottom, Integer XStart, Integer YStart,
           Integer XEnd, Integer YEnd);
bool Pie(HDC DC, Integer Left, Integer Top, Integer Right, Integer Bottom, Integer XStart, Integer YStart,
         Integer XEnd, Integer YEnd);
// Return 1 on success, 0 on failure. Brush may also be a system colour index + 1:
// HBRUSH(std::uintptr_t(COLOR_WINDOW + 1)).
Integer FillRect(HDC DC, const TRect& R, HBRUSH Brush);
Integer FrameRect(HDC DC, const TRect& R, HBRUSH Brush);
bool InvertRect(HDC DC, const TRect& R);
bool FillRgn(HDC DC, HRGN Region, HBRUSH Brush);
// With the selected brush: PATCOPY, PATINVERT, DSTINVERT, BLACKNESS, WHITENESS.
bool PatBlt(HDC DC, Integer X, Integer Y, Integer Width, Integer Height, Cardinal Rop);
COLORREF SetPixel(HDC DC, Integer X, Integer Y, COLORREF Color);
COLORREF GetPixel(HDC DC, Integer X, Integer Y);

// ---- text (UTF-8 String or UTF-16) -------------------------------------------------------------

bool TextOut(HDC DC, Integer X, Integer Y, const String& Text);
bool TextOut(HDC DC, Integer X, Integer Y, const WideChar* Text, Integer Count);
// Options: ETO_OPAQUE fills Rect with the background colour, ETO_CLIPPED clips the text to Rect.
// Dx, when given, holds Count advances (one per UTF-16 unit) replacing the font's.
bool ExtTextOut(HDC DC, Integer X, Integer Y, Cardinal Options, const TRect* Rect, const WideChar* Text,
                Integer Count, const Integer* Dx = nullptr);
bool ExtTextOut(HDC DC, Integer X, Integer Y, Cardinal Options, const TRect* Rect, const String& Text,
                const Integer* Dx = nullptr);
// Lines split at CR/LF; DT_WORDBREAK wraps at blanks; returns the height of the text.
Integer DrawText(HDC DC, const String& Text, TRect& R, Cardinal Format);

bool GetTextExtentPoint32(HDC DC, const String& Text, TSize& Size);
bool GetTextExtentPoint32(HDC DC, const WideChar* Text, Integer Count, TSize& Size);
// How many characters fit in MaxExtent (Fit), and the extent after each character (Dx, Count
// entries) when those are given.
bool GetTextExtentExPoint(HDC DC, const WideChar* Text, Integer Count, Integer MaxExtent, Integer* Fit,
                          Integer* Dx, TSize& Size);
bool GetCharWidth32(HDC DC, Cardinal First, Cardinal Last, Integer* Widths);
bool GetTextMetrics(HDC DC, TEXTMETRIC& Metrics);
// The face name of the selected font; returns its length.
Integer GetTextFace(HDC DC, String& Face);

// ---- images ------------------------------------------------------------------------------------

bool BitBlt(HDC Dest, Integer X, Integer Y, Integer Width, Integer Height, HDC Src, Integer XSrc, Integer YSrc,
            Cardinal Rop);
bool StretchBlt(HDC Dest, Integer X, Integer Y, Integer Width, Integer Height, HDC Src, Integer XSrc,
                Integer YSrc, Integer WidthSrc, Integer HeightSrc, Cardinal Rop);
// Info: a DIB header (12, 40, 108 or 124 bytes) with its masks and colour table, InfoSize bytes;
// Bits: the pixel data, BitsSize bytes. Returns the number of scan lines drawn, 0 on failure.
Integer StretchDIBits(HDC DC, Integer XDest, Integer YDest, Integer DestWidth, Integer DestHeight, Integer XSrc,
                      Integer YSrc, Integer SrcWidth, Integer SrcHeight, const void* Bits, std::size_t BitsSize,
                      const void* Info, std::size_t InfoSize, Cardinal ColorUse, Cardinal Rop);
// Draws 0xAARRGGBB pixels (top row first, alpha blended) stretched into the destination rectangle.
bool DrawPixels(HDC DC, Integer X, Integer Y, Integer Width, Integer Height, const std::uint32_t* Pixels,
                Integer SrcWidth, Integer SrcHeight);

// ---- fonts -------------------------------------------------------------------------------------

// The family the drawing will use for a face name (e.g. "Arial" -> "Liberation Sans").
String ResolveFontFamily(const String& FaceName);
// Installed font families, sorted.
std::vector<String> GetFontFamilies();

} // namespace qor
