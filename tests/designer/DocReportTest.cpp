// The designer's documentation reports run over the master-detail example, into page files read
// back through their dumps: the overview (bands, groups, labels of every kind, the band tree), the
// diagnostic (each finding), the fast-label question, and qor design --overview/--diagnostic.

#include "common/Golden.h"
#include "common/SoundPdf.h"
#include "designer/DesignerSupport.h"
#include "designer/Kivrepds.h"
#include "designer/PAGEMAN.h"
#include "designer/QorFAsk.h"
#include "designer/QorOView.h"
#include "designer/qordiag.h"
#include "output/OutputTestSupport.h"
#include "output/PageFileTestSupport.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/StdCtrls.h"
#include "runtime/engine/KivBand.h"
#include "runtime/engine/KivBandKinds.h"
#include "runtime/engine/KivExprVar.h"
#include "runtime/engine/KivGroup.h"
#include "runtime/engine/KivLabels.h"
#include "runtime/engine/KivRep.h"
#include "runtime/engine/KivText.h"
#include "runtime/engine/KivTotalLabel.h"
#include "runtime/engine/KivTotalvar.h"
#include "runtime/engine/PSetup.h"
#include "runtime/output/QorDump.h"
#include "runtime/output/QorUtil.h"

#include <regex>

using namespace qor;
using namespace qor::test;

namespace {

class DocReportTest : public DesignerTest {
protected:
    TKivReport* Report() { return Find<TKivReport>("Report"); }
    TKivPageManager* Manager()
    {
        dynamic_cast<TKivReportDesign*>(Report()->RepDesign())->CreatePageManager();
        return dynamic_cast<TKivPageManager*>(Page()->PageManager());
    }
    TQorReportRoute ToFile()
    {
        const std::string file = (Dir / "doc.qor").string();
        return [file](TKivReport* R) {
            TKivPage* p = R->Pages(0)->AsPage();
            p->PageSetup()->SetDestination(destFile);
            p->SetQorFileName(file);
        };
    }
    // The texts drawn, in order.
    std::vector<std::string> Texts()
    {
        std::vector<std::string> out;
        std::stringstream dump(QorDumpPageFile((Dir / "doc.qor").string()));
        static const std::regex text(R"re(^\s+(?:TextOut -?\d+ -?\d+|TextJustify rect \S+ -?\d+ -?\d+) "(.*?)"( endparagraph.*)?$)re");
        std::smatch m;
        for (std::string line; std::getline(dump, line);)
            if (std::regex_match(line, m, text))
                out.push_back(m[1]);
        return out;
    }
    // All text as one run with single blanks, so wrapped findings read whole.
    std::string Prose()
    {
        std::string all;
        for (const std::string& t : Texts())
            all += t + ' ';
        return std::regex_replace(all, std::regex(" +"), " ");
    }
    static std::string OneBlank(const std::string& S) { return std::regex_replace(S, std::regex(" +"), " "); }
    template <class T>
    T* Put(TKivBand* Band, const char* Name, Integer X)
    {
        auto* l = dynamic_cast<T*>(Host.Place(T::StaticClass(), Band, {X, 2}));
        l->SetName(Name);
        return l;
    }
};

} // namespace

TEST_F(DesignerTest, TheFastLabelQuestionIsCanceledUnlessOkClosesIt)
{
    const auto ask = [](const std::function<void(TQorFastAskForm*)>& Act) {
        std::unique_ptr<TQorFastAskForm> f(new TQorFastAskForm(nullptr));
        DialogService().Script([&](const TDialogRequest&) {
            Act(f.get());
            return f->ModalResult();
        });
        f->ShowModal();
        return f->Canceled;
    };
    EXPECT_FALSE(ask([](TQorFastAskForm* f) {
        f->Shrink->SetChecked(true);
        f->OkBtn->Click();
    }));
    EXPECT_TRUE(ask([](TQorFastAskForm* f) { f->CancelBtn->Click(); }));
    EXPECT_TRUE(ask([](TQorFastAskForm* f) { f->Close(); })); // the close box
    TQorFastAskForm f(nullptr);
    EXPECT_EQ(f.ClientWidth(), f.CancelBtn->Left() + f.CancelBtn->Width() + 15);
    EXPECT_TRUE(f.Wrap->Checked());
}

