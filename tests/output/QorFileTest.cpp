// The page file in memory: recording and object sharing, saving, loading (also of damaged files),
// the page containers and the filer.

#include "output/PageFileTestSupport.h"
#include "platform/graphics/Brush.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Pen.h"
#include "platform/rtl/FileUtils.h"
#include "runtime/output/QorDump.h"
#include "runtime/output/QorFile.h"
#include "runtime/output/QorSetup.h"
#include "runtime/output/QorStr.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

using namespace qor;
using namespace qor::test;

namespace {

// The records of page Page in the dump, without the page's own heading.
std::vector<std::string> PageRecords(TQorQorFile& F, Integer Page)
{
    std::vector<std::string> Lines;
    const std::string Dump = QorDumpQorFile(F, Page, Page);
    const size_t At = Dump.find("\npage " + std::to_string(Page) + "\n");
    std::istringstream In(Dump.substr(At + 1));
    std::string L;
    std::getline(In, L);
    while (std::getline(In, L))
        Lines.push_back(L.substr(2));
    return Lines;
}

TEST(PageFileRecording, AnObjectSeenLongAgoIsStillSharedAndAReloadedTableToo)
{
    TQorQorFile F;
    F.BeginDoc();
    TFont Font;
    Font.SetName("Arial");
    // More different fonts than the recently used ones kept, then the first again.
    for (Integer Size = 8; Size < 28; ++Size) {
        Font.SetSize(Size);
        F.SetFont(&Font);
    }
    Font.SetSize(8);
    F.SetFont(&Font);
    Font.SetSize(27);
    F.SetFont(&Font);
    EXPECT_EQ(F.ObjectCount(), 20);
    F.EndDoc();
    // A new document starts a new table: nothing of the old one is answered.
    F.BeginDoc();
    Font.SetSize(30);
    F.SetFont(&Font);
    F.EndDoc();
    ASSERT_EQ(F.ObjectCount(), 1);
    EXPECT_EQ(F.Objects()[0]->LogFont.Size, 30);
}

TEST(PageFileRecording, TheSameFontAgainIsItsEntryAndAnyChangeMakesAnother)
{
    TQorQorFile F;
    F.BeginDoc();
    TFont Font;
    Font.SetName("Arial");
    Font.SetSize(10);
    F.SetFont(&Font);
    F.SetFont(&Font);
    EXPECT_EQ(F.CurrFont(), 0);
    Font.SetColor(clRed);
    F.SetFont(&Font);
    EXPECT_EQ(F.CurrFont(), 1) << "the same name in another colour";
    Font.SetStyle(TFontStyles{fsBold});
    F.SetFont(&Font);
    EXPECT_EQ(F.CurrFont(), 2) << "and bold";
    Font.SetName("Courier New");
    F.SetFont(&Font);
    EXPECT_EQ(F.CurrFont(), 3);
    Font.SetName("Arial");
    Font.SetColor(clWindowText);
    Font.SetStyle(TFontStyles());
    F.SetFont(&Font);
    EXPECT_EQ(F.CurrFont(), 0) << "back to the first";
    // Names are compared as they are stored: the first 31 units.
    Font.SetName(std::string(40, 'N'));
    F.SetFont(&Font);
    EXPECT_EQ(F.CurrFont(), 4);
    Font.SetName(std::string(41, 'N'));
    F.SetFont(&Font);
    EXPECT_EQ(F.CurrFont(), 4);
    Font.SetName("Courier New");
    F.SetFont(&Font);
    EXPECT_EQ(F.CurrFont(), 5);
    F.EndDoc();
    EXPECT_EQ(F.ObjectCount(), 6);

    // The next document's table starts afresh, also for the font set last.
    F.BeginDoc();
    F.SetFont(&Font);
    EXPECT_EQ(F.CurrFont(), 0);
    F.EndDoc();
    ASSERT_EQ(F.ObjectCount(), 1);
    const std::vector<std::string> Records = PageRecords(F, 1);
    ASSERT_GE(Records.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(Records.end() - 3, Records.end()),
              (std::vector<std::string>{"PageBegin", "SelectObject 0", "PageEnd"}));
}

TEST(PageFileRecording, SharesEqualFontsPensAndBrushes)
{
    TQorQorFile F;
    F.BeginDoc();
    TFont Arial;
    Arial.SetName("Arial");
    Arial.SetSize(10);
    F.SetFont(&Arial);
    F.SetFont(&Arial);
    TFont Lower;
    Lower.Assign(&Arial);
    Lower.SetName("arial");
    F.SetFont(&Lower);
    TPen Pen;
    F.SetPen(&Pen);
    Pen.SetWidth(3);
    F.SetPen(&Pen);
    Pen.SetWidth(1);
    F.SetPen(&Pen);
    TBrush Brush;
    F.SetBrush(&Brush);
    F.SetBrush(&Brush);
    Lower.SetSize(12); // the name of the font selected last, another size
    F.SetFont(&Lower);
    F.SetFont(&Arial);
    F.EndDoc();

    ASSERT_EQ(F.ObjectCount(), 6);
    EXPECT_EQ(F.Objects()[0]->ObjectType, qotFont);
    EXPECT_EQ(F.Objects()[0]->LogFont.Name, u"Arial");
    EXPECT_EQ(F.Objects()[1]->LogFont.Name, u"arial") << "names differing in case are two fonts";
    EXPECT_EQ(F.Objects()[2]->LogPen.Width, 1);
    EXPECT_EQ(F.Objects()[3]->LogPen.Width, 3);
    EXPECT_EQ(F.Objects()[4]->ObjectType, qotBrush);
    EXPECT_EQ(F.Objects()[5]->LogFont.Name, u"arial");
    EXPECT_EQ(F.Objects()[5]->LogFont.Size, 12);
    const std::vector<std::string> Expected = {"PrinterSetup " + QorDumpPrinterSetup(*F.QorPrinterSetup()),
                                               "PageBegin",
                                               "SelectObject 0",
                                               "SelectObject 0",
                                               "SelectObject 1",
                                               "SelectObject 2",
                                               "SelectObject 3",
                                               "SelectObject 2",
                                               "SelectObject 4",
                                               "SelectObject 4",
                                               "SelectObject 5",
                                               "SelectObject 0",
                                               "PageEnd"};
    EXPECT_EQ(PageRecords(F, 1), Expected);
    EXPECT_EQ(F.CurrFont(), 0);
    EXPECT_EQ(F.CurrPen(), 2);
    EXPECT_EQ(F.CurrBrush(), 4);
}

TEST(PageFileRecording, FontRecordTakesTheFontsColourSizeAndFirst31Units)
{
    TQorQorFile F;
    F.BeginDoc();
    TFont Font;
    Font.SetName(std::string(40, 'N'));
    Font.SetSize(14);
    Font.SetColor(clRed);
    Font.SetStyle(TFontStyles{fsBold, fsUnderline});
    F.SetFont(&Font);
    F.EndDoc();
    const TQorLogFont& L = F.Objects()[0]->LogFont;
    EXPECT_EQ(L.Name, std::u16string(31, u'N'));
    EXPECT_EQ(L.Size, 14);
    EXPECT_EQ(L.Color, clRed);
    EXPECT_EQ(L.Weight, 700);
    EXPECT_EQ(L.Underline, 1);
    EXPECT_EQ(L.Italic, 0);
}

TEST(PageFileRecording, RefusesAnObjectPastTheTableLimitAndRecordsNothingForIt)
{
    TQorQorFile F;
    F.BeginDoc();
    TBrush Brush;
    for (Integer I = 0; I < QorMaxObjects; ++I) {
        Brush.SetColor(I);
        F.SetBrush(&Brush);
    }
    ASSERT_EQ(F.ObjectCount(), 32767);
    const Int64 Size = F.Stream()->Size();
    Brush.SetColor(QorMaxObjects);
    EXPECT_THROW(F.SetBrush(&Brush), EInvalidOperation);
    EXPECT_EQ(F.ObjectCount(), 32767);
    EXPECT_EQ(F.Stream()->Size(), Size);
    Brush.SetColor(5); // an existing one is still shared
    F.SetBrush(&Brush);
    EXPECT_EQ(F.CurrBrush(), 5);
    F.EndDoc();
    TBytesStream Saved;
    F.SaveToStream(&Saved);
    TQorQorFile Loaded;
    Saved.SetPosition(0);
    Loaded.LoadFromStream(&Saved);
    EXPECT_EQ(Loaded.ObjectCount(), 32767);
}

TEST(PageFileRecording, NewPageReselectsFontPenAndBrushInThatOrder)
{
    TQorQorFile F;
    F.BeginDoc();
    TBrush Brush;
    F.SetBrush(&Brush);
    TFont Font;
    F.SetFont(&Font);
    F.NewPage();
    F.MoveTo(1, 2);
    F.EndDoc();
    const std::vector<std::string> Page2 = PageRecords(F, 2);
    ASSERT_EQ(Page2.size(), 6u);
    EXPECT_EQ(Page2[1], "PageBegin");
    EXPECT_EQ(Page2[2], "SelectObject 1");
    EXPECT_EQ(Page2[3], "SelectObject 0");
    EXPECT_EQ(Page2[4], "MoveTo 1 2");
    EXPECT_EQ(F.PagePosition(1), 0);
    EXPECT_GT(F.PagePosition(2), 0);
}

TEST(PageFileRecording, DrawingOutsideADocumentIsRefused)
{
    TQorQorFile F;
    EXPECT_THROW(F.Textout(0, 0, "x"), EInvalidOperation);
    F.BeginDoc();
    F.EndDoc();
    EXPECT_THROW(F.LineTo(1, 1), EInvalidOperation);
}

TEST(PageFileRecording, PolygonOverTheCountLimitIsRefusedNotCut)
{
    TQorQorFile F;
    F.BeginDoc();
    std::vector<TPoint> Points(32768);
    EXPECT_THROW(F.PolyDrawType(ptPolygon, Points.data(), 32767), EInvalidOperation);
    F.PolyDrawType(ptPolyLine, Points.data(), 32766);
    F.EndDoc();
    EXPECT_NE(QorDumpQorFile(F).find("PolyDrawType polyline 32767 points"), std::string::npos);
}

// ---- saving ----

TEST(PageFileSaving, OnePageDocumentHasItsIndexAndHeaderLength)
{
    TempDir Dir("save-one");
    const std::string Name = Dir.File("one.qor");
    TQorQorFile F;
    F.SetCreateFile(true);
    F.SetFileName(Name);
    F.SetDescription(std::string(150, 'd'));
    F.BeginDoc();
    F.Textout(10, 20, "Hello");
    F.EndDoc();

    const std::vector<Byte> Bytes = ReadBytes(Name);
    TSpanStream S(Bytes.data(), static_cast<Int64>(Bytes.size()));
    const TQorFileHeader H = ReadQorFileHeader(S);
    EXPECT_EQ(H.Description, std::u16string(100, u'd'));
    TQorReader R(S);
    const TQorFileInfo Info = ReadQorFileInfo(R);
    EXPECT_EQ(Info.Pages, 1);
    EXPECT_EQ(Info.Objects, 0);
    ASSERT_LT(static_cast<size_t>(H.HeaderLen) + 2, Bytes.size());
    // The record stream starts with the first page's printer setup, and the index before the
    // (empty) object table holds the one page at 0.
    EXPECT_EQ(Bytes[H.HeaderLen] | (Bytes[H.HeaderLen + 1] << 8), 101);
    EXPECT_EQ(std::vector<Byte>(Bytes.begin() + H.HeaderLen - 4, Bytes.begin() + H.HeaderLen),
              (std::vector<Byte>{0, 0, 0, 0}));
    EXPECT_EQ(Bytes.size() - H.HeaderLen, static_cast<size_t>(F.Stream()->Size()));
    EXPECT_EQ(F.PercentDone(), 100.0f);
    EXPECT_FALSE(F.Running());
}

TEST(PageFileSaving, SavingWhileRecordingWritesNothing)
{
    TempDir Dir("save-running");
    TQorQorFile F;
    F.BeginDoc();
    F.SaveToFile(Dir.File("x.qor"));
    TBytesStream S;
    F.SaveToStream(&S);
    EXPECT_FALSE(FileExists(Dir.File("x.qor")));
    EXPECT_EQ(S.Size(), 0);
}

TEST(PageFileSaving, LoadThenSaveGivesTheSameBytes)
{
    TQorQorFile F;
    RecordMixedDocument(F);
    TMemoryStream User;
    User.WriteString("user data");
    User.SetPosition(0);
    F.SetUserStream(&User);
    const std::vector<Byte> First = SavedBytes(F);

    TQorQorFile Loaded;
    TSpanStream In(First.data(), static_cast<Int64>(First.size()));
    Loaded.LoadFromStream(&In);
    EXPECT_EQ(SavedBytes(Loaded), First);
    EXPECT_EQ(QorDumpQorFile(Loaded), QorDumpQorFile(F));
    EXPECT_EQ(Loaded.Description(), "Mixed");
    EXPECT_EQ(Loaded.UserStream()->Size(), 9);
}

TEST(PageFileSaving, SavingIntoAStreamKeepsWhatWasBeforeIt)
{
    TQorQorFile F;
    RecordMixedDocument(F);
    const std::vector<Byte> Alone = SavedBytes(F);

    TBytesStream S;
    S.WriteString("PREFIX");
    F.SaveToStream(&S);
    const std::vector<Byte> All = S.Bytes();
    ASSERT_EQ(All.size(), Alone.size() + 6);
    EXPECT_EQ(std::string(All.begin(), All.begin() + 6), "PREFIX");
    EXPECT_TRUE(std::equal(Alone.begin(), Alone.end(), All.begin() + 6)) << "HeaderLen counts from our start";

    TQorQorFile Loaded;
    S.SetPosition(6);
    Loaded.LoadFromStream(&S);
    EXPECT_EQ(QorDumpQorFile(Loaded), QorDumpQorFile(F));
}

TEST(PageFileSaving, AFailedSaveLeavesTheEarlierFileAndNoTemporaryFile)
{
    TempDir Dir("save-fail");
    const std::string Name = Dir.File("report.qor");
    TQorQorFile Small;
    Small.BeginDoc();
    Small.Textout(1, 1, "small");
    Small.EndDoc();
    Small.SaveToFile(Name);
    const std::vector<Byte> Good = ReadBytes(Name);

    TQorQorFile Big;
    Big.BeginDoc();
    for (int I = 0; I < 20000; ++I)
        Big.Textout(I, I, "a line of text that takes room");
    Big.EndDoc();

    // Files may not grow past 4 KB while saving: the write fails part way.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit Old{};
    getrlimit(RLIMIT_FSIZE, &Old);
    rlimit Small4K = Old;
    Small4K.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &Small4K);
    bool Failed = false;
    try {
        Big.SaveToFile(Name);
    } catch (const EStreamError&) {
        Failed = true;
    }
    setrlimit(RLIMIT_FSIZE, &Old);
    EXPECT_TRUE(Failed);
    EXPECT_EQ(ReadBytes(Name), Good);
    EXPECT_EQ(Dir.Count(), 1) << "the temporary file is gone";

