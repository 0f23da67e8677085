#pragma once
// A PDF a test made passes qpdf's check (structure, cross-reference table, every stream decodes).
// Without qpdf the test is marked skipped (failed under QOR_REQUIRE_TOOLS); its other checks still run.
// And what poppler's tools read from it: its text in reading order, its faces.

#include "common/NeedTool.h"

#include <cstdio>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace qor::test {

// Standard output of a shell command, and its exit status.
inline std::string PdfToolOutput(const std::string& Command, int* Status = nullptr)
{
    std::string Out;
    int Exit = -1;
    if (FILE* P = popen(Command.c_str(), "r")) {
        char Buf[512];
        while (std::size_t N = std::fread(Buf, 1, sizeof Buf, P))
            Out.append(Buf, N);
        Exit = pclose(P);
    }
    if (Status)
        *Status = Exit;
    return Out;
}

inline void ExpectSoundPdf(const std::string& File)
{
    static const bool Have = HaveProgram("qpdf");
    if (!Have)
        QOR_SKIP_WITHOUT_TOOL("qpdf is not installed");
    int Status = -1;
    const std::string Out = PdfToolOutput("qpdf --check '" + File + "' 2>&1", &Status);
    EXPECT_TRUE(Status == 0 && Out.find("No syntax or stream encoding errors") != std::string::npos)
        << "qpdf --check " << File << ":\n" << Out;
}

// pdftotext's text of File, each of Texts found in it in that order. The reader marks right-to-left
// runs with embedding controls (U+202A to U+202E): they are dropped first.
inline void ExpectTextsInOrder(const std::string& File, const std::vector<std::string>& Texts)
{
    std::string Text = PdfToolOutput("pdftotext '" + File + "' - 2>&1");
    for (std::size_t i; (i = Text.find("\xE2\x80")) != std::string::npos && i + 2 < Text.size() &&
                        static_cast<unsigned char>(Text[i + 2]) >= 0xAA &&
                        static_cast<unsigned char>(Text[i + 2]) <= 0xAE;)
        Text.erase(i, 3);
    std::size_t At = 0;
    for (const std::string& T : Texts) {
        const std::size_t Found = Text.find(T, At);
        EXPECT_NE(Found, std::string::npos) << T << " in\n" << Text;
        if (Found != std::string::npos)
            At = Found;
    }
}

// The faces pdffonts lists for File, each expected to be an embedded subset with a text map.
inline int ExpectSubsetFaces(const std::string& File)
{
    std::istringstream Rows(PdfToolOutput("pdffonts '" + File + "' 2>&1"));
    int Faces = 0;
    for (std::string Row; std::getline(Rows, Row);)
        if (Row.find("Identity-H") != std::string::npos) {
            ++Faces;
            EXPECT_TRUE(std::regex_search(Row, std::regex("^[A-Z]{6}\\+\\S+ .* yes +yes +yes "))) << Row;
        }
    return Faces;
}

} // namespace qor::test
