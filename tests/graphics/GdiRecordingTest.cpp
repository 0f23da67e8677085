// The recording context: the text of its call log (page files and golden files of the output tests
// are compared against it), and that it draws nothing while keeping the context's state.

#include "platform/graphics/Gdi.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace qor;

namespace {

// Every call that the log shows, in the forms and corner cases callers use: rejected arguments
// leave no line, calls that call others log both.
void EveryCall(HDC DC, bool Abort)
{
    DOCINFO Info;
    Info.lpszDocName = "Doc \"1\"";
    StartDoc(DC, Info);
    StartPage(DC);
    SetTextColor(DC, 0x12345678);
    SetBkColor(DC, RGB(1, 2, 3));
    SetBkMode(DC, TRANSPARENT);
    SetBkMode(DC, 7);
    SetTextAlign(DC, 0xFFFF);
    SetROP2(DC, R2_XORPEN);
    SetROP2(DC, 99);
    SetStretchBltMode(DC, HALFTONE);
    SetStretchBltMode(DC, 0);
    SetTextCharacterExtra(DC, -2);
    SetDCBrushColor(DC, RGB(9, 9, 9));
    SetDCPenColor(DC, RGB(8, 8, 8));
    SaveDC(DC);
    RestoreDC(DC, 5);
    RestoreDC(DC, -1);
    HFONT Font = CreateFont(-13, 0, 450, 0, FW_BOLD, 1, 1, 0, 0, 0, 0, 0, 0, "Arial");
    HPEN Pen = CreatePen(PS_DASH, 3, RGB(255, 0, 0));
    HBRUSH Hatch = CreateHatchBrush(HS_CROSS, RGB(0, 0, 255));
    HBITMAP Bitmap = CreateBitmap(4, 3, 1, 1, nullptr);
    HRGN Region = CreateRectRgn(1, 2, 30, 40);
    SelectObject(DC, Font);
    SelectObject(DC, Pen);
    SelectObject(DC, Hatch);
    SelectObject(DC, Bitmap); // not a memory context: logged, refused
    SelectObject(DC, Region);
    SelectObject(DC, HGDIOBJ(std::uintptr_t(0x7FFFFFF)));
    SelectObject(DC, GetStockObject(DEFAULT_PALETTE));
    RealizePalette(DC);
    SetMapMode(DC, MM_ANISOTROPIC);
    SetMapMode(DC, 77);
    SetWindowExtEx(DC, 100, 200, nullptr);
    SetWindowExtEx(DC, 0, 200, nullptr);
    SetViewportExtEx(DC, 50, -100, nullptr);
    SetWindowOrgEx(DC, 3, 4, nullptr);
    SetViewportOrgEx(DC, 5, 6, nullptr);
    OffsetWindowOrgEx(DC, 1, 1, nullptr);
    OffsetViewportOrgEx(DC, -1, -1, nullptr);
    SetMapMode(DC, MM_LOMETRIC);
    SetWindowExtEx(DC, 100, 200, nullptr); // ignored in a fixed mode
    SetMapMode(DC, MM_TEXT);
    SelectClipRgn(DC, HRGN());
    ExtSelectClipRgn(DC, HRGN(), RGN_AND);
    ExtSelectClipRgn(DC, Region, RGN_OR);
    IntersectClipRect(DC, 0, 0, 500, 600);
    ExcludeClipRect(DC, 10, 10, 20, 20);
    MoveToEx(DC, 7, 8, nullptr);
    LineTo(DC, 70, 80);
    const TPoint Pts[] = {{1, 2}, {30, 4}, {5, 60}, {7, 8}};
    const Integer Counts[] = {2, 2};
    const Integer BadCounts[] = {1, 3};
    Polyline(DC, Pts, 3);
    Polyline(DC, Pts, 1);
    PolylineTo(DC, Pts, 2);
    Polygon(DC, Pts, 4);
    PolyPolygon(DC, Pts, Counts, 2);
    PolyPolygon(DC, Pts, BadCounts, 2);
    Rectangle(DC, 1, 2, 3, 4);
    RoundRect(DC, 1, 2, 30, 40, 5, 6);
    Ellipse(DC, 10, 20, 30, 40);
    Arc(DC, 0, 0, 100, 100, 100, 50, 50, 0);
    Chord(DC, 0, 0, 100, 100, 100, 50, 50, 0);
    Pie(DC, 0, 0, 100, 100, 100, 50, 50, 0);
    FillRect(DC, TRect(1, 2, 3, 4), Hatch);
    FillRect(DC, TRect(1, 2, 3, 4), HBRUSH(std::uintptr_t(COLOR_WINDOW + 1)));
    FrameRect(DC, TRect(5, 6, 7, 8), HBRUSH(GetStockObject(BLACK_BRUSH)));
    InvertRect(DC, TRect(0, 0, 9, 9));
    FillRgn(DC, Region, Hatch);
    PatBlt(DC, 1, 2, 3, 4, PATCOPY);
    PatBlt(DC, 1, 2, 3, 4, SRCCOPY);
    SetPixel(DC, 4, 5, 0xFF00FF00);
    const WideChar Wide[] = {u'A', 0xD83D, 0xDE00, u'"', u'\\', u'\t', 0xDC00};
    const Integer Dx[] = {10, 11, 12, 13, 14, 15, 16};
    TRect Box(0, 0, 100, 20);
    TextOut(DC, 1, 2, Wide, 7);
    TextOut(DC, 1, 2, String("caf\xC3\xA9"));
    ExtTextOut(DC, 3, 4, ETO_CLIPPED | ETO_OPAQUE, &Box, Wide, 7, Dx);
    ExtTextOut(DC, 3, 4, 0, nullptr, String("x\xF0\x9F\x98\x80y"), Dx);
    ExtTextOut(DC, 3, 4, 0, nullptr, Wide, -1, nullptr);
    TRect Para(0, 0, 60, 100);
    DrawText(DC, "&Save && go far away", Para, DT_WORDBREAK | DT_CENTER);
    HDC Mem = CreateCompatibleDC(HDC());
    HBITMAP MemBitmap = CreateCompatibleBitmap(Mem, 8, 8);
    SelectObject(Mem, MemBitmap);
    BitBlt(DC, 1, 2, 3, 4, Mem, 5, 6, SRCCOPY);
    StretchBlt(DC, 1, 2, 30, 40, Mem, 0, 0, 8, 8, SRCAND);
    BitBlt(DC, 1, 2, 3, 4, HDC(), 0, 0, BLACKNESS);
    BitBlt(DC, 1, 2, 3, 4, HDC(), 0, 0, SRCCOPY);
    const std::uint32_t Pixels[4] = {0xFF000000u, 0xFFFFFFFFu, 0x80FF0000u, 0};
    DrawPixels(DC, 1, 2, 20, 20, Pixels, 2, 2);
    // A 2 x 1 32-bit DIB.
    Byte Header[40] = {40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 32, 0};
    const Byte Bits[8] = {1, 2, 3, 0, 4, 5, 6, 0};
    StretchDIBits(DC, 0, 0, 20, 10, 0, 0, 2, 1, Bits, sizeof Bits, Header, sizeof Header, DIB_RGB_COLORS, SRCCOPY);
    EndPage(DC);
    ResetDC(DC, nullptr);
    EndDoc(DC);
    if (Abort)
        AbortDoc(DC);
    DeleteDC(Mem);
    for (HGDIOBJ O : {HGDIOBJ(Font), HGDIOBJ(Pen), HGDIOBJ(Hatch), HGDIOBJ(Bitmap), HGDIOBJ(Region), HGDIOBJ(MemBitmap)})
        DeleteObject(O);
}

std::vector<String> LogOfEveryCall()
{
    HDC DC = CreateRecordingDC(816, 1056, 96, true);
    EveryCall(DC, true);
    std::vector<String> Log = GetRecordedCalls(DC);
    DeleteDC(DC);
    return Log;
}

} // namespace

