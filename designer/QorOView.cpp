#include "designer/QorOView.h"

#include "designer/PageManQueries.h"

#include "platform/db/DataSource.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/TypeInfo.h"
#include "runtime/engine/KivBand.h"
#include "runtime/engine/KivBandKinds.h"
#include "runtime/engine/KivExprVar.h"
#include "runtime/engine/KivFormat.h"
#include "runtime/engine/KivGroup.h"
#include "runtime/engine/KivLabels.h"
#include "runtime/engine/KivPage.h"
#include "runtime/engine/KivRep.h"
#include "runtime/engine/KivText.h"
#include "runtime/engine/KivTotalLabel.h"
#include "runtime/engine/KivTotalvar.h"
#include "runtime/engine/PSetup.h"
#include "runtime/output/QorFormParts.h"
#include "runtime/output/QorOut.h"
#include "runtime/output/QorUtil.h"
#include "platform/ui/Application.h"

#include <memory>

namespace qor {

QOR_PUBLISH(TQorOverview)
{
    b.Method("ReportPageDataStart", &TQorOverview::ReportPageDataStart);
    b.Method("ReportPageDataSkip", &TQorOverview::ReportPageDataSkip);
    b.Method("ReportPageAfterDataSkip", &TQorOverview::ReportPageAfterDataSkip);
    b.Method("SetupPrintWhen", &TQorOverview::SetupPrintWhen);
    b.Method("GroupsPrintWhen", &TQorOverview::GroupsPrintWhen);
    b.Method("BandListDataStart", &TQorOverview::BandListDataStart);
    b.Method("BandListDataSkip", &TQorOverview::BandListDataSkip);
    b.Method("BandTreeLabelDraw", &TQorOverview::BandTreeLabelDraw);
    b.Method("LabelsDataStart", &TQorOverview::LabelsDataStart);
    b.Method("LabelsDataSkip", &TQorOverview::LabelsDataSkip);
    b.Method("LabelsAfterDataSkip", &TQorOverview::LabelsAfterDataSkip);
    b.Method("LabelsAfterPrint", &TQorOverview::LabelsAfterPrint);
    b.Method("DetailBandAfterPrint", &TQorOverview::DetailBandAfterPrint);
    b.Method("ContinuedTextPrintWhen", &TQorOverview::ContinuedTextPrintWhen);
    b.Method("SubDataPrintWhen", &TQorOverview::SubDataPrintWhen);
}

namespace {

constexpr TColor Silver = 0xC0C0C0;

String SourceName(const TDataSource* Source) { return Source ? Source->Name() : String("Empty"); }
String VarName(const TKivVar* V) { return V ? V->Name() : String("Not assigned"); }

// The two columns of a label's kind-specific properties, one line per entry.
struct TEntries {
    String Properties, Values;
    void Add(const String& Property, const String& Value)
    {
        Properties += Property + '\r';
        Values += Value + '\r';
    }
};

String FormatText(const TKivRootFormat* F)
{
    if (!F)
        return {};
    if (!F->DisplayFormat().empty())
        return F->DisplayFormat();
    return EnumName(F->FloatFormat()) + " " + std::to_string(F->Width()) + " " + std::to_string(F->Digits());
}

void TextEntries(TEntries& E, TKivTVLabel* L, bool WithVariable)
{
    if (!L->Caption().empty())
        E.Add("Caption", L->Caption());
    if (!L->DataFormat()->DisplayFormat().empty())
        E.Add("DisplayFormat", L->DataFormat()->DisplayFormat());
    if (TStrings* lines = L->Lines(); lines && lines->Count() > 0) {
        E.Add("Lines", lines->Strings(0));
        for (Integer i = 1; i < lines->Count(); ++i)
            E.Add("", lines->Strings(i));
    }
    if (WithVariable && L->Variable())
        E.Add("Variable", L->Variable()->Name());
}

TEntries LabelEntries(TKivLabel* L)
{
    TEntries e;
    if (auto* s = dynamic_cast<TKivShape*>(L))
        e.Add("ShapeType", EnumName(s->ShapeType()));
    if (auto* l = dynamic_cast<TKivLine*>(L))
        e.Add("LineType", EnumName(l->LineType()));
    if (auto* b = dynamic_cast<TKivBarCodeLabel*>(L)) {
        e.Add("BarCodeType", EnumName(b->BarCodeType()));
        e.Add("Variable", VarName(b->Variable()));
    }
    if (auto* i = dynamic_cast<TKivImageLabel*>(L))
        e.Add("Variable", VarName(i->Variable()));
    if (auto* c = dynamic_cast<TKivCheckLabel*>(L)) {
        e.Add("CheckStyle", EnumName(c->CheckStyle()));
        e.Add("Variable", VarName(c->Variable()));
    }
    if (auto* v = dynamic_cast<TKivvarlabel*>(L))
        TextEntries(e, v, true);
    if (auto* t = dynamic_cast<TKivTextLabel*>(L))
        TextEntries(e, t, false);
    if (auto* t = dynamic_cast<TKivTotalvarLabel*>(L)) {
        e.Add("Level", t->AutoLevel() ? String("AutoLevel") : t->Level() ? t->Level()->Name() : String());
        e.Add("Total Variable", t->TotalVariable() ? t->TotalVariable()->Name() : String("Undefined"));
        e.Add("TotalType", EnumName(t->TotalType()));
    }
    return e;
}

} // namespace

TQorOverview::TQorOverview(TComponent* AOwner) : TForm(AOwner)
{
    ReadFormResource(this, "forms/qoroview.qfm");
    KivReport1 = FormPart<TKivReport>(*this, "KivReport1");
    ReportPage = FormPart<TKivGrouppage>(*this, "ReportPage");
}

TKivVar* TQorOverview::Var(const char* Name) const { return FormPart<TKivVar>(*const_cast<TQorOverview*>(this), Name); }

void TQorOverview::SetText(const char* Name, const String& Value) const { Var(Name)->SetAsString(Value); }

void TQorOverview::Run(const TQorReportRoute& Route)
{
    if (!GP)
        return;
    if (Route)
        Route(KivReport1);
    KivReport1->Run();
}

// ---- Page records: the bands of the designed page -----------------------------------------------

void TQorOverview::SetPageSetupVars() const
{
    TKivPageSetup* s = GP->PageSetup();
    Var("MarginLeft")->SetAsFloat(s->LeftMargin());
    Var("MarginRight")->SetAsFloat(s->RightMargin());
    Var("MarginTop")->SetAsFloat(s->TopMargin());
    Var("MarginBottom")->SetAsFloat(s->BottomMargin());
    Var("PaperHeight")->SetAsFloat(s->Height());
    Var("PaperWidth")->SetAsFloat(s->Width());
    SetText("PaperSource", EnumName(s->Source()));
    SetText("PaperSize", EnumName(s->Size()));
    SetText("PrintDest", EnumName(s->Destination()));
    SetText("PrintDuplex", EnumName(s->Duplex()));
    SetText("PrintQuality", EnumName(s->PrintQuality()));
    SetText("PrintUnits", EnumName(s->Units()));
    SetText("PrintTTOption", EnumName(s->TrueTypeOption()));
    SetText("PrintOrientation", EnumName(s->Orientation()));
    Var("PrintCopies")->SetAsInteger(s->Copies());
    Var("PrintRangeStart")->SetAsInteger(s->RangeStart());
    Var("PrintRangeEnd")->SetAsInteger(s->RangeEnd());
    Var("PrintTextComp")->SetAsBoolean(s->TextDriverCompatibility());
    Var("PrintAdjMargins")->SetAsBoolean(s->AdjustMargin());
    Var("PrintCollated")->SetAsBoolean(s->CollatedCopies());
    Var("PrintColor")->SetAsBoolean(s->Color());
    Var("PrintDirect")->SetAsBoolean(s->DirectPrinter());
    SetText("PrintFormName", s->FormName());
    TKivPreviewSettings* p = s->PreviewSettings();
    SetText("PreviewFormStyle", EnumName(p->FormStyle()));
    SetText("PreviewModal", EnumName(p->ModalPreview()));
    SetText("PreviewOwner", EnumName(p->PreviewOwner()));
    SetText("PreviewState", EnumName(p->WindowState()));
    SetText("PreviewZoom", EnumName(p->Zoom()));
}

void TQorOverview::ReportPageDataStart(TKivPage* Sender)
{
    BandSpot = 0;
    BandCount = static_cast<Integer>(GP->BandList().size());
    Sender->SetDataIsFinished(BandCount == 0);
    Band = BandCount > 0 ? GP->BandList().front() : nullptr;
    // the first band finds its group like every later one
    ReportGroup = Band ? KivGroupOfBand(GP, Band) : nullptr;
    if (ReportGroup && ReportGroup->Header() != Band)
        ReportGroup = nullptr;
    SetText("ReportDesc", GP->Description());
    SetText("ReportOwner", GP->Owner() ? GP->Owner()->Name() : String());
    SetPageSetupVars();
    SetText("QorVersion", qor::QorVersion());
    SetText("DetailDataSource", SourceName(GP->DataSource()));
}

void TQorOverview::ReportPageDataSkip(TKivPage* Sender)
{
    ++BandSpot;
    if (BandSpot >= BandCount) {
        Sender->SetDataIsFinished(true);
        return;
    }
    Band = GP->BandList()[static_cast<size_t>(BandSpot)];
    ReportGroup = nullptr;
    for (TKivGroup* g : GP->GroupList())
        if (g->Header() == Band) {
            ReportGroup = g;
            break;
        }
}

void TQorOverview::ReportPageAfterDataSkip(TKivPage*)
{
    if (!Band)
        return;
    if (auto* sd = dynamic_cast<TKivSubDataBand*>(Band))
        SetText("SubDataSource", SourceName(sd->DataSource()));
    SetText("BandName", Band->Name());
    Var("BandStretch")->SetAsBoolean(Band->Stretch());
    Var("BandNewPage")->SetAsBoolean(Band->NewPage());
    Var("BandRepeat")->SetAsBoolean(Band->NewPageRepeat());
    Var("BandVisible")->SetAsBoolean(Band->PrintVisible());
    Var("BandHeight")->SetAsInteger(Band->Height());
    SetText("BandBorder", EnumName(Band->BorderType()));
    SetText("BandColor", ColorToString(Band->Color()));
    SetText("GroupName", ReportGroup ? ReportGroup->Name() : String());
    SetText("GroupVarName", ReportGroup ? VarName(ReportGroup->Variable()) : String());
}

void TQorOverview::SetupPrintWhen(TKivBand*, bool& Print) { Print = ReportPage->PageNumber() == 1; }

void TQorOverview::GroupsPrintWhen(TKivBand*, bool& Print) { Print = ReportGroup != nullptr; }

void TQorOverview::ContinuedTextPrintWhen(TKivLabel* Sender, bool& Print)
{
    auto* band = dynamic_cast<TKivBand*>(Sender->Parent());
    Print = band && band->Continued();
}

void TQorOverview::SubDataPrintWhen(TKivLabel*, bool& Print) { Print = dynamic_cast<TKivSubDataBand*>(Band) != nullptr; }

// ---- The band tree ------------------------------------------------------------------------------

void TQorOverview::BandListDataStart(TKivSubDataBand* Sender)
{
    Spot = 0;
    Sender->SetDataIsFinished(GP->BandList().empty());
}

void TQorOverview::BandListDataSkip(TKivSubDataBand* Sender)
{
    ++Spot;
    Sender->SetDataIsFinished(Spot >= static_cast<Integer>(GP->BandList().size()));
}

void TQorOverview::BandTreeLabelDraw(TKivLabel*, TObject* Canvas, const TRect& Rect)
{
    const auto& bands = GP->BandList();
    if (auto* c = dynamic_cast<TQorCanvas*>(Canvas); c && Spot >= 0 && Spot < static_cast<Integer>(bands.size()))
        DrawBand(c, Rect, bands[static_cast<size_t>(Spot)]);
}

void TQorOverview::DrawBand(TQorCanvas* Canvas, const TRect& R, TKivBand* B)
{
    const auto& bands = GP->BandList();
    const auto at = std::find(bands.begin(), bands.end(), B);
    if (at == bands.end())
        return;
    // the band and group manager's tree, drawn onto the page
    const TKivTreeRow row = KivBandTreeRow(GP, bands, static_cast<Integer>(at - bands.begin()), R);
    Canvas->Font()->SetColor(row.Colour);
    Canvas->Font()->SetSize(12);
    Canvas->Font()->SetStyle(TFontStyles{fsBold, fsItalic});
    Canvas->Brush()->SetColor(clWhite);
    Canvas->FillRect(R);
    Canvas->Pen()->SetWidth(1);
    Canvas->Pen()->SetColor(clBlack);
    for (const TKivTreeLine& l : row.Lines) {
        // the two outermost columns fall left of the row (the band list clips them); on the page
        // they would stand beside the tree
        if (l.X1 < R.Left)
            continue;
        Canvas->MoveTo(l.X1, l.Y1);
        Canvas->LineTo(l.X2, l.Y2);
    }
    Canvas->SetTextAlign(TA_LEFT | TA_TOP);
    Canvas->Textout(R.Left + 10 * row.Depth + 2, R.Top + 1, B->Name());
}

// ---- Label records: the labels of the current band ----------------------------------------------

void TQorOverview::LabelAt(TKivSubDataBand* Sender)
{
    std::vector<TKivLabel*> labels;
    if (Band)
        for (Integer i = 0; i < Band->ControlCount(); ++i)
            if (auto* l = dynamic_cast<TKivLabel*>(Band->Controls(i)))
                labels.push_back(l);
    LabelCount = static_cast<Integer>(labels.size());
    const bool finished = LabelSpot >= LabelCount;
    Sender->SetDataIsFinished(finished);
    BandLabel = finished ? nullptr : labels[static_cast<size_t>(LabelSpot)];
}

void TQorOverview::LabelsDataStart(TKivSubDataBand* Sender)
{
    LabelSpot = 0;
    LabelAt(Sender);
}

void TQorOverview::LabelsDataSkip(TKivSubDataBand* Sender)
{
    ++LabelSpot;
    LabelAt(Sender);
}

void TQorOverview::LabelsAfterDataSkip(TKivSubDataBand*)
{
    TKivLabel* l = BandLabel;
    if (!l)
        return;
    Var("LabelTop")->SetAsInteger(l->Top());
    Var("LabelLeft")->SetAsInteger(l->Left());
    Var("LabelHeight")->SetAsInteger(l->Height());
    Var("LabelWidth")->SetAsInteger(l->Width());
    SetText("LabelName", l->Name());
    SetText("LabelColor", ColorToString(l->Color()));
    String font, border, format;
    if (auto* v = dynamic_cast<TKivvarlabel*>(l))
        format = FormatText(v->DataFormat());
    else if (auto* t = dynamic_cast<TKivTotalvarLabel*>(l))
        format = FormatText(t->DataFormat());
    if (dynamic_cast<TKivTVLabel*>(l) || dynamic_cast<TKivTotalvarLabel*>(l)) {
        font = l->Font()->Name();
        border = EnumName(l->BorderType());
    }
    SetText("LabelFont", font);
    SetText("LabelBorder", border);
    SetText("LabelFormat", format);
    SetText("LabelType", l->ClassName());
    const TEntries e = LabelEntries(l);
    SetText("PropertyList", e.Properties);
    SetText("ValueList", e.Values);
}

void TQorOverview::LabelsAfterPrint(TObject* Sender)
{
    if (auto* b = dynamic_cast<TKivBand*>(Sender))
        b->SetColor(b->Color() == clWhite ? Silver : clWhite);
}

void TQorOverview::DetailBandAfterPrint(TObject*)
{
    if (auto* b = dynamic_cast<TKivBand*>(FindComponent("Labels")))
        b->SetColor(clWhite);
}

void QorRunOverview(TKivPage* Page, const TQorReportRoute& Route)
{
    auto* gp = dynamic_cast<TKivGrouppage*>(Page);
    if (!gp)
        return;
    QorWithAppForm<TQorOverview>([&](TQorOverview* form) {
        form->Report = dynamic_cast<TKivReport*>(gp->Parent());
        form->GP = gp;
        form->Run(Route);
    });
}

} // namespace qor
