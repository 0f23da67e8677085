#include "designer/KIVVREP.h"

#include <algorithm>

#include "designer/KivVOpt.h"
#include "designer/PAGEMAN.h"
#include "runtime/engine/KivRptDsgn.h"
#include "platform/graphics/Font.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Forms.h"
#include "runtime/engine/KivBand.h"
#include "runtime/engine/KivBandKinds.h"
#include "runtime/engine/KivDBVar.h"
#include "runtime/engine/KivDSGuide.h"
#include "runtime/engine/KivPage.h"
#include "runtime/engine/KivRep.h"
#include "runtime/engine/KivText.h"
#include "runtime/output/QorFormParts.h"

namespace qor {

// The never-shown form holding the report; its data events walk the rows it is given.
class TKIVVREPForm : public TForm {
    QOR_CLASS(TKIVVREPForm, TForm)
public:
    explicit TKIVVREPForm(TComponent* AOwner) : TForm(AOwner) { ReadFormResource(this, "forms/kivvrep.qfm"); }

    void PageDataStart(TKivPage* P) { P->SetDataIsFinished(false); }
    void PageDataSkip(TKivPage* P) { P->SetDataIsFinished(true); }
    void GuideStart(TKivSubDataBand* B) { MoveGuide(B, 0); }
    void GuideSkip(TKivSubDataBand* B) { MoveGuide(B, dsgSpot + 1); }
    void GuideVarStart(TKivSubDataBand* B) { MoveGuideVar(B, 0); }
    void GuideVarSkip(TKivSubDataBand* B) { MoveGuideVar(B, DataSpot + 1); }
    void RowStart(TKivSubDataBand* B) { MoveRow(B, 0); }
    void RowSkip(TKivSubDataBand* B) { MoveRow(B, DataSpot + 1); }
    // An empty list still runs one (unprinted) row, so its section prints its column titles.
    void RowPrintWhen(TKivBand* B, bool& Print) { Print = DataSpot < RowCount(B); }
    void UnusedPrintWhen(TKivBand*, bool& Print)
    {
        TKivDSGuide* g = Guide();
        Print = g && !g->CreateVariables();
    }
    void lbUnusedBeforePrint(TKivLabel* Label);
    void VarGetData(TKivVar* V);