TEST(RecordedCalls, OnlyAskedForContextsKeepALog)
{
    // A printer's information context is drawn on for a whole run: it must not grow with it.
    HDC Info = CreateInformationDC(816, 1056, 96, true), Logged = CreateInformationDC(816, 1056, 96, true, true);
    for (HDC DC : {Info, Logged})
        for (int I = 0; I < 100; ++I)
            TextOut(DC, 0, I, "text");
    EXPECT_TRUE(GetRecordedCalls(Info).empty());
    EXPECT_EQ(GetRecordedCalls(Logged).size(), 100u);
    DeleteDC(Info);
    DeleteDC(Logged);
}

TEST(RecordedCalls, EveryCallKeepsItsText)
{
    const char* Expected = R"(StartDoc("Doc \"1\"")
StartPage()
SetTextColor($345678)
SetBkColor($030201)
SetBkMode(TRANSPARENT)
SetTextAlign(65535)
SetROP2(7)
SetStretchBltMode(4)
SetTextCharacterExtra(-2)
SaveDC()
RestoreDC(5)
RestoreDC(-1)
SelectObject(Font "Arial" h=-13 w=700 esc=450 i=1 u=1 s=0)
SelectObject(Pen style=1 width=3 color=$0000FF)
SelectObject(Brush style=2 color=$FF0000 hatch=4)
SelectObject(Bitmap 4x3 mono)
SelectObject(Region)
SelectClipRgn(1,2,30,40,5)
SelectObject(Palette)
SelectPalette()
RealizePalette()
SetMapMode(8)
SetWindowExtEx(100,200)
SetViewportExtEx(50,-100)
SetWindowOrgEx(3,4)
SetViewportOrgEx(5,6)
SetWindowOrgEx(4,5)
SetViewportOrgEx(4,5)
SetMapMode(2)
SetMapMode(1)
SelectClipRgn(0)
SelectClipRgn(1,2,30,40,2)
IntersectClipRect(0,0,500,600)
ExcludeClipRect(10,10,20,20)
MoveToEx(7,8)
LineTo(70,80)
Polyline(1,2;30,4;5,60)
PolylineTo(1,2;30,4)
Polygon(1,2;30,4;5,60;7,8)
PolyPolygon(2,1,2;30,4;5,60;7,8)
Rectangle(1,2,3,4)
RoundRect(1,2,30,40,5,6)
Ellipse(10,20,30,40)
Arc(0,0,100,100,100,50,50,0)
Chord(0,0,100,100,100,50,50,0)
Pie(0,0,100,100,100,50,50,0)
FillRect(1,2,3,4,Brush style=2 color=$FF0000 hatch=4)
FillRect(1,2,3,4,Brush style=0 color=$FFFFFF hatch=0)
FrameRect(5,6,7,8,Brush style=0 color=$000000 hatch=0)
InvertRect(0,0,9,9)
FillRgn()
PatBlt(1,2,3,4,$00F00021)
PatBlt(1,2,3,4,$00CC0020)
SetPixel(4,5,$00FF00)
TextOut(1,2,"A😀\"\\\x09�")
TextOut(1,2,"café")
ExtTextOut(3,4,6,0,0,100,20,"A😀\"\\\x09�",dx=10;11;12;13;14;15;16)
ExtTextOut(3,4,0,nil,"x😀y",dx=10;11;12;13)
SetTextAlign(0)
ExtTextOut(7,0,4,0,0,60,100,"Save & go")
ExtTextOut(10,13,4,0,0,60,100,"far away")
SetTextAlign(31)
StretchBlt(1,2,3,4,src,5,6,3,4,$00CC0020)
StretchBlt(1,2,30,40,src,0,0,8,8,$008800C6)
StretchBlt(1,2,3,4,src,0,0,3,4,$00000042)
StretchBlt(1,2,3,4,src,0,0,3,4,$00CC0020)
DrawPixels(1,2,20,20,2x2)
StretchDIBits(0,0,20,10,0,0,2,1,2x1,$00CC0020)
EndPage()
ResetDC()
EndDoc()
AbortDoc())";
    String Joined;
    for (const String& L : LogOfEveryCall())
        Joined += (Joined.empty() ? "" : "\n") + L;
    EXPECT_EQ(Joined, Expected);
}


