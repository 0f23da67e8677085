#pragma once
// Helpers shared by the printing tests: a private environment (output folder, description file,
// no reachable print server), reading files, asking pdfinfo about page sizes, and picking
// values out of a job log.

#include "common/SoundPdf.h"
#include "platform/printing/PrinterDriver.h"
#include "platform/printing/Printers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace qor::test {

inline std::string DataFile(const std::string& Name)
{
    return std::string(QOR_TEST_DATA_DIR) + "/printing/" + Name;
}

inline std::string ReadWholeFile(const std::string& Path)
{
    std::ifstream In(Path, std::ios::binary);
    std::stringstream S;
    S << In.rdbuf();
    return S.str();
}

inline void WriteWholeFile(const std::string& Path, const std::string& Text)
{
    std::ofstream Out(Path, std::ios::binary);
    Out << Text;
}

inline std::string RunCommand(const std::string& Command)
{
    std::string Out;
    if (FILE* P = popen(Command.c_str(), "r")) {
        char Buf[512];
        while (size_t N = fread(Buf, 1, sizeof Buf, P))
            Out.append(Buf, N);
        pclose(P);
    }
    return Out;
}

struct TPdfPageSize {
    double Width = 0; // points
    double Height = 0;
};

// Page sizes of a PDF in points, by pdfinfo; the file passes qpdf's check.
inline std::vector<TPdfPageSize> PdfPageSizes(const std::string& File, int Pages)
{
    ExpectSoundPdf(File);
    const std::string Out =
        RunCommand("pdfinfo -f 1 -l " + std::to_string(Pages) + " '" + File + "' 2>/dev/null");
    std::vector<TPdfPageSize> Sizes;
    std::regex Re(R"(Page\s+\d+ size:\s+([0-9.]+) x ([0-9.]+) pts)");
    for (auto It = std::sregex_iterator(Out.begin(), Out.end(), Re); It != std::sregex_iterator(); ++It)
        Sizes.push_back({std::stod((*It)[1]), std::stod((*It)[2])});
    return Sizes;
}

inline int PdfPageCount(const std::string& File)
{
    const std::string Out = RunCommand("pdfinfo '" + File + "' 2>/dev/null");
    std::smatch M;
    if (std::regex_search(Out, M, std::regex(R"(Pages:\s+(\d+))")))
        return std::stoi(M[1]);
    return -1;
}

// The integer fields of a job log: "copies", "pageCount", ... at the top, and per page.
struct TJobLog {
    std::map<std::string, std::string> Top;
    std::vector<std::map<std::string, std::string>> Pages;
};

inline std::map<std::string, std::string> ScalarFields(const std::string& Text)
{
    std::map<std::string, std::string> F;
    std::regex Re(R"re("(\w+)":\s*("[^"]*"|-?[0-9]+|true|false|\[[^\]]*\]))re");
    for (auto It = std::sregex_iterator(Text.begin(), Text.end(), Re); It != std::sregex_iterator(); ++It)
        F[(*It)[1]] = (*It)[2];
    return F;
}

inline TJobLog ReadJobLog(const std::string& Path)
{
    const std::string Text = ReadWholeFile(Path);
    TJobLog Log;
    const size_t PagesAt = Text.find("\"pages\"");
    if (PagesAt == std::string::npos)
        return Log;
    const size_t Open = Text.find('[', PagesAt);
    size_t Close = Open;
    int Depth = 0;
    for (; Close < Text.size(); ++Close) {
        if (Text[Close] == '[')
            ++Depth;
        if (Text[Close] == ']' && --Depth == 0)
            break;
    }
    Log.Top = ScalarFields(Text.substr(0, PagesAt) + Text.substr(Close + 1));
    const std::string PagesText = Text.substr(Open + 1, Close - Open - 1);
    size_t At = 0;
    while ((At = PagesText.find('{', At)) != std::string::npos) {
        const size_t End = PagesText.find('}', At);
        Log.Pages.push_back(ScalarFields(PagesText.substr(At, End - At)));
        At = End;
    }
    return Log;
}

// Every printing test runs with its own output folder, the sample description file and a
// print server address where nothing answers, and with a fresh printer object.
class PrintingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir = std::filesystem::temp_directory_path() /
              ("qor-prn-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir);
        setenv("QOR_PDF_DIR", Dir.c_str(), 1);
        setenv("QOR_PRINTERS", DataFile("office.json").c_str(), 1);
        setenv("CUPS_SERVER", "127.0.0.1:9", 1); // the discard port: nothing listens there
        unsetenv("QOR_NO_PRINTERS");
        RefreshPrinterDrivers();
        delete ::qor::SetPrinter(nullptr);
    }

    void TearDown() override
    {
        delete ::qor::SetPrinter(nullptr);
        std::error_code Ec;
        std::filesystem::remove_all(Dir, Ec);
    }

    std::filesystem::path Dir;
};

} // namespace qor::test