    Big.SaveToFile(Name);
    TQorQorFile Loaded;
    Loaded.LoadFromFile(Name);
    EXPECT_EQ(Loaded.PageCount(), 1);
    EXPECT_EQ(Dir.Count(), 1);
}

TEST(PageFileSaving, EndDocWithoutCreateFileKeepsTheStartSetup)
{
    TQorQorFile F;
    F.QorPrinterSetup()->SetOrientation(1);
    F.BeginDoc();
    F.QorPrinterSetup()->SetOrientation(2);
    F.NewPage();
    F.EndDoc();
    EXPECT_EQ(F.QorPrinterSetup()->Orientation(), 1);
    TQorPrinterSetup Page2;
    EXPECT_TRUE(F.GetPagePrinterInfo(&Page2, 2));
    EXPECT_EQ(Page2.Orientation(), 2);
    TQorPrinterSetup Page1;
    EXPECT_TRUE(F.GetPagePrinterInfo(&Page1, 0));
    EXPECT_EQ(Page1.Orientation(), 1);
    EXPECT_TRUE(F.GetPagePrinterInfo(&Page1, 9));
    EXPECT_EQ(Page1.Orientation(), 2);
}

TEST(PageFileSaving, PagePrinterInfoWhileRecordingOnePageIsTheCurrentSetup)
{
    TQorQorFile F;
    F.BeginDoc();
    F.QorPrinterSetup()->SetCopies(3);
    TQorPrinterSetup Out;
    EXPECT_FALSE(F.GetPagePrinterInfo(&Out, 1));
    EXPECT_EQ(Out.Copies(), 3);
    const Int64 At = F.Stream()->Position();
    F.NewPage();
    F.NewPage();
    TQorPrinterSetup Last;
    EXPECT_TRUE(F.GetPagePrinterInfo(&Last, 3)) << "page 3 is still being recorded: page 2 answers";
    EXPECT_EQ(Last.Copies(), 3);
    EXPECT_GT(F.Stream()->Position(), At);
    EXPECT_EQ(F.Stream()->Position(), F.Stream()->Size()) << "recording goes on at the end";
}