    TKivPage* pg = nullptr;
    Integer dsgSpot = 0, DataSpot = 0;
    const std::vector<std::unique_ptr<TDsgItem>>* dsglist = nullptr;
    const std::vector<std::unique_ptr<TExprItem>>* exprList = nullptr;
    const std::vector<std::unique_ptr<TTotalItem>>* totallist = nullptr;
    const std::vector<std::unique_ptr<TDBItem>>* dblist = nullptr;
    std::vector<TKivDBVar*> dsgvarlist;
    TStringList UnusedFieldList;

private:
    TKivDSGuide* Guide() const
    {
        const auto& guides = pg->DataSourceList();
        return dsgSpot >= 0 && dsgSpot < static_cast<Integer>(guides.size()) ? guides[static_cast<size_t>(dsgSpot)] : nullptr;
    }
    Integer RowCount(const TKivBand* B) const;
    bool RowUsed(const TKivBand* B) const;
    void MoveGuide(TKivSubDataBand* B, Integer At);
    void MoveGuideVar(TKivSubDataBand* B, Integer At);
    void MoveRow(TKivSubDataBand* B, Integer At);
    static void SetBandBold(TKivBand* B, bool Bold)
    {
        TFontStyles s = B->Font()->Style();
        if (Bold)
            s += fsBold;
        else
            s -= fsBold;
        B->Font()->SetStyle(s);
    }
};

QOR_PUBLISH(TKIVVREPForm)
{
    b.Method("PageDataStart", &TKIVVREPForm::PageDataStart);
    b.Method("PageDataSkip", &TKIVVREPForm::PageDataSkip);
    b.Method("GuideStart", &TKIVVREPForm::GuideStart);
    b.Method("GuideSkip", &TKIVVREPForm::GuideSkip);
    b.Method("GuideVarStart", &TKIVVREPForm::GuideVarStart);
    b.Method("GuideVarSkip", &TKIVVREPForm::GuideVarSkip);
    b.Method("RowStart", &TKIVVREPForm::RowStart);
    b.Method("RowSkip", &TKIVVREPForm::RowSkip);
    b.Method("RowPrintWhen", &TKIVVREPForm::RowPrintWhen);
    b.Method("UnusedPrintWhen", &TKIVVREPForm::UnusedPrintWhen);
    b.Method("lbUnusedBeforePrint", &TKIVVREPForm::lbUnusedBeforePrint);
    b.Method("VarGetData", &TKIVVREPForm::VarGetData);
}

void TKIVVREPForm::MoveGuide(TKivSubDataBand* B, Integer At)
{
    dsgSpot = At;
    TKivDSGuide* g = Guide();
    B->SetDataIsFinished(!g);
    if (!g)
        return;
    FillDsgVarList(g, dsgvarlist);
    FillDsgFieldList(g, &UnusedFieldList);
}

void TKIVVREPForm::MoveGuideVar(TKivSubDataBand* B, Integer At)
{
    DataSpot = At;
    const bool finished = DataSpot >= static_cast<Integer>(dsgvarlist.size());
    B->SetDataIsFinished(finished);
    if (finished)
        return;
    TKivDBVar* v = dsgvarlist[static_cast<size_t>(DataSpot)];
    if (const Integer i = UnusedFieldList.IndexOf(v->DataField()); i >= 0)
        UnusedFieldList.Delete(i);
    SetBandBold(B, pg->VarUsed(v));
}

Integer TKIVVREPForm::RowCount(const TKivBand* B) const
{
    const String& n = B->Name();
    return static_cast<Integer>(n == "Data" ? totallist->size() : n == "Data1" ? exprList->size() : dblist->size());
}

bool TKIVVREPForm::RowUsed(const TKivBand* B) const
{
    const auto at = static_cast<size_t>(DataSpot);
    const String& n = B->Name();
    return n == "Data" ? (*totallist)[at]->Used : n == "Data1" ? (*exprList)[at]->Used : (*dblist)[at]->Used;
}

void TKIVVREPForm::MoveRow(TKivSubDataBand* B, Integer At)
{
    DataSpot = At;
    const Integer count = RowCount(B);
    B->SetDataIsFinished(DataSpot >= std::max<Integer>(count, 1));
    if (DataSpot < count)
        SetBandBold(B, RowUsed(B));
}

void TKIVVREPForm::lbUnusedBeforePrint(TKivLabel* Label)
{
    String text;
    for (Integer i = 0; i < UnusedFieldList.Count(); ++i)
        text += (i ? "   " : "") + UnusedFieldList.Strings(i);
    if (auto* l = dynamic_cast<TKivTextLabel*>(Label))
        l->SetCaption(text);
}

void TKIVVREPForm::VarGetData(TKivVar* V)
{
    const String& n = V->Name();
    const auto text = [V](const String& S) { V->SetAsString(S); };
    const auto flag = [V](bool B) { V->SetAsBoolean(B); };
    if (TKivDSGuide* g = Guide(); g && (n == "DSNameVar" || n == "UpdLevelVar" || n == "CreateVarsVar")) {
        if (n == "DSNameVar")
            text(g->DataSource() ? g->DataSource()->Name() : String());
        else if (n == "UpdLevelVar")
            text(g->UpdateLevel() ? g->UpdateLevel()->Name() : String());
        else
            text(g->CreateVariables() ? "AutoCreate" : "");
        return;
    }
    const auto at = static_cast<size_t>(DataSpot);
    if (n.starts_with("ds") && at < dsgvarlist.size()) {
        TKivDBVar* v = dsgvarlist[at];
        if (n == "dsFieldNameVar")
            text(v->DataField());
        else if (n == "dsVarNameVar")
            text(v->Name());
        else
            flag(pg->VarUsed(v));
    } else if (n.starts_with("Total") && at < totallist->size()) {
        const TTotalItem& r = *(*totallist)[at];
        if (n == "TotalUsedVar")
            flag(r.Used);
        else if (n == "TotalLevelMatchVar")
            flag(r.LevelMatch);
        else
            text(n == "TotalNameVar" ? r.TotalName : n == "TotalVarNameVar" ? r.TotalVarName : r.TotalLevelName);
    } else if (n.starts_with("Expr") && at < exprList->size()) {
        const TExprItem& r = *(*exprList)[at];
        if (n == "ExprUsedVar")
            flag(r.Used);
        else
            text(n == "ExprNameVar"    ? r.ExprName
                 : n == "ExprTypeVar"  ? r.ExprTypeName
                 : n == "ExprLevelVar" ? r.ExprLevelName
                                       : r.ExprEventName);
    } else if (n.starts_with("DB") && at < dblist->size()) {
        const TDBItem& r = *(*dblist)[at];
        if (n == "DBUsedVar")
            flag(r.Used);
        else if (n == "DBLevelMatchVar")
            flag(r.LevelMatch);
        else
            text(n == "DBNameVar"         ? r.DBName
                 : n == "DBDataSourceVar" ? r.DataSourceName
                 : n == "DBDataFieldVar"  ? r.DataField
                                          : r.LevelName);
    }
}

void RunVReport(TKivPage* Page, const std::vector<std::unique_ptr<TDsgItem>>& DsgList,
                const std::vector<std::unique_ptr<TExprItem>>& ExprList,
                const std::vector<std::unique_ptr<TTotalItem>>& TotalList,
                const std::vector<std::unique_ptr<TDBItem>>& DBList, const std::function<void(TKivReport*)>& Prepare)
{
    if (!Page)
        return;
    auto form = std::make_unique<TKIVVREPForm>(nullptr);
    form->pg = Page;
    form->dsglist = &DsgList;
    form->exprList = &ExprList;
    form->totallist = &TotalList;
    form->dblist = &DBList;
    for (const char* title : {"GuidesTitle", "ReportFooterBandSubTitle", "ReportFooterBandSub1Title", "ReportFooterBandSub2Title"})
        if (auto* l = FormPart<TKivTextLabel>(*form, title))
            l->SetColor(0xC0DCC0); // money green
    auto* report = dynamic_cast<TKivReport*>(Page->Parent());
    const auto caption = [&](const char* Name, const String& Text) {
        if (auto* l = FormPart<TKivTextLabel>(*form, Name))
            l->SetCaption(Text);
    };
    if (report) {
        caption("lbRep", report->Name());
        if (auto* owner = dynamic_cast<TCustomForm*>(report->Owner()))
            caption("lbForm", owner->Name());
    }
    caption("lbPage", Page->Name());
    auto* run = FormPart<TKivReport>(*form, "KIVVRpt");
    if (Prepare)
        Prepare(run);
    run->Run();
}

void RunVReportOfPage(TKivPage* Page, const std::function<void(TKivReport*)>& Prepare)
{
    auto* report = Page ? dynamic_cast<TKivReport*>(Page->Parent()) : nullptr;
    if (report && !Page->PageManager() && report->RepDesign())
        report->RepDesign()->CreatePageManager();
    auto* manager = dynamic_cast<TKivPageManager*>(Page ? Page->PageManager() : nullptr);
    if (!manager)
        throw Exception("the page has no band and group manager (is the report being designed?)");
    Page->UpdateVarList(); // asks the manager, which makes the center and brings it up to date
    TMessage m{};
    if (!manager->DataControl())
        manager->DataUpdateVars(m);
    TKivDSVariableOptions* center = manager->DataControl();
    center->RefreshLists();
    RunVReport(Page, center->DsgList, center->ExprList, center->TotalList, center->DBList, Prepare);
}

} // namespace qor
