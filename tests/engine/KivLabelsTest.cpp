// The label kinds that are not text: check marks, lines, shapes, pictures, dividers, bar codes
// (read back by zbarimg) and labels the application draws; in a report, into page-file dumps.

#include "runtime/engine/KivLabels.h"
#include "common/Golden.h"
#include "engine/PageTestSupport.h"
#include "engine/StandInBandPage.h"
#include "output/OutputTestSupport.h"
#include "platform/db/SqlDataSet.h"
#include "platform/graphics/Picture.h"
#include "platform/rtl/Streams.h"
#include "printing/PrintTestSupport.h"
#include "runtime/engine/KivExprVar.h"
#include "runtime/engine/KivText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

using namespace qor;
using namespace qor::test;

namespace {

using TTexts = std::vector<std::vector<std::string>>;

std::string Golden(const char* Name) { return std::string(QOR_TEST_DATA_DIR) + "/engine/labels/" + Name; }

// A label of kind L on a band of a stand-in page whose output draws on a recording context.
template <class L>
class KindPrint : public ::testing::Test {
protected:
    void SetUp() override
    {
        Band.SetParent(&Page);
        Label.SetParent(&Band);
        Page.X = 0;
        Page.Y = 100;
    }
    std::vector<std::string> Drawn() { return Rec.Drawn(); }