// ---- loading ----

TEST(PageFileLoading, ADamagedFileLeavesThePreviousDocument)
{
    TQorQorFile Good;
    RecordMixedDocument(Good);
    const std::vector<Byte> Bytes = SavedBytes(Good);
    TQorQorFile F;
    TSpanStream In(Bytes.data(), static_cast<Int64>(Bytes.size()));
    F.LoadFromStream(&In);
    const std::string Before = QorDumpQorFile(F);

    // Cut short anywhere before the record stream, or lying about the counts.
    TQorFileHeader H;
    {
        TSpanStream S(Bytes.data(), static_cast<Int64>(Bytes.size()));
        H = ReadQorFileHeader(S);
    }
    for (size_t Cut : {size_t(3), size_t(100), size_t(217), size_t(230), static_cast<size_t>(H.HeaderLen - 1)}) {
        TSpanStream Short(Bytes.data(), static_cast<Int64>(Cut));
        EXPECT_ANY_THROW(F.LoadFromStream(&Short)) << Cut;
        EXPECT_EQ(QorDumpQorFile(F), Before) << Cut;
    }
    std::vector<Byte> NotQor = Bytes;
    NotQor[3] = 0;
    TSpanStream Bad(NotQor.data(), static_cast<Int64>(NotQor.size()));
    EXPECT_EQ(ErrorOf([&] { F.LoadFromStream(&Bad); }), "ERROR: not an QOR file");
    std::vector<Byte> ManyPages = Bytes;
    ManyPages[217] = 0xff; // Pages: 255 entries that are not there
    TSpanStream Lying(ManyPages.data(), static_cast<Int64>(ManyPages.size()));
    EXPECT_NE(ErrorOf([&] { F.LoadFromStream(&Lying); }).find("damaged"), std::string::npos);
    EXPECT_EQ(QorDumpQorFile(F), Before);
}

