// Paper sizes and form names, and the small services: chunked list, string helpers, temporary
// files, the abort question, the version.

#include "platform/printing/DevMode.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/DialogService.h"
#include "platform/ui/Messages.h"
#include "runtime/output/QorPSet.h"
#include "runtime/output/QorUtil.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <filesystem>

using namespace qor;

namespace {

// ---- paper sizes ---------------------------------------------------------------------------------

struct TSheet {
    Integer Code;
    Double X, Y; // portrait, in the unit given
    Word Units;
};

TEST(PaperSizes, SheetsInTheirOwnAndTheOtherUnit)
{
    const Double In = 25.4;
    const TSheet Rows[] = {
        {1, 8.5, 11, 0},           {1, 215.9, 279.4, 1},      {9, 210 / In, 297 / In, 0}, {9, 210, 297, 1},
        {4, 17, 11, 0},            {5, 8.5, 14, 0},           {7, 7.25, 10.5, 0},         {8, 297, 420, 1},
        {20, 4.125, 9.5, 0},       {27, 110, 220, 1},         {37, 3.875, 7.5, 0},        {39, 14.875, 11, 0},
        {47, 220, 220, 1},         {52, 11.69, 18, 0},        {53, 9.27, 12.69, 0},       {66, 420, 594, 1},
        {70, 105, 148, 1},         {75, 11, 8.5, 0},          {90, 12, 11, 0},            {93, 146, 215, 1},
        {105, 324, 458, 1},        {109, 165, 102, 1},        {118, 458, 324, 1},         {256, 0, 0, 0},
        {256, 0, 0, 1},
    };
    for (const TSheet& R : Rows) {
        Double X = -1, Y = -1;
        QorPaperSizeUnit(1, R.Code, X, Y, R.Units);
        EXPECT_DOUBLE_EQ(X, R.X) << "code " << R.Code << " units " << R.Units;
        EXPECT_DOUBLE_EQ(Y, R.Y) << "code " << R.Code << " units " << R.Units;
        QorPaperSizeUnit(2, R.Code, X, Y, R.Units);
        EXPECT_DOUBLE_EQ(X, R.Y) << "landscape code " << R.Code;
        EXPECT_DOUBLE_EQ(Y, R.X) << "landscape code " << R.Code;
    }
}

TEST(PaperSizes, InchAndMillimetreShortcutsAndExactInchValues)
{
    Double X, Y;
    QorPaperSizeInch(1, 1, X, Y);
    EXPECT_EQ(X, 8.5);
    EXPECT_EQ(Y, 11.0);
    QorPaperSizeInch(2, 1, X, Y);
    EXPECT_EQ(X, 11.0);
    EXPECT_EQ(Y, 8.5);
    QorPaperSizeMM(1, 1, X, Y);
    EXPECT_DOUBLE_EQ(X, 215.9);
    EXPECT_DOUBLE_EQ(Y, 279.4);
    QorPaperSizeInch(0, 9, X, Y); // any orientation but 2 is portrait
    EXPECT_EQ(X, 210 / 25.4);
    EXPECT_EQ(Y, 297 / 25.4);
    EXPECT_EQ(QorInchToMM(1), 25.4);
    EXPECT_EQ(QorMMtoInch(25.4), 1.0);
}

// Every standard code agrees with the platform's own table of sheets (tenths of a millimetre),
// and the codes without a sheet are the same in both.
TEST(PaperSizes, EveryCodeAgreesWithThePrintingLayer)
{
    for (Integer Code = 0; Code <= 300; ++Code) {
        Double X = -1, Y = -1;
        QorPaperSizeMM(1, Code, X, Y);
        const auto Std = StandardPaperSize(Code);
        if (!Std || Code == DMPAPER_USER) {
            EXPECT_EQ(X, 0.0) << "code " << Code;
            EXPECT_EQ(Y, 0.0) << "code " << Code;
            continue;
        }
        EXPECT_NEAR(X * 10, Std->Width, 6) << "code " << Code;
        EXPECT_NEAR(Y * 10, Std->Length, 6) << "code " << Code;
    }
}

TEST(PaperSizes, FormNamesAreTheOldestPaperCodesLessOne)
{
    const char* Names[] = {"LETTER", "LETTERSMALL", "TABLOID", "LEDGER", "LEGAL", "STATEMENT", "EXECUTIVE",
                           "A3", "A4", "A4SMALL", "A5", "B4", "B5", "FOLIO", "QUARTO", "10X14", "11X17", "NOTE",
                           "ENV_9", "ENV_10", "ENV_11", "ENV_12", "ENV_14", "CSHEET", "DSHEET", "ESHEET"};
    for (Integer I = 0; I < 26; ++I)
        EXPECT_EQ(QorGetForm(Names[I]), I) << Names[I];
    EXPECT_EQ(QorGetForm("A4") + 1, DMPAPER_A4);
    EXPECT_EQ(QorGetForm("ESHEET") + 1, DMPAPER_ESHEET);
    const std::pair<const char*, Integer> Others[] = {
        {"a4", 8}, {"env_10", 19}, {"10x14", 15}, {"A4 ", -1}, {" A4", -1}, {"LETTER SMALL", -1},
        {"", -1},  {"A6", -1},     {"Legal", 4},  {"ENV 10", -1},
    };
    for (const auto& [Name, Index] : Others)
        EXPECT_EQ(QorGetForm(Name), Index) << '"' << Name << '"';
}

// ---- chunked list --------------------------------------------------------------------------------

TEST(QorList, GrowsInChunksOfAThousand)
{
    TQorList L;
    std::vector<int> Items(2500);
    for (int I = 0; I < 1000; ++I)
        EXPECT_EQ(L.Add(&Items[size_t(I)]), I);
    EXPECT_EQ(L.Add(&Items[1000]), 1000);
    EXPECT_EQ(L.Items(1000), &Items[1000]);
    EXPECT_EQ(L.Items(999), &Items[999]);
    for (int I = 1001; I < 2500; ++I)
        L.Add(&Items[size_t(I)]);
    EXPECT_EQ(L.Count(), 2500);
    EXPECT_EQ(L.Items(2499), &Items[2499]);
    EXPECT_EQ(L.Items(0), &Items[0]);
    EXPECT_THROW(L.Items(2500), EListError);
    EXPECT_THROW(L.Items(-1), EListError);
    L.Clear();
    EXPECT_EQ(L.Count(), 0);
    EXPECT_EQ(L.Add(&Items[7]), 0);
    EXPECT_EQ(L.Items(0), &Items[7]);
}

// ---- string helpers ------------------------------------------------------------------------------

TEST(StringHelpers, RightTrimAndEmptyCountOnlyBlanks)
{
    const String Long = String(290, 'x') + String(10, ' ');
    EXPECT_EQ(QorRightTrim(Long), String(290, 'x'));
    EXPECT_EQ(QorRightTrim("   "), "");
    EXPECT_EQ(QorRightTrim(""), "");
    EXPECT_EQ(QorRightTrim("  a b\t"), "  a b\t");
    EXPECT_EQ(QorRightTrim("a b  "), "a b");
    EXPECT_TRUE(QorEmpty(""));
    EXPECT_TRUE(QorEmpty("   "));
    EXPECT_FALSE(QorEmpty("\t"));
    EXPECT_FALSE(QorEmpty("  x "));
}

TEST(StringHelpers, IntToStrAndByteComparison)
{
    EXPECT_EQ(QorIntToStr(-45), "-45");
    EXPECT_EQ(QorIntToStr(0), "0");
    EXPECT_EQ(QorIntToStr(7), "7");
    EXPECT_EQ(QorIntToStr(INT_MAX), "2147483647");
    EXPECT_EQ(QorIntToStr(INT_MIN), "-2147483648");
    const char A[] = "abcdef", B[] = "abcxef";
    EXPECT_TRUE(QorIsPCharEqual(A, B, 3));
    EXPECT_FALSE(QorIsPCharEqual(A, B, 4));
    EXPECT_TRUE(QorIsPCharEqual(A, B, 0));
    EXPECT_TRUE(QorIsPCharEqual(nullptr, nullptr, -1));
    String S = "text";
    char* P = QorStrToPChar(S);
    EXPECT_STREQ(P, "text");
    P[0] = 'n';
    EXPECT_EQ(S, "next");
}

TEST(SmallServices, TempFilesAreNewEmptyAndDistinct)
{
    const String A = QorGetTempFile("Qor");
    const String B = QorGetTempFile("Qor");
    EXPECT_NE(A, B);
    for (const String& F : {A, B}) {
        EXPECT_TRUE(FileExists(F));
        EXPECT_EQ(std::filesystem::file_size(F), 0u);
        EXPECT_EQ(std::filesystem::path(F).filename().string().rfind("Qor", 0), 0u);
        EXPECT_EQ(F.rfind(GetTempDir(), 0), 0u);
        DeleteFile(F);
    }
}

TEST(SmallServices, VersionIsMajorDotMinor)
{
    const String V = QorVersion();
    ASSERT_EQ(std::count(V.begin(), V.end(), '.'), 1) << V;
    EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(V.front())));
    EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(V.back())));
}