TEST_F(DocReportTest, OverviewDocumentsBandsGroupsLabelsAndTheTree)
{
    TKivPageManager* m = Manager();
    TKivBand* detail = Page()->Detail();
    m->AddGroup()->SetVariable(Find<TKivVar>("CustomerCityVar"));
    m->AddGroup(); // without a variable
    TKivBand* sub = m->AddSubBand(detail, false);
    TKivBand* data = m->AddSubDataBand(detail, 0); // without a data source
    ASSERT_NE(sub, nullptr);
    ASSERT_NE(data, nullptr);
    Put<TKivShape>(sub, "AShape", 0);
    Put<TKivLine>(sub, "ALine", 20);
    Put<TKivBarCodeLabel>(sub, "ABarCode", 40);
    Put<TKivImageLabel>(sub, "AnImage", 60);
    Put<TKivCheckLabel>(sub, "ACheck", 80);
    auto* lines = Put<TKivvarlabel>(sub, "ALines", 100);
    auto strings = std::make_unique<TStringList>();
    for (const char* s : {"one", "two", "three"})
        strings->Add(s);
    lines->SetLines(strings.get());
    Put<TKivTotalvarLabel>(sub, "ATotal", 200)->SetTotalVariable(Find<TKivTotalvar>("OrderAmountTotal"));

    QorRunOverview(Page(), ToFile());
    const std::vector<std::string> t = Texts();
    const auto has = [&t](const std::string& S) { return std::find(t.begin(), t.end(), S) != t.end(); };
    for (const char* s : {"Report Overview Documentation", "CustomerBand", "OrderLines", "Not assigned", "Empty",
                          "TKivShape", "sstRectangle", "ltHorizontal", "bct3of9", "csCross", "TKivTotalvarLabel",
                          "AutoLevel", "OrderAmountTotal", "ttSum"})
        EXPECT_TRUE(has(s)) << s;
    // three lines: "Lines" beside the first, two further values beside empty property lines
    const auto one = std::find(t.begin(), t.end(), "one");
    ASSERT_NE(one, t.end());
    EXPECT_EQ(std::vector<std::string>(one - 1, one + 3), (std::vector<std::string>{"Lines", "one", "two", "three"}));
    // the groups' new footer bands hold no labels
    bool zero = false, unassigned = false;
    for (size_t i = 0; i + 1 < t.size(); ++i) {
        zero = zero || (t[i] == "Label Count" && t[i + 1] == "0");
        unassigned = unassigned || (t[i] == "Grouped On" && t[i + 1] == "Not assigned"); // the group without a variable
    }
    EXPECT_TRUE(zero);
    EXPECT_TRUE(unassigned);
    // in the tree, a sub band of the detail band of a page with two groups stands at depth 4
    const std::string dump = QorDumpPageFile((Dir / "doc.qor").string());
    EXPECT_TRUE(std::regex_search(dump, std::regex("TextOut 90 \\d+ \"" + sub->Name() + "\"")));
    EXPECT_TRUE(std::regex_search(dump, std::regex("LineTo 83 \\d+")));
    // no line of the tree stands left of its rows (which start at 48)
    static const std::regex stroke(R"((?:MoveTo|LineTo) (\d+))");
    for (std::sregex_iterator i(dump.begin(), dump.end(), stroke), end; i != end; ++i)
        EXPECT_GE(std::stoi((*i)[1]), 48) << (*i)[0];

    // a page without bands prints its setup and no band record
    auto* bare = dynamic_cast<TKivGrouppage*>(Host.Place(TKivGrouppage::StaticClass(), Report(), {0, 0}));
    ASSERT_NE(bare, nullptr);
    ASSERT_TRUE(bare->BandList().empty());
    QorRunOverview(bare, ToFile());
    const std::string prose = Prose();
    EXPECT_NE(prose.find("Page Setup Information"), std::string::npos) << prose;
    EXPECT_EQ(prose.find("BorderType"), std::string::npos) << prose;
}