    TRecordingCanvas Rec;
    TStandInBandPage Page{&Rec.Canvas};
    TStandInBand Band;
    L Label{nullptr};
};

using LinePrint = KindPrint<TKivLine>;
using ShapePrint = KindPrint<TKivShape>;
using DividerPrint = KindPrint<TKivVerticalDivider>;
using CustomPrint = KindPrint<TKivCustomLabel>;

bool Has(const std::vector<std::string>& Calls, const std::string& Prefix)
{
    return std::any_of(Calls.begin(), Calls.end(), [&](const std::string& C) { return C.rfind(Prefix, 0) == 0; });
}

TEST_F(LinePrint, ALevelLineIsABarOfThePensWidthAtItsAlignment)
{
    Label.SetBounds(0, 0, 50, 20);
    Label.Pen()->SetWidth(3);
    Label.Print(&Page, 20);
    // Rows 117 to 119 of a 20-pixel label at 100, aligned to the bottom.
    const auto First = Drawn();
    EXPECT_TRUE(Has(First, "FillRect(0,117,51,120")) << ::testing::PrintToString(First);
    Label.SetVerticalAlign(laTop);
    Label.Print(&Page, 20);
    EXPECT_TRUE(Has(Drawn(), "FillRect(0,100,51,103"));
    Label.SetLineType(ltVertical);
    Label.SetHorizontalAlign(laCenter);
    Label.Print(&Page, 20);
    EXPECT_TRUE(Has(Drawn(), "FillRect(25,100,28,121"));
    Label.SetLineType(ltDiagonalRight);
    Label.Print(&Page, 20);
    const auto D = Drawn();
    EXPECT_TRUE(Has(D, "MoveToEx(50,100")) << ::testing::PrintToString(D);
    EXPECT_TRUE(Has(D, "LineTo(0,120"));
}

TEST_F(ShapePrint, SquaredShapesAreCentredAndRoundCornersAreAQuarterOfTheSide)
{
    Label.SetBounds(0, 0, 100, 40);
    Label.SetShapeType(sstCircle);
    Label.Print(&Page, 40);
    EXPECT_TRUE(Has(Rec.Calls(), "Ellipse(30,100,70,140"));
    Label.SetShapeType(sstRoundRect);
    Label.Print(&Page, 40);
    EXPECT_TRUE(Has(Rec.Calls(), "RoundRect(0,100,100,140,10,10"));
    Label.SetShapeType(sstRectangle);
    Label.Print(&Page, 40);
    EXPECT_TRUE(Has(Rec.Calls(), "Rectangle(0,100,100,140"));
}

TEST_F(DividerPrint, ItsEventsFireOncePerPrintAndItRunsOverTheBandsHeight)
{
    Band.SetHeight(30);
    Label.SetBounds(40, 10, 99, 99);
    EXPECT_EQ(Label.Top(), 1) << "only the left is taken";
    EXPECT_EQ(Label.Width(), 2);
    EXPECT_EQ(Label.Height(), 29);
    Integer Before = 0, After = 0;
    Label.OnBeforePrint = [&](TKivLabel*) { ++Before; };
    Label.OnAfterPrint = [&](TKivLabel*) { ++After; };
    Label.Print(&Page, 30);
    EXPECT_EQ(Before, 1);
    EXPECT_EQ(After, 1);
    EXPECT_TRUE(Has(Drawn(), "FillRect(40,100,41,130")) << "from one pixel above its top, over the space";
    Label.StartPrint();
    EXPECT_EQ(Label.SpendHeight(&Page, 500), 29) << "asks for no more than it is";
    EXPECT_EQ(Label.PrintHeight(&Page, 500, 70), 0);
    EXPECT_TRUE(Has(Drawn(), "FillRect(40,100,41,170")) << "drawn over what the band takes";
    EXPECT_EQ(Before, 2);
    Label.SetDividerWidth(0);
    EXPECT_EQ(Label.Width(), 1);
    Label.Print(&Page, 30);
    const auto D = Drawn();
    EXPECT_TRUE(Has(D, "MoveToEx(40,100"));
    EXPECT_TRUE(Has(D, "LineTo(40,131"));
}

TEST_F(CustomPrint, TheApplicationDrawsInTheLabelsRectangle)
{
    Label.SetBounds(5, 2, 30, 20);
    TRect Got;
    Label.OnDraw = [&](TKivLabel*, TObject* Canvas, const TRect& R) {
        Got = R;
        static_cast<TQorCanvas*>(Canvas)->Rectangle(R.Left, R.Top, R.Right, R.Bottom);
    };
    Label.Print(&Page, 20);
    EXPECT_EQ(Got, Bounds(5, 102, 30, 20));
    EXPECT_TRUE(Has(Drawn(), "Rectangle(5,102,35,122"));
}

class KindsPage : public PageFixture {
protected:
    void SetUp() override
    {
        PageFixture::SetUp();
        Free(Page->Detail()->Labels()[0]);
    }
    template <class L>
    L* Add(TKivBand* Band, Integer Left, Integer Width = 40, Integer Height = 16)
    {
        auto* Label = new L(&Root);
        Label->SetParent(Band);
        Label->SetBounds(Left, 2, Width, Height);
        return Label;
    }
};

// The drawing records of a dump (not selections or text).
int Drawings(const std::string& Dump)
{
    std::istringstream In(Dump);
    int N = 0;
    for (std::string Line; std::getline(In, Line);)
        for (const char* Kind :
             {"  FillRect", "  Rectangle", "  LineTo", "  Polyline", "  Polygon", "  PolyDraw", "  DrawCheckBox"})
            N += Line.rfind(Kind, 0) == 0;
    return N;
}

TEST_F(KindsPage, CheckMarksShowTheValueAndAMissingVariableShowsAMark)
{
    TDataSource* S = Data({"Paid:Boolean"}, {"True"});
    Page->SetDataSource(S);
    TKivBand* D = Page->Detail();
    auto* Paid = Add<TKivCheckLabel>(D, 0, 14, 14);
    Paid->SetVariable(Field(S, "Paid", D->UpdateLevel()));
    auto* Tick = Add<TKivCheckLabel>(D, 40, 14, 14);
    Tick->SetCheckStyle(csCheck);
    Tick->Pen()->SetWidth(2);
    Tick->SetBorderType(btSingle);
    const std::string Both = Run();
    ExpectGoldenFile(Golden("checks.dump"), Both);
    static_cast<TMemoryDataSet*>(S->DataSet())->Rows()->SetText("False\n");
    const std::string One = Run();
    EXPECT_GT(Drawings(Both), Drawings(One)) << "a False value shows no mark";
    Paid->SetVariable(nullptr);
    EXPECT_EQ(Drawings(Run()), Drawings(Both)) << "without a variable the mark shows";
}

TEST_F(KindsPage, ABarCodeWithoutAnActiveVariableShowsItsName)
{
    Page->SetDataSource(Data({"N:Integer"}, {"1"}));
    auto* Code = Add<TKivBarCodeLabel>(Page->Detail(), 250, 120);
    EXPECT_EQ(Code->GetDisplayText(), "Fill in variable.");
    auto* Var = new TKivExprVar(&Root);
    Var->SetName("Nothing");
    Var->SetParent(Page);
    Var->SetActive(false);
    Code->SetVariable(Var);
    const TTexts T = RunTexts();
    ASSERT_EQ(T.size(), 1u);
    EXPECT_NE(std::find(T[0].begin(), T[0].end(), "Nothing"), T[0].end()) << ::testing::PrintToString(T);
}

// A 4 x 2 24-bit BMP, bottom-up, every pixel red.
std::string RedBitmap()
{
    std::string B = "BM";
    const auto U32 = [&](unsigned V) {
        for (int I = 0; I < 4; ++I)
            B += char((V >> (8 * I)) & 0xFF);
    };
    const auto U16 = [&](unsigned V) {
        B += char(V & 0xFF);
        B += char(V >> 8);
    };
    U32(54 + 24);
    U32(0);
    U32(54);
    U32(40);
    U32(4);
    U32(2);
    U16(1);
    U16(24);
    for (int I = 0; I < 6; ++I)
        U32(0);
    for (int P = 0; P < 8; ++P)
        B += std::string("\x00\x00\xff", 3);
    return B;
}

// What an image label prints: the record that draws it, or none.
std::string ImageRecord(const std::string& Dump)
{
    std::istringstream In(Dump);
    for (std::string Line; std::getline(In, Line);)
        if (Line.rfind("  DrawBitmap", 0) == 0 || Line.rfind("  StretchDrawBitmap", 0) == 0 ||
            Line.rfind("  Draw ", 0) == 0 || Line.rfind("  StretchDraw ", 0) == 0)
            return Line.substr(2, Line.find(' ', 2 + 12) - 2);
    return {};
}

TEST_F(KindsPage, PicturesComeFromAFileFromABlobWithItsPrefixAndNotFromAnEmptyBlob)
{
    Page->SetDataSource(Data({"N:Integer"}, {"1"}));
    const std::filesystem::path Bmp = Dir / "red.bmp";
    std::ofstream(Bmp, std::ios::binary) << RedBitmap();
    auto* Own = Add<TKivImageLabel>(Page->Detail(), 0, 40, 16);
    Own->Picture()->LoadFromFile(Bmp.string());
    Own->StartPrint();
    EXPECT_EQ(Own->ImageWidth(), 4);
    EXPECT_EQ(Own->SpendHeight(Page, 100), 2 + 2) << "top and the picture's height, not stretched";
    const std::string FromFile = Run();
    ExpectGoldenFile(Golden("image-file.dump"), FromFile);
    EXPECT_EQ(ImageRecord(FromFile).rfind("DrawBitmap", 0), 0u) << FromFile;

    // The same picture stored by a data set: an 8-byte prefix (1, 256, the size) before it.
    Own->Picture()->SetGraphic(nullptr);
    auto* Var = new TKivExprVar(&Root);
    Var->SetParent(Page);
    Var->SetDataType(dtypeBlob);
    Var->SetUpdateLevel(Page->Detail()->UpdateLevel());
    std::string Stored = RedBitmap();
    const unsigned Size = unsigned(Stored.size());
    Stored = std::string("\x01\x00\x00\x01", 4) + std::string{char(Size & 0xFF), char(Size >> 8), 0, 0} + Stored;
    Var->OnGetData = [&Stored](TKivVar* V) {
        TMemoryStream S;
        S.WriteBuffer(Stored.data(), Int64(Stored.size()));
        V->SetAsStream(&S);
    };
    Own->SetVariable(Var);
    Own->SetStretch(true);
    EXPECT_EQ(ImageRecord(Run()).rfind("StretchDrawBitmap", 0), 0u) << "the prefix is skipped";
    Stored.clear();
    EXPECT_EQ(ImageRecord(Run()), "") << "an empty blob draws nothing";
}

// Pictures in formats only an image plugin reads (TIFF, WebP, SVG) print through the catch-all:
// the page shows the four quadrants of the 8 x 8 test picture, stretched over the label.
TEST_F(KindsPage, PicturesInPluginFormatsPrintTheirPixels)
{
    Page->SetDataSource(Data({"N:Integer"}, {"1"}));
    auto* Own = Add<TKivImageLabel>(Page->Detail(), 0, 80, 80);
    Own->SetStretch(true);
    Page->Detail()->SetHeight(100);
    for (const char* Name : {"quadrants.tiff", "quadrants.webp", "quadrants.svg"}) {
        SCOPED_TRACE(Name);
        Own->Picture()->LoadFromFile(std::string(QOR_TEST_DATA_DIR) + "/output/" + Name);
        TQorOutput Job;
        RunPagePass(Page, Job);
        ASSERT_NE(Job.QorFile(), nullptr);
        HDC DC = CreateRasterDC(816, 1056, 96);
        Job.QorFile()->PlayPage(DC, 1);
        if (const char* Keep = std::getenv("QOR_KEEP_PNG")) // to look at
            SaveDCToPng(DC, std::string(Keep) + "-" + Name + ".png");
        // The picture's box: the pixels of its four colours (the page's texts are black).
        const auto Coloured = [](COLORREF C) {
            C &= 0xFFFFFF;
            return C == RGB(255, 0, 0) || C == RGB(0, 255, 0) || C == RGB(0, 0, 255) || C == RGB(255, 255, 0);
        };
        Integer L = 816, T = 1056, R = -1, B = -1;
        for (Integer Y = 0; Y < 1056; ++Y)
            for (Integer X = 0; X < 816; ++X)
                if (Coloured(GetPixel(DC, X, Y)))
                    L = std::min(L, X), T = std::min(T, Y), R = std::max(R, X), B = std::max(B, Y);
        ASSERT_GT(R - L, 60) << "the picture is drawn, stretched";
        const auto At = [&](Integer FX, Integer FY) {
            return GetPixel(DC, L + (R - L) * FX / 4, T + (B - T) * FY / 4) & 0xFFFFFF;
        };
        EXPECT_EQ(At(1, 1), RGB(255, 0, 0));
        EXPECT_EQ(At(3, 1), RGB(0, 255, 0));
        EXPECT_EQ(At(1, 3), RGB(0, 0, 255));
        EXPECT_EQ(At(3, 3), RGB(255, 255, 0));
        DeleteDC(DC);
    }
}

std::string Hex(const std::string& Bytes)
{
    static const char* Digits = "0123456789ABCDEF";
    std::string Out;
    for (unsigned char C : Bytes) {
        Out += Digits[C >> 4];
        Out += Digits[C & 15];
    }
    return Out;
}

TEST_F(KindsPage, PicturesComeFromABlobFieldAndAGraphicFieldOfADatabase)
{
    const std::string Db = (Dir / "pictures.db").string();
    const std::string Bmp = RedBitmap();
    const unsigned Size = unsigned(Bmp.size());
    const std::string Stored = std::string("\x01\x00\x00\x01", 4) +
                               std::string{char(Size & 0xFF), char(Size >> 8), 0, 0} + Bmp;
    RunCommand("sqlite3 '" + Db +
               "' \"CREATE TABLE pics (id INTEGER, stored BLOB, pic GRAPHIC); INSERT INTO pics VALUES (1, X'" +
               Hex(Stored) + "', X'" + Hex(Bmp) + "')\"");
    auto* Database = new TDatabase(&Root);
    Database->SetDatabaseName(Db);
    auto* Query = new TQuery(&Root);
    Query->SetDatabase(Database);
    Query->SQL()->SetText("SELECT id, stored, pic FROM pics");
    auto* Source = new TDataSource(&Root);
    Source->SetDataSet(Query);
    Page->SetDataSource(Source);
    TKivLevel* Level = Page->Detail()->UpdateLevel();
    Add<TKivImageLabel>(Page->Detail(), 0)->SetVariable(Field(Source, "stored", Level));
    Add<TKivImageLabel>(Page->Detail(), 100)->SetVariable(Field(Source, "pic", Level));
    std::istringstream In(Run());
    int Pictures = 0;
    for (std::string Line; std::getline(In, Line);)
        Pictures += Line.rfind("  DrawBitmap", 0) == 0;
    EXPECT_EQ(Pictures, 2) << "the blob's prefix skipped, the graphic read as it is";
}

// Bar codes of field data, printed through qor run and read back from the report's pictures.
TEST(BarCodeReport, Code39AndInterleaved2Of5AreReadBackByAScanner)
{
    const std::filesystem::path Dir = std::filesystem::temp_directory_path() /
                                      ("qor-barcodes-" + std::to_string(::getpid()));
    std::filesystem::remove_all(Dir);
    std::filesystem::create_directories(Dir);
    const std::string Form = (Dir / "codes.qfm").string();
    std::ofstream(Form) << "object CodeForm: TForm\n"
                           "  object Items: TMemoryDataSet\n"
                           "    Columns.Strings = (\n      'Code:String:20'\n      'Number:String:20')\n"
                           "    Rows.Strings = (\n      'QOR-2024,12345678')\n  end\n"
                           "  object ItemSource: TDataSource\n    DataSet = Items\n  end\n"
                           "  object Report: TKivReport\n"
                           "    object Page1: TKivGrouppage\n"
                           "      Detail = D\n      DataSource = ItemSource\n"
                           "      object D: TKivBand\n        Height = 200\n        Updatelevel = DLevel\n"
                           "        object Code39: TKivBarCodeLabel\n          Left = 20\n          Top = 10\n"
                           "          Width = 400\n          Height = 70\n          Variable = CodeVar\n"
                           "          NarrowWidth = 2\n          WideWidth = 5\n        end\n"
                           "        object Code25: TKivBarCodeLabel\n          Left = 20\n          Top = 110\n"
                           "          Width = 400\n          Height = 70\n          Variable = NumberVar\n"
                           "          BarCodeType = bct2of5\n          NarrowWidth = 2\n          WideWidth = 5\n"
                           "        end\n      end\n"
                           "      object DLevel: TKivLevel\n      end\n"
                           "      object CodeVar: TKivDBVar\n        DataSource = ItemSource\n"
                           "        DataField = 'Code'\n        UpdateLevel = DLevel\n      end\n"
                           "      object NumberVar: TKivDBVar\n        DataSource = ItemSource\n"
                           "        DataField = 'Number'\n        UpdateLevel = DLevel\n      end\n"
                           "    end\n  end\nend\n";
    TToolRun R = RunQorTool("run '" + Form + "' --to '" + (Dir / "codes.qor").string() + "'", Dir,
                            "QT_QPA_PLATFORM=offscreen");
    ASSERT_EQ(R.Exit, 0) << R.Err;
    R = RunQorTool("render '" + (Dir / "codes.qor").string() + "' --png '" + (Dir / "png").string() + "' --dpi 300",
                   Dir);
    ASSERT_EQ(R.Exit, 0) << R.Err;
    std::string Png;
    for (const auto& E : std::filesystem::directory_iterator(Dir / "png"))
        Png = E.path().string();
    const std::string Read = RunCommand("zbarimg --quiet '" + Png + "' 2>&1");
    EXPECT_NE(Read.find("CODE-39:QOR-2024"), std::string::npos) << Read;
    EXPECT_NE(Read.find("I2/5:12345678"), std::string::npos) << Read;
    std::filesystem::remove_all(Dir);
}

} // namespace

namespace {

using BarCodePrint = KindPrint<TKivBarCodeLabel>;

TEST_F(BarCodePrint, DataACodeCannotHoldDrawsNoBars)
{
    Label.SetBounds(0, 0, 300, 60);
    auto* Var = new TKivExprVar(nullptr);
    std::unique_ptr<TKivExprVar> Owned(Var);
    Var->SetDataType(dtypeString);
    String Value = "12AB";
    Var->OnGetData = [&Value](TKivVar* V) { V->SetAsString(Value); };
    Var->Initialize();
    Label.SetVariable(Var);
    Label.SetBarCodeType(bct2of5);
    Label.Print(&Page, 60);
    const auto None = Drawn();
    EXPECT_FALSE(Has(None, "FillRect") || Has(None, "PatBlt")) << "interleaved 2 of 5 holds digits only";
    Value = "1234";
    Var->SetUpdateMode(umNeedUpdate);
    Label.Print(&Page, 60);
    const auto Bars = Rec.Calls();
    EXPECT_TRUE(Has(Bars, "FillRect") || Has(Bars, "PatBlt")) << ::testing::PrintToString(Bars);
    Label.SetVariable(nullptr);
}

} // namespace
