#include "designer/QorDrop.h"

#include "designer/PAGEMAN.h"
#include "designer/QorFAsk.h"
#include "designer/QorOView.h"

#include "platform/db/DataSet.h"
#include "platform/db/DataSource.h"
#include "platform/db/Field.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Screen.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/TypeInfo.h"
#include "platform/ui/Application.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "runtime/engine/KivBand.h"
#include "runtime/engine/KivDBVar.h"
#include "runtime/engine/KivDSGuide.h"
#include "runtime/engine/KivFormat.h"
#include "runtime/engine/KivLabels.h"
#include "runtime/engine/KivPage.h"
#include "runtime/engine/KivText.h"
#include "runtime/engine/KivTotalLabel.h"
#include "runtime/engine/KivTotalvar.h"
#include "runtime/engine/KivUtil.h"
#include "runtime/output/QorFormParts.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace qor {

QOR_PUBLISH(TQorDropLabels)
{
    b.Method("FormCreate", &TQorDropLabels::FormCreate);
    b.Method("VariableSelectionChange", &TQorDropLabels::VariableSelectionChange);
    b.Method("QorVariableListClick", &TQorDropLabels::QorVariableListClick);
    b.Method("SpeedButton1Click", &TQorDropLabels::SpeedButton1Click);
    b.Method("SpeedButton2Click", &TQorDropLabels::SpeedButton2Click);
    b.Method("SpeedButton3Click", &TQorDropLabels::SpeedButton3Click);
}

// ---- TMyField -----------------------------------------------------------------------------------

TMyField::TMyField(const String& MyFieldName, TDataSet* MyDataSet) : FieldName(MyFieldName), DataSet(MyDataSet)
{
    MakeField();
}

TMyField::~TMyField()
{
    if (DeleteField)
        Free(Field);
}

void TMyField::MakeField()
{
    if (!DataSet)
        return;
    try {
        DataSet->FieldDefs()->Update();
        FieldDef = DataSet->FieldDefs()->Find(FieldName);
    } catch (const std::exception&) {
        FieldDef = nullptr; // a field that cannot be looked up is not there
    }
    if (!FieldDef)
        return;
    Field = GetField();
    if (!Field) {
        Field = FieldDef->CreateField(DataSet);
        DeleteField = Field != nullptr;
    }
}

TField* TMyField::GetField() const
{
    if (FieldName.empty() || !DataSet)
        return nullptr;
    TField* f = DataSet->FindField(FieldName);
    return f && f->FieldName() == FieldName ? f : nullptr;
}

Byte TMyField::GetDataType() const { return FieldDef ? GetQorDataType(FieldDef->DataType()) : dtypeUnknown; }

void TMyField::FormatFieldLabel(TKivLabel* Label) const
{
    auto* l = dynamic_cast<TKivvarlabel*>(Label);
    if (!l)
        return;
    TKivFormat* fmt = l->DataFormat();
    const auto floating = [&](Integer Precision, bool Money) {
        fmt->SetWidth(Precision);
        fmt->SetFloatFormat(Money ? ffCurrency : ffNumber);
        if (Money)
            fmt->SetUseCurrencyDecimals(true);
        else
            fmt->SetDigits(2);
    };
    if (Field) {
        if (auto* s = dynamic_cast<TStringField*>(Field))
            fmt->SetDisplayFormat(s->DisplayFormat()); // a string field's format is its display format
        else if (auto* c = dynamic_cast<TCurrencyField*>(Field)) {
            fmt->SetDisplayFormat(c->DisplayFormat());
            floating(c->Precision(), true);
        } else if (auto* f = dynamic_cast<TFloatField*>(Field)) {
            fmt->SetDisplayFormat(f->DisplayFormat());
            floating(f->Precision(), f->Currency());
        } else if (auto* i = dynamic_cast<TNumericField*>(Field))
            fmt->SetDisplayFormat(i->DisplayFormat());
        else if (auto* d = dynamic_cast<TDateTimeField*>(Field))
            fmt->SetDisplayFormat(d->DisplayFormat());
        else if (dynamic_cast<TMemoField*>(Field)) {
            l->SetWrapText(true);
            l->SetStretch(true);
        }
        switch (Field->Alignment()) {
        case taLeftJustify: l->SetHorizontalAlign(laLeft); break;
        case taRightJustify: l->SetHorizontalAlign(laRight); break;
        case taCenter: l->SetHorizontalAlign(laCenter); break;
        }
        return;
    }
    if (!FieldDef)
        return;
    switch (FieldDef->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord: l->SetHorizontalAlign(laRight); break;
    case ftFloat:
    case ftBCD:
    case ftFMTBcd:
    case ftSingle:
        l->SetHorizontalAlign(laRight);
        floating(fmt->Width(), false);
        break;
    case ftCurrency:
        l->SetHorizontalAlign(laRight);
        fmt->SetFloatFormat(ffCurrency);
        fmt->SetUseCurrencyDecimals(true);
        break;
    case ftDate: fmt->SetDisplayFormat("dddd"); break;
    case ftTime: fmt->SetDisplayFormat("tttt"); break;
    case ftDateTime: fmt->SetDisplayFormat("ddddtttt"); break;
    case ftMemo:
        l->SetWrapText(true);
        l->SetStretch(true);
        break;
    default: break;
    }
}

