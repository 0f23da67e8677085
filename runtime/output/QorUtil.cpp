#include "runtime/output/QorUtil.h"

#include "platform/graphics/Gdi.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/List.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/Utf16.h"
#include "platform/rtl/StringTable.h"
#include "platform/rtl/TypeInfo.h"
#include "platform/ui/Application.h"
#include "runtime/Version.h"
#include "runtime/output/QorStrIds.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace qor {

QOR_PUBLISH(TQorList) {}

// ---- drawing ------------------------------------------------------------------------------------

namespace {

constexpr std::array<std::array<Word, 8>, 6> ShadePatterns{{
    {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA}, // spVeryDark
    {0x55, 0xBB, 0x66, 0xDD, 0x55, 0xBB, 0x66, 0xDD}, // spDark
    {0xBB, 0xEE, 0x77, 0xDD, 0xBB, 0xEE, 0x77, 0xDD}, // spMedDark
    {0xFB, 0xF7, 0xBE, 0xDF, 0xFB, 0x7D, 0xEF, 0xBF}, // spMedium
    {0xFF, 0xFF, 0xBB, 0xFF, 0xFF, 0xFF, 0xDD, 0xFF}, // spMedLight
    {0xFF, 0xBF, 0xFF, 0xFF, 0xFF, 0xFD, 0xFF, 0xFF}, // spLight
}};

// The characters of a text line as UTF-16, a surrogate pair counting as one character.
struct TLineChars {
    WideString Text;
    std::vector<Integer> Starts; // index into Text of each character, plus Text.size() at the end

    explicit TLineChars(const String& S) : Text(Utf8ToUtf16(S))
    {
        for (size_t I = 0; I < Text.size();) {
            Starts.push_back(static_cast<Integer>(I));
            NextCodePoint(Text.data(), Text.size(), I);
        }
        Starts.push_back(static_cast<Integer>(Text.size()));
    }
    Integer Count() const { return static_cast<Integer>(Starts.size()) - 1; }
    const WideChar* At(Integer I) const { return Text.data() + Starts[size_t(I)]; }
    Integer Units(Integer First, Integer N) const { return Starts[size_t(First + N)] - Starts[size_t(First)]; }
    bool IsBlank(Integer I) const { return Text[size_t(Starts[size_t(I)])] == u' '; }

    // The extent of N characters from First.
    Integer Extent(HDC DC, Integer First, Integer N) const
    {
        if (N <= 0)
            return 0;
        TSize S;
        GetTextExtentPoint32(DC, At(First), Units(First, N), S);
        return S.cx;
    }

    // Blanks between the first and the last non-blank character.
    Integer InnerBlanks() const
    {
        Integer First = 0, Last = Count() - 1;
        while (First <= Last && IsBlank(First))
            ++First;
        while (Last >= First && IsBlank(Last))
            --Last;
        Integer B = 0;
        for (Integer I = First; I <= Last; ++I)
            B += IsBlank(I) ? 1 : 0;
        return B;
    }
};

} // namespace

const Word* QorShadePattern(TQorShadePercent Shade)
{
    switch (Shade) {
    case spVeryDark: return ShadePatterns[0].data();
    case spDark: return ShadePatterns[1].data();
    case spMedDark: return ShadePatterns[2].data();
    case spMedLight: return ShadePatterns[4].data();
    case spLight: return ShadePatterns[5].data();
    default: return ShadePatterns[3].data();
    }
}

void QorShadeRect(HDC DC, const TRect& Rect, TQorShadePercent Shade)
{
    if (Shade == spNone)
        return;
    // Rows of a monochrome bitmap are 16 bits wide; the pixels are the first (low) byte.
    const Word* Rows = QorShadePattern(Shade);
    Byte Bits[16] = {};
    for (int Row = 0; Row < 8; ++Row)
        Bits[Row * 2] = static_cast<Byte>(Rows[Row] & 0xFF);
    HBITMAP Bitmap = CreateBitmap(8, 8, 1, 1, Bits);
    HBRUSH Brush = CreatePatternBrush(Bitmap);
    SetBkMode(DC, TRANSPARENT);
    FillRect(DC, Rect, Brush);
    DeleteObject(Bitmap);
    DeleteObject(Brush);
}

