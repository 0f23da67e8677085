// The examples printed to PDF: every page as poppler draws it matches the page file's own picture
// at the same resolution, the file passes qpdf's check, its faces are embedded subsets and its
// pictures are stored once each.

#include "common/NeedTool.h"
#include "common/SoundPdf.h"
#include "output/OutputTestSupport.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Picture.h"
#include "printing/PrintTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>

using namespace qor;
using namespace qor::test;

namespace {

struct TExample {
    const char* Name;
    const char* Folder; // under examples/
    const char* Sql;    // the database's script, or ""
    const char* Rows;   // rows the script makes, or ""
    int Pictures;       // distinct pictures the report shows
};

// The pixels of a picture file, 0x00RRGGBB.
std::vector<TColor> Pixels(const std::string& File, Integer& W, Integer& H)
{
    TPicture picture;
    picture.LoadFromFile(File);
    W = H = 0;
    if (!picture.Graphic())
        return {};
    TBitmap b;
    W = picture.Width();
    H = picture.Height();
    b.SetSize(W, H);
    b.Canvas()->Draw(0, 0, picture.Graphic());
    std::vector<TColor> out;
    out.reserve(std::size_t(W * H));
    for (Integer y = 0; y < H; ++y)
        for (Integer x = 0; x < W; ++x)
            out.push_back(b.Canvas()->Pixel(x, y));
    return out;
}

class ExamplePdf : public ::testing::TestWithParam<TExample> {
protected:
    void SetUp() override
    {
        for (const char* tool : {"pdftoppm", "qpdf", "pdffonts", "pdfimages"})
            if (!HaveProgram(tool))
                QOR_SKIP_WITHOUT_TOOL(std::string(tool) + " is not installed");
        Dir = std::filesystem::temp_directory_path() / ("qor-example-pdf-" + std::to_string(::getpid()) + "-" +
                                                        GetParam().Name);
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir);
    }
    void TearDown() override { std::filesystem::remove_all(Dir); }
    std::string Path(const std::string& Name) const { return (Dir / Name).string(); }
    std::filesystem::path Dir;
};

