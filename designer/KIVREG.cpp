#include "designer/KIVREG.h"

#include "designer/PAGEMAN.h"
#include "platform/db/DataSet.h"
#include "platform/db/DataSource.h"
#include "platform/rtl/ClassRegistry.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StrUtils.h"
#include "platform/ui/Application.h"
#include "runtime/engine/KivBand.h"
#include "runtime/engine/KivBandKinds.h"
#include "runtime/engine/KivBtn.h"
#include "runtime/engine/KivDSGuide.h"
#include "runtime/engine/KivGroup.h"
#include "runtime/engine/KivLabels.h"
#include "runtime/engine/KivPage.h"
#include "runtime/engine/KivRep.h"
#include "runtime/engine/KivText.h"
#include "runtime/engine/KivTotalLabel.h"
#include "runtime/engine/KivVar.h"
#include "runtime/engine/QorRtfC.h"
#include "runtime/output/QorMeter.h"
#include "runtime/output/QorPrev.h"

namespace qor {

QOR_PUBLISH(TKivGrouppageEditor) {}
QOR_PUBLISH(TKivNamedRefProperty) {}
QOR_PUBLISH(TKivVarProperty) {}
QOR_PUBLISH(TKivTotalVarProperty) {}
QOR_PUBLISH(TKivLevelProperty) {}
QOR_PUBLISH(TKivTotalLevelProperty) {}
QOR_PUBLISH(TKivReadOnlySubProperty) {}
QOR_PUBLISH(TKivDataSourceDSGProperty) {}
QOR_PUBLISH(TKivDataSetProperty) {}
QOR_PUBLISH(TKivReserveBandProperty) {}

namespace {

TKivPage* AsPage(TObject* Object) { return dynamic_cast<TKivPage*>(Object); }

// The page of the variable editors: a group's or label's page, a variable's parent.
TKivPage* VarPage(TObject* C)
{
    if (auto* g = dynamic_cast<TKivGroup*>(C))
        return AsPage(g->Page());
    if (auto* l = dynamic_cast<TKivLabel*>(C))
        return AsPage(l->Page());
    if (auto* v = dynamic_cast<TKivVar*>(C))
        return AsPage(v->Parent());
    throw Exception(KivNoPageText);
}

// The page of the level editors: a band's or label's page, a variable's or guide's parent.
TKivPage* LevelPage(TObject* C)
{
    if (auto* b = dynamic_cast<TKivBand*>(C))
        return AsPage(b->Page());
    if (auto* l = dynamic_cast<TKivLabel*>(C))
        return AsPage(l->Page());
    if (auto* v = dynamic_cast<TKivVar*>(C))
        return AsPage(v->Parent());
    if (auto* g = dynamic_cast<TKivDSGuide*>(C))
        return AsPage(g->Parent());
    throw Exception(KivNoPageText);
}

// The variable of the page named Text (ignoring case; with duplicates the last one).
TKivVar* FindVar(const TKivPage* Page, const String& Text)
{
    TKivVar* found = nullptr;
    const String key = UpperCase(Text);
    if (Page)
        for (TKivVar* v : Page->VarList())
            if (UpperCase(v->Name()) == key)
                found = v;
    return found;
}

TComponent* DesignRoot(IDesigner* D) { return D ? D->GetRoot() : nullptr; }

} // namespace

// ---- References shown by name ----------------------------------------------------------------

String TKivNamedRefProperty::GetValue()
{
    auto* c = dynamic_cast<TComponent*>(GetObjValue());
    return c ? c->Name() : String();
}

void TKivNamedRefProperty::SetRef(TObject* Value)
{
    SetOrdValue(static_cast<Int64>(reinterpret_cast<std::intptr_t>(Value)));
}

// ---- Variables ---------------------------------------------------------------------------------

void TKivVarProperty::GetValues(const TGetStrProc& Proc)
{
    TKivPage* page = VarPage(GetComponent(0));
    if (!page)
        return;
    KivSetDataLists(Designer(), page);
    page->SetLetUpdateDataList(false);
    try {
        page->UpdateVarList();
    } catch (...) {
        page->SetLetUpdateDataList(true);
        throw;
    }
    page->SetLetUpdateDataList(true);
    for (TKivVar* v : page->VarList())
        if (!v->Is<TKivTotalvar>())
            Proc(v->Name());
}

void TKivVarProperty::SetValue(const String& Value)
{
    if (Value.empty())
        return SetRef(nullptr);
    TKivVar* v = FindVar(VarPage(GetComponent(0)), Value);
    if (!v)
        throw EPropertyError(KivInvalidPropertyText);
    if (v->Is<TKivTotalvar>())
        throw Exception(KivTotalInVarText);
    SetRef(v);
}

void TKivTotalVarProperty::GetValues(const TGetStrProc& Proc)
{
    TKivPage* page = VarPage(GetComponent(0));
    if (!page)
        return;
    page->UpdateVarList();
    for (TKivVar* v : page->VarList())
        if (v->Is<TKivTotalvar>())
            Proc(v->Name());
}

void TKivTotalVarProperty::SetValue(const String& Value)
{
    if (Value.empty())
        return SetRef(nullptr);
    TKivVar* v = FindVar(VarPage(GetComponent(0)), Value);
    if (!v)
        throw EPropertyError(KivInvalidPropertyText);
    if (!v->Is<TKivTotalvar>())
        throw Exception(KivVarInTotalText);
    SetRef(v);
}

// ---- Levels ------------------------------------------------------------------------------------

bool TKivLevelProperty::Offers(const TKivLevel*) const { return true; }

bool TKivTotalLevelProperty::Offers(const TKivLevel* Level) const { return !Level->IsHeader(); }

void TKivLevelProperty::GetValues(const TGetStrProc& Proc)
{
    TKivPage* page = LevelPage(GetComponent(0));
    TComponent* root = DesignRoot(Designer());
    if (!root)
        return;
    for (Integer i = 0; i < root->ComponentCount(); ++i) {
        auto* l = dynamic_cast<TKivLevel*>(root->Components(i));
        if (l && !l->Name().empty() && AsPage(dynamic_cast<TObject*>(l->GetPage())) == page && Offers(l))
            Proc(l->Name());
    }
}

void TKivLevelProperty::SetValue(const String& Value)
{
    if (Value.empty())
        return SetRef(nullptr);
    TKivPage* page = LevelPage(GetComponent(0));
    TComponent* root = DesignRoot(Designer());
    TKivLevel* found = nullptr;
    const String key = UpperCase(Value);
    for (Integer i = 0; root && i < root->ComponentCount(); ++i) {
        auto* l = dynamic_cast<TKivLevel*>(root->Components(i));
        if (l && UpperCase(l->Name()) == key && AsPage(dynamic_cast<TObject*>(l->GetPage())) == page && Offers(l))
            found = l;
    }
    if (!found)
        throw EPropertyError(KivInvalidPropertyText);
    SetRef(found);
}

// ---- Obsolete data sets ------------------------------------------------------------------------

void TKivDataSetProperty::GetValues(const TGetStrProc&) { ShowMessage(KivDataSetGoneText); }

void TKivDataSetProperty::SetValue(const String& Value)
{
    if (Value.empty())
        SetRef(nullptr);
}

// ---- The reserve band --------------------------------------------------------------------------

TKivPage* TKivReserveBandProperty::ReservePage() const
{
    auto* r = dynamic_cast<TKivReserveSpace*>(GetComponent(0));
    TKivBand* owner = r ? r->OwnerBand() : nullptr;
    return owner ? AsPage(owner->Parent()) : nullptr;
}

void TKivReserveBandProperty::GetValues(const TGetStrProc& Proc)
{
    TKivPage* page = ReservePage();
    TComponent* root = DesignRoot(Designer());
    for (Integer i = 0; page && root && i < root->ComponentCount(); ++i) {
        auto* b = dynamic_cast<TKivBand*>(root->Components(i));
        if (b && !b->Name().empty() && b->Parent() == page)
            Proc(b->Name());
    }
}

void TKivReserveBandProperty::SetValue(const String& Value)
{
    if (Value.empty())
        return SetRef(nullptr);
    TKivPage* page = ReservePage();
    TComponent* root = DesignRoot(Designer());
    const String key = UpperCase(Value);
    for (Integer i = 0; page && root && i < root->ComponentCount(); ++i) {
        auto* b = dynamic_cast<TKivBand*>(root->Components(i));
        if (b && b->Parent() == page && UpperCase(b->Name()) == key)
            return SetRef(b);
    }
    throw EPropertyError(KivInvalidPropertyText);
}

// ---- The group page's component editor ---------------------------------------------------------

TKivGrouppageEditor::TKivGrouppageEditor(TComponent* AComponent, IDesigner* ADesigner)
    : TComponentEditor(AComponent, ADesigner)
{
    auto* page = dynamic_cast<TKivGrouppage*>(AComponent);
    if (page && !page->PageManager()) {
        FFirst = true;
        // no owner: the page frees its manager, and nothing else may
        auto* manager = new TKivPageManager(nullptr);
        page->SetPageManager(manager);
        manager->SetPage(page);
        manager->Hide();
        manager->SetPageDesigner(ADesigner);
    }
}

void TKivGrouppageEditor::Edit()
{
    auto* page = dynamic_cast<TKivGrouppage*>(Component());
    auto* manager = page ? dynamic_cast<TKivPageManager*>(page->PageManager()) : nullptr;
    if (!manager)
        return;
    manager->SetPageDesigner(Designer());
    if (FFirst)
        FFirst = false;
    else
        manager->Show();
}

String TKivGrouppageEditor::GetVerb(Integer Index) { return Index == 0 ? String("Page Manager") : String(); }

void TKivGrouppageEditor::ExecuteVerb(Integer Index)
{
    if (Index == 0)
        Edit();
}

// ---- Register ----------------------------------------------------------------------------------

void Register()
{
    const String page = "Qorvel";
    RegisterComponents(page, {TKivvarlabel::StaticClass(), TKivTotalvarLabel::StaticClass(), TKivLine::StaticClass(),
                              TKivShape::StaticClass(), TKivImageLabel::StaticClass(),
                              TKivVerticalDivider::StaticClass(), TKivCheckLabel::StaticClass(),
                              TKivBarCodeLabel::StaticClass(), TKivCustomLabel::StaticClass()});
    RegisterComponents(page, {TKivReportButton::StaticClass()});
    RegisterComponents(page, {TKivRichTextLabel::StaticClass()});
    RegisterComponents(page, {TKivReport::StaticClass()});

    const std::initializer_list<TClass> structure = {
        TKivTextLabel::StaticClass(),     TKivGroup::StaticClass(),           TKivPage::StaticClass(),
        TKivBand::StaticClass(),          TKivSubBand::StaticClass(),         TKivSubDataBand::StaticClass(),
        TKivGrouppage::StaticClass(),     TKivDataSourceGuide::StaticClass(), TKivDataHeadBand::StaticClass(),
        TKivDataFootBand::StaticClass(),  TKivOverlayBand::StaticClass()};
    RegisterNoIcon(structure);
    RegisterClasses(structure);

    RegisterPropertyEditor(TDataSet::StaticClass(), TKivGrouppage::StaticClass(), "",
                           PropertyEditorClassOf<TKivDataSetProperty>());
    RegisterPropertyEditor(TDataSet::StaticClass(), TKivSubDataBand::StaticClass(), "",
                           PropertyEditorClassOf<TKivDataSetProperty>());

    RegisterClasses({TKivLevel::StaticClass(), TKivExprVar::StaticClass(), TKivTotalvar::StaticClass(),
                     TKivDateTimeVar::StaticClass(), TKivPageVar::StaticClass()});
    RegisterClasses({TKivDBVar::StaticClass()});
    RegisterNoIcon({TKivLevel::StaticClass(), TKivExprVar::StaticClass(), TKivTotalvar::StaticClass()});
    RegisterNoIcon({TKivDBVar::StaticClass()});

    RegisterComponentEditor(TKivGrouppage::StaticClass(), ComponentEditorClassOf<TKivGrouppageEditor>());

    RegisterPropertyEditor(TKivVar::StaticClass(), nullptr, "", PropertyEditorClassOf<TKivVarProperty>());
    RegisterPropertyEditor(TKivTotalvar::StaticClass(), nullptr, "", PropertyEditorClassOf<TKivTotalVarProperty>());
    RegisterPropertyEditor(TKivLevel::StaticClass(), nullptr, "", PropertyEditorClassOf<TKivLevelProperty>());
    RegisterPropertyEditor(TKivLevel::StaticClass(), TKivTotalvarLabel::StaticClass(), "level",
                           PropertyEditorClassOf<TKivTotalLevelProperty>());
    RegisterPropertyEditor(TKivBand::StaticClass(), nullptr, "", PropertyEditorClassOf<TKivReadOnlySubProperty>());
    RegisterPropertyEditor(TKivLevel::StaticClass(), TKivBand::StaticClass(), "",
                           PropertyEditorClassOf<TKivReadOnlySubProperty>());
    RegisterPropertyEditor(TCustomPanel::StaticClass(), TKivReserveSpace::StaticClass(), "",
                           PropertyEditorClassOf<TKivReserveBandProperty>());
    RegisterPropertyEditor(TDataSource::StaticClass(), TKivDataSourceGuide::StaticClass(), "",
                           PropertyEditorClassOf<TKivDataSourceDSGProperty>());

    RegisterComponents(page, {TQorMeter::StaticClass()});
    RegisterComponents(page, {TQorPreview::StaticClass()});
}

namespace {

// A report is not copied: each report of the form refuses a clipboard that holds one.
void RefuseReportCopies(IDesigner* Designer)
{
    TComponent* root = Designer ? Designer->GetRoot() : nullptr;
    for (Integer i = 0; root && i < root->ComponentCount(); ++i)
        if (auto* r = dynamic_cast<TKivReport*>(root->Components(i)))
            SendMessage(r->Handle(), KIV_NOCOPYREPORT, 0, 0);
}

} // namespace

void RegisterDesignPackage()
{
    RegisterPackage("qordsgn", &Register);
    RegisterCopyNotifier(&RefuseReportCopies);
}

} // namespace qor