void QorDrawCheckBox(HDC DC, const TRect& Rect, TQorCheckStyle Style, TColor Color, Integer Thickness)
{
    const Integer W = Rect.Right - Rect.Left + 1;
    const Integer H = Rect.Bottom - Rect.Top + 1;
    const Integer F = std::max(W * 10 / 100, 2);
    const Integer G = std::max(H * 10 / 100, 2);
    const Integer K = std::max(W * 20 / 100, 2);
    LOGPEN Log;
    Log.lopnStyle = PS_SOLID;
    Log.lopnWidth = TPoint(Thickness, 0);
    Log.lopnColor = static_cast<COLORREF>(ColorToRGB(Color));
    HPEN Pen = CreatePenIndirect(Log);
    HGDIOBJ Old = SelectObject(DC, Pen);
    SetROP2(DC, R2_COPYPEN);
    const Integer L = Rect.Left, T = Rect.Top;
    if (Style == qcsCheck) {
        MoveToEx(DC, L + W - K, T + G);
        LineTo(DC, L + F + 2 * K, T + H - G);
        LineTo(DC, L + F + K, T + H / 2);
    } else if (Style == qcsCross) {
        MoveToEx(DC, L + F, T + G);
        LineTo(DC, L + W - F, T + H - G);
        MoveToEx(DC, L + W - F, T + G);
        LineTo(DC, L + F, T + H - G);
    }
    SelectObject(DC, Old);
    DeleteObject(Pen);
}

void QorTextJustify(HDC DC, const TRect& Rect, Integer X, Integer Y, const String& Text, bool EndParagraph,
                    const TRect& FullRect)
{
    const String T = QorRightTrim(Text);
    TSize Size;
    GetTextExtentPoint32(DC, T, Size);
    const Integer W = Size.cx;
    const Cardinal Align = GetTextAlign(DC);
    bool Restore = false;
    Integer Left, Right;
    if (TLineChars(T).InnerBlanks() == 0 || EndParagraph) {
        if ((Align & TA_CENTER) == TA_RIGHT) {
            Right = X;
            Left = std::max(X - W, FullRect.Left);
        } else if ((Align & TA_CENTER) == TA_CENTER) {
            const Integer D = W / 2;
            Right = std::min(X + W - D, FullRect.Right);
            Left = std::max(X - D, FullRect.Left);
            X = Left;
            SetTextAlign(DC, Align & ~TA_CENTER);
            Restore = true;
        } else {
            Right = std::min(X + W, FullRect.Right);
            Left = X;
        }
    } else {
        Left = X;
        Right = Rect.Right;
    }
    QorSetTextJustify(DC, X, Y, T, Right - Left + 1);
    if (Restore)
        SetTextAlign(DC, Align);
}

void QorSetTextJustify(HDC DC, Integer X, Integer Y, const String& Text, Integer Width)
{
    const TLineChars Chars(Text);
    const Integer N = Chars.Count();
    const Integer B = Chars.InnerBlanks();
    Integer Used = 0;
    const Cardinal Align = GetTextAlign(DC);
    if ((Align & TA_UPDATECP) == 0)
        SetTextAlign(DC, Align | TA_UPDATECP);
    MoveToEx(DC, X, Y);
    Integer C = X;
    // Text is laid out without kerning: the part not yet drawn is the whole less what was drawn,
    // so each blank costs one character's measure, not the rest of the line's.
    const Integer Whole = B > 0 ? Chars.Extent(DC, 0, N) : 0;
    Integer Drawn = 0;
    if (Align & TA_RIGHT) {
        for (Integer P = N - 1; P >= 0; --P) {
            const Integer One = Chars.Extent(DC, P, 1);
            C -= One;
            Drawn += One;
            TextOut(DC, 0, 0, Chars.At(P), Chars.Units(P, 1));
            if (Used < B && Chars.IsBlank(P)) {
                const Integer Consumed = X - C + 1;
                const Integer Rest = Whole - Drawn;
                C -= (Width - Consumed - Rest) / (B - Used);
                MoveToEx(DC, C, Y);
                ++Used;
            }
        }
    } else {
        for (Integer P = 0; P < N; ++P) {
            const Integer One = Chars.Extent(DC, P, 1);
            C += One;
            Drawn += One;
            TextOut(DC, 0, 0, Chars.At(P), Chars.Units(P, 1));
            if (Used < B && Chars.IsBlank(P)) {
                const Integer Consumed = C - X + 1;
                const Integer Rest = Whole - Drawn;
                C += (Width - Consumed - Rest) / (B - Used);
                MoveToEx(DC, C, Y);
                ++Used;
            }
        }
    }
    SetTextAlign(DC, Align);
}