// ---- The form -----------------------------------------------------------------------------------

TQorDropLabels::TQorDropLabels(TComponent* AOwner) : TForm(AOwner) { ReadFormResource(this, "forms/qordrop.qfm"); }

TQorDropLabels::~TQorDropLabels()
{
    // the labels stay; only the watch on them ends
    for (auto* list : {&TextLabelList, &VarLabelList, &TextDivList, &VarDivList})
        for (TKivLabel* l : *list)
            l->RemoveFreeNotification(this);
}

void TQorDropLabels::FormCreate(TObject*)
{
    QorVariableList = FormPart<TListBox>(*this, "QorVariableList");
    ToolPanel = FormPart<TPanel>(*this, "ToolPanel");
    sbHoriz = FormPart<TSpeedButton>(*this, "sbHoriz");
    sbHorizdiv = FormPart<TSpeedButton>(*this, "sbHorizdiv");
    sbVert = FormPart<TSpeedButton>(*this, "sbVert");
    sbTop = FormPart<TSpeedButton>(*this, "sbTop");
    sbLeft = FormPart<TSpeedButton>(*this, "sbLeft");
    SpeedButton1 = FormPart<TSpeedButton>(*this, "SpeedButton1");
    SpeedButton2 = FormPart<TSpeedButton>(*this, "SpeedButton2");
    SpeedButton3 = FormPart<TSpeedButton>(*this, "SpeedButton3");
    VariableSelection = FormPart<TComboBox>(*this, "VariableSelection");
    TextBand = FormPart<TComboBox>(*this, "TextBand");
    UndoPanel = FormPart<TPanel>(*this, "UndoPanel");
    Page = nullptr;
    SList = QorVariableList;
    SetClientWidth(UndoPanel->Left() + UndoPanel->Width() + 3);
    SetTop(0);
    SetLeft((Screen()->Width() - Width()) / 2);
}

Integer TQorDropLabels::PixelsPerInchP() const { return PixelsPerInch() > 0 ? PixelsPerInch() : 96; }

void TQorDropLabels::Notification(TComponent* AComponent, TOperation Operation)
{
    TForm::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    // a label deleted by hand leaves the lists, so undo never meets its address again
    for (auto* list : {&TextLabelList, &VarLabelList, &TextDivList, &VarDivList})
        list->erase(std::remove(list->begin(), list->end(), AComponent), list->end());
}