TEST(SmallServices, AbortQuestionOffersDiscardRetainAndContinue)
{
    DialogService().Reset();
    for (Integer Answer : {IDYES, IDNO, IDCANCEL}) {
        DialogService().Expect(TDialogKind::dkMessageBox, Answer);
        EXPECT_EQ(QorAskAbort(), Answer);
    }
    const TDialogRecord& R = DialogService().History().back();
    EXPECT_EQ(R.Caption, "Abort Report?");
    EXPECT_EQ(R.Text, "Yes      - Discard Report\rNo       - Retain partial report\r"
                      "Cancel - Continue generating report");
    EXPECT_EQ(R.Buttons & 0xF, MB_YESNOCANCEL);
    DialogService().Reset();
}

TEST(SmallServices, AncestorComponentsAreRecognised)
{
    EXPECT_FALSE(QorIsAncestor(nullptr));
    TComponent C(nullptr);
    EXPECT_FALSE(QorIsAncestor(&C));
    C.SetAncestor(true);
    EXPECT_TRUE(QorIsAncestor(&C));
}

// ---- standard names --------------------------------------------------------------------------------

TEST(StandardNames, PaperCodesWithAndWithoutAName)
{
    const std::pair<Integer, const char*> Named[] = {
        {1, "Letter"},       {2, "LETTER SMALL"}, {5, "Legal"},        {7, "Executive"},
        {9, "A4"},           {16, "10 14"},       {20, "ENV 10"},      {27, "ENV_DL"},
        {47, "ENV_INVITE"},  {50, "LETTER_EXTRA"}, {70, "A6"},         {75, "LETTER_ROTATED"},
        {83, "A6_ROTATED"},  {88, "B6_JIS"},      {90, "12X11"},       {93, "P16K"},
        {105, "PENV_10"},    {109, "PENV_1_ROTATED"}, {118, "PENV_10_ROTATED"}, {256, "Custom"},
    };
    for (const auto& [Code, Name] : Named)
        EXPECT_EQ(TQorPrinterInfo::GetPaperName(Code), Name) << Code;
    Integer WithName = 0;
    for (Integer Code = -5; Code < 400; ++Code) {
        const bool Unnamed = Code < 1 || Code == 48 || Code == 49 || (Code >= 71 && Code <= 74) ||
                             (Code >= 84 && Code <= 87) || Code == 91 || Code == 92 ||
                             (Code >= 106 && Code <= 108) || (Code > 118 && Code != 256);
        if (Unnamed)
            EXPECT_EQ(TQorPrinterInfo::GetPaperName(Code), "Letter") << Code;
        else
            ++WithName;
    }
    EXPECT_EQ(WithName, 104);
}

