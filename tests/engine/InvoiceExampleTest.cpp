// The invoice example: every kind of label in one report form, run by qor run; its bar code read
// back by zbarimg, its total checked, and its custom label drawn by a handler bound in C++.

#include "output/PageFileTestSupport.h"
#include "common/Golden.h"
#include "common/SoundPdf.h"
#include "output/OutputTestSupport.h"
#include "platform/rtl/Filer.h"
#include "platform/ui/Application.h"
#include "printing/PrintTestSupport.h"
#include "runtime/engine/KivLabels.h"
#include "runtime/engine/KivPage.h"
#include "runtime/engine/KivRep.h"
#include "runtime/engine/PSetup.h"
#include "runtime/output/QorDump.h"
#include "runtime/output/QorFile.h"
#include "runtime/output/QorOut.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

using namespace qor;
using namespace qor::test;

namespace {

const std::string InvoiceForm = std::string(QOR_SOURCE_DIR) + "/examples/invoice/invoice.qfm";

class InvoiceExample : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir = std::filesystem::temp_directory_path() / ("qor-invoice-" + std::to_string(::getpid()));
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir);
    }
    void TearDown() override { std::filesystem::remove_all(Dir); }
    std::filesystem::path Dir;
};

TEST_F(InvoiceExample, RunsWithItsTotalAndABarCodeAScannerReads)
{
    const std::string Qor = (Dir / "invoice.qor").string();
    TToolRun R = RunQorTool("run '" + InvoiceForm + "' --to '" + Qor + "'", Dir, "QT_QPA_PLATFORM=offscreen");
    ASSERT_EQ(R.Exit, 0) << R.Err;
    EXPECT_NE(R.Out.find("Written: " + Qor + " (1 page)"), std::string::npos) << R.Out;
    EXPECT_NE(R.Err.find("made 1 page\n"), std::string::npos) << R.Err;
    TQorQorFile File;
    File.LoadFromFile(Qor);
    const std::string Dump = QorDumpQorFile(File);
    EXPECT_NE(Dump.find("\"191.00\""), std::string::npos) << "the sum of the five amounts";
    for (const char* Kind : {"DrawCheckBox", "DrawBitmap", "RoundRect", "Print3of9Barcode", "RtfDraw"})
        EXPECT_NE(Dump.find(Kind), std::string::npos) << Kind;
    // Every kind of label, pinned.
    ExpectGoldenPageFile(std::string(QOR_TEST_DATA_DIR) + "/engine/labels/invoice.dump", File);
    const std::string Pdf = (Dir / "invoice.pdf").string();
    R = RunQorTool("run '" + InvoiceForm + "' --to '" + Pdf + "'", Dir, "QT_QPA_PLATFORM=offscreen");
    ASSERT_EQ(R.Exit, 0) << R.Err;
    const std::string Text = RunCommand("pdftotext '" + Pdf + "' -");
    for (const char* Part : {"Invoice", "Toner cartridge", "191.00", "Thank you", "paid in full"})
        EXPECT_NE(Text.find(Part), std::string::npos) << Part << "\n" << Text;
    ExpectSoundPdf(Pdf);
    R = RunQorTool("render '" + Qor + "' --png '" + (Dir / "png").string() + "' --dpi 300", Dir);
    ASSERT_EQ(R.Exit, 0) << R.Err;
    std::string Png;
    for (const auto& E : std::filesystem::directory_iterator(Dir / "png"))
        Png = E.path().string();
    const std::string Read = RunCommand("zbarimg --quiet '" + Png + "' 2>&1");
    EXPECT_NE(Read.find("CODE-39:INV-2024-117"), std::string::npos) << Read;
}

TEST_F(InvoiceExample, TheCustomLabelDrawsWhatItsHandlerDraws)
{
    std::ifstream In(InvoiceForm);
    std::stringstream Text;
    Text << In.rdbuf();
    std::unique_ptr<TComponent> Form(ReadComponentFromText(Text.str(), nullptr, InvoiceForm,
                                                           std::filesystem::path(InvoiceForm).parent_path().string()));
    auto* Report = dynamic_cast<TKivReport*>(Form->FindComponent("Report"));
    auto* Page = dynamic_cast<TKivGrouppage*>(Form->FindComponent("InvoicePage"));
    auto* Stamp = dynamic_cast<TKivCustomLabel*>(Form->FindComponent("Stamp"));
    ASSERT_TRUE(Report && Page && Stamp);
    int Calls = 0;
    Stamp->OnDraw = [&Calls](TKivLabel*, TObject* Canvas, const TRect& R) {
        ++Calls;
        auto* C = static_cast<TQorCanvas*>(Canvas);
        C->Rectangle(R.Left, R.Top, R.Right, R.Bottom);
        C->Textout(R.Left + 10, R.Bottom - 10, "PAID");
    };
    const std::string Qor = (Dir / "stamped.qor").string();
    Page->PageSetup()->SetDestination(destFile);
    Page->SetQorFileName(Qor);
    Report->SetPrompt(false);
    Report->SetSuppressStatus(true);
    Report->Run();
    EXPECT_EQ(Calls, 1) << "once, on the one page";
    TQorQorFile File;
    File.LoadFromFile(Qor);
    EXPECT_NE(QorDumpQorFile(File).find("\"PAID\""), std::string::npos);
}

} // namespace
