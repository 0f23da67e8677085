#include "designer/qordiag.h"

#include "designer/PageManQueries.h"

#include "platform/db/DataSource.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Picture.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/TypeInfo.h"
#include "platform/ui/Application.h"
#include "runtime/engine/KivBand.h"
#include "runtime/engine/KivBandKinds.h"
#include "runtime/engine/KivDSGuide.h"
#include "runtime/engine/KivData.h"
#include "runtime/engine/KivExprVar.h"
#include "runtime/engine/KivLabels.h"
#include "runtime/engine/KivPage.h"
#include "runtime/engine/KivRep.h"
#include "runtime/engine/KivText.h"
#include "runtime/engine/KivTotalLabel.h"
#include "runtime/engine/KivTotalvar.h"
#include "runtime/output/QorFormParts.h"
#include "runtime/output/QorUtil.h"

#include <memory>

namespace qor {

QOR_PUBLISH(TQorDiagForm)
{
    b.Method("ReportPageDataStart", &TQorDiagForm::ReportPageDataStart);
    b.Method("UpdateDataStart", &TQorDiagForm::UpdateDataStart);
    b.Method("UpdateDataSkip", &TQorDiagForm::UpdateDataSkip);
    b.Method("UpdateDataFilter", &TQorDiagForm::UpdateDataFilter);
    b.Method("BlankDataStart", &TQorDiagForm::BlankDataStart);
    b.Method("BlankDataSkip", &TQorDiagForm::BlankDataSkip);
    b.Method("BlankDataFilter", &TQorDiagForm::BlankDataFilter);
    b.Method("BlankLabelsDataStart", &TQorDiagForm::BlankLabelsDataStart);
    b.Method("BlankLabelsDataSkip", &TQorDiagForm::BlankLabelsDataSkip);
    b.Method("BlankLabelsDataFilter", &TQorDiagForm::BlankLabelsDataFilter);
    b.Method("MiscDataStart", &TQorDiagForm::MiscDataStart);
    b.Method("MiscDataSkip", &TQorDiagForm::MiscDataSkip);
    b.Method("MiscDataFilter", &TQorDiagForm::MiscDataFilter);
    b.Method("blanklabsumGetData", &TQorDiagForm::blanklabsumGetData);
}

namespace {

// A stream of UTF-16 text that starts with its byte-order mark.
void WriteText(TStream* S, const String& Text)
{
    if (S->Size() == 0 && !Text.empty()) {
        const Byte Bom[2] = {0xFF, 0xFE};
        S->WriteBuffer(Bom, 2);
    }
    KivWriteUtf16(S, Text);
}

TKivVar* LabelVariable(TKivLabel* L)
{
    if (auto* t = dynamic_cast<TKivvarlabel*>(L))
        return t->Variable();
    if (auto* r = dynamic_cast<TKivVarRefLabel*>(L))
        return r->Variable();
    return nullptr;
}

// Date-time and page variables count in every level.
bool AnyLevel(const TKivVar* V) { return V->Is<TKivDateTimeVar>() || V->Is<TKivPageVar>(); }

String UpdateFinding(TKivLabel* L)
{
    const String name = L->Name();
    if (auto* t = dynamic_cast<TKivTotalvarLabel*>(L)) {
        TKivTotalvar* total = t->TotalVariable();
        TKivVar* w = total ? total->Variable() : nullptr;
        if (w && w->UpdateLevel() != total->UpdateLevel())
            return name + "'s TotalVariable, " + total->Name() + ", has a different UpdateLevel than " + name +
                   "'s TotalVariable 's variable's UpdateLevel. " + name + "'s TotalVariable's variable is " + w->Name();
        return {};
    }
    if (!dynamic_cast<TKivvarlabel*>(L) && !dynamic_cast<TKivCheckLabel*>(L) && !dynamic_cast<TKivBarCodeLabel*>(L) &&
        !dynamic_cast<TKivImageLabel*>(L))
        return {};
    TKivVar* v = LabelVariable(L);
    auto* band = dynamic_cast<TKivBand*>(L->Parent());
    TKivLevel* level = band ? band->UpdateLevel() : nullptr;
    if (!v || !level || level->IsHeader() || v->UpdateLevel() == level || AnyLevel(v))
        return {};
    return name + "'s variable, " + v->Name() + ", has a different UpdateLevel than " + name + "'s parent, " +
           band->Name();
}

String BlankFinding(TKivLabel* L)
{
    const String name = L->Name();
    if (auto* t = dynamic_cast<TKivvarlabel*>(L)) {
        const bool v = t->Variable() != nullptr, c = !t->Caption().empty();
        const bool l = t->Lines() && t->Lines()->Count() > 0;
        if (!v && !c && !l)
            return name + " has no variable, its lines property is nil, and its" + " caption is blank. ";
        if (!v && c && l)
            return name + " has its caption and its Lines property set. The" + " Lines property will not be displayed.";
        if (v && !c && l)
            return name + " has its lines property and its variable set." + " The caption property will not be displayed. ";
        if (v && c && !l)
            return name + " has its variable and its caption set." + " The caption property will not be displayed. ";
        if (v && c && l)
            return name + " has its variable, its caption, and its Lines properties set." +
                   " The caption and Lines properties will not be displayed. ";
        return {};
    }
    if (auto* c = dynamic_cast<TKivCheckLabel*>(L))
        return c->Variable() ? String() : "The TKivCheckLabel " + name + " has no variable";
    if (auto* b = dynamic_cast<TKivBarCodeLabel*>(L))
        return b->Variable() ? String() : "The TKivBarCodeLabel " + name + " has no variable";
    if (auto* i = dynamic_cast<TKivImageLabel*>(L))
        return i->Variable() || (i->Picture() && i->Picture()->Graphic())
                   ? String()
                   : "The TKivImageLabel " + name + " has no variable or picture filled in.";
    if (auto* t = dynamic_cast<TKivTotalvarLabel*>(L))
        return t->TotalVariable() ? String() : name + " has no variable";
    return {};
}

// The texts of every layout check that applies to L, in order.
std::vector<std::vector<String>> MiscFindings(TKivLabel* L)
{
    std::vector<std::vector<String>> found;
    const String name = L->Name();
    auto* band = dynamic_cast<TKivBand*>(L->Parent());
    const bool s = L->Stretch(), w = L->WrapText();
    if (s && band && !band->Stretch())
        found.push_back({"The label " + name + " has its Stretch property " +
                             " set to True, but the Stretch property of its band is false.  ",
                         " This may be intentional, but be sure that if " + name + " needs to stretch, that " +
                             band->Name() + " is tall enough to allow" + " it to grow as tall as it needs to be."});
    if (w && !s)
        found.push_back({"The label " + name + " has its Stretch property " +
                             " set to false, but its WrapText property is set to True. This means that ",
                         name + " will wrap text to a new line if necessary, " +
                             "but it will not grow in height in order to do so. You may have done this ",
                         "intentionally, but be careful to make sure that either" + name +
                             "'s height is big enough to accomodate any possible caption ",
                         "it may get, or its Stretch property gets set to True."});
    if (s && !w)
        found.push_back({"The label " + name + " has its Stretch property" +
                             " set to true, but its WrapText property is set to false. This means that ",
                         name + " will grow in height if necessary, but it will not wrap text" +
                             ", so it probably won't have a chance to grow in height. This probably is not",
                         " the result you planned on. If you want the label to wrap text when necessary, set Stretch "
                         "to true, and WrapText to true."});
    const bool coloured = dynamic_cast<TKivTVLabel*>(L) || dynamic_cast<TKivCheckLabel*>(L) ||
                          dynamic_cast<TKivBarCodeLabel*>(L);
    // the default colour is the window colour, which is white
    if (coloured && ColorToRGB(L->Color()) != 0xFFFFFF && L->Transparent())
        found.push_back({"You have changed the color of " + name +
                             " from its default, but you have left its transparent property to True.  ",
                         "Transparent must be set to false in order to change the color of a label, otherwise the "
                         "label will be the same color as whatever is underneath it."});
    if (auto* v = dynamic_cast<TKivvarlabel*>(L); v && v->Variable() && v->Variable()->DataType() == dtypeMemo &&
                                                   !(w && s))
        found.push_back({name + "'s variable, " + v->Variable()->Name(),
                         " is of type dTypeMemo, but " + name + " has its WrapText or Stretch property set to false.",
                         " Both of these properties should probably be set to true. Otherwise, the label will not "
                         "wrap or move text down to the ",
                         " next line when text goes beyond the end of the label."});
    return found;
}

} // namespace

TQorDiagForm::TQorDiagForm(TComponent* AOwner) : TForm(AOwner)
{
    ReadFormResource(this, "forms/qordiag.qfm");
    KivReport1 = FormPart<TKivReport>(*this, "KivReport1");
    ReportPage = FormPart<TKivGrouppage>(*this, "ReportPage");
}

TKivVar* TQorDiagForm::Var(const char* Name) { return FormPart<TKivVar>(*this, Name); }

Integer TQorDiagForm::LabelCount() const { return RPage ? static_cast<Integer>(RPage->LabelList().size()) : 0; }

void TQorDiagForm::DiagProc(TKivReport* Rep, const TQorReportRoute& Route)
{
    Report = Rep;
    RPage = Rep && Rep->Page() ? Rep->Page()->AsPage() : nullptr; // the report's current page
    MiscError = false;
    BlankLabError = false;
    if (!RPage)
        return;
    if (Route)
        Route(KivReport1);
    KivReport1->Run();
}

void TQorDiagForm::ReportPageDataStart(TKivPage* Sender)
{
    Var("QorVersion")->SetAsString(qor::QorVersion());
    Var("ReportOwner")->SetAsString(RPage->Owner() ? RPage->Owner()->Name() : String());
    // no records of its own: only the headers, footers and sub-data bands print
    Sender->SetDataIsFinished(true);
}

// ---- Update levels: the page, then every label --------------------------------------------------

void TQorDiagForm::UpdateDataStart(TKivSubDataBand*)
{
    Spot = -1;
    // the page's own record comes first, whether or not there are labels
}

void TQorDiagForm::UpdateDataSkip(TKivSubDataBand* Sender)
{
    ++Spot;
    Sender->SetDataIsFinished(Spot >= LabelCount());
}

void TQorDiagForm::UpdateDataFilter(TObject*, bool& Accept)
{
    String text;
    if (Spot < 0) {
        DSG = nullptr;
        for (TKivDSGuide* g : RPage->DataSourceList())
            if (RPage->DataSource() && g->DataSource() == RPage->DataSource()) {
                DSG = g;
                break;
            }
        TKivBand* detail = RPage->Detail();
        if (DSG && detail && DSG->UpdateLevel() != detail->UpdateLevel())
            text = "The DataSources updatelevel is different than the Detail bands updatelevel";
    } else if (Spot < LabelCount())
        text = UpdateFinding(RPage->LabelList()[static_cast<size_t>(Spot)]);
    Accept = !text.empty();
    if (Accept)
        Var("UpdateVar")->SetAsString(text);
}

// ---- Data sources: the page, then every sub-data band -------------------------------------------

void TQorDiagForm::BlankDataStart(TKivSubDataBand* Sender)
{
    Spot = -1;
    Sender->SetDataIsFinished(false);
}

void TQorDiagForm::BlankDataSkip(TKivSubDataBand* Sender)
{
    ++Spot;
    Sender->SetDataIsFinished(Spot >= static_cast<Integer>(RPage->SubDataBandList().size()));
}

void TQorDiagForm::BlankDataFilter(TObject*, bool& Accept)
{
    TComponent* subject = RPage;
    const TDataSource* source = RPage->DataSource();
    String kind = "The TKivGroupPage, ";
    if (Spot >= 0) {
        if (Spot >= static_cast<Integer>(RPage->SubDataBandList().size()))
            return;
        auto* sd = static_cast<TKivSubDataBand*>(RPage->SubDataBandList()[static_cast<size_t>(Spot)]);
        subject = sd;
        source = sd->DataSource();
        kind = "The TKivSubDataBand, ";
    }
    const bool handled = !QorGetMethodValue(subject, "OnDataSkip", PageDesigner).empty() &&
                         !QorGetMethodValue(subject, "OnDataStart", PageDesigner).empty();
    Accept = !source && !handled;
    if (Accept)
        Var("BlankVar")->SetAsString(kind + subject->Name() + ", has a nil " +
                                     "DataSource and one or both of the OnDataStart and OnDataSkip events are not "
                                     "filled in.");
}

// ---- Blank labels -------------------------------------------------------------------------------

void TQorDiagForm::BlankLabelsDataStart(TKivSubDataBand* Sender)
{
    bl = 0;
    if (LabelCount() == 0) {
        Sender->SetDataIsFinished(true);
        blanklabsumGetData(Var("blanklabsum"));
    }
}

void TQorDiagForm::BlankLabelsDataSkip(TKivSubDataBand* Sender)
{
    ++bl;
    Sender->SetDataIsFinished(bl >= LabelCount());
    // the summary is known once the walk is over
    if (bl >= LabelCount())
        blanklabsumGetData(Var("blanklabsum"));
}

void TQorDiagForm::BlankLabelsDataFilter(TObject*, bool& Accept)
{
    if (bl >= LabelCount())
        return;
    const String text = BlankFinding(RPage->LabelList()[static_cast<size_t>(bl)]);
    Accept = !text.empty();
    if (Accept) {
        BlankLabError = true;
        Var("BlanklabVar")->SetAsString(text);
    }
}

void TQorDiagForm::blanklabsumGetData(TKivVar* Sender)
{
    if (LabelCount() == 0) {
        Sender->SetAsString("There are no labels to check.");
        return;
    }
    if (!BlankLabError) {
        Sender->SetAsString("All VarLabels Have valid variables. No errors to report.");
        return;
    }
    TMemoryStream s;
    WriteText(&s, "The above errors were caused by varlabels having both nil variables and nil Lines properties. "
                  "The new VarLabels have both of these properties, and one of the two should not be nil.");
    WriteText(&s, "  The new VarLabels can be used to display their Lines property much like The old TextLabels "
                  "used to, or they can also be set to display variables, just like VarLabels used to. Make sure "
                  "that either the");
    WriteText(&s, " varlabels get valid variables, or they get a non-nil value for their lines property before they "
                  "print.");
    s.SetPosition(0);
    Sender->SetAsStream(&s);
}

// ---- Layout hints -------------------------------------------------------------------------------

void TQorDiagForm::MiscDataStart(TKivSubDataBand* Sender)
{
    m = 0;
    if (LabelCount() == 0) {
        Sender->SetDataIsFinished(true);
        Var("MiscSumVar")->SetAsString("There are no Labels to check.");
    }
}

void TQorDiagForm::MiscDataSkip(TKivSubDataBand* Sender)
{
    ++m;
    Sender->SetDataIsFinished(m >= LabelCount());
}

void TQorDiagForm::MiscDataFilter(TObject*, bool& Accept)
{
    if (m >= LabelCount())
        return;
    TMemoryStream s;
    for (const auto& texts : MiscFindings(RPage->LabelList()[static_cast<size_t>(m)])) {
        for (const String& t : texts)
            WriteText(&s, t);
        MiscError = true;
        Accept = true;
    }
    if (Accept) {
        s.SetPosition(0);
        Var("MiscVar")->SetAsStream(&s);
    }
    Var("MiscSumVar")->SetAsString(MiscError ? "The above errors effect the appearance of your report, and should "
                                               "probably be fixed."
                                             : "No miscellaneous errors to report.");
}

void QorRunDiagnostic(TKivReport* Report, IDesigner* Designer, const TQorReportRoute& Route)
{
    QorWithAppForm<TQorDiagForm>([&](TQorDiagForm* form) {
        form->PageDesigner = Designer;
        form->DiagProc(Report, Route);
    });
}

} // namespace qor
