// The designer used as an author would in the host: the example opened, a group and a sub band
// added and a band deleted through the manager's menus, labels aligned from the tool bar, and the
// form saved; the saved form runs with the new group and reads back into the same text.

#include "designer/DesignerSupport.h"
#include "designer/Kivrepds.h"
#include "designer/PAGEMAN.h"
#include "output/OutputTestSupport.h"
#include "platform/rtl/Filer.h"
#include "runtime/engine/KivBand.h"
#include "runtime/engine/KivGroup.h"
#include "runtime/engine/KivRep.h"
#include "runtime/engine/KivText.h"
#include "runtime/engine/KivVarBase.h"

#include <fstream>
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