void QorDrawShapeType(HDC DC, TQorDrawType DrawType, Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3,
                      Integer Y3, Integer X4, Integer Y4)
{
    switch (DrawType) {
    case dtArc: Arc(DC, X1, Y1, X2, Y2, X3, Y3, X4, Y4); break;
    case dtChord: Chord(DC, X1, Y1, X2, Y2, X3, Y3, X4, Y4); break;
    case dtPie: Pie(DC, X1, Y1, X2, Y2, X3, Y3, X4, Y4); break;
    }
}

void QorPolyDrawType(HDC DC, TQorPolyType PolyType, const TPoint* Points, Integer Count)
{
    switch (PolyType) {
    case ptPolygon: Polygon(DC, Points, Count); break;
    case ptPolyLine: Polyline(DC, Points, Count); break;
    }
}

// ---- scaling and device queries -----------------------------------------------------------------

void QorScale(HDC DC, Integer WindowX, Integer WindowY, Integer ViewportX, Integer ViewportY, Integer ScaleX,
              Integer ScaleY)
{
    SetMapMode(DC, MM_ANISOTROPIC);
    if (WindowX == ViewportX && WindowY == ViewportY && ScaleX == 100 && ScaleY == 100)
        return;
    SetWindowExtEx(DC, WindowX, WindowY);
    SetViewportExtEx(DC, static_cast<Integer>(Round(Double(ViewportX) * ScaleX / 100)),
                     static_cast<Integer>(Round(Double(ViewportY) * ScaleY / 100)));
}

void QorSetOrigin(HDC DC, Integer PixelsPerInchX, Integer PixelsPerInchY, Integer X, Integer Y)
{
    SetViewportOrgEx(DC, MulDiv(X, GetDeviceCaps(DC, LOGPIXELSX), PixelsPerInchX),
                     MulDiv(Y, GetDeviceCaps(DC, LOGPIXELSY), PixelsPerInchY));
}

TRect QorMulDivRect(const TRect& Rect, Integer NumeratorX, Integer DenominatorX, Integer NumeratorY,
                    Integer DenominatorY)
{
    TRect R;
    R.Left = MulDiv(Rect.Left, NumeratorX, DenominatorX);
    R.Top = MulDiv(Rect.Top, NumeratorY, DenominatorY);
    R.Right = R.Left + MulDiv(Rect.Right - Rect.Left + 1, NumeratorX, DenominatorX) - 1;
    R.Bottom = R.Top + MulDiv(Rect.Bottom - Rect.Top + 1, NumeratorY, DenominatorY) - 1;
    return R;
}

TRect QorScaleRect(HDC DC, Integer PixelsPerInchX, Integer PixelsPerInchY, const TRect& Rect, Integer ScaleX,
                   Integer ScaleY)
{
    return QorMulDivRect(Rect, MulDiv(GetDeviceCaps(DC, LOGPIXELSX), ScaleX, 100), PixelsPerInchX,
                         MulDiv(GetDeviceCaps(DC, LOGPIXELSY), ScaleY, 100), PixelsPerInchY);
}

bool QorIsScreen(HDC DC)
{
    return (GetDeviceCaps(DC, TECHNOLOGY) & 1) != 0;
}

bool QorIsAncestor(const TComponent* Component)
{
    return Component && Component->ComponentState().Contains(csAncestor);
}

TPoint QorGetResolution(HDC DC)
{
    return TPoint(GetDeviceCaps(DC, LOGPIXELSX), GetDeviceCaps(DC, LOGPIXELSY));
}

TPoint QorGetPhysicalSize(HDC DC)
{
    return TPoint(GetDeviceCaps(DC, PHYSICALWIDTH), GetDeviceCaps(DC, PHYSICALHEIGHT));
}

TPoint QorGetPhysicalOffset(HDC DC)
{
    return TPoint(GetDeviceCaps(DC, PHYSICALOFFSETX), GetDeviceCaps(DC, PHYSICALOFFSETY));
}

TPoint QorGetPrintableSize(HDC DC)
{
    return TPoint(GetDeviceCaps(DC, HORZRES), GetDeviceCaps(DC, VERTRES));
}

TRect QorGetPrintableArea(HDC DC)
{
    const TPoint O = QorGetPhysicalOffset(DC);
    const TPoint S = QorGetPrintableSize(DC);
    return TRect(O.X, O.Y, O.X + S.X, O.Y + S.Y);
}

