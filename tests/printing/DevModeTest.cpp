#include "platform/printing/DevMode.h"

#include <gtest/gtest.h>

namespace qor {
namespace {

TEST(DevModeNames, LongNamesAreCutToThirtyOneUnitsAndTerminated)
{
    TDeviceMode D;
    const String Long(40, 'x');
    SetDevModeDeviceName(D, Long);
    EXPECT_EQ(DevModeDeviceName(D), String(31, 'x'));
    EXPECT_EQ(D.dmDeviceName[31], 0);

    SetDevModeFormName(D, "A4");
    EXPECT_EQ(DevModeFormName(D), "A4");
    EXPECT_EQ(D.dmFormName[2], 0);
    EXPECT_EQ(D.dmFormName[31], 0);
}

TEST(DevModeNames, CutNeverSplitsASurrogatePair)
{
    TDeviceMode D;
    // 30 ASCII units, then U+1F600 (two UTF-16 units): the pair would straddle unit 31.
    SetDevModeFormName(D, String(30, 'a') + "\xF0\x9F\x98\x80");
    EXPECT_EQ(DevModeFormName(D), String(30, 'a'));
    SetDevModeFormName(D, String(29, 'a') + "\xF0\x9F\x98\x80");
    EXPECT_EQ(DevModeFormName(D), String(29, 'a') + "\xF0\x9F\x98\x80");
}

TEST(DevModeNames, AFullBufferWithoutNulIsReadWhole)
{
    TDeviceMode D;
    for (auto& C : D.dmDeviceName)
        C = u'z';
    EXPECT_EQ(DevModeDeviceName(D), String(32, 'z'));
    EXPECT_EQ(DevModeFormName(D), ""); // the next field is not read into
}

TEST(DevModeHandle, CopiesShareOneRecordEditedInPlace)
{
    TDeviceMode Initial;
    Initial.dmCopies = 1;
    HDEVMODE A = HDEVMODE::Create(Initial);
    HDEVMODE B = A;
    PDeviceMode P = GlobalLock(A);
    ASSERT_NE(P, nullptr);
    P->dmCopies = 5;
    P->dmFields |= DM_COPIES;
    EXPECT_TRUE(GlobalUnlock(A));
    EXPECT_FALSE(GlobalUnlock(A)); // not locked any more

    PDeviceMode Q = GlobalLock(B);
    EXPECT_EQ(Q, P);
    EXPECT_EQ(Q->dmCopies, 5);
    GlobalUnlock(B);

    GlobalFree(A);
    EXPECT_FALSE(A);
    EXPECT_EQ(GlobalLock(B)->dmCopies, 5); // still alive through B
    GlobalUnlock(B);
}

TEST(DevModeHandle, NoHandleLocksToNothing)
{
    HDEVMODE None;
    EXPECT_EQ(None, nullptr);
    EXPECT_EQ(GlobalLock(None), nullptr);
    EXPECT_FALSE(GlobalUnlock(None));
}

TEST(StandardPapers, SheetsInTenthsOfAMillimetre)
{
    EXPECT_EQ(StandardPaperSize(DMPAPER_A4)->Width, 2100);
    EXPECT_EQ(StandardPaperSize(DMPAPER_A4)->Length, 2970);
    EXPECT_EQ(StandardPaperSize(DMPAPER_LETTER)->Width, 2159);
    EXPECT_EQ(StandardPaperSize(DMPAPER_LETTER)->Length, 2794);
    EXPECT_EQ(StandardPaperSize(DMPAPER_LEDGER)->Width, 4318); // wider than long already
    EXPECT_EQ(StandardPaperSize(DMPAPER_ENV_10)->Width, 1048);
    EXPECT_EQ(StandardPaperSize(DMPAPER_ENV_10)->Length, 2413);
    EXPECT_EQ(StandardPaperSize(DMPAPER_A4_ROTATED)->Width, 2970);
    EXPECT_EQ(StandardPaperSize(DMPAPER_USER)->Width, 0);
}

TEST(StandardPapers, CodesWithoutASheet)
{
    for (Integer Code : {0, 48, 49, 71, 74, 84, 87, 91, 92, 106, 108, 119, 255, 257, -1}) {
        EXPECT_FALSE(IsStandardPaperCode(Code)) << Code;
        EXPECT_FALSE(StandardPaperSize(Code).has_value()) << Code;
        EXPECT_EQ(StandardPaperDisplayName(Code), "") << Code;
    }
    int Count = 0;
    for (Integer Code = 0; Code <= 300; ++Code)
        Count += IsStandardPaperCode(Code) ? 1 : 0;
    EXPECT_EQ(Count, 104); // 1 to 118 less the reserved 14, and 256
}

TEST(StandardPapers, FindBySheetPrefersTheUprightPaper)
{
    EXPECT_EQ(FindStandardPaper(2100, 2970), DMPAPER_A4);
    EXPECT_EQ(FindStandardPaper(2101, 2968), DMPAPER_A4);
    EXPECT_EQ(FindStandardPaper(2159, 2794), DMPAPER_LETTER);
    EXPECT_EQ(FindStandardPaper(1000, 1000), 0);
}

TEST(DevModeSheetTest, LandscapeAndExplicitSizes)
{
    TDeviceMode D;
    D.dmFields = DM_PAPERSIZE | DM_ORIENTATION;
    D.dmPaperSize = DMPAPER_A5;
    D.dmOrientation = DMORIENT_LANDSCAPE;
    auto S = DevModeSheet(D, {1, 1});
    EXPECT_EQ(S.Width, 2100);
    EXPECT_EQ(S.Length, 1480);

    D.dmPaperSize = DMPAPER_USER;
    D.dmOrientation = DMORIENT_PORTRAIT;
    D.dmFields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
    D.dmPaperWidth = 2159;
    D.dmPaperLength = 2794;
    S = DevModeSheet(D, {1, 1});
    EXPECT_EQ(S.Width, 2159);
    EXPECT_EQ(S.Length, 2794);

    TDeviceMode Empty;
    S = DevModeSheet(Empty, {123, 456});
    EXPECT_EQ(S.Width, 123);
    EXPECT_EQ(S.Length, 456);
}

TEST(DevModeConstants, ConventionalValuesStoredInFiles)
{
    EXPECT_EQ(DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_SCALE, 0x1Fu);
    EXPECT_EQ(DM_COPIES | DM_DEFAULTSOURCE | DM_PRINTQUALITY | DM_COLOR, 0xF00u);
    EXPECT_EQ(DM_DUPLEX | DM_YRESOLUTION | DM_TTOPTION | DM_COLLATE, 0xF000u);
    EXPECT_EQ(DM_FORMNAME, 0x10000u);
    EXPECT_EQ(DMPAPER_PENV_10_ROTATED, 118);
    EXPECT_EQ(DMBIN_CASSETTE, 14);
    EXPECT_EQ(DMRES_HIGH, -4);
    EXPECT_EQ(DMDUP_HORIZONTAL, 3);
}

} // namespace
} // namespace qor
