#pragma once
// The printer settings record (DEVMODE), its field bits and conventional codes, and the
// heap-held handle through which callers edit a printer's record in place.

#include "platform/rtl/Types.h"

#include <memory>
#include <optional>

namespace qor {

// dmFields bits: which fields of the record are in force.
inline constexpr Cardinal DM_ORIENTATION = 0x00000001;
inline constexpr Cardinal DM_PAPERSIZE = 0x00000002;
inline constexpr Cardinal DM_PAPERLENGTH = 0x00000004;
inline constexpr Cardinal DM_PAPERWIDTH = 0x00000008;
inline constexpr Cardinal DM_SCALE = 0x00000010;
inline constexpr Cardinal DM_POSITION = 0x00000020;
inline constexpr Cardinal DM_NUP = 0x00000040;
inline constexpr Cardinal DM_DISPLAYORIENTATION = 0x00000080;
inline constexpr Cardinal DM_COPIES = 0x00000100;
inline constexpr Cardinal DM_DEFAULTSOURCE = 0x00000200;
inline constexpr Cardinal DM_PRINTQUALITY = 0x00000400;
inline constexpr Cardinal DM_COLOR = 0x00000800;
inline constexpr Cardinal DM_DUPLEX = 0x00001000;
inline constexpr Cardinal DM_YRESOLUTION = 0x00002000;
inline constexpr Cardinal DM_TTOPTION = 0x00004000;
inline constexpr Cardinal DM_COLLATE = 0x00008000;
inline constexpr Cardinal DM_FORMNAME = 0x00010000;
inline constexpr Cardinal DM_LOGPIXELS = 0x00020000;
inline constexpr Cardinal DM_BITSPERPEL = 0x00040000;
inline constexpr Cardinal DM_PELSWIDTH = 0x00080000;
inline constexpr Cardinal DM_PELSHEIGHT = 0x00100000;
inline constexpr Cardinal DM_DISPLAYFLAGS = 0x00200000;
inline constexpr Cardinal DM_DISPLAYFREQUENCY = 0x00400000;
inline constexpr Cardinal DM_ICMMETHOD = 0x00800000;
inline constexpr Cardinal DM_ICMINTENT = 0x01000000;
inline constexpr Cardinal DM_MEDIATYPE = 0x02000000;
inline constexpr Cardinal DM_DITHERTYPE = 0x04000000;

// dmOrientation
inline constexpr SmallInt DMORIENT_PORTRAIT = 1;
inline constexpr SmallInt DMORIENT_LANDSCAPE = 2;

// dmPaperSize
inline constexpr SmallInt DMPAPER_FIRST = 1;
inline constexpr SmallInt DMPAPER_LETTER = 1;
inline constexpr SmallInt DMPAPER_LETTERSMALL = 2;
inline constexpr SmallInt DMPAPER_TABLOID = 3;
inline constexpr SmallInt DMPAPER_LEDGER = 4;
inline constexpr SmallInt DMPAPER_LEGAL = 5;
inline constexpr SmallInt DMPAPER_STATEMENT = 6;
inline constexpr SmallInt DMPAPER_EXECUTIVE = 7;
inline constexpr SmallInt DMPAPER_A3 = 8;
inline constexpr SmallInt DMPAPER_A4 = 9;
inline constexpr SmallInt DMPAPER_A4SMALL = 10;
inline constexpr SmallInt DMPAPER_A5 = 11;
inline constexpr SmallInt DMPAPER_B4 = 12;
inline constexpr SmallInt DMPAPER_B5 = 13;
inline constexpr SmallInt DMPAPER_FOLIO = 14;
inline constexpr SmallInt DMPAPER_QUARTO = 15;
inline constexpr SmallInt DMPAPER_10X14 = 16;
inline constexpr SmallInt DMPAPER_11X17 = 17;
inline constexpr SmallInt DMPAPER_NOTE = 18;
inline constexpr SmallInt DMPAPER_ENV_9 = 19;
inline constexpr SmallInt DMPAPER_ENV_10 = 20;
inline constexpr SmallInt DMPAPER_ENV_11 = 21;
inline constexpr SmallInt DMPAPER_ENV_12 = 22;
inline constexpr SmallInt DMPAPER_ENV_14 = 23;
inline constexpr SmallInt DMPAPER_CSHEET = 24;
inline constexpr SmallInt DMPAPER_DSHEET = 25;
inline constexpr SmallInt DMPAPER_ESHEET = 26;
inline constexpr SmallInt DMPAPER_ENV_DL = 27;
inline constexpr SmallInt DMPAPER_ENV_C5 = 28;
inline constexpr SmallInt DMPAPER_ENV_C3 = 29;
inline constexpr SmallInt DMPAPER_ENV_C4 = 30;
inline constexpr SmallInt DMPAPER_ENV_C6 = 31;
inline constexpr SmallInt DMPAPER_ENV_C65 = 32;
inline constexpr SmallInt DMPAPER_ENV_B4 = 33;
inline constexpr SmallInt DMPAPER_ENV_B5 = 34;
inline constexpr SmallInt DMPAPER_ENV_B6 = 35;
inline constexpr SmallInt DMPAPER_ENV_ITALY = 36;
inline constexpr SmallInt DMPAPER_ENV_MONARCH = 37;
inline constexpr SmallInt DMPAPER_ENV_PERSONAL = 38;
inline constexpr SmallInt DMPAPER_FANFOLD_US = 39;
inline constexpr SmallInt DMPAPER_FANFOLD_STD_GERMAN = 40;
inline constexpr SmallInt DMPAPER_FANFOLD_LGL_GERMAN = 41;
inline constexpr SmallInt DMPAPER_ISO_B4 = 42;
inline constexpr SmallInt DMPAPER_JAPANESE_POSTCARD = 43;
inline constexpr SmallInt DMPAPER_9X11 = 44;
inline constexpr SmallInt DMPAPER_10X11 = 45;
inline constexpr SmallInt DMPAPER_15X11 = 46;
inline constexpr SmallInt DMPAPER_ENV_INVITE = 47;
inline constexpr SmallInt DMPAPER_RESERVED_48 = 48;
inline constexpr SmallInt DMPAPER_RESERVED_49 = 49;
inline constexpr SmallInt DMPAPER_LETTER_EXTRA = 50;
inline constexpr SmallInt DMPAPER_LEGAL_EXTRA = 51;
inline constexpr SmallInt DMPAPER_TABLOID_EXTRA = 52;
inline constexpr SmallInt DMPAPER_A4_EXTRA = 53;
inline constexpr SmallInt DMPAPER_LETTER_TRANSVERSE = 54;
inline constexpr SmallInt DMPAPER_A4_TRANSVERSE = 55;
inline constexpr SmallInt DMPAPER_LETTER_EXTRA_TRANSVERSE = 56;
inline constexpr SmallInt DMPAPER_A_PLUS = 57;
inline constexpr SmallInt DMPAPER_B_PLUS = 58;
inline constexpr SmallInt DMPAPER_LETTER_PLUS = 59;
inline constexpr SmallInt DMPAPER_A4_PLUS = 60;
inline constexpr SmallInt DMPAPER_A5_TRANSVERSE = 61;
inline constexpr SmallInt DMPAPER_B5_TRANSVERSE = 62;
inline constexpr SmallInt DMPAPER_A3_EXTRA = 63;
inline constexpr SmallInt DMPAPER_A5_EXTRA = 64;
inline constexpr SmallInt DMPAPER_B5_EXTRA = 65;
inline constexpr SmallInt DMPAPER_A2 = 66;
inline constexpr SmallInt DMPAPER_A3_TRANSVERSE = 67;
inline constexpr SmallInt DMPAPER_A3_EXTRA_TRANSVERSE = 68;
inline constexpr SmallInt DMPAPER_DBL_JAPANESE_POSTCARD = 69;
inline constexpr SmallInt DMPAPER_A6 = 70;
inline constexpr SmallInt DMPAPER_JENV_KAKU2 = 71;
inline constexpr SmallInt DMPAPER_JENV_KAKU3 = 72;
inline constexpr SmallInt DMPAPER_JENV_CHOU3 = 73;
inline constexpr SmallInt DMPAPER_JENV_CHOU4 = 74;
inline constexpr SmallInt DMPAPER_LETTER_ROTATED = 75;
inline constexpr SmallInt DMPAPER_A3_ROTATED = 76;
inline constexpr SmallInt DMPAPER_A4_ROTATED = 77;
inline constexpr SmallInt DMPAPER_A5_ROTATED = 78;
inline constexpr SmallInt DMPAPER_B4_JIS_ROTATED = 79;
inline constexpr SmallInt DMPAPER_B5_JIS_ROTATED = 80;
inline constexpr SmallInt DMPAPER_JAPANESE_POSTCARD_ROTATED = 81;
inline constexpr SmallInt DMPAPER_DBL_JAPANESE_POSTCARD_ROTATED = 82;
inline constexpr SmallInt DMPAPER_A6_ROTATED = 83;
inline constexpr SmallInt DMPAPER_JENV_KAKU2_ROTATED = 84;
inline constexpr SmallInt DMPAPER_JENV_KAKU3_ROTATED = 85;
inline constexpr SmallInt DMPAPER_JENV_CHOU3_ROTATED = 86;
inline constexpr SmallInt DMPAPER_JENV_CHOU4_ROTATED = 87;
inline constexpr SmallInt DMPAPER_B6_JIS = 88;
inline constexpr SmallInt DMPAPER_B6_JIS_ROTATED = 89;
inline constexpr SmallInt DMPAPER_12X11 = 90;
inline constexpr SmallInt DMPAPER_JENV_YOU4 = 91;
inline constexpr SmallInt DMPAPER_JENV_YOU4_ROTATED = 92;
inline constexpr SmallInt DMPAPER_P16K = 93;
inline constexpr SmallInt DMPAPER_P32K = 94;
inline constexpr SmallInt DMPAPER_P32KBIG = 95;
inline constexpr SmallInt DMPAPER_PENV_1 = 96;
inline constexpr SmallInt DMPAPER_PENV_2 = 97;
inline constexpr SmallInt DMPAPER_PENV_3 = 98;
inline constexpr SmallInt DMPAPER_PENV_4 = 99;
inline constexpr SmallInt DMPAPER_PENV_5 = 100;
inline constexpr SmallInt DMPAPER_PENV_6 = 101;
inline constexpr SmallInt DMPAPER_PENV_7 = 102;
inline constexpr SmallInt DMPAPER_PENV_8 = 103;
inline constexpr SmallInt DMPAPER_PENV_9 = 104;
inline constexpr SmallInt DMPAPER_PENV_10 = 105;
inline constexpr SmallInt DMPAPER_P16K_ROTATED = 106;
inline constexpr SmallInt DMPAPER_P32K_ROTATED = 107;
inline constexpr SmallInt DMPAPER_P32KBIG_ROTATED = 108;
inline constexpr SmallInt DMPAPER_PENV_1_ROTATED = 109;
inline constexpr SmallInt DMPAPER_PENV_2_ROTATED = 110;
inline constexpr SmallInt DMPAPER_PENV_3_ROTATED = 111;
inline constexpr SmallInt DMPAPER_PENV_4_ROTATED = 112;
inline constexpr SmallInt DMPAPER_PENV_5_ROTATED = 113;
inline constexpr SmallInt DMPAPER_PENV_6_ROTATED = 114;
inline constexpr SmallInt DMPAPER_PENV_7_ROTATED = 115;
inline constexpr SmallInt DMPAPER_PENV_8_ROTATED = 116;
inline constexpr SmallInt DMPAPER_PENV_9_ROTATED = 117;
inline constexpr SmallInt DMPAPER_PENV_10_ROTATED = 118;
inline constexpr SmallInt DMPAPER_LAST = 118;
inline constexpr SmallInt DMPAPER_USER = 256;

// dmDefaultSource
inline constexpr SmallInt DMBIN_FIRST = 1;
inline constexpr SmallInt DMBIN_UPPER = 1;
inline constexpr SmallInt DMBIN_ONLYONE = 1;
inline constexpr SmallInt DMBIN_LOWER = 2;
inline constexpr SmallInt DMBIN_MIDDLE = 3;
inline constexpr SmallInt DMBIN_MANUAL = 4;
inline constexpr SmallInt DMBIN_ENVELOPE = 5;
inline constexpr SmallInt DMBIN_ENVMANUAL = 6;
inline constexpr SmallInt DMBIN_AUTO = 7;
inline constexpr SmallInt DMBIN_TRACTOR = 8;
inline constexpr SmallInt DMBIN_SMALLFMT = 9;
inline constexpr SmallInt DMBIN_LARGEFMT = 10;
inline constexpr SmallInt DMBIN_LARGECAPACITY = 11;
inline constexpr SmallInt DMBIN_CASSETTE = 14;
inline constexpr SmallInt DMBIN_FORMSOURCE = 15;
inline constexpr SmallInt DMBIN_LAST = 15;
inline constexpr SmallInt DMBIN_USER = 256;

// dmPrintQuality (negative: a named quality; positive: dots per inch)
inline constexpr SmallInt DMRES_DRAFT = -1;
inline constexpr SmallInt DMRES_LOW = -2;
inline constexpr SmallInt DMRES_MEDIUM = -3;
inline constexpr SmallInt DMRES_HIGH = -4;

// dmColor
inline constexpr SmallInt DMCOLOR_MONOCHROME = 1;
inline constexpr SmallInt DMCOLOR_COLOR = 2;

// dmDuplex
inline constexpr SmallInt DMDUP_SIMPLEX = 1;
inline constexpr SmallInt DMDUP_VERTICAL = 2;   // long edge
inline constexpr SmallInt DMDUP_HORIZONTAL = 3; // short edge

// dmTTOption
inline constexpr SmallInt DMTT_BITMAP = 1;
inline constexpr SmallInt DMTT_DOWNLOAD = 2;
inline constexpr SmallInt DMTT_SUBDEV = 3;
inline constexpr SmallInt DMTT_DOWNLOAD_OUTLINE = 4;

// dmCollate
inline constexpr SmallInt DMCOLLATE_FALSE = 0;
inline constexpr SmallInt DMCOLLATE_TRUE = 1;

inline constexpr int CCHDEVICENAME = 32;
inline constexpr int CCHFORMNAME = 32;
inline constexpr Word DM_SPECVERSION = 0x0401;

// The printer settings record. Names are fixed-size UTF-16 buffers; a name that fills its
// buffer has no terminating NUL.
struct TDeviceMode {
    WideChar dmDeviceName[CCHDEVICENAME] = {};
    Word dmSpecVersion = DM_SPECVERSION;
    Word dmDriverVersion = 0;
    Word dmSize = 0;
    Word dmDriverExtra = 0;
    Cardinal dmFields = 0;
    SmallInt dmOrientation = 0;
    SmallInt dmPaperSize = 0;
    SmallInt dmPaperLength = 0; // tenths of a millimetre
    SmallInt dmPaperWidth = 0;  // tenths of a millimetre
    SmallInt dmScale = 0;       // percent
    SmallInt dmCopies = 0;
    SmallInt dmDefaultSource = 0;
    SmallInt dmPrintQuality = 0;
    SmallInt dmColor = 0;
    SmallInt dmDuplex = 0;
    SmallInt dmYResolution = 0;
    SmallInt dmTTOption = 0;
    SmallInt dmCollate = 0;
    WideChar dmFormName[CCHFORMNAME] = {};
    Word dmLogPixels = 0;
    Cardinal dmBitsPerPel = 0;
    Cardinal dmPelsWidth = 0;
    Cardinal dmPelsHeight = 0;
    Cardinal dmDisplayFlags = 0;
    Cardinal dmDisplayFrequency = 0;
    Cardinal dmICMMethod = 0;
    Cardinal dmICMIntent = 0;
    Cardinal dmMediaType = 0;
    Cardinal dmDitherType = 0;