void TQorDropLabels::FillComboBoxes()
{
    if (!Page)
        return;
    const Integer was = VariableSelection->ItemIndex();
    TStrings* v = VariableSelection->Items();
    v->Clear();
    for (const char* s : {"All", "Expression", "Total", "System", "Manual DB"})
        v->Add(s);
    const auto& sources = Page->FullDSList();
    for (TKivDSGuide* g : Page->DataSourceList()) {
        auto at = std::find(sources.begin(), sources.end(), g->DataSource());
        if (at != sources.end() && at - sources.begin() < Page->FullDSNames()->Count())
            v->Add(Page->FullDSNames()->Strings(static_cast<Integer>(at - sources.begin())));
    }
    VariableSelection->SetItemIndex(was >= 0 && was < v->Count() ? was : 0);
    VariableSelectionChange(this);
    const Integer band = TextBand->ItemIndex();
    TStrings* t = TextBand->Items();
    t->Clear();
    t->Add("No Text Label");
    for (TKivBand* b : Page->BandList())
        t->Add(b->Name());
    TextBand->SetItemIndex(band >= 0 && band < t->Count() ? band : 0);
}

void TQorDropLabels::VariableSelectionChange(TObject*)
{
    QorVariableList->Items()->Clear();
    SelectedList.clear();
    if (!Page)
        return;
    const Integer kind = VariableSelection->ItemIndex();
    TStrings* rows = QorVariableList->Items();
    const auto add = [rows](TKivVar* V, const String& Text) { rows->AddObject(Text, V); };
    if (kind == 2) {
        for (TKivTotalvar* t : Page->TotalVarList())
            add(t, t->Name());
    } else if (kind >= 5) {
        const String name = VariableSelection->Items()->Strings(kind);
        const Integer at = Page->FullDSNames()->IndexOf(name);
        // a name that is not (or no longer) listed gives an empty list
        TDataSource* source = at >= 0 && at < static_cast<Integer>(Page->FullDSList().size())
                                  ? Page->FullDSList()[static_cast<size_t>(at)]
                                  : nullptr;
        if (source)
            for (TKivVar* var : Page->VarList())
                if (auto* d = dynamic_cast<TKivDBVar*>(var); d && d->Id() == vidAutoDataVar && d->DataSource() == source)
                    add(d, d->DataField());
    } else {
        for (TKivVar* var : Page->VarList()) {
            const bool take = kind <= 0                                              ? true
                              : kind == 1                                            ? var->Id() == vidExprVar
                              : kind == 3 ? var->Id() == vidDateTimeVar || var->Id() == vidPageVar
                                          : dynamic_cast<TKivDBVar*>(var) && var->Id() != vidAutoDataVar && !var->AutoVar();
            if (take)
                add(var, var->Name());
        }
    }
    const Integer columns = std::max<Integer>(1, QorVariableList->Columns());
    QorVariableList->SetHeight(rows->Count() * 13 / columns + 13);
}

void TQorDropLabels::QorVariableListClick(TObject*)
{
    const Integer count = QorVariableList->Count();
    bool any = false;
    for (Integer i = 0; i < count; ++i) {
        const bool selected = QorVariableList->Selected(i);
        any = any || selected;
        const auto at = std::find(SelectedList.begin(), SelectedList.end(), i);
        if (selected && at == SelectedList.end())
            SelectedList.push_back(i);
        else if (!selected && at != SelectedList.end())
            SelectedList.erase(at);
    }
    if (!any)
        SelectedList.clear();
    std::erase_if(SelectedList, [count](Integer i) { return i >= count; });
}

void TQorDropLabels::SpeedButton2Click(TObject*)
{
    QorVariableList->SetColumns(std::min<Integer>(10, QorVariableList->Columns() + 1));
}

void TQorDropLabels::SpeedButton3Click(TObject*)
{
    if (QorVariableList->Columns() > 2) {
        QorVariableList->SetColumns(QorVariableList->Columns() - 1);
        SetHint("Decreasing the number of columns by one.");
    }
}

void TQorDropLabels::SpeedButton1Click(TObject*)
{
    if (!Page)
        return;
    const auto& onPage = Page->LabelList();
    std::vector<TKivLabel*> all;
    for (auto* list : {&TextLabelList, &VarLabelList, &TextDivList, &VarDivList}) {
        all.insert(all.end(), list->begin(), list->end());
        list->clear();
    }
    for (TKivLabel* l : all)
        if (std::find(onPage.begin(), onPage.end(), l) != onPage.end()) {
            l->RemoveFreeNotification(this);
            l->SetParent(nullptr);
            Free(l);
        }
}