TEST(PageFileLoading, EveryCutInTheRecordsAndAnUnknownObjectAreDamage)
{
    TQorQorFile Good;
    RecordMixedDocument(Good);
    std::vector<Byte> Bytes = SavedBytes(Good);
    TSpanStream S(Bytes.data(), static_cast<Int64>(Bytes.size()));
    const TQorFileHeader H = ReadQorFileHeader(S);
    // Cut after a whole record, inside a record code or anywhere else: the last page has no end.
    for (size_t Cut = static_cast<size_t>(H.HeaderLen) + 1; Cut < Bytes.size(); ++Cut) {
        TSpanStream Short(Bytes.data(), static_cast<Int64>(Cut));
        TQorQorFile F;
        EXPECT_NE(ErrorOf([&] { F.LoadFromStream(&Short); }).find("The page file is damaged"), std::string::npos)
            << Cut;
    }
    // A record selecting an object the file does not have: the page's first SelectObject 0.
    const Byte Select[] = {static_cast<Byte>(rcPageBegin), 0, static_cast<Byte>(rcSelectObject), 0, 0, 0};
    const auto At = std::search(Bytes.begin() + H.HeaderLen, Bytes.end(), std::begin(Select), std::end(Select));
    ASSERT_NE(At, Bytes.end());
    At[4] = 99;
    TSpanStream Bad(Bytes.data(), static_cast<Int64>(Bytes.size()));
    TQorQorFile F;
    EXPECT_NE(ErrorOf([&] { F.LoadFromStream(&Bad); }).find("object 99 selected of"), std::string::npos);
}

