#include "platform/graphics/Color.h"

#include "platform/rtl/Exceptions.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace qor {

namespace {

// The desktop scheme we present for the system colours.
constexpr COLORREF SysColors[] = {
    RGB(200, 200, 200), // scroll bar
    RGB(0, 0, 0),       // background
    RGB(153, 180, 209), // active caption
    RGB(191, 205, 219), // inactive caption
    RGB(240, 240, 240), // menu
    RGB(255, 255, 255), // window
    RGB(100, 100, 100), // window frame
    RGB(0, 0, 0),       // menu text
    RGB(0, 0, 0),       // window text
    RGB(0, 0, 0),       // caption text
    RGB(180, 180, 180), // active border
    RGB(244, 247, 252), // inactive border
    RGB(171, 171, 171), // app workspace
    RGB(0, 120, 215),   // highlight
    RGB(255, 255, 255), // highlight text
    RGB(240, 240, 240), // button face
    RGB(160, 160, 160), // button shadow
    RGB(109, 109, 109), // gray text
    RGB(0, 0, 0),       // button text
    RGB(0, 0, 0),       // inactive caption text
    RGB(255, 255, 255), // button highlight
    RGB(105, 105, 105), // 3D dark shadow
    RGB(227, 227, 227), // 3D light
    RGB(0, 0, 0),       // info text
    RGB(255, 255, 225), // info background
    RGB(0, 0, 0),       // (unused index 25)
    RGB(0, 102, 204),   // hot light
    RGB(185, 209, 234), // gradient active caption
    RGB(215, 228, 242), // gradient inactive caption
    RGB(0, 120, 215),   // menu highlight
    RGB(240, 240, 240), // menu bar
};

struct TColorName {
    TColor Color;
    const char* Name;
};

constexpr TColorName ColorNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
};

bool SameIdent(const String& A, const char* B)
{
    std::size_t i = 0;
    for (; i < A.size() && B[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(A[i])) != std::tolower(static_cast<unsigned char>(B[i])))
            return false;
    return i == A.size() && B[i] == 0;
}

} // namespace

COLORREF GetSysColor(Integer Index)
{
    if (Index < 0 || Index >= Integer(std::size(SysColors)))
        return 0;
    return SysColors[Index];
}

Integer ColorToRGB(TColor Color)
{
    if (Color < 0)
        return Integer(GetSysColor(Color & 0xFF));
    return Color;
}

bool ColorToIdent(TColor Color, String& Ident)
{
    for (const auto& n : ColorNames)
        if (n.Color == Color) {
            Ident = n.Name;
            return true;
        }
    return false;
}

bool IdentToColor(const String& Ident, TColor& Color)
{
    for (const auto& n : ColorNames)
        if (SameIdent(Ident, n.Name)) {
            Color = n.Color;
            return true;
        }
    return false;
}

String ColorToString(TColor Color)
{
    String s;
    if (ColorToIdent(Color, s))
        return s;
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%08X", static_cast<unsigned>(Color));
    return buf;
}

TColor StringToColor(const String& S)
{
    TColor c = 0;
    if (IdentToColor(S, c))
        return c;
    const char* p = S.c_str();
    char* end = nullptr;
    long long v = 0;
    if (!S.empty() && S[0] == '$')
        v = std::strtoll(p + 1, &end, 16);
    else if (S.size() > 2 && S[0] == '0' && (S[1] == 'x' || S[1] == 'X'))
        v = std::strtoll(p + 2, &end, 16);
    else
        v = std::strtoll(p, &end, 10);
    if (S.empty() || end == p || *end != 0 || (S[0] == '$' && end == p + 1) || v < INT32_MIN || v > UINT32_MAX)
        throw EConvertError("'" + S + "' is not a valid color value");
    return TColor(static_cast<std::uint32_t>(v));
}

} // namespace qor