TEST_F(DocReportTest, DiagnosticReportsEachFinding)
{
    TKivBand* customer = Find<TKivBand>("CustomerBand");
    Put<TKivvarlabel>(customer, "Mixed", 300)->SetVariable(Find<TKivVar>("OrderIdVar"));
    Put<TKivvarlabel>(Find<TKivBand>("PageHead"), "HeadLabel", 300)->SetVariable(Find<TKivVar>("OrderIdVar"));
    Find<TKivTotalvar>("OrderAmountTotal")->SetUpdateLevel(Find<TKivLevel>("CustomerLevel"));
    Find<TKivSubDataBand>("OrderLines")->SetDataSource(nullptr);
    Page()->SetDataSource(nullptr);
    // blank labels, by variable / caption / lines
    auto strings = std::make_unique<TStringList>();
    strings->Add("a line");
    const auto blank = [&](const char* Name, bool V, bool C, bool L) {
        auto* l = Put<TKivvarlabel>(customer, Name, 400);
        if (V)
            l->SetVariable(Find<TKivVar>("CustomerNameVar"));
        if (C)
            l->SetCaption("caption");
        if (L)
            l->SetLines(strings.get());
    };
    blank("B000", false, false, false);
    blank("B011", false, true, true);
    blank("B101", true, false, true);
    blank("B110", true, true, false);
    blank("B111", true, true, true);
    blank("B010", false, true, false);
    blank("B001", false, false, true);
    blank("B100", true, false, false);
    Put<TKivCheckLabel>(customer, "NoCheckVar", 500);
    Put<TKivBarCodeLabel>(customer, "NoBarVar", 500);
    Put<TKivImageLabel>(customer, "NoImage", 500);
    Put<TKivTotalvarLabel>(customer, "NoTotal", 500);
    // layout hints
    auto* stretchy = Put<TKivTextLabel>(customer, "Stretchy", 600);
    stretchy->SetStretch(true);
    auto* wrappy = Put<TKivTextLabel>(customer, "Wrappy", 600);
    wrappy->SetWrapText(true);
    wrappy->SetStretch(false);
    Put<TKivTextLabel>(customer, "Coloured", 600)->SetColor(clYellow);
    auto* memo = Create<TKivExprVar>(Host.Root());
    memo->SetName("MemoVar");
    memo->SetParent(Page());
    memo->SetDataType(dtypeMemo);
    Put<TKivvarlabel>(customer, "MemoLabel", 600)->SetVariable(memo);

    QorRunDiagnostic(Report(), &Host, ToFile());
    std::string text = Prose();
    for (const std::string& s : std::vector<std::string>{
             "Mixed's variable, OrderIdVar, has a different UpdateLevel than Mixed's parent, CustomerBand",
             "OrdersTotal's TotalVariable, OrderAmountTotal, has a different UpdateLevel than OrdersTotal's "
             "TotalVariable 's variable's UpdateLevel. OrdersTotal's TotalVariable's variable is OrderAmountVar",
             "The TKivGroupPage, ShopPage, has a nil DataSource and one or both of the OnDataStart and OnDataSkip "
             "events are not filled in.",
             "The TKivSubDataBand, OrderLines, has a nil DataSource",
             "B000 has no variable, its lines property is nil, and its caption is blank.",
             "B011 has its caption and its Lines property set. The Lines property will not be displayed.",
             "B101 has its lines property and its variable set. The caption property will not be displayed.",
             "B110 has its variable and its caption set. The caption property will not be displayed.",
             "B111 has its variable, its caption, and its Lines properties set. The caption and Lines properties",
             "The TKivCheckLabel NoCheckVar has no variable", "The TKivBarCodeLabel NoBarVar has no variable",
             "The TKivImageLabel NoImage has no variable or picture filled in.", "NoTotal has no variable",
             "The above errors were caused by varlabels having both nil variables",
             "The label Stretchy has its Stretch property set to True, but the Stretch property of its band is "
             "false.",
             "that CustomerBand is tall enough to allow it to grow",
             "The label Stretchy has its Stretch property set to true, but its WrapText property is set to false.",
             "The label Wrappy has its Stretch property set to false, but its WrapText property is set to True.",
             "make sure that eitherWrappy's height is big enough to accomodate any possible caption",
             "You have changed the color of Coloured from its default",
             "MemoLabel's variable, MemoVar is of type dTypeMemo, but MemoLabel has its WrapText or Stretch",
             "The above errors effect the appearance of your report, and should probably be fixed."})
        EXPECT_NE(text.find(OneBlank(s)), std::string::npos) << s;
    for (const char* s : {"HeadLabel's variable", "B010 ", "B001 ", "B100 ", "color of Stretchy", "No miscellaneous"})
        EXPECT_EQ(text.find(s), std::string::npos) << s;

    // the memo texts go as UTF-16 behind a byte-order mark
    TQorDiagForm form(nullptr);
    form.RPage = Page();
    const auto utf16 = [&form](const char* Var, const std::string& Start) {
        TStream* s = dynamic_cast<TKivVar*>(form.FindComponent(Var))->AsStream();
        ASSERT_NE(s, nullptr) << Var;
        std::string bytes(static_cast<size_t>(s->Size()), '\0');
        s->SetPosition(0);
        s->ReadBuffer(bytes.data(), s->Size());
        std::string expected = "\xFF\xFE";
        for (char c : Start)
            expected += std::string{c, '\0'};
        EXPECT_EQ(bytes.substr(0, expected.size()), expected) << Var;
    };
    for (const char* v : {"blanklabsum", "MiscVar", "MiscSumVar"})
        dynamic_cast<TKivVar*>(form.FindComponent(v))->Initialize(); // as a run does
    form.BlankLabError = true;
    form.blanklabsumGetData(dynamic_cast<TKivVar*>(form.FindComponent("blanklabsum")));
    utf16("blanklabsum", "The above errors were caused by varlabels");
    const auto& labels = Page()->LabelList();
    form.m = static_cast<Integer>(std::find(labels.begin(), labels.end(), stretchy) - labels.begin());
    bool accept = false;
    form.MiscDataFilter(nullptr, accept);
    EXPECT_TRUE(accept);
    utf16("MiscVar", "The label Stretchy has its Stretch property ");

    // with both data events the page is no finding
    Page()->OnDataStart.Assign([](TKivPage*) {}, "ShopPageStart");
    Page()->OnDataSkip.Assign([](TKivPage*) {}, "ShopPageSkip");
    QorRunDiagnostic(Report(), &Host, ToFile());
    text = Prose();
    EXPECT_EQ(text.find("The TKivGroupPage"), std::string::npos);
    EXPECT_NE(text.find("The TKivSubDataBand, OrderLines"), std::string::npos);
}