TKivBand* TQorDropLabels::GetTextBand() const
{
    const Integer i = TextBand->ItemIndex();
    if (i <= 0 || !Page)
        return nullptr;
    const String name = TextBand->Items()->Strings(i);
    for (TKivBand* b : Page->BandList())
        if (b->Name() == name)
            return b;
    return nullptr;
}

void TQorDropLabels::DropLabels(TKivBand* Band, Integer X, Integer Y)
{
    if (SelectedList.empty() || !Band || !Page)
        return;
    if (auto* m = dynamic_cast<TKivPageManager*>(Page->PageManager()))
        PageDesigner = m->PageDesigner();
    VarLabelBand = Band;
    TextLabelBand = GetTextBand();
    DropHorz = sbHoriz->Down() || sbHorizdiv->Down();
    TextAbove = sbTop->Down();
    Dividers = sbHorizdiv->Down();
    xDrop = X;
    yDrop = Y;
    CreateLabels();
    if (!ArrangeLabels())
        CreateDividers();
    SelectComponents();
}

// ---- Making labels ------------------------------------------------------------------------------

TKivLabel* TQorDropLabels::Adopt(TKivLabel* Label, TKivBand* Band, std::vector<TKivLabel*>& List)
{
    KivAutoSetComponentName(Label, Label->ClassName(), true);
    Label->SetParent(Band);
    Label->FreeNotification(this);
    List.push_back(Label);
    return Label;
}

void TQorDropLabels::CreateLabels()
{
    for (auto* list : {&TextLabelList, &VarLabelList, &TextDivList, &VarDivList}) {
        for (TKivLabel* l : *list)
            l->RemoveFreeNotification(this);
        list->clear();
    }
    for (Integer row : SelectedList) {
        if (row < 0 || row >= QorVariableList->Count())
            continue;
        auto* var = static_cast<TKivVar*>(QorVariableList->Items()->Objects(row));
        if (!var)
            continue;
        if (TextLabelBand) {
            TKivLabel* t = Adopt(Create<TKivvarlabel>(Page->Owner()), TextLabelBand, TextLabelList);
            FormatTextLabel(t, var);
        }
        CreateVarLabel(var, VarLabelBand);
    }
}

namespace {

// The database variable behind V (a total's own variable for a total), else null.
TKivDBVar* DBVarOf(TKivVar* V)
{
    if (auto* d = dynamic_cast<TKivDBVar*>(V))
        return d;
    if (auto* t = dynamic_cast<TKivTotalvar*>(V))
        return dynamic_cast<TKivDBVar*>(t->Variable());
    return nullptr;
}

TDataSet* DataSetOf(TKivDBVar* V) { return V && V->DataSource() ? V->DataSource()->DataSet() : nullptr; }

} // namespace

TKivLabel* TQorDropLabels::CreateVarLabel(TKivVar* Variable, TKivBand* Band)
{
    TKivDBVar* db = DBVarOf(Variable);
    if (!db) {
        const Byte type = Variable->GetDataType();
        TKivLabel* l = Adopt(CreateLabel(Variable, type), Band, VarLabelList);
        FormatVarLabel(l, Variable, type);
        FormatLabelHW(l, Variable, nullptr);
        return l;
    }
    // a variable without a data source has no data set: no field, type unknown
    const TMyField field(db->DataField(), DataSetOf(db));
    TKivLabel* l = Adopt(CreateLabel(Variable, field.GetDataType()), Band, VarLabelList);
    field.FormatFieldLabel(l);
    FormatLabelHW(l, Variable, &field);
    return l;
}