Integer QorGetObject(HGDIOBJ Handle, Integer Size, void* Buffer)
{
    return GetObject(Handle, Size, Buffer);
}

// ---- paper sizes and units ----------------------------------------------------------------------

namespace {

struct TPaperEntry {
    Integer Code;
    Double Across; // portrait sheet
    Double Down;
    bool Inches;   // the entry's unit: inches, else millimetres
};

// The published sheets of the standard paper codes.
constexpr TPaperEntry PaperTable[] = {
    {1, 8.5, 11, true},
    {2, 8.5, 11, true},
    {3, 11, 17, true},
    {4, 17, 11, true},
    {5, 8.5, 14, true},
    {6, 5.5, 8.5, true},
    {7, 7.25, 10.5, true},
    {8, 297, 420, false},
    {9, 210, 297, false},
    {10, 210, 297, false},
    {11, 148, 210, false},
    {12, 250, 354, false},
    {13, 182, 257, false},
    {14, 8.5, 13, true},
    {15, 215, 275, false},
    {16, 10, 14, true},
    {17, 11, 17, true},
    {18, 8.5, 11, true},
    {19, 3.875, 8.875, true},
    {20, 4.125, 9.5, true},
    {21, 4.5, 10.375, true},
    {22, 4.75, 11, true},
    {23, 5, 11.5, true},
    {24, 17, 22, true},
    {25, 22, 34, true},
    {26, 34, 44, true},
    {27, 110, 220, false},
    {28, 162, 229, false},
    {29, 324, 458, false},
    {30, 229, 324, false},
    {31, 114, 162, false},
    {32, 114, 229, false},
    {33, 250, 353, false},
    {34, 176, 250, false},
    {35, 176, 125, false},
    {36, 110, 230, false},
    {37, 3.875, 7.5, true},
    {38, 3.625, 6.5, true},
    {39, 14.875, 11, true},
    {40, 8.5, 12, true},
    {41, 8.5, 13, true},
    {42, 250, 353, false},
    {43, 100, 148, false},
    {44, 9, 11, true},
    {45, 10, 11, true},
    {46, 15, 11, true},
    {47, 220, 220, false},
    {50, 9.5, 12, true},
    {51, 9.5, 15, true},
    {52, 11.69, 18, true},
    {53, 9.27, 12.69, true},
    {54, 8.5, 11, true},
    {55, 210, 297, false},
    {56, 9.5, 12, true},
    {57, 227, 356, false},
    {58, 305, 487, false},
    {59, 8.5, 12.69, true},
    {60, 210, 330, false},
    {61, 148, 210, false},
    {62, 182, 257, false},
    {63, 322, 445, false},
    {64, 174, 235, false},
    {65, 201, 276, false},
    {66, 420, 594, false},
    {67, 297, 420, false},
    {68, 322, 445, false},
    {69, 200, 148, false},
    {70, 105, 148, false},
    {75, 11, 8.5, true},
    {76, 420, 297, false},
    {77, 297, 210, false},
    {78, 210, 148, false},
    {79, 364, 257, false},
    {80, 257, 182, false},
    {81, 148, 100, false},
    {82, 148, 200, false},
    {83, 148, 105, false},
    {88, 128, 182, false},
    {89, 182, 128, false},
    {90, 12, 11, true},
    {93, 146, 215, false},
    {94, 97, 151, false},
    {95, 97, 151, false},
    {96, 102, 165, false},
    {97, 102, 176, false},
    {98, 125, 176, false},
    {99, 110, 208, false},
    {100, 110, 220, false},
    {101, 120, 230, false},
    {102, 160, 230, false},
    {103, 120, 309, false},
    {104, 229, 324, false},
    {105, 324, 458, false},
    {109, 165, 102, false},
    {110, 176, 102, false},
    {111, 176, 125, false},
    {112, 208, 110, false},
    {113, 220, 110, false},
    {114, 230, 120, false},
    {115, 230, 160, false},
    {116, 309, 120, false},
    {117, 324, 229, false},
    {118, 458, 324, false},
    {256, 0, 0, true},
};

constexpr const char* FormNames[] = {
    "LETTER", "LETTERSMALL", "TABLOID", "LEDGER", "LEGAL", "STATEMENT", "EXECUTIVE", "A3", "A4",
    "A4SMALL", "A5", "B4", "B5", "FOLIO", "QUARTO", "10X14", "11X17", "NOTE", "ENV_9", "ENV_10",
    "ENV_11", "ENV_12", "ENV_14", "CSHEET", "DSHEET", "ESHEET",
};

} // namespace