namespace {

// What the getters answer after a run of state calls.
String StateAfterCalls(HDC DC)
{
    SetTextColor(DC, 0x7F010203);
    SetBkMode(DC, TRANSPARENT);
    SetTextAlign(DC, 0xFFFF);
    SetROP2(DC, R2_NOTXORPEN);
    SetStretchBltMode(DC, COLORONCOLOR);
    SetTextCharacterExtra(DC, -3);
    SaveDC(DC);
    SetBkColor(DC, RGB(4, 5, 6));
    SetMapMode(DC, MM_ANISOTROPIC);
    SetWindowExtEx(DC, 200, 200, nullptr);
    SetViewportExtEx(DC, 100, 100, nullptr);
    SetWindowOrgEx(DC, 10, 20, nullptr);
    SetViewportOrgEx(DC, 1, 2, nullptr);
    MoveToEx(DC, 40, 50, nullptr);
    IntersectClipRect(DC, 10, 20, 210, 220);
    ExcludeClipRect(DC, 10, 20, 50, 220);
    TPoint p(100, 100);
    LPtoDP(DC, &p, 1);
    TRect clip;
    GetClipBox(DC, clip);
    TPoint pos;
    GetCurrentPositionEx(DC, pos);
    char buf[400];
    std::snprintf(buf, sizeof buf,
                  "text=%06X bk=%06X mode=%d align=%u rop=%d stretch=%d extra=%d map=%d p=%d,%d clip=%d,%d,%d,%d "
                  "pos=%d,%d",
                  GetTextColor(DC), GetBkColor(DC), GetBkMode(DC), GetTextAlign(DC), GetROP2(DC),
                  GetStretchBltMode(DC), GetTextCharacterExtra(DC), GetMapMode(DC), p.X, p.Y, clip.Left, clip.Top,
                  clip.Right, clip.Bottom, pos.X, pos.Y);
    String s = buf;
    RestoreDC(DC, -1);
    std::snprintf(buf, sizeof buf, " | restored bk=%06X map=%d", GetBkColor(DC), GetMapMode(DC));
    return s + buf;
}

} // namespace