TEST_F(DocReportTest, APageWithoutLabelsHasNothingToCheck)
{
    // Guide: the page's own data source, with the guide on the level Guide names (none: no source)
    const auto run = [&](const std::string& Guide) {
        const std::string source = Guide.empty() ? "" : "      DataSource = BareSource\n";
        const std::string guide = Guide.empty() ? ""
                                                : "      object BareGuide: TKivDataSourceGuide\n        DataSource = "
                                                  "BareSource\n        UpdateLevel = " + Guide +
                                                      "\n        CreateVariables = False\n      end\n";
        std::unique_ptr<TComponent> root(ReadComponentFromText("object Bare: TForm\n"
                                                               "  object BareData: TMemoryDataSet\n  end\n"
                                                               "  object BareSource: TDataSource\n    DataSet = BareData\n  end\n"
                                                               "  object BareReport: TKivReport\n"
                                                               "    object BarePage: TKivGrouppage\n"
                                                               "      Detail = BareDetail\n" + source +
                                                                   "      object BareDetail: TKivBand\n"
                                                                   "        Height = 20\n        Updatelevel = BareLevel\n"
                                                                   "      end\n"
                                                                   "      object BareLevel: TKivLevel\n      end\n"
                                                                   "      object OtherLevel: TKivLevel\n      end\n" +
                                                                   guide + "    end\n  end\nend\n",
                                                               nullptr, "bare.qfm"));
        QorRunDiagnostic(KivFindReport(root.get()), nullptr, ToFile());
        return Prose();
    };
    std::string text = run("");
    EXPECT_NE(text.find("There are no labels to check."), std::string::npos);
    EXPECT_NE(text.find("There are no Labels to check."), std::string::npos);
    EXPECT_NE(text.find("The TKivGroupPage, BarePage, has a nil DataSource"), std::string::npos);
    EXPECT_EQ(text.find("UpdateLevel Errors"), std::string::npos);
    // the page's data source updates on another level than its detail band: the page record
    text = run("OtherLevel");
    EXPECT_NE(text.find("The DataSources updatelevel is different than the Detail bands updatelevel"),
              std::string::npos) << text;
    EXPECT_EQ(text.find("has a nil DataSource"), std::string::npos);
    text = run("BareLevel");
    EXPECT_EQ(text.find("UpdateLevel Errors"), std::string::npos) << text;
}

