#pragma once
// A group page built the way a report designer leaves it: the five main bands with their levels,
// labels showing a caption or a variable, data sets of rows, and the pages of a pass read back from
// the page file as the texts each page shows.

#include "engine/StandInReport.h"
#include "output/OutputTestSupport.h"
#include "output/PageFileTestSupport.h"
#include "platform/db/DataSource.h"
#include "platform/db/MemoryDataSet.h"
#include "platform/rtl/StringList.h"
#include "runtime/engine/KivBand.h"
#include "runtime/engine/KivBandKinds.h"
#include "runtime/engine/KivGroup.h"
#include "runtime/engine/KivVar.h"
#include "runtime/output/QorDump.h"

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace qor::test {

// A label that prints its caption followed by a variable's value.
class TVarTextLabel : public TKivLabel {
public:
    explicit TVarTextLabel(TComponent* AOwner) : TKivLabel(AOwner) {}
    String GetDataNow() override { return Var ? Caption() + Var->AsString() : Caption(); }
    TKivVar* Var = nullptr;
};

// One text a page shows and where.
struct TShown {
    Integer X = 0, Y = 0;
    std::string Text;
};

// The texts of each page of a page-file dump, in drawing order.
inline std::vector<std::vector<TShown>> PagesOf(const std::string& Dump)
{
    std::vector<std::vector<TShown>> Pages;
    std::istringstream In(Dump);
    std::string Line;
    while (std::getline(In, Line)) {
        if (Line.rfind("page ", 0) == 0 && Line.find(" at ") == std::string::npos) {
            Pages.emplace_back();
        } else if ((Line.rfind("  TextOut ", 0) == 0 || Line.rfind("  TextJustify ", 0) == 0) && !Pages.empty()) {
            // A justified line gives its clip rectangle first: its point follows the ") ".
            const auto At = Line.rfind("  TextOut ", 0) == 0 ? 10 : Line.find(") ") + 2;
            std::istringstream L(Line.substr(At));
            TShown S;
            L >> S.X >> S.Y;
            const auto Q = Line.find('"');
            S.Text = Line.substr(Q + 1, Line.rfind('"') - Q - 1);
            Pages.back().push_back(S);
        }
    }
    return Pages;
}

inline std::vector<std::vector<std::string>> TextsOf(const std::vector<std::vector<TShown>>& Pages)
{
    std::vector<std::vector<std::string>> Out;
    for (const auto& P : Pages) {
        Out.emplace_back();
        for (const TShown& S : P)
            Out.back().push_back(S.Text);
    }
    return Out;
}

class PageFixture : public DescribedPrinterTest {
protected:
    void SetUp() override
    {
        DescribedPrinterTest::SetUp();
        Select("Plain Printer");
        Report = new TStandInReport(&Root);
        Page = new TKivGrouppage(&Root);
        Page->SetParent(Report);
        Page->PageSetup()->SetDestination(destScreen);
        Page->SetHead(MainBand("RH", 20));
        Page->Head()->SetPrintVisible(false);
        Page->SetPageHead(MainBand("PH", 20));
        Page->SetDetail(MainBand("D", 20));
        Page->SetPageFoot(MainBand("PF", 20));
        Page->SetFoot(MainBand("RF", 20));
    }

    // A band on the page with a level of its own and one label showing Text.
    TKivBand* MainBand(const String& Text, Integer Height)
    {
        auto* B = new TKivBand(&Root);
        Place(B, Text, Height);
        return B;
    }

    // Puts a band (of any kind) on the page with a level and a label.
    template <class B>
    B* Place(B* Band, const String& Text, Integer Height)
    {
        Band->SetParent(Page);
        Band->SetBounds(0, 0, 600, Height);
        auto* Level = new TKivLevel(&Root);
        Level->SetParent(Page);
        Band->SetUpdateLevel(Level);
        Label(Band, Text);
        return Band;
    }

    TVarTextLabel* Label(TKivBand* Band, const String& Text, TKivVar* Var = nullptr)
    {
        auto* L = new TVarTextLabel(&Root);
        L->SetParent(Band);
        L->SetBounds(4, 2, 200, 16);
        L->SetCaption(Text);
        L->Var = Var;
        return L;
    }

    // A memory data set with the given columns and rows, and its data source.
    TDataSource* Data(std::initializer_list<const char*> Columns, std::initializer_list<const char*> Rows)
    {
        auto* D = new TMemoryDataSet(&Root);
        for (const char* C : Columns)
            D->Columns()->Add(C);
        for (const char* R : Rows)
            D->Rows()->Add(R);
        auto* S = new TDataSource(&Root);
        S->SetDataSet(D);
        return S;
    }

    TKivDBVar* Field(TDataSource* Source, const String& Name, TKivLevel* Level)
    {
        auto* V = new TKivDBVar(&Root);
        V->SetDataSource(Source);
        V->SetDataField(Name);
        V->SetParent(Page);
        V->SetUpdateLevel(Level);
        return V;
    }

    // The page's data: N records of one integer column, shown by the detail band as "D<n>".
    void Records(Integer N)
    {
        auto* D = new TMemoryDataSet(&Root);
        D->Columns()->Add("N:Integer");
        for (Integer I = 1; I <= N; ++I)
            D->Rows()->Add(std::to_string(I));
        auto* S = new TDataSource(&Root);
        S->SetDataSet(D);
        Page->SetDataSource(S);
        Page->Detail()->Labels()[0]->SetCaption("D");
        static_cast<TVarTextLabel*>(Page->Detail()->Labels()[0])->Var = Field(S, "N", Page->Detail()->UpdateLevel());
    }

    // Runs a pass and answers the dump of the page file.
    std::string Run()
    {
        TQorOutput Job;
        RunPagePass(Page, Job);
        const std::string Dump = Job.QorFile() ? QorDumpQorFile(*Job.QorFile()) : std::string();
        if (Job.QorFile())
            ExpectLoadsAndPlays(*Job.QorFile(), Dump);
        if (const char* Keep = std::getenv("QOR_KEEP_QOR"); Keep && Job.QorFile()) // to look at: qor render
            Job.QorFile()->SaveToFile(Keep);
        return Dump;
    }
    std::vector<std::vector<std::string>> RunTexts() { return TextsOf(PagesOf(Run())); }

    TComponent Root{nullptr};
    TStandInReport* Report = nullptr;
    TKivGrouppage* Page = nullptr;
};

} // namespace qor::test