void QorPaperSizeUnit(Integer Orientation, Integer PaperSize, Double& X, Double& Y, Word Units)
{
    Double Across = 0, Down = 0;
    const auto It = std::find_if(std::begin(PaperTable), std::end(PaperTable),
                                 [&](const TPaperEntry& E) { return E.Code == PaperSize; });
    if (It != std::end(PaperTable)) {
        Across = It->Across;
        Down = It->Down;
        if (It->Inches && Units == 1) {
            Across = QorInchToMM(Across);
            Down = QorInchToMM(Down);
        } else if (!It->Inches && Units == 0) {
            Across = QorMMtoInch(Across);
            Down = QorMMtoInch(Down);
        }
    }
    if (Orientation == 2) {
        X = Down;
        Y = Across;
    } else {
        X = Across;
        Y = Down;
    }
}

void QorPaperSizeInch(Integer Orientation, Integer PaperSize, Double& X, Double& Y)
{
    QorPaperSizeUnit(Orientation, PaperSize, X, Y, 0);
}

void QorPaperSizeMM(Integer Orientation, Integer PaperSize, Double& X, Double& Y)
{
    QorPaperSizeUnit(Orientation, PaperSize, X, Y, 1);
}

Double QorInchToMM(Double X)
{
    return X * 25.4;
}

Double QorMMtoInch(Double X)
{
    return X / 25.4;
}

Integer QorGetForm(std::string_view Name)
{
    const String Upper = AnsiUpperCase(Name);
    for (Integer I = 0; I < Integer(std::size(FormNames)); ++I)
        if (Upper == FormNames[I])
            return I;
    return -1;
}

// ---- small services -----------------------------------------------------------------------------

TQorList::TQorList() = default;

TQorList::~TQorList()
{
    Clear();
}

Integer TQorList::Add(void* Item)
{
    ++FCount;
    if (Int64(FChunks.size()) * ChunkSize < FCount)
        FChunks.push_back(std::make_unique<TList>());
    FChunks.back()->Add(Item);
    return FCount - 1;
}

void* TQorList::Items(Integer Spot) const
{
    if (Spot < 0 || Spot >= FCount)
        ListIndexError(Spot);
    return FChunks[size_t(Spot / ChunkSize)]->Get(Spot % ChunkSize);
}

void TQorList::Clear()
{
    FChunks.clear();
    FCount = 0;
}

String QorVersion()
{
    const String Full = QorLibraryVersion();
    const size_t FirstDot = Full.find('.');
    const size_t SecondDot = FirstDot == String::npos ? String::npos : Full.find('.', FirstDot + 1);
    return SecondDot == String::npos ? Full : Full.substr(0, SecondDot);
}

char* QorStrToPChar(String& S)
{
    return S.data();
}

bool QorIsPCharEqual(const void* A, const void* B, Integer Len)
{
    return Len <= 0 || std::memcmp(A, B, size_t(Len)) == 0;
}

bool QorEmpty(std::string_view S)
{
    return S.find_first_not_of(' ') == std::string_view::npos;
}

String QorRightTrim(std::string_view S)
{
    const size_t Last = S.find_last_not_of(' ');
    return Last == std::string_view::npos ? String() : String(S.substr(0, Last + 1));
}

String QorIntToStr(Integer Value)
{
    static constexpr char Digits[] = "0123456789";
    // Worked on the magnitude as a 64-bit value, so the smallest Integer has its text too.
    UInt64 M = Value < 0 ? UInt64(-Int64(Value)) : UInt64(Value);
    String S;
    do {
        S.insert(S.begin(), Digits[M % 10]);
        M /= 10;
    } while (M > 0);
    if (Value < 0)
        S.insert(S.begin(), '-');
    return S;
}

String QorGetTempFile(std::string_view Prefix)
{
    return CreateTempFile(Prefix);
}

Integer QorAskAbort()
{
    const String Text = LoadStr(SQorDiscardReport) + '\r' + LoadStr(SQorRetainPartialReport) + '\r' +
                        LoadStr(SQorContinueGenerating);
    return Application()->MessageBox(Text, LoadStr(SQorAbortReportQuestion), MB_YESNOCANCEL);
}

} // namespace qor