TEST_P(ExamplePdf, EveryPageMatchesItsPictureAndTheFileIsSound)
{
    const TExample& e = GetParam();
    const std::string src = std::string(QOR_SOURCE_DIR) + "/examples/" + e.Folder + "/";
    const std::string form = Path(std::string(e.Name) + ".qfm");
    std::filesystem::copy_file(src + e.Name + ".qfm", form);
    if (*e.Sql)
        RunCommand(std::string("sqlite3 ") +
                   (*e.Rows ? std::string("-cmd \"CREATE TEMP TABLE sales_rows AS SELECT ") + e.Rows + " AS n\" " : "") +
                   "'" + Path(std::string(e.Name) + ".db") + "' < '" + src + e.Sql + "'");
    // The forms name their databases relative to the folder they run in.
    const std::string env = "-C '" + Dir.string() + "' QT_QPA_PLATFORM=offscreen";
    for (const std::string& args : {"run '" + form + "' --to r.pdf", "run '" + form + "' --to r.qor",
                                   std::string("render r.qor --png png --dpi 96")}) {
        const TToolRun run = RunQorTool(args, Dir, env);
        ASSERT_EQ(run.Exit, 0) << args << "\n" << run.Err;
    }
    RunCommand("pdftoppm -r 96 -png '" + Path("r.pdf") + "' '" + Path("pdf") + "'");

    const int pages = PdfPageCount(Path("r.pdf"));
    ASSERT_GT(pages, 0);
    for (int page = 1; page <= pages; ++page) {
        // Both programs number the pictures with as many digits as the page count has.
        const int digits = int(std::to_string(pages).size());
        char png[32], ppm[32];
        std::snprintf(png, sizeof png, "png/page-%0*d.png", digits, page);
        std::snprintf(ppm, sizeof ppm, "pdf-%0*d.png", digits, page);
        Integer w = 0, h = 0, pw = 0, ph = 0;
        const std::vector<TColor> ours = Pixels(Path(png), w, h), poppler = Pixels(Path(ppm), pw, ph);
        ASSERT_GT(w, 0) << png;
        ASSERT_EQ(w, pw) << ppm;
        ASSERT_EQ(h, ph) << ppm;
        // The PDF's lines were laid out at the printer's resolution, the picture's at its own: a
        // glyph may stand a pixel or two apart, and two rasterizers smooth edges each their own way.
        // So a pixel matches when one near it in the other picture has nearly its colour.
        const auto far = [&](const std::vector<TColor>& A, const std::vector<TColor>& B) {
            std::size_t n = 0;
            for (Integer y = 0; y < h; ++y)
                for (Integer x = 0; x < w; ++x) {
                    const TColor a = A[std::size_t(y * w + x)];
                    int best = 255;
                    for (Integer dy = std::max<Integer>(0, y - 1); dy <= std::min(h - 1, y + 1) && best > 96; ++dy)
                        for (Integer dx = std::max<Integer>(0, x - 3); dx <= std::min(w - 1, x + 3) && best > 96; ++dx) {
                            const TColor b = B[std::size_t(dy * w + dx)];
                            int d = 0;
                            for (int s = 0; s < 24; s += 8)
                                d = std::max(d, std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF)));
                            best = std::min(best, d);
                        }
                    n += best > 96;
                }
            return double(n) / double(A.size());
        };
        EXPECT_LT(far(ours, poppler), 0.001) << e.Name << " page " << page << ": the picture's pixels in the PDF";
        EXPECT_LT(far(poppler, ours), 0.001) << e.Name << " page " << page << ": the PDF's pixels in the picture";
    }

    ExpectSoundPdf(Path("r.pdf"));
    EXPECT_GT(ExpectSubsetFaces(Path("r.pdf")), 0);
    // Each picture is one object however often the pages show it.
    std::istringstream images(RunCommand("pdfimages -list '" + Path("r.pdf") + "'"));
    std::set<std::string> objects;
    for (std::string line; std::getline(images, line);) {
        std::smatch m;
        if (std::regex_search(line, m, std::regex("^ *\\d+ +\\d+ +image +.* (\\d+) +0 +\\d+ +\\d+ ")))
            objects.insert(m[1]);
    }
    EXPECT_EQ(int(objects.size()), e.Pictures);
}

// A report's labels in Latin, Greek, Hebrew, Arabic and CJK, in faces named and not (a label's
// characters its face lacks come from the face fontconfig names), read back in reading order.
TEST(ReportPdf, LabelsOfEveryScriptReadBackInOrderFromSubsetFaces)
{
    for (const char* tool : {"pdftotext", "pdffonts", "qpdf"})
        if (!HaveProgram(tool))
            QOR_SKIP_WITHOUT_TOOL(std::string(tool) + " is not installed");
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("qor-scripts-pdf-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string form = std::string(QOR_SOURCE_DIR) + "/tests/data/engine/scripts.qfm";
    const TToolRun run = RunQorTool("run '" + form + "' --to scripts.pdf", dir, "-C '" + dir.string() + "' QT_QPA_PLATFORM=offscreen");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    const std::string pdf = (dir / "scripts.pdf").string();
    ExpectTextsInOrder(pdf, {"Invoice total", "Σύνολο τιμολογίου", "שלום עולם", "مرحبا بالعالم", "发票总额",
                             "合計 金額", "Total 42 שקל"});
    EXPECT_GE(ExpectSubsetFaces(pdf), 3); // Liberation Sans and Serif, DejaVu Sans and a face for CJK
    ExpectSoundPdf(pdf);
    std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Examples, ExamplePdf,
                         ::testing::Values(TExample{"sales", "sales", "sales.sql", "300", 0},
                                           TExample{"shop", "masterdetail", "shop.sql", "", 0},
                                           TExample{"invoice", "invoice", "", "", 1}),
                         [](const auto& Info) { return std::string(Info.param.Name); });

} // namespace