TKivLabel* TQorDropLabels::CreateLabel(TKivVar* Variable, Byte Type)
{
    TComponent* owner = Page->Owner();
    if (auto* t = dynamic_cast<TKivTotalvar*>(Variable)) {
        auto* l = Create<TKivTotalvarLabel>(owner);
        l->SetTotalVariable(t);
        return l;
    }
    if (Type == dtypeBoolean) {
        auto* l = Create<TKivCheckLabel>(owner);
        l->SetBorderType(btSingle);
        l->SetVariable(Variable);
        return l;
    }
    if (Type == dtypeBlob || Type == dtypeGraphic) {
        auto* l = Create<TKivImageLabel>(owner);
        l->SetVariable(Variable);
        return l;
    }
    auto* l = Create<TKivvarlabel>(owner);
    l->SetVariable(Variable);
    return l;
}

void TQorDropLabels::FormatVarLabel(TKivLabel* Label, TKivVar*, Byte Type)
{
    if (auto* t = dynamic_cast<TKivTotalvarLabel*>(Label)) {
        t->DataFormat()->SetFloatFormat(ffNumber);
        t->DataFormat()->SetDigits(2);
        return;
    }
    auto* l = dynamic_cast<TKivvarlabel*>(Label);
    if (!l)
        return;
    switch (Type) {
    case dtypeFloat:
        l->DataFormat()->SetFloatFormat(ffNumber);
        l->DataFormat()->SetDigits(2);
        l->SetHorizontalAlign(laRight);
        break;
    case dtypeInteger:
        l->DataFormat()->SetFloatFormat(ffNumber);
        l->SetHorizontalAlign(laRight);
        break;
    case dtypeDateTime: l->DataFormat()->SetDisplayFormat("ddddd"); break;
    case dtypeMemo:
        l->SetWrapText(true);
        l->SetStretch(true);
        break;
    default: break;
    }
}

namespace {

Integer BandFontHeight(const TKivLabel* L)
{
    auto* band = dynamic_cast<TKivBand*>(L->Parent());
    return std::abs(band ? band->Font()->Height() : L->Font()->Height());
}

Integer TextWidthOn(TKivLabel* L, const String& Text)
{
    TCanvas* c = L->Canvas();
    c->Font()->Assign(L->Font());
    return c->TextWidth(Text);
}

} // namespace

void TQorDropLabels::FormatTextLabel(TKivLabel* Label, TKivVar* Variable)
{
    auto* l = dynamic_cast<TKivvarlabel*>(Label);
    if (!l)
        return;
    String caption;
    if (auto* d = dynamic_cast<TKivDBVar*>(Variable)) {
        const TMyField field(d->DataField(), DataSetOf(d));
        caption = field.Field ? field.Field->DisplayLabel() : d->DataField();
    }
    if (auto* band = dynamic_cast<TKivBand*>(l->Parent()))
        l->Font()->Assign(band->Font());
    if (caption.empty())
        caption = Variable->Name();
    l->SetCaption(caption);
    l->SetHeight(BandFontHeight(l) + 6);
    l->SetWidth(TextWidthOn(l, caption) + 15);
}

void TQorDropLabels::FormatLabelHW(TKivLabel* Label, TKivVar* Variable, const TMyField* Field)
{
    const Integer p = PixelsPerInchP();
    Label->SetHeight(BandFontHeight(Label) + 6);
    auto* v = dynamic_cast<TKivvarlabel*>(Label);
    if (v && v->WrapText())
        Label->SetWidth(2 * p);
    else if (dynamic_cast<TKivImageLabel*>(Label))
        Label->SetBounds(Label->Left(), Label->Top(), p, p);
    else if (dynamic_cast<TKivCheckLabel*>(Label))
        Label->SetBounds(Label->Left(), Label->Top(), 12, 12);
    else if (Field && Field->Field)
        Label->SetWidth(Field->Field->DisplayWidth() * TextWidthOn(Label, "X"));
    else if (const Byte t = Variable ? Byte(Variable->GetDataType()) : Byte(dtypeUnknown);
             v && (t == dtypeString || t == dtypeFloat || t == dtypeInteger || t == dtypeBoolean)) {
        TCanvas* c = Canvas();
        c->Font()->Assign(Label->Font());
        Label->SetWidth(std::max(Label->Width(), c->TextWidth(v->GetDataNow())));
    } else
        Label->SetWidth(p);
}