TEST(DocReportVerbTest, OverviewAndDiagnosticOfTheExamples)
{
    const std::filesystem::path dir = std::filesystem::path(QOR_BINARY_DIR) / "tests" / "designer-out" / "verbs";
    std::filesystem::create_directories(dir);
    for (const char* example : {"sales/sales", "masterdetail/shop", "invoice/invoice"}) {
        const std::string form = std::string(QOR_SOURCE_DIR) + "/examples/" + example + ".qfm";
        const std::string name = std::filesystem::path(example).filename().string();
        const std::string qor = (dir / (name + "-overview.qor")).string();
        TToolRun run = RunQorTool("design '" + form + "' --overview '" + qor + "'", dir);
        ASSERT_EQ(run.Exit, 0) << run.Err;
        // the run's date and time are masked
        const std::string dump = std::regex_replace(QorDumpPageFile(qor), std::regex(R"re("\d{4}-\d\d-\d\d"|"\d\d:\d\d")re"),
                                                    "\"(when)\"");
        ExpectGoldenFile(std::string(QOR_TEST_DATA_DIR) + "/designer/" + name + "-overview.txt", dump);
        TQorQorFile overview;
        overview.LoadFromFile(qor);
        ExpectLoadsAndPlays(overview, QorDumpQorFile(overview));
        run = RunQorTool("design '" + form + "' --diagnostic '" + (dir / (name + "-diagnostic.pdf")).string() + "'", dir,
                         "QT_QPA_PLATFORM=offscreen");
        EXPECT_EQ(run.Exit, 0) << run.Err;
        ExpectSoundPdf((dir / (name + "-diagnostic.pdf")).string());
    }
    const std::string pdf = RunCommand("pdftotext '" + (dir / "shop-diagnostic.pdf").string() + "' -");
    EXPECT_NE(pdf.find("Diagnostic Report"), std::string::npos);
    EXPECT_NE(pdf.find("No miscellaneous errors to report."), std::string::npos);
    EXPECT_NE(pdf.find(QorVersion()), std::string::npos);
    // the overview through the PDF printer too
    const std::string overview = (dir / "sales-overview.pdf").string();
    const TToolRun run = RunQorTool("design '" + std::string(QOR_SOURCE_DIR) + "/examples/sales/sales.qfm' --overview '" +
                                        overview + "'",
                                    dir, "QT_QPA_PLATFORM=offscreen");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    ExpectSoundPdf(overview);
    const std::string text = RunCommand("pdftotext '" + overview + "' -");
    for (const char* s : {"Report Overview Documentation", "Band Tree", "RegionHead", "Band Count"})
        EXPECT_NE(text.find(s), std::string::npos) << s;

    std::ofstream(dir / "broken.qfm") << "object Broken: TForm\n  Nonsense = 1\nend\n";
    const TToolRun bad = RunQorTool("design '" + (dir / "broken.qfm").string() + "' --overview x.qor", dir);
    EXPECT_EQ(bad.Exit, 1);
    EXPECT_EQ(std::count(bad.Err.begin(), bad.Err.end(), '\n'), 1) << bad.Err;
}