TEST(RecordedCalls, StateChangesReachTheContextAsOnOtherContexts)
{
    HDC Raster = CreateRasterDC(400, 400, 96);
    HDC Rec = CreateRecordingDC(400, 400, 96);
    const String Expected = StateAfterCalls(Raster);
    EXPECT_EQ(StateAfterCalls(Rec), Expected);
    EXPECT_EQ(Expected, "text=010203 bk=060504 mode=1 align=31 rop=10 stretch=3 extra=-3 map=8 p=46,42 "
                        "clip=50,20,210,220 pos=40,50 | restored bk=FFFFFF map=1");
    DeleteDC(Raster);
    DeleteDC(Rec);
}

TEST(RecordedCalls, DrawTextPlacesItsLinesByTheFormat)
{
    HDC DC = CreateRecordingDC();
    HFONT Font = CreateFont(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    SelectObject(DC, Font);
    ClearRecordedCalls(DC);
    // Fixed metrics: lines 20 high, characters 10 wide.
    TRect Box(0, 0, 100, 60);
    EXPECT_EQ(DrawText(DC, "ab", Box, DT_SINGLELINE | DT_VCENTER | DT_RIGHT), 20);
    EXPECT_EQ(DrawText(DC, "ab\r\ncd", Box, DT_SINGLELINE | DT_BOTTOM | DT_NOCLIP), 20);
    EXPECT_EQ(DrawText(DC, "one\r\ntwo\rthree\nfour", Box, DT_CENTER), 80);
    EXPECT_EQ(DrawText(DC, "abcdefghijklmnop", Box, DT_SINGLELINE | DT_END_ELLIPSIS), 20);
    std::vector<String> Text;
    for (const String& L : GetRecordedCalls(DC))
        if (L.rfind("ExtTextOut", 0) == 0)
            Text.push_back(L);
    const std::vector<String> Expected = {
        "ExtTextOut(80,20,4,0,0,100,60,\"ab\")",       "ExtTextOut(0,40,0,0,0,100,60,\"abcd\")",
        "ExtTextOut(35,0,4,0,0,100,60,\"one\")",       "ExtTextOut(35,20,4,0,0,100,60,\"two\")",
        "ExtTextOut(25,40,4,0,0,100,60,\"three\")",    "ExtTextOut(30,60,4,0,0,100,60,\"four\")",
        "ExtTextOut(0,0,4,0,0,100,60,\"abcdefg...\")",
    };
    EXPECT_EQ(Text, Expected);
    DeleteDC(DC);
    DeleteObject(Font);
}