// ---- Arranging ----------------------------------------------------------------------------------

bool TQorDropLabels::ArrangeLabels(bool Wrap)
{
    const bool text = TextLabelBand != nullptr, same = TextLabelBand == VarLabelBand;
    const Integer pageWidth = Page->PageWidth();
    Integer x = xDrop, y = yDrop, lowest = yDrop;
    for (size_t i = 0; i < VarLabelList.size(); ++i) {
        TKivLabel* v = VarLabelList[i];
        TKivLabel* t = text && i < TextLabelList.size() ? TextLabelList[i] : nullptr;
        if (!DropHorz) {
            if (t && same && !TextAbove) {
                v->SetLeft(xDrop);
                v->SetTop(y);
                t->SetHorizontalAlign(laRight);
                t->SetLeft(xDrop - t->Width() - 3);
                t->SetTop(y);
            } else if (t && same) {
                t->SetLeft(xDrop);
                t->SetTop(y);
                v->SetLeft(xDrop);
                v->SetTop(t->Top() + t->Height() + 2);
            } else {
                v->SetLeft(xDrop);
                v->SetTop(y);
                if (t) {
                    t->SetLeft(xDrop);
                    t->SetTop(y);
                }
            }
            y = v->Top() + v->Height() + 5;
            continue;
        }
        if (Wrap && x > xDrop) {
            const Integer need = t && same && !TextAbove ? t->Width() + v->Width() + 2 : v->Width();
            if (x + need > pageWidth) {
                x = xDrop;
                y = lowest + 5;
            }
        }
        if (!t) {
            v->SetLeft(x);
            v->SetTop(y);
            x += v->Width() + 10;
            lowest = std::max(lowest, v->Top() + v->Height());
        } else if (!same || TextAbove) {
            t->SetLeft(x);
            t->SetTop(y);
            v->SetLeft(x);
            v->SetTop(same ? y + t->Height() + 2 : y);
            x += std::max(v->Width(), t->Width()) + 10;
            lowest = std::max(lowest, same ? y + t->Height() + v->Height() + 2 : v->Top() + v->Height());
        } else {
            t->SetHorizontalAlign(laRight);
            t->SetLeft(x);
            t->SetTop(y);
            v->SetLeft(t->Left() + t->Width() + 2);
            v->SetTop(y);
            x = v->Left() + v->Width() + 10;
            lowest = std::max(lowest, v->Top() + v->Height());
        }
    }
    // a wrapped row that still overflows (one label wider than the page) is not asked about again
    const bool wrapped = DropHorz && !Wrap ? CheckWidth() : Wrap;
    AdjustBandHeight();
    return wrapped;
}

void TQorDropLabels::AdjustBandHeight()
{
    for (TKivBand* band : {TextLabelBand, VarLabelBand}) {
        if (!band)
            continue;
        Integer bottom = band->Height();
        for (Integer i = 0; i < band->ControlCount(); ++i)
            if (auto* l = dynamic_cast<TKivLabel*>(band->Controls(i)))
                bottom = std::max(bottom, l->Top() + l->Height());
        if (bottom > band->Height())
            band->SetHeight(bottom);
    }
}

void TQorDropLabels::DeleteFrom(size_t Index)
{
    std::vector<TKivLabel*> gone;
    for (auto* list : {&VarLabelList, &TextLabelList})
        if (Index < list->size()) {
            gone.insert(gone.end(), list->begin() + static_cast<std::ptrdiff_t>(Index), list->end());
            list->resize(Index);
        }
    // out of the lists first, so no later step touches a freed label
    for (TKivLabel* l : gone) {
        l->RemoveFreeNotification(this);
        l->SetParent(nullptr);
        Free(l);
    }
}