TEST(PageFileLoading, APageIndexPointingOutsideTheRecordsIsRefused)
{
    TQorQorFile Good;
    RecordMixedDocument(Good);
    std::vector<Byte> Bytes = SavedBytes(Good);
    TSpanStream S(Bytes.data(), static_cast<Int64>(Bytes.size()));
    const TQorFileHeader H = ReadQorFileHeader(S);
    // The second page's entry is the last four bytes before the object table.
    const size_t IndexEnd = static_cast<size_t>(H.HeaderLen) - ObjectTableSize(Good);
    Bytes[IndexEnd - 1] = 0x7f;
    TSpanStream Damaged(Bytes.data(), static_cast<Int64>(Bytes.size()));
    TQorQorFile F;
    EXPECT_NE(ErrorOf([&] { F.LoadFromStream(&Damaged); }).find("page index"), std::string::npos);
    EXPECT_EQ(F.PageCount(), 0);
}

// ---- containers ----

// A page file whose playback is a log, for the page range rule of the device context.
class TLoggingFile : public TQorQorFile {
public:
    TLoggingFile(Integer Pages, bool Running) : FCount(Pages), FRunningFlag(Running)
    {
        for (Integer I = 0; I < Pages; ++I)
            AddPage(I * 10);
    }
    bool IsRunning() const override { return FRunningFlag; }
    void PlayPage(HDC DC, Integer Page) override { Played.push_back({DC, Page}); }
    std::vector<std::pair<HDC, Integer>> Played;

private:
    Integer FCount;
    bool FRunningFlag;
};

