#pragma once
// Helpers for the page-file tests: a private folder, file bytes, saved bytes of a page file, a
// page file's golden dump with its loading and playing, a small document of two pages drawn
// straight into a page file, and error texts.

#include "common/Golden.h"
#include "common/TestErrors.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Brush.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Pen.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"
#include "runtime/output/QorDump.h"
#include "runtime/output/QorFile.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace qor::test {

class TempDir {
public:
    explicit TempDir(const std::string& Name)
        : FPath(std::filesystem::temp_directory_path() / ("qor-pf-" + std::to_string(::getpid()) + "-" + Name))
    {
        std::filesystem::remove_all(FPath);
        std::filesystem::create_directories(FPath);
    }
    ~TempDir()
    {
        std::error_code Ec;
        std::filesystem::remove_all(FPath, Ec);
    }
    std::string File(const std::string& Name) const { return (FPath / Name).string(); }
    const std::filesystem::path& Path() const { return FPath; }
    int Count() const
    {
        return static_cast<int>(std::distance(std::filesystem::directory_iterator(FPath), {}));
    }

private:
    std::filesystem::path FPath;
};

inline std::vector<Byte> ReadBytes(const std::string& Name)
{
    std::ifstream In(Name, std::ios::binary);
    return std::vector<Byte>(std::istreambuf_iterator<char>(In), {});
}

inline std::vector<Byte> SavedBytes(TQorQorFile& F)
{
    TBytesStream S;
    F.SaveToStream(&S);
    return S.Bytes();
}

// F saved and loaded again reads as Dump (F's dump) and plays every page. The header's length and
// the file's printer setup are the saved file's own.
inline void ExpectLoadsAndPlays(TQorQorFile& F, const std::string& Dump)
{
    const auto Body = [](const std::string& Text) {
        std::istringstream In(Text);
        std::string Out;
        for (std::string Line; std::getline(In, Line);)
            if (Line.rfind("header ", 0) != 0 && Line.rfind("setup ", 0) != 0)
                Out += Line + "\n";
        return Out;
    };
    TBytesStream S;
    F.SaveToStream(&S);
    S.SetPosition(0);
    TQorQorFile Loaded;
    Loaded.LoadFromStream(&S);
    EXPECT_EQ(Body(QorDumpQorFile(Loaded)), Body(Dump)) << "the page file loaded again";
    const HDC DC = CreateRasterDC(Loaded.PageWidth(), Loaded.PageHeight(), Loaded.PixelsPerInchY());
    for (Integer Page = 1; Page <= Loaded.PageCount(); ++Page)
        EXPECT_NO_THROW(Loaded.PlayPage(DC, Page)) << "page " << Page;
    DeleteDC(DC);
}

// F's dump is the golden file's, and F loads again and plays.
inline void ExpectGoldenPageFile(const std::string& Golden, TQorQorFile& F)
{
    const std::string Dump = QorDumpQorFile(F);
    ExpectGoldenFile(Golden, Dump);
    ExpectLoadsAndPlays(F, Dump);
}

// Two pages with two fonts, two pens and a brush, text and shapes.
inline void RecordMixedDocument(TQorQorFile& F)
{
    F.SetDescription("Mixed");
    F.BeginDoc();
    TFont Font;
    Font.SetName("Arial");
    Font.SetSize(10);
    F.SetFont(&Font);
    F.Textout(10, 20, "First page");
    TPen Pen;
    F.SetPen(&Pen);
    F.Rectangle(10, 40, 200, 90);
    TBrush Brush;
    Brush.SetColor(clYellow);
    F.SetBrush(&Brush);
    F.FillRect(TRect(10, 100, 50, 120));
    F.NewPage();
    Font.SetSize(14);
    F.SetFont(&Font);
    Pen.SetWidth(2);
    F.SetPen(&Pen);
    F.Textout(10, 20, "Second page");
    F.LineTo(300, 300);
    F.EndDoc();
}

// Bytes of the object table of a saved file.
inline size_t ObjectTableSize(const TQorQorFile& F)
{
    size_t Size = 0;
    for (const auto& O : F.Objects())
        Size += 2 + (O->ObjectType == qotFont ? 82 : O->ObjectType == qotPen ? 8 : O->ObjectType == qotBrush ? 5 : 0);
    return Size;
}

} // namespace qor::test
