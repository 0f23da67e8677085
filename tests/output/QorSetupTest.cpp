// The printer setup: values and flags, record 101 byte for byte (and what it does with damaged
// records), the legacy 37-byte record, and the transfer to and from a described printer.

#include "output/OutputTestSupport.h"
#include "platform/graphics/Gdi.h"
#include "platform/rtl/Streams.h"
#include "runtime/output/QorFile.h"
#include "runtime/output/QorSetup.h"
#include "runtime/output/QorStr.h"
#include "runtime/output/QorTypes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace qor;

namespace {

using Bytes = std::vector<Byte>;

Bytes Record(const TQorPrinterSetup& S)
{
    TBytesStream Out;
    S.WriteToStream(Out);
    return Out.Bytes();
}

// Reads a record (code included) into S; answers the result and leaves the stream for checks.
bool ReadRecord(TQorPrinterSetup& S, TStream& In)
{
    EXPECT_EQ(In.ReadWord(), QorPrinterSetupRecord);
    return S.ReadFromStream(In);
}

Bytes Le16(Integer V) { return {Byte(V & 0xFF), Byte((V >> 8) & 0xFF)}; }
Bytes Le32(Integer V) { return {Byte(V & 0xFF), Byte((V >> 8) & 0xFF), Byte((V >> 16) & 0xFF), Byte((V >> 24) & 0xFF)}; }
Bytes Cat(std::initializer_list<Bytes> Parts)
{
    Bytes B;
    for (const Bytes& P : Parts)
        B.insert(B.end(), P.begin(), P.end());
    return B;
}
// A record 101 with the given body and declared body length.
Bytes Raw(const Bytes& Body, Integer Length)
{
    return Cat({Le16(101), Le32(Length), Body});
}
Bytes Raw(const Bytes& Body) { return Raw(Body, Integer(Body.size())); }

// A setup whose every value differs from the defaults.
void FillAll(TQorPrinterSetup& S)
{
    S.SetOrientation(2);
    S.SetPaperSize(9);
    S.SetLength(11.5);
    S.SetWidth(8.0);
    S.SetScale(90);
    S.SetCopies(3);
    S.SetSource(257);
    S.SetPrintQuality(-3);
    S.SetColor(1);
    S.SetDuplex(3);
    S.SetYResolution(600);
    S.SetTTOption(3);
    S.SetCollatedCopies(false);
    S.SetFormName("Letter 8.5 x 11 in");
}

// ---- values and flags ------------------------------------------------------------------------------

TEST(PrinterSetup, DefaultsAndSettersThatFlagOnlyChanges)
{
    TQorPrinterSetup S;
    EXPECT_EQ(S.Orientation(), 1);
    EXPECT_EQ(S.PaperSize(), 1);
    EXPECT_EQ(S.Length(), 11.0);
    EXPECT_EQ(S.Width(), 8.5);
    EXPECT_EQ(S.Scale(), 100);
    EXPECT_EQ(S.Copies(), 1);
    EXPECT_EQ(S.Source(), 1);
    EXPECT_EQ(S.PrintQuality(), -4);
    EXPECT_EQ(S.Color(), 2);
    EXPECT_EQ(S.Duplex(), 1);
    EXPECT_EQ(S.YResolution(), 0);
    EXPECT_EQ(S.TTOption(), 2);
    EXPECT_TRUE(S.CollatedCopies());
    EXPECT_EQ(S.FormName(), "");
    for (int I = 0; I < QorPrintSettingsCount; ++I)
        EXPECT_FALSE(S.PrintSet(TQorPrintSettings(I)));
    S.SetCopies(1);
    EXPECT_FALSE(S.PrintSet(qpsCopies));
    S.SetCopies(2);
    EXPECT_TRUE(S.PrintSet(qpsCopies));
    S.SetCopies(1); // back to the default value: still chosen
    EXPECT_TRUE(S.PrintSet(qpsCopies));
    S.SetFormName("a4");
    S.SetFormName("A4"); // case-sensitive
    EXPECT_EQ(S.FormName(), "A4");
    S.ClearSettings();
    EXPECT_FALSE(S.PrintSet(qpsCopies));
    EXPECT_FALSE(S.PrintSet(qpsFormName));
    EXPECT_EQ(S.FormName(), "A4");
}

TEST(PrinterSetup, EqualityAndRunningEquality)
{
    TQorPrinterSetup A, B;
    EXPECT_TRUE(A.IsEqual(B));
    B.SetScale(50);
    B.SetPrintQuality(-1);
    EXPECT_TRUE(A.IsRunningEqual(B));
    EXPECT_FALSE(A.IsEqual(B));
    TQorPrinterSetup C;
    C.SetCollatedCopies(false);
    EXPECT_FALSE(A.IsRunningEqual(C));
    TQorPrinterSetup D;
    D.SetFormName("a");
    TQorPrinterSetup E;
    E.SetFormName("A");
    EXPECT_FALSE(D.IsEqual(E));
    // Flags are not compared.
    TQorPrinterSetup F;
    F.SetCopies(2);
    F.SetCopies(1);
    EXPECT_TRUE(A.IsEqual(F));
    TQorPrinterSetup G;
    G.SetLength(11.0 + 1e-12);
    EXPECT_FALSE(A.IsRunningEqual(G));
}

TEST(PrinterSetup, AssignCopiesValuesFlagsAndSettings)
{
    TQorPrinterSetup A;
    FillAll(A);
    A.PrinterSettings()->SetPSProperty(qpsScale, 77);
    TQorPrinterSetup B;
    B.Assign(A);
    EXPECT_TRUE(B.IsEqual(A));
    for (int I = 0; I < QorPrintSettingsCount; ++I)
        EXPECT_EQ(B.PrintSet(TQorPrintSettings(I)), A.PrintSet(TQorPrintSettings(I)));
    EXPECT_EQ(B.PrinterSettings()->GetPSProperty(qpsScale), 77);
    EXPECT_EQ(Record(B), Record(A));
}

// ---- record 101 ------------------------------------------------------------------------------------

TEST(PrinterSetupRecord, DefaultSetupWritesFourItems)
{
    TQorPrinterSetup S;
    EXPECT_EQ(Record(S), Raw(Cat({Le16(0), Le16(1), Le16(1), Le16(1), Le16(6), Le16(1), Le16(9), Le16(1)})));
    EXPECT_EQ(Record(S).size(), 22u);
    S.SetCopies(1);
    EXPECT_EQ(Record(S).size(), 22u); // unchanged value: no flag, no item
    S.SetCopies(2);
    EXPECT_EQ(Record(S), Raw(Cat({Le16(0), Le16(1), Le16(1), Le16(1), Le16(5), Le16(2), Le16(6), Le16(1), Le16(9),
                                  Le16(1)})));
}

TEST(PrinterSetupRecord, EveryItemInItsPlace)
{
    TQorPrinterSetup S;
    FillAll(S);
    const Bytes Name = {'L', 0, 'e', 0, 't', 0, 't', 0, 'e', 0, 'r', 0, ' ', 0, '8', 0, '.', 0,
                        '5', 0, ' ', 0, 'x', 0, ' ', 0, '1', 0, '1', 0, ' ', 0, 'i', 0, 'n', 0};
    const Bytes Body = Cat({Le16(0), Le16(2), Le16(1), Le16(9), Le16(2), Le32(2921), Le16(3), Le32(2032),
                            Le16(4), Le16(90), Le16(5), Le16(3), Le16(6), Le16(257), Le16(7), Le16(0xFFFD),
                            Le16(8), Le16(1), Le16(9), Le16(3), Le16(10), Le16(600), Le16(11), Le16(3),
                            Le16(12), {0}, Le16(13), Le16(36), Name});
    EXPECT_EQ(Record(S), Raw(Body));
}

TEST(PrinterSetupRecord, RoundTripsByteForByte)
{
    TQorPrinterSetup S;
    FillAll(S);
    const Bytes Written = Record(S);
    TBytesStream In(Written);
    TQorPrinterSetup Back;
    ASSERT_TRUE(ReadRecord(Back, In));
    EXPECT_EQ(In.Position(), Int64(Written.size()));
    EXPECT_TRUE(Back.IsEqual(S));
    EXPECT_EQ(Back.FormName(), "Letter 8.5 x 11 in"); // the whole name
    for (int I = 0; I < QorPrintSettingsCount; ++I)
        EXPECT_TRUE(Back.PrintSet(TQorPrintSettings(I))) << I;
    EXPECT_EQ(Record(Back), Written);
    // Non-ASCII form names keep every UTF-16 unit.
    TQorPrinterSetup U;
    U.SetFormName("Étiquette 😀");
    TBytesStream In2(Record(U));
    TQorPrinterSetup Back2;
    ASSERT_TRUE(ReadRecord(Back2, In2));
    EXPECT_EQ(Back2.FormName(), "Étiquette 😀");
}

TEST(PrinterSetupRecord, FormNameTooLongIsCutBeforeASurrogatePair)
{
    // 32,766 units and a pair: the pair would straddle the longest name the record holds.
    TQorPrinterSetup S;
    S.SetFormName(String(32766, 'a') + "\xF0\x9F\x98\x80");
    TBytesStream In(Record(S));
    TQorPrinterSetup Back;
    ASSERT_TRUE(ReadRecord(Back, In));
    EXPECT_EQ(Back.FormName(), String(32766, 'a'));
}

TEST(PrinterSetupRecord, LengthsInTenthsOfAMillimetreAndSignedWords)
{
    TQorPrinterSetup S;
    S.SetLength(11.5);
    S.SetLength(11.0);
    S.SetWidth(8.0);
    S.SetWidth(8.5);
    S.SetPrintQuality(-3);
    S.SetPrintQuality(-4);
    const Bytes W = Record(S);
    EXPECT_EQ(Bytes(W.begin() + 14, W.begin() + 26), Cat({Le16(2), Le32(2794), Le16(3), Le32(2159)}));
    EXPECT_EQ(Bytes(W.begin() + 30, W.begin() + 34), Cat({Le16(7), Le16(0xFFFC)}));
    TQorPrinterSetup Back;
    Back.SetLength(1);
    Back.SetPrintQuality(-1);
    TBytesStream In(W);
    ASSERT_TRUE(ReadRecord(Back, In));
    EXPECT_EQ(Back.Length(), 11.0); // exactly
    EXPECT_EQ(Back.Width(), 8.5);
    EXPECT_EQ(Back.PrintQuality(), -4);
    // Lengths round halves to even: 0.25 in is 63.5, 0.75 in is 190.5 tenths of a millimetre.
    TQorPrinterSetup H;
    H.SetLength(0.25);
    H.SetWidth(0.75);
    const Bytes HW = Record(H);
    EXPECT_EQ(Bytes(HW.begin() + 14, HW.begin() + 26), Cat({Le16(2), Le32(64), Le16(3), Le32(190)}));
}

TEST(PrinterSetupRecord, ReadingFlagsOnlyValuesThatDiffer)
{
    TQorPrinterSetup S;
    S.SetOrientation(2);
    TBytesStream In(Record(S));
    TQorPrinterSetup Back;
    ASSERT_TRUE(ReadRecord(Back, In));
    EXPECT_EQ(Back.Orientation(), 2);
    EXPECT_TRUE(Back.PrintSet(qpsOrientation));
    EXPECT_FALSE(Back.PrintSet(qpsPaperSize)); // 1 = the default
    EXPECT_FALSE(Back.PrintSet(qpsDuplex));
}

TEST(PrinterSetupRecord, EmptyOrNegativeLengthReadsNothing)
{
    for (Integer L : {0, -5}) {
        TBytesStream In(Cat({Le16(101), Le32(L), Le16(0), Le16(2)}));
        TQorPrinterSetup S;
        EXPECT_FALSE(ReadRecord(S, In));
        EXPECT_EQ(In.Position(), 6);
        EXPECT_EQ(S.Orientation(), 1);
    }
}

TEST(PrinterSetupRecord, FormNamesWrittenTheOldWayStillRead)
{
    // Old files stored the character count and so only the first half of the name's bytes.
    TBytesStream In(Raw(Cat({Le16(0), Le16(1), Le16(13), Le16(2), {'A', 0}, Le16(5), Le16(4)})));
    TQorPrinterSetup S;
    ASSERT_TRUE(ReadRecord(S, In));
    EXPECT_EQ(S.FormName(), "A");
    EXPECT_TRUE(S.PrintSet(qpsFormName));
    EXPECT_EQ(S.Copies(), 4); // the items after it are in step
    TBytesStream Odd(Raw(Cat({Le16(13), Le16(5), {'L', 0, 'e', 0, 't'}, Le16(5), Le16(6)})));
    TQorPrinterSetup T;
    ASSERT_TRUE(ReadRecord(T, Odd));
    EXPECT_EQ(T.FormName(), "Le");
    EXPECT_EQ(T.Copies(), 6);
}

// A damaged record ends where its length says, so the record after it is read in step.
TEST(PrinterSetupRecord, UnknownTagEndsTheRecordAtItsEnd)
{
    const Bytes After = {0xAB, 0xCD};
    for (Integer Tag : {14, -1, 0x7FFF}) {
        TBytesStream In(Cat({Raw(Cat({Le16(0), Le16(2), Le16(Tag), Le16(99), Le16(5), Le16(7)})), After}));
        TQorPrinterSetup S;
        ASSERT_TRUE(ReadRecord(S, In));
        EXPECT_EQ(S.Orientation(), 2);
        EXPECT_EQ(S.Copies(), 1); // after the unknown tag: not read
        EXPECT_EQ(In.ReadByte(), 0xAB) << "tag " << Tag;
    }
}

TEST(PrinterSetupRecord, ItemsCutShortByTheLengthAreNotReadPastIt)
{
    const Bytes Next = Cat({Le16(101), Le32(4), Le16(0), Le16(2)});
    struct TCase {
        Bytes Body;
        const char* What;
    } Cases[] = {
        {Cat({Le16(0), Le16(2), Le16(2), {0xC2, 0x0A}}), "Int32 length cut"},
        {Cat({Le16(0), Le16(2), Le16(5)}), "Word value missing"},
        {Cat({Le16(0), Le16(2), Le16(12)}), "collation byte missing"},
        {Cat({Le16(0), Le16(2), {0x0D}}), "half a tag"},
        {Cat({Le16(0), Le16(2), Le16(13), Le16(200), {'A', 0, 'B', 0}}), "form name longer than the body"},
        {Cat({Le16(0), Le16(2), Le16(13), {7}}), "form name count cut"},
    };
    for (const TCase& C : Cases) {
        TBytesStream In(Cat({Raw(C.Body), Next, Bytes(300, 0x41)}));
        TQorPrinterSetup S;
        ASSERT_TRUE(ReadRecord(S, In)) << C.What;
        EXPECT_EQ(S.Orientation(), 2) << C.What;
        EXPECT_EQ(S.Length(), 11.0) << C.What;
        EXPECT_EQ(S.FormName(), "") << C.What;
        EXPECT_FALSE(S.PrintSet(qpsFormName)) << C.What;
        EXPECT_EQ(In.Position(), Int64(6 + C.Body.size())) << C.What;
        TQorPrinterSetup Following;
        ASSERT_TRUE(ReadRecord(Following, In)) << C.What;
        EXPECT_EQ(Following.Orientation(), 2) << C.What;
    }
}

TEST(PrinterSetupRecord, LengthBeyondTheStreamIsRefusedBeforeAnythingIsTaken)
{
    TBytesStream In(Raw(Cat({Le16(0), Le16(2), Le16(5), Le16(9)}), 5000));
    TQorPrinterSetup S;
    EXPECT_THROW(ReadRecord(S, In), EReadError);
    EXPECT_EQ(S.Orientation(), 1);
    EXPECT_EQ(S.Copies(), 1);
}

TEST(PrinterSetupRecord, WritesInTheMiddleOfAStream)
{
    TBytesStream Out;
    Out.WriteInteger(0x11223344);
    TQorPrinterSetup S;
    S.SetCopies(5);
    S.WriteToStream(Out);
    Out.WriteWord(0xBEEF);
    const Bytes B = Out.Bytes();
    EXPECT_EQ(Bytes(B.begin() + 4, B.end() - 2), Record(S));
    EXPECT_EQ(Bytes(B.end() - 2, B.end()), Le16(0xBEEF));
}

TEST(PrinterSetupRecord, OnThePageFilesRecordStream)
{
    TQorQorFile F;
    TQorPrinterSetup S;
    EXPECT_THROW(S.WriteToQorFile(F), EStreamError); // no file begun yet
    F.BeginDoc();
    S.SetCopies(7);
    S.SetOrientation(2);
    const Int64 Before = F.Stream()->Size();
    S.WriteToQorFile(F);
    EXPECT_EQ(F.Stream()->Size() - Before, Int64(Record(S).size()));
    F.Stream()->SetPosition(Before + 2); // past the code, as the page reader leaves it
    TQorPrinterSetup Back;
    ASSERT_TRUE(Back.ReadFromQorFile(F));
    EXPECT_EQ(Back.Copies(), 7);
    EXPECT_EQ(Back.Orientation(), 2);
    EXPECT_EQ(F.Stream()->Position(), F.Stream()->Size());
    F.EndDoc();
}

// ---- legacy record ---------------------------------------------------------------------------------

TEST(FilePrinterInfo, ThirtySevenPackedBytesAndTheShortForm)
{
    TQorFilePrinterInfo I;
    I.Orientation = 2;
    I.PaperSize = 9;
    I.Length = 11.0;
    I.Width = 8.5;
    I.Scale = 100;
    I.Copies = 2;
    I.Source = 7;
    I.PrintQuality = -4;
    I.Color = 1;
    I.Duplex = 3;
    I.YResolution = 600;
    I.TTOption = 2;
    I.CollatedCopies = false;
    TBytesStream Out;
    WriteQorFilePrinterInfo(Out, I);
    const Bytes B = Out.Bytes();
    ASSERT_EQ(B.size(), size_t(QorFilePrinterInfoSize));
    const Bytes Eleven = {0, 0, 0, 0, 0, 0, 0x26, 0x40};
    const Bytes EightHalf = {0, 0, 0, 0, 0, 0, 0x21, 0x40};
    EXPECT_EQ(B, Cat({Le16(2), Le16(9), Eleven, EightHalf, Le16(100), Le16(2), Le16(7), Le16(0xFFFC), Le16(1),
                      Le16(3), Le16(600), Le16(2), {0}}));
    TBytesStream In(B);
    EXPECT_EQ(ReadQorFilePrinterInfo(In), I);
    TBytesStream Short(Bytes(B.begin(), B.begin() + QorFilePrinterInfoShortSize));
    const TQorFilePrinterInfo S = ReadQorFilePrinterInfo(Short, false);
    EXPECT_TRUE(S.CollatedCopies);
    EXPECT_EQ(S.Duplex, 3);
    TBytesStream Cut(Bytes(B.begin(), B.begin() + 20));
    EXPECT_THROW(ReadQorFilePrinterInfo(Cut), EReadError);
}

TEST(FilePrinterInfo, SetupTakesAndGivesItsValues)
{
    TQorFilePrinterInfo I;
    I.Orientation = 1;
    I.PaperSize = 1;
    I.Length = 11.0;
    I.Width = 8.5;
    I.Scale = 100;
    I.Copies = 65535;
    I.Source = 1;
    I.PrintQuality = -2;
    I.Color = 2;
    I.Duplex = 1;
    I.YResolution = 0;
    I.TTOption = 2;
    I.CollatedCopies = true;
    TQorPrinterSetup S;
    S.SetFormName("Kept");
    S.SetPrintInfo(I);
    EXPECT_EQ(S.Copies(), 65535); // Words widen without sign
    EXPECT_EQ(S.PrintQuality(), -2);
    EXPECT_EQ(S.FormName(), "Kept");
    for (int F = 0; F < QorPrintSettingsCount; ++F)
        EXPECT_TRUE(S.PrintSet(TQorPrintSettings(F)));
    TQorFilePrinterInfo Back;
    S.GetPrintInfo(Back);
    EXPECT_EQ(Back, I);
    S.SetScale(0x12345);
    S.GetPrintInfo(Back);
    EXPECT_EQ(Back.Scale, 0x2345); // cut to the low 16 bits
}

// ---- transfer to and from the printer --------------------------------------------------------------

class SetupPrinterTest : public test::DescribedPrinterTest {};

TEST_F(SetupPrinterTest, GetDataReadsThePrinterAndItsMargins)
{
    Select("Works Laser");
    TQorPrinterSetup S;
    S.GetData();
    EXPECT_EQ(S.PaperSize(), 9);
    EXPECT_NEAR(S.Length(), 297 / 25.4, 1e-9);
    EXPECT_NEAR(S.Width(), 210 / 25.4, 1e-9);
    EXPECT_EQ(S.FormName(), "A4");
    EXPECT_EQ(S.Source(), 7);
    EXPECT_EQ(S.PrintQuality(), 600);
    EXPECT_FALSE(S.PrintSet(qpsPaperSize)); // reading changes no flag
    // Margins of 5, 4, 3 and 6 mm at 600 dpi.
    EXPECT_NEAR(S.LeftPrintArea(), 50 / 254.0, 1.0 / 600);
    EXPECT_NEAR(S.TopPrintArea(), 40 / 254.0, 1.0 / 600);
    EXPECT_NEAR(S.RightPrintArea(), 30 / 254.0, 1.0 / 600);
    EXPECT_NEAR(S.BottomPrintArea(), 60 / 254.0, 1.0 / 600);
    EXPECT_EQ(S.PixelsPerInchX(), 600);
    EXPECT_EQ(S.PixelsPerInchY(), 600);
    // Assign leaves the target's margins.
    TQorPrinterSetup Fresh;
    S.Assign(Fresh);
    EXPECT_NEAR(S.LeftPrintArea(), 50 / 254.0, 1.0 / 600);
}

TEST_F(SetupPrinterTest, SetDataChangesTheNextJob)
{
    Select("Works Laser");
    TQorPrinterSetup S;
    S.SetOrientation(2);
    S.SetPaperSize(20);
    S.SetCopies(2);
    S.SetDuplex(2);
    S.SetSource(257);
    S.SetPrintQuality(-1);
    S.SetData();
    // What the printer now uses, read back: a landscape envelope is 4.125 in down, 9.5 across.
    EXPECT_EQ(S.Orientation(), 2);
    EXPECT_EQ(S.PaperSize(), 20);
    EXPECT_NEAR(S.Length(), 4.125, 0.001);
    EXPECT_NEAR(S.Width(), 9.5, 0.001);
    EXPECT_EQ(S.FormName(), ""); // not chosen: the record no longer names a form
    EXPECT_EQ(S.Source(), 257);
    EXPECT_EQ(S.PrintQuality(), -1);
    EXPECT_EQ(S.PixelsPerInchX(), 300); // draft: the coarsest resolution
    EXPECT_TRUE(S.PrintSet(qpsCopies));

    const std::string File = (Dir / "setdata.pdf").string();
    PrintJob(File, 1, [](int) {});
    const test::TJobLog Log = test::ReadJobLog((Dir / "setdata.json").string());
    EXPECT_EQ(Log.Top.at("copies"), "2");
    ASSERT_EQ(Log.Pages.size(), 1u);
    EXPECT_EQ(Log.Pages[0].at("paper"), "20");
    EXPECT_EQ(Log.Pages[0].at("orientation"), "2");
    EXPECT_EQ(Log.Pages[0].at("duplex"), "2");
    EXPECT_EQ(Log.Pages[0].at("source"), "257");
    String Resolution = Log.Pages[0].at("resolution");
    std::erase_if(Resolution, [](char C) { return std::isspace(static_cast<unsigned char>(C)); });
    EXPECT_EQ(Resolution, "[300,300]");
    const auto Sizes = test::PdfPageSizes(File, 1);
    ASSERT_EQ(Sizes.size(), 1u);
    EXPECT_NEAR(Sizes[0].Width, 9.5 * 72, 1);
    EXPECT_NEAR(Sizes[0].Height, 4.125 * 72, 1);
}

TEST_F(SetupPrinterTest, ValuesEqualToTheDefaultsAreNotForced)
{
    Select("Works Laser");
    TQorPrinterSetup S;
    S.SetPaperSize(1); // the setup's own default: not chosen, the printer keeps its A4
    S.SetSource(1);
    S.SetData();
    EXPECT_EQ(S.PaperSize(), 9);
    EXPECT_EQ(S.Source(), 7);
}

TEST_F(SetupPrinterTest, CustomPaperAndFormNameTravelToThePrinter)
{
    Select("Works Laser");
    TQorPrinterSetup S;
    S.SetPaperSize(256);
    S.SetLength(6.0);
    S.SetWidth(4.0);
    S.SetData();
    EXPECT_EQ(S.PaperSize(), 256);
    EXPECT_EQ(S.Length(), 6.0);
    EXPECT_EQ(S.Width(), 4.0);
    const std::string File = (Dir / "custom.pdf").string();
    PrintJob(File, 1, [](int) {});
    const auto Sizes = test::PdfPageSizes(File, 1);
    ASSERT_EQ(Sizes.size(), 1u);
    EXPECT_NEAR(Sizes[0].Width, 4 * 72, 0.5);
    EXPECT_NEAR(Sizes[0].Height, 6 * 72, 0.5);

    TQorPrinterSetup N;
    N.SetFormName("label 100 x 150 mm");
    N.SetDataReset();
    EXPECT_EQ(N.PaperSize(), 300);
    EXPECT_EQ(N.FormName(), "Label 100 x 150 mm");
    EXPECT_NEAR(N.Length(), 1500 / 254.0, 1e-9);
    const std::string Label = (Dir / "label.pdf").string();
    PrintJob(Label, 1, [](int) {});
    const test::TJobLog Log = test::ReadJobLog((Dir / "label.json").string());
    EXPECT_EQ(Log.Pages[0].at("paper"), "300");
    EXPECT_EQ(Log.Pages[0].at("paperName"), "\"Label 100 x 150 mm\"");
    test::ExpectSoundPdf(Label);
}

TEST_F(SetupPrinterTest, ResetStartsFromTheDefaults)
{
    Select("Works Laser");
    TQorPrinterSetup A;
    A.SetOrientation(2);
    A.SetCopies(4);
    A.SetData();
    TQorPrinterSetup B;
    B.SetDataReset();
    EXPECT_EQ(B.Orientation(), 1);
    EXPECT_EQ(B.Copies(), 1);
    EXPECT_EQ(CurrentDevMode(), DefaultDevMode());
}

TEST_F(SetupPrinterTest, WithoutPrintersTheSetupKeepsItsOwnValues)
{
    setenv("QOR_NO_PRINTERS", "1", 1);
    RefreshPrinterDrivers();
    delete ::qor::SetPrinter(nullptr);
    TQorPrinterSetup S;
    S.SetOrientation(2);
    S.SetData();
    S.GetData();
    EXPECT_EQ(S.Orientation(), 2);
    EXPECT_EQ(S.Length(), 11.0);
    EXPECT_EQ(S.PrinterCount(), 0);
    EXPECT_EQ(S.PixelsPerInchX(), 0);
    EXPECT_TRUE(S.PrinterSettings()->PrintSet(qpsOrientation)); // copied for later
    unsetenv("QOR_NO_PRINTERS");
    RefreshPrinterDrivers();
    delete ::qor::SetPrinter(nullptr);
    EXPECT_EQ(S.PrinterCount(), 3);
}

TEST_F(SetupPrinterTest, PrinterLengthOfZeroFallsBackToLetter)
{
    TQorPrinterSetup S;
    S.PrinterSettings()->SetPSProperty(qpsPaperLength, 0);
    S.PrinterSettings()->SetPSProperty(qpsPaperWidth, 2100);
    S.CopyFromPrinterSettings();
    EXPECT_EQ(S.Length(), 11.0);
    EXPECT_EQ(S.Width(), 8.5);
    S.PrinterSettings()->SetPSProperty(qpsPaperLength, 2970);
    S.CopyFromPrinterSettings();
    EXPECT_NEAR(S.Length(), 297 / 25.4, 1e-12);
    EXPECT_FALSE(S.PrintSet(qpsPaperLength));
}

TEST_F(SetupPrinterTest, CopyToPrinterSettingsPassesOnlyFlaggedValues)
{
    TQorPrinterSetup S;
    S.SetLength(11.5);
    S.SetCollatedCopies(false);
    S.SetFormName("A5");
    S.CopyToPrinterSettings();
    const TQorPrinterSettings& P = *S.PrinterSettings();
    EXPECT_TRUE(P.PrintSet(qpsPaperLength));
    EXPECT_EQ(P.GetPSProperty(qpsPaperLength), 2921);
    EXPECT_FALSE(P.PrintSet(qpsPaperWidth));
    EXPECT_FALSE(P.PrintSet(qpsCollate)); // collation is the page printer's
    EXPECT_EQ(P.FormName(), "A5");
    EXPECT_TRUE(P.PrintSet(qpsFormName));
}

} // namespace