    TDeviceMode();
    bool operator==(const TDeviceMode&) const = default;
};
using PDeviceMode = TDeviceMode*;

// The device name and form name as UTF-8, up to the first NUL (or the whole buffer).
String DevModeDeviceName(const TDeviceMode& DevMode);
String DevModeFormName(const TDeviceMode& DevMode);
// Stores a name, cut to 31 UTF-16 units (never splitting a surrogate pair) and NUL-terminated.
void SetDevModeDeviceName(TDeviceMode& DevMode, const String& Name);
void SetDevModeFormName(TDeviceMode& DevMode, const String& Name);

// A handle to a heap-held record. Copies of a handle refer to the same record, which lives
// as long as any handle to it. A default-constructed handle is "no handle" (0).
class HDEVMODE {
public:
    HDEVMODE() = default;
    HDEVMODE(std::nullptr_t) {}
    static HDEVMODE Create(const TDeviceMode& Initial);

    explicit operator bool() const { return FBlock != nullptr; }
    bool operator==(const HDEVMODE& Other) const { return FBlock == Other.FBlock; }
    bool operator==(std::nullptr_t) const { return FBlock == nullptr; }

    struct Block {
        TDeviceMode DevMode;
        int LockCount = 0;
    };
    Block* block() const { return FBlock.get(); }

private:
    std::shared_ptr<Block> FBlock;
};

// Locks the handle's record for editing in place; nullptr for no handle.
PDeviceMode GlobalLock(const HDEVMODE& Handle);
// Releases one lock; false when the record was not locked (or no handle).
bool GlobalUnlock(const HDEVMODE& Handle);
// Drops this reference to the record (the record goes when no handle refers to it).
void GlobalFree(HDEVMODE& Handle);

// ---- standard papers and bins ----

struct TPaperSizeTenthsMM {
    Integer Width = 0;  // across the portrait sheet, tenths of a millimetre
    Integer Length = 0; // down the portrait sheet
};

// True for the codes with a standard sheet (1 to 118 without the reserved ones, and 256).
bool IsStandardPaperCode(Integer Code);
// The portrait sheet of a standard code in tenths of a millimetre (0 x 0 for 256);
// std::nullopt for a code with no standard sheet.
std::optional<TPaperSizeTenthsMM> StandardPaperSize(Integer Code);
// A readable name of a standard paper ("A4", "Letter", "Envelope #10"); empty when unknown.
String StandardPaperDisplayName(Integer Code);
// The standard paper whose sheet is within Tolerance tenths of a millimetre of the given one
// in either orientation; 0 when none.
Integer FindStandardPaper(Integer Width, Integer Length, Integer Tolerance = 5);
// A readable name of a standard bin ("Upper", "Manual", ...); empty when unknown.
String StandardBinDisplayName(Integer Code);

// The sheet of the record in tenths of a millimetre as it lies on the page (landscape swaps),
// from the paper size or, for a custom paper or when DM_PAPERLENGTH/DM_PAPERWIDTH are set,
// from dmPaperLength/dmPaperWidth. Falls back to Fallback when neither gives a size.
TPaperSizeTenthsMM DevModeSheet(const TDeviceMode& DevMode, TPaperSizeTenthsMM Fallback);

} // namespace qor
