#pragma once
// A printing environment for the output tests: a private output folder, the described printers of
// tests/data/output/printers.json, no reachable print server and a fresh printer object. Every
// printer's capabilities are taken into the process-wide cache while its settings are the
// driver's defaults, so the defaults the cache keeps do not depend on the order tests run in.

#include "common/SoundPdf.h"
#include "platform/graphics/Gdi.h"
#include "platform/printing/PrinterDriver.h"
#include "platform/printing/Printers.h"
#include "platform/rtl/StringList.h"
#include "printing/PrintTestSupport.h"
#include "runtime/output/QorOut.h"
#include "runtime/output/QorPSet.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace qor::test {

// An output canvas that draws on a recording device context (by default a letter page at 96
// pixels an inch), and the calls it recorded.
class TRecordingCanvas {
public:
    explicit TRecordingCanvas(Integer Width = 816, Integer Height = 1056, Integer PPI = 96, bool Printer = false)
        : DC(CreateRecordingDC(Width, Height, PPI, Printer))
    {
        Canvas.SetPixelsPerInchX(PPI);
        Canvas.SetPixelsPerInchY(PPI);
        Canvas.SetHandle(DC);
    }
    ~TRecordingCanvas()
    {
        Canvas.SetHandle(HDC());
        DeleteDC(DC);
    }
    TRecordingCanvas(const TRecordingCanvas&) = delete;
    TRecordingCanvas& operator=(const TRecordingCanvas&) = delete;

    // Every call recorded since the last look, which forgets them.
    std::vector<std::string> Calls()
    {
        std::vector<std::string> Out;
        for (const String& S : GetRecordedCalls(DC))
            Out.push_back(S);
        ClearRecordedCalls(DC);
        return Out;
    }
    // The calls that draw (not those that select objects or set attributes).
    std::vector<std::string> Drawn()
    {
        std::vector<std::string> Out;
        for (const std::string& S : Calls())
            for (const char* Kind : {"TextOut", "ExtTextOut", "FillRect", "PatBlt", "MoveTo", "LineTo", "Rectangle"})
                if (S.rfind(Kind, 0) == 0)
                    Out.push_back(S);
        return Out;
    }

    HDC DC;
    TQorCanvas Canvas;
};

inline std::string OutputDataFile(const std::string& Name)
{
    return std::string(QOR_TEST_DATA_DIR) + "/output/" + Name;
}

struct TToolRun {
    int Exit = -1;
    std::string Out, Err;
};

// Runs the qor program with Args (a shell fragment) and Env before it, capturing both outputs in Dir.
inline TToolRun RunQorTool(const std::string& Args, const std::filesystem::path& Dir,
                           const std::string& Env = "QT_QPA_PLATFORM=offscreen QOR_NO_PRINTERS=1")
{
    const std::string OutFile = (Dir / "stdout.txt").string(), ErrFile = (Dir / "stderr.txt").string();
    const std::string Command = "env " + Env + " '" + std::string(QOR_BINARY_DIR) + "/tools/qor' " + Args + " >'" +
                                OutFile + "' 2>'" + ErrFile + "'";
    TToolRun R;
    const int Status = std::system(Command.c_str());
    R.Exit = WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
    R.Out = ReadWholeFile(OutFile);
    R.Err = ReadWholeFile(ErrFile);
    return R;
}

class DescribedPrinterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir = std::filesystem::temp_directory_path() /
              ("qor-out-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir);
        setenv("QOR_PDF_DIR", Dir.c_str(), 1);
        setenv("QOR_PRINTERS", OutputDataFile("printers.json").c_str(), 1);
        setenv("CUPS_SERVER", "127.0.0.1:9", 1);
        unsetenv("QOR_NO_PRINTERS");
        RefreshPrinterDrivers();
        delete ::qor::SetPrinter(nullptr);
        TPrinter* P = Printer();
        for (Integer I = 0; I < P->Printers()->Count(); ++I) {
            P->SetPrinterIndex(I);
            TQorPrinterInfo Warm;
        }
        delete ::qor::SetPrinter(nullptr);
    }

    void TearDown() override
    {
        delete ::qor::SetPrinter(nullptr);
        std::error_code Ec;
        std::filesystem::remove_all(Dir, Ec);
    }

    // Selects a printer by name with its driver's default settings.
    void Select(const String& Name)
    {
        TPrinter* P = Printer();
        const Integer Index = P->Printers()->IndexOf(Name);
        ASSERT_GE(Index, 0) << Name;
        P->SetPrinterIndex(Index);
    }

    // A copy of the selected printer's settings record.
    TDeviceMode CurrentDevMode()
    {
        String Device, Driver, Port;
        HDEVMODE H;
        Printer()->GetPrinter(Device, Driver, Port, H);
        TDeviceMode D = *GlobalLock(H);
        GlobalUnlock(H);
        return D;
    }

    // The driver's default record of the selected printer.
    TDeviceMode DefaultDevMode()
    {
        String Device, Driver, Port;
        HDEVMODE H;
        Printer()->GetPrinter(Device, Driver, Port, H);
        return FindPrinterDriver(Device)->DefaultDevMode();
    }

    // Prints one page per call of Draw on the selected printer into File (PDF and job log); the PDF
    // passes qpdf's check.
    template <class F>
    void PrintJob(const std::string& File, int Pages, F&& BetweenPages)
    {
        TPrinter* P = Printer();
        P->SetTitle("Output test");
        P->BeginDoc(File);
        for (int I = 1; I < Pages; ++I) {
            BetweenPages(I);
            P->NewPage();
        }
        P->EndDoc();
        ExpectSoundPdf(File);
    }

    std::filesystem::path Dir;
};

} // namespace qor::test
