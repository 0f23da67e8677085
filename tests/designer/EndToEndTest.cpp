// The designer used as an author would in the host: the example opened, a group and a sub band
// added and a band deleted through the manager's menus, labels aligned from the tool bar, and the
// form saved; the saved form runs with the new group and reads back into the same text.

#include "common/SoundPdf.h"
#include "designer/DesignerSupport.h"
#include "designer/KivVOpt.h"
#include "designer/Kivrepds.h"
#include "designer/PAGEMAN.h"
#include "designer/QorDrop.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/StdCtrls.h"
#include "output/OutputTestSupport.h"
#include "platform/rtl/Filer.h"
#include "platform/ui/Application.h"
#include "runtime/engine/KivBand.h"
#include "runtime/engine/KivGroup.h"
#include "runtime/engine/KivRep.h"
#include "runtime/engine/KivText.h"
#include "runtime/engine/KivVarBase.h"

#include <fstream>
#include <map>
#include <regex>
#include <sstream>

using namespace qor;
using namespace qor::test;

namespace {

std::string ReadAll(const std::filesystem::path& File)
{
    std::ifstream in(File);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

TEST_F(DesignerTest, AnAuthorEditsTheExampleThroughTheToolBarAndTheManager)
{
    auto* design = dynamic_cast<TKivReportDesign*>(Find<TKivReport>("Report")->RepDesign());
    ASSERT_NE(design, nullptr);
    design->PageManButton()->Click(); // "Band"
    auto* manager = dynamic_cast<TKivPageManager*>(Page()->PageManager());
    ASSERT_NE(manager, nullptr);
    EXPECT_TRUE(manager->Visible());

    manager->GroupListPopup->Popup(0, 0);
    manager->GroupListPopup->Items()->Items(0)->Click(); // "&Add"
    ASSERT_EQ(Page()->GroupList().size(), 1u);
    TKivGroup* group = Page()->GroupList()[0];
    group->SetVariable(Find<TKivVar>("CustomerCityVar"));
    auto* caption = dynamic_cast<TKivTextLabel*>(Host.Place(TKivTextLabel::StaticClass(), group->Header(), {4, 2}));
    ASSERT_NE(caption, nullptr);
    caption->SetCaption("City group");

    manager->SelectBand(Find<TKivBand>("CustomerBand"));
    manager->BandListPopup->Popup(0, 0);
    manager->Below1->Click();
    EXPECT_NE(Host.Root()->FindComponent("CustomerBandSub"), nullptr);

    manager->SelectBand(Find<TKivBand>("OrderHead")); // it holds the column captions
    DialogService().Expect(TDialogKind::dkMessageBox, IDYES);
    manager->BandListPopup->Popup(0, 0);
    manager->Delete1->Click();
    EXPECT_EQ(Host.Root()->FindComponent("OrderHead"), nullptr);
    EXPECT_EQ(Host.Root()->FindComponent("OrderCaption"), nullptr);

    auto list = CreateSelectionList();
    for (const char* name : {"OrderIdText", "OrderDateText", "OrderAmountText"})
        list->Add(Find<TPersistent>(name));
    Host.SetSelections(*list);
    design->AlignButton(0)->Click(); // "Align left Edges"
    EXPECT_EQ(Find<TKivLabel>("OrderAmountText")->Left(), Find<TKivLabel>("OrderIdText")->Left());
    manager->Hide();

    const std::filesystem::path saved = Dir / "edited.qfm";
    Host.SaveAs(saved.string());
    const std::string text = ReadAll(saved);
    EXPECT_EQ(text.find("TKivNoScaleBtn"), std::string::npos); // the tool bar is not part of the form
    EXPECT_NE(text.find("CustomerBandSub: TKivSubBand"), std::string::npos);

    const TToolRun run = RunQorTool("run '" + saved.string() + "' --to '" + (Dir / "edited.qor").string() + "'", Dir);
    ASSERT_EQ(run.Exit, 0) << run.Err;
    const std::string dump = RunQorTool("dump '" + (Dir / "edited.qor").string() + "'", Dir).Out;
    EXPECT_NE(dump.find("City group"), std::string::npos);
    EXPECT_EQ(dump.find("Amount"), std::string::npos); // its caption went with the head band

    // read back and written again, the text is the same
    TDesignHost again;
    again.Open(saved.string());
    again.SaveAs((Dir / "again.qfm").string());
    EXPECT_EQ(ReadAll(Dir / "again.qfm"), text);
}

namespace {

// The sales example with a small database beside it, in the test's folder.
void CopySalesExample(const std::filesystem::path& Dir)
{
    const std::string examples = std::string(QOR_SOURCE_DIR) + "/examples/sales/";
    RunCommand("sqlite3 -cmd 'CREATE TEMP TABLE sales_rows AS SELECT 60 AS n' '" + (Dir / "sales.db").string() +
               "' < '" + examples + "sales.sql'");
    std::filesystem::copy_file(examples + "sales.qfm", Dir / "sales.qfm");
}

std::vector<String> ListItems(TListBox* List)
{
    std::vector<String> v;
    for (Integer i = 0; i < List->Count(); ++i)
        v.push_back(List->Items()->Strings(i));
    return v;
}

// Clicks "Data" on the report's tool bar and answers the center it opens.
TKivDSVariableOptions* OpenDataControl(TDesignHost& Host)
{
    auto* design = dynamic_cast<TKivReportDesign*>(KivFindReport(Host.Root())->RepDesign());
    design->DataButton()->Click();
    Application()->ProcessMessages(); // the button posts its message
    auto* manager = dynamic_cast<TKivPageManager*>(KivFindReport(Host.Root())->Page()->AsPage()->PageManager());
    return manager ? manager->DataControl() : nullptr;
}

} // namespace

TEST_F(DesignerFolderTest, TheDataControlCenterMakesTheSalesVariablesAndTheirTotal)
{
    CopySalesExample(Dir);
    Host.Open((Dir / "sales.qfm").string());
    TKivDSVariableOptions* center = OpenDataControl(Host);
    ASSERT_NE(center, nullptr);
    EXPECT_TRUE(center->Visible());
    ASSERT_EQ(center->DsgList.size(), 1u);
    EXPECT_EQ(center->DsgList[0]->DataSourceName, "SalesSource");
    for (const char* name : {"salesidVar", "salesregionVar", "salescustomerVar", "salesamountVar", "salesdateVar"})
        EXPECT_NE(Host.Root()->FindComponent(name), nullptr) << name;
    const std::vector<String> fields = ListItems(center->clist);
    EXPECT_EQ(fields, (std::vector<String>{"id", "region", "customer", "amount", "date"}));
    EXPECT_EQ(ListItems(center->DBVarList), (std::vector<String>{"Id", "Region", "Customer", "Amount", "Date"}));

    center->clist->SetSelected(3, true); // "amount" dragged onto the totals
    bool accept = false;
    center->ListDragOver(center->TotalVarList, center->clist, 5, 5, dsDragMove, accept);
    ASSERT_TRUE(accept);
    center->ListDragDrop(center->TotalVarList, center->clist, 5, 5);
    EXPECT_EQ(ListItems(center->TotalVarList), (std::vector<String>{"AmountTotal", "TotalOfamount"}));
    center->Hide();
    const std::vector<String> totals = ListItems(center->TotalVarList);

    const std::filesystem::path saved = Dir / "saved.qfm";
    Host.SaveAs(saved.string());
    const TToolRun run = RunQorTool("run '" + saved.string() + "' --to '" + (Dir / "saved.qor").string() + "'", Dir);
    EXPECT_EQ(run.Exit, 0) << run.Err;

    TDesignHost again;
    again.Open(saved.string());
    TKivDSVariableOptions* reopened = OpenDataControl(again);
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->DsgList.size(), 1u);
    EXPECT_EQ(ListItems(reopened->clist), fields);
    EXPECT_EQ(ListItems(reopened->TotalVarList), totals);
    EXPECT_FALSE(again.IsDirty()); // looking changed nothing
    reopened->Hide();
}

TEST_F(DesignerFolderTest, TheVariableReportIsWrittenWithNoWindow)
{
    CopySalesExample(Dir);
    // a guide that leaves four fields undefined, and one over a second source that makes them all
    std::string form = ReadAll(Dir / "sales.qfm");
    form.replace(form.find("  object Report: TKivReport"), 0,
                 "  object Regions: TQuery\n    Database = SalesDb\n"
                 "    SQL.Strings = ('SELECT DISTINCT region FROM sales')\n  end\n"
                 "  object RegionsSource: TDataSource\n    DataSet = Regions\n  end\n");
    form.replace(form.find("      object PageNo: TKivPageVar"), 0,
                 "      object SalesGuide: TKivDataSourceGuide\n        DataSource = SalesSource\n"
                 "        UpdateLevel = DetailLevel\n        CreateVariables = False\n      end\n"
                 "      object salesidVar: TKivDBVar\n        DataSource = SalesSource\n        DataField = 'id'\n"
                 "        ID = vidAutoDataVar\n      end\n"
                 "      object RegionsGuide: TKivDataSourceGuide\n        DataSource = RegionsSource\n"
                 "        UpdateLevel = DetailLevel\n      end\n");
    std::ofstream(Dir / "guided.qfm") << form;
    const auto in = [&](const char* File) { return "'" + (Dir / File).string() + "'"; };
    const TToolRun design = RunQorTool("design " + in("guided.qfm") + " --variables " + in("vars.qor"), Dir);
    ASSERT_EQ(design.Exit, 0) << design.Err;
    EXPECT_NE(design.Out.find("Written: " + (Dir / "vars.qor").string()), std::string::npos) << design.Out;
    const std::string dump = RunQorTool("dump " + in("vars.qor"), Dir).Out;
    for (const char* text : {"Data Control Center Report", "Data Source Guides", "SalesSource", "salesidVar",
                             "Fields Not defined as QOR Vars:", "\"region   customer   amount   date\"",
                             "RegionsSource", "regionsregionVar", "Expression Variables", "AmountTotal"})
        EXPECT_NE(dump.find(text), std::string::npos) << text;
    // rows of variables in use are bold; the section titles stand on money green
    const auto weight = [&dump](const std::string& Text) {
        std::map<std::string, std::string> fonts;
        std::string current;
        std::stringstream in(dump);
        static const std::regex font(R"re(^object (\d+) font .* weight (\d+) .*$)re"), select(R"re(^\s+SelectObject (\d+)$)re");
        std::smatch m;
        for (std::string line; std::getline(in, line);) {
            if (std::regex_match(line, m, font))
                fonts[m[1]] = m[2];
            else if (std::regex_match(line, m, select) && fonts.count(m[1]))
                current = fonts[m[1]];
            else if (line.ends_with(" \"" + Text + "\""))
                return current;
        }
        return std::string("none");
    };
    EXPECT_EQ(weight("Id"), "700");         // shown by the example's labels
    EXPECT_EQ(weight("salesidVar"), "400"); // shown by none
    EXPECT_NE(dump.find("brush color 0x00c0dcc0"), std::string::npos);
    // the guide that makes its variables says so, and lists no undefined fields
    const size_t autoCreate = dump.find("\"AutoCreate\"");
    ASSERT_NE(autoCreate, std::string::npos) << dump;
    EXPECT_EQ(dump.find("\"AutoCreate\"", autoCreate + 1), std::string::npos);
    EXPECT_EQ(dump.find("Fields Not defined as QOR Vars:", dump.find("Fields Not defined as QOR Vars:") + 1),
              std::string::npos);
    // the empty section has its title and column titles, and no row
    const size_t expr = dump.find("Expression Variables"), db = dump.find("Database Variables");
    ASSERT_LT(expr, db);
    const std::string section = dump.substr(expr, db - expr);
    EXPECT_NE(section.find("\"Event\""), std::string::npos) << section;
    EXPECT_EQ(section.find("\"False\""), std::string::npos) << section;

    EXPECT_EQ(RunQorTool("design " + in("sales.qfm") + " --variables vars.txt", Dir).Exit, 2);

    // 100 fields: the message and the center shown modally have no one to answer them
    std::ofstream csv(Dir / "wide.csv");
    for (int i = 0; i < 100; ++i)
        csv << (i ? "," : "") << "c" << i;
    csv << "\n";
    csv.close();
    std::ofstream(Dir / "wide.qfm")
        << "object WideForm: TForm\n  object Wide: TCsvDataSet\n    FileName = 'wide.csv'\n  end\n"
           "  object WideSource: TDataSource\n    DataSet = Wide\n  end\n  object Report: TKivReport\n"
           "    object WidePage: TKivGrouppage\n    end\n  end\nend\n";
    const TToolRun wide = RunQorTool("design " + in("wide.qfm") + " --variables " + in("wide.pdf"), Dir,
                                     "QT_QPA_PLATFORM=offscreen CUPS_SERVER=127.0.0.1:9");
    ASSERT_EQ(wide.Exit, 0) << wide.Err;
    EXPECT_NE(wide.Err.find("message box \"There is 100 fields."), std::string::npos) << wide.Err;
    EXPECT_NE(wide.Err.find("modal form \"Data Control Center\" has no one to answer it: answered Cancel"),
              std::string::npos) << wide.Err;
    EXPECT_NE(RunCommand("pdftotext '" + (Dir / "wide.pdf").string() + "' -").find("WideSource"), std::string::npos);
    ExpectSoundPdf((Dir / "wide.pdf").string());
}

TEST(EndToEnd, FastLabelsDroppedInTheHostPrintOnEveryDetailLine)
{
    RegisterDesignPackage();
    RegisterPackages();
    DialogService().Reset();
    const std::filesystem::path dir = std::filesystem::path(QOR_BINARY_DIR) / "tests" / "designer-out" / "fast-sales";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    CopySalesExample(dir);
    const auto run = [&dir](const std::string& Form, const std::string& Out) {
        const TToolRun r = RunQorTool("run '" + (dir / Form).string() + "' --to '" + (dir / Out).string() + "'", dir);
        EXPECT_EQ(r.Exit, 0) << r.Err;
        return RunQorTool("dump '" + (dir / Out).string() + "'", dir).Out;
    };

    TDesignHost host;
    host.Open((dir / "sales.qfm").string());
    auto* report = dynamic_cast<TKivReport*>(host.Root()->FindComponent("Report"));
    auto* design = dynamic_cast<TKivReportDesign*>(report->RepDesign());
    design->AutoLabelButton()->Click(); // "Fast"
    auto* tool = dynamic_cast<TQorDropLabels*>(design->DropForm());
    ASSERT_NE(tool, nullptr);
    for (const char* name : {"Customer", "Amount", "Region"}) {
        tool->QorVariableList->SetSelected(tool->QorVariableList->Items()->IndexOf(name), true);
        tool->QorVariableListClick(nullptr);
    }
    tool->sbVert->Click(); // a column to the right of the band's labels
    tool->TextBand->SetItemIndex(tool->TextBand->Items()->IndexOf("PageHead"));
    auto* detail = dynamic_cast<TKivBand*>(host.Root()->FindComponent("Detail"));
    detail->DragDrop(tool->SList, 610, 0);
    ASSERT_EQ(tool->VarLabelList.size(), 3u);
    EXPECT_EQ(host.Selection().size(), 3u);
    host.SaveAs((dir / "fast.qfm").string());

    // right of the example's own columns: three captions in each page head, three values on
    // every detail line
    std::stringstream dump(run("fast.qfm", "fast.qor"));
    Integer pages = 0, captions = 0, values = 0;
    static const std::regex drawn(R"re(^  TextOut (\d+) \d+ "(.*)"$)re");
    std::smatch m;
    for (std::string line; std::getline(dump, line);) {
        pages += line == "  PageBegin";
        if (!std::regex_match(line, m, drawn) || std::stoi(m[1]) < 640 || m[2].str().rfind("Page ", 0) == 0)
            continue;
        const std::string text = m[2];
        (text == "customer" || text == "amount" || text == "region" ? captions : values) += 1;
    }
    EXPECT_GT(pages, 1);
    EXPECT_EQ(captions, 3 * pages);
    EXPECT_EQ(values, 3 * 60);
}