TEST(StandardNames, BinCodes)
{
    const std::pair<Integer, const char*> Named[] = {
        {1, "Upper"},  {2, "Lower"},   {3, "Middle"},          {4, "Manual"},          {5, "Envelope"},
        {6, "Envelope Manual"}, {7, "Auto"}, {8, "Tractor"},  {9, "Small Format"},    {10, "Large Format"},
        {11, "Large Capacity"}, {14, "Cassette"}, {15, "Form Source"}, {12, "Override Bin #12"},
        {13, "Override Bin #13"}, {0, "Override Bin #0"}, {256, "Override Bin #256"}, {-3, "Override Bin #-3"},
    };
    for (const auto& [Code, Name] : Named)
        EXPECT_EQ(TQorPrinterInfo::GetBinName(Code), Name) << Code;
}

TEST(StandardNames, CompareStringsLooksForEveryWord)
{
    EXPECT_TRUE(TQorPrinterInfo::CompareStrings("ENV 10", "Envelope #10"));
    EXPECT_TRUE(TQorPrinterInfo::CompareStrings("A4", "a4 (210 x 297 mm)"));
    EXPECT_TRUE(TQorPrinterInfo::CompareStrings("Letter", "US LETTER"));
    EXPECT_FALSE(TQorPrinterInfo::CompareStrings("ENV 11", "Envelope #10"));
    EXPECT_FALSE(TQorPrinterInfo::CompareStrings("", "anything"));
    EXPECT_FALSE(TQorPrinterInfo::CompareStrings("A4  SMALL", "A4 SMALL"));
    EXPECT_FALSE(TQorPrinterInfo::CompareStrings("A4 ", "A4 SMALL"));
    EXPECT_FALSE(TQorPrinterInfo::CompareStrings(" A4", "A4 SMALL"));
    EXPECT_TRUE(TQorPrinterInfo::CompareStrings("Upper", "Upper Tray"));
    EXPECT_TRUE(TQorPrinterInfo::CompareStrings("Override Bin #260", "Override Bin #2600"));
}

} // namespace