TEST(PageContainers, DeviceContextPlaysTheRequestedPageWithinRange)
{
    const HDC DC(std::uintptr_t(42));
    TQorDeviceContext Target;
    Target.SetDC(DC);
    TLoggingFile Complete(5, false);
    Complete.SendPage(&Target, 0);
    Complete.SendPage(&Target, 9);
    Complete.SendPage(&Target, 3);
    TLoggingFile Running(5, true);
    Target.LoadPage(&Running, 9);
    Target.LoadPage(&Running, 5);
    const std::vector<std::pair<HDC, Integer>> Want = {{DC, 1}, {DC, 5}, {DC, 3}};
    EXPECT_EQ(Complete.Played, Want);
    EXPECT_EQ(Running.Played, (std::vector<std::pair<HDC, Integer>>{{DC, 4}, {DC, 4}}));
    // Whole-file and range loads of a device context, and loads of a page file, do nothing.
    Complete.Send(&Target);
    Complete.SendPages(&Target, 1, 5);
    TQorQorFile Other;
    Complete.SendPage(&Other, 1);
    EXPECT_EQ(Complete.Played.size(), 3u);
}

TEST(PageContainers, TheBareContainerIsAbstract)
{
    TQorFile Bare;
    EXPECT_THROW(Bare.PlayPage(HDC(), 1), EAbstractError);
    EXPECT_THROW(Bare.SaveToFile("x"), EAbstractError);
    EXPECT_THROW(Bare.LoadPage(&Bare, 1), EAbstractError);
    Bare.Clear();
    EXPECT_EQ(Bare.PageCount(), 0);
}