bool TQorDropLabels::CheckWidth()
{
    const Integer pageWidth = Page->PageWidth();
    if (VarLabelList.size() < 2 || VarLabelList.back()->Left() + VarLabelList.back()->Width() <= pageWidth)
        return false;
    enum { Cancel, Wrap, Shrink, Delete, Ignore } answer = Ignore;
    QorWithAppForm<TQorFastAskForm>([&](TQorFastAskForm* ask) {
        ask->ShowModal();
        answer = ask->Canceled            ? Cancel
                 : ask->Wrap->Checked()   ? Wrap
                 : ask->Shrink->Checked() ? Shrink
                 : ask->Delete->Checked() ? Delete
                                          : Ignore;
    });
    switch (answer) {
    case Cancel: DeleteFrom(0); break;
    case Wrap: ArrangeLabels(true); return true;
    case Shrink: ShrinkLabels(); break;
    case Delete: {
        size_t keep = VarLabelList.size();
        while (keep > 0 && VarLabelList[keep - 1]->Left() + VarLabelList[keep - 1]->Width() > pageWidth)
            --keep;
        DeleteFrom(keep);
        break;
    }
    case Ignore: break;
    }
    return false;
}

void TQorDropLabels::ShrinkLabels()
{
    Integer sum = 0;
    for (TKivLabel* l : VarLabelList)
        if (!dynamic_cast<TKivCheckLabel*>(l))
            sum += l->Width();
    // check labels keep their size: with nothing else there is nothing to shrink
    if (sum == 0 || VarLabelList.empty())
        return;
    const Integer overflow = VarLabelList.back()->Left() + VarLabelList.back()->Width() - Page->PageWidth();
    Double f = 1.0 - static_cast<Double>(overflow) / sum;
    if (f < 0.25)
        f = 0;
    if (f > 1)
        f = 1;
    const Integer minimum = PixelsPerInchP() / 2;
    const bool same = TextLabelBand == VarLabelBand;
    Integer x = xDrop, carry = 0;
    for (size_t i = 0; i < VarLabelList.size(); ++i) {
        TKivLabel* v = VarLabelList[i];
        if (TextLabelBand && i < TextLabelList.size()) {
            TKivLabel* t = TextLabelList[i];
            t->SetLeft(x);
            if (same && !TextAbove)
                x += t->Width() + 2;
        }
        v->SetLeft(x);
        if (!dynamic_cast<TKivCheckLabel*>(v)) {
            const Integer scaled = static_cast<Integer>(std::trunc(v->Width() * f));
            Integer width = scaled - carry;
            if (width < minimum)
                width = minimum;
            carry += width - scaled;
            v->SetWidth(width);
        }
        x += v->Width() + 10;
    }
}

void TQorDropLabels::CreateDividers()
{
    if (!DropHorz || !Dividers || VarLabelList.size() < 2)
        return;
    const bool same = TextLabelBand == VarLabelBand;
    for (size_t i = 1; i < VarLabelList.size(); ++i) {
        TKivLabel* v = VarLabelList[i];
        TKivLabel* d = Adopt(Create<TKivVerticalDivider>(Page->Owner()), VarLabelBand, VarDivList);
        d->SetLeft(v->Left() - 4);
        if (!TextLabelBand || i >= TextLabelList.size())
            continue;
        if (same)
            d->SetLeft(TextLabelList[i]->Left() - 4);
        else
            Adopt(Create<TKivVerticalDivider>(Page->Owner()), TextLabelBand, TextDivList)->SetLeft(v->Left() - 4);
    }
}

void TQorDropLabels::SelectComponents()
{
    auto list = CreateSelectionList();
    for (TKivLabel* l : VarLabelList)
        list->Add(l);
    for (TKivLabel* l : VarDivList)
        list->Add(l);
    if (TextLabelBand == VarLabelBand) {
        for (TKivLabel* l : TextLabelList)
            list->Add(l);
        for (TKivLabel* l : TextDivList)
            list->Add(l);
    }
    if (PageDesigner)
        PageDesigner->SetSelections(*list);
}

} // namespace qor