class TCountedFile : public TQorQorFile {
public:
    explicit TCountedFile(int& Alive) : FAlive(Alive) { ++FAlive; }
    ~TCountedFile() override { --FAlive; }

private:
    int& FAlive;
};

TEST(PageContainers, FilerHoldsOrShowsItsFileAndHandsItOver)
{
    int Alive = 0;
    {
        TQorFiler Filer;
        Filer.SetQorFile(std::make_unique<TCountedFile>(Alive));
        EXPECT_EQ(Alive, 1);
        Filer.SetQorFile(std::make_unique<TCountedFile>(Alive));
        EXPECT_EQ(Alive, 1) << "the file held before is freed";
        std::unique_ptr<TQorFile> Held = Filer.TakeQorFile();
        EXPECT_EQ(Alive, 1) << "letting go hands the file over";
        EXPECT_EQ(Filer.QorFile(), nullptr);
        Filer.ShowQorFile(Held.get());
        EXPECT_FALSE(Filer.HoldsQorFile());
        EXPECT_EQ(Filer.TakeQorFile(), nullptr) << "a file only shown stays its owner's";
        Held.reset();
        EXPECT_EQ(Alive, 0);
        Filer.SetQorFile(std::make_unique<TCountedFile>(Alive));
    }
    EXPECT_EQ(Alive, 0);
    TQorFiler Empty;
    Empty.SaveToFile("/nonexistent/dir/x.qor");
    Empty.SendPage(nullptr, 1);
}

TEST(PageContainers, FilerKeepsItsFileWhenALoadFails)
{
    TQorQorFile Doc;
    RecordMixedDocument(Doc);
    const std::vector<Byte> Bytes = SavedBytes(Doc);
    TQorFiler Filer;
    TSpanStream Good(Bytes.data(), static_cast<Int64>(Bytes.size()));
    Filer.LoadFromStream(&Good);
    TQorFile* Held = Filer.QorFile();
    ASSERT_NE(Held, nullptr);
    EXPECT_EQ(Held->PageCount(), 2);

    TStringStream NotAFile(std::string(300, 'x'));
    EXPECT_EQ(ErrorOf([&] { Filer.LoadFromStream(&NotAFile); }), "ERROR: not an QOR file");
    EXPECT_EQ(Filer.QorFile(), Held);
    TSpanStream Cut(Bytes.data(), 260);
    EXPECT_ANY_THROW(Filer.LoadFromStream(&Cut));
    EXPECT_EQ(Filer.QorFile(), Held) << "a load that fails part way keeps the file held before";
    EXPECT_EQ(Held->PageCount(), 2);

    TempDir Dir("filer");
    Filer.SaveToFile(Dir.File("f.qor"));
    TQorFiler Second;
    Second.LoadFromFile(Dir.File("f.qor"));
    EXPECT_EQ(QorDumpQorFile(*static_cast<TQorQorFile*>(Second.QorFile())), QorDumpQorFile(Doc));
    EXPECT_THROW(Second.LoadFromFile(Dir.File("missing.qor")), EFOpenError);
}

} // namespace
