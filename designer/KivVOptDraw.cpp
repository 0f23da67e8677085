// The data control center's presentation: how the six panels share the window and zoom, the
// guide grid's check boxes, and the columns and marks of the owner-drawn lists.

#include "designer/KivVOpt.h"

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Color.h"
#include "runtime/engine/KivDBVar.h"

namespace qor {

namespace {

Integer Share(Integer Total, Double Part) { return static_cast<Integer>(Round(Total * Part)); }

// The shares of Count panels of one column: Default each when none is zoomed, else Zoomed for the
// first zoomed one (flags in order) and Other for the rest.
std::vector<Double> Shares(const std::vector<bool>& Zoomed, const std::vector<Double>& Default, Double ZoomedPart,
                           Double Other)
{
    for (size_t i = 0; i < Zoomed.size(); ++i)
        if (Zoomed[i]) {
            std::vector<Double> s(Zoomed.size(), Other);
            s[i] = ZoomedPart;
            return s;
        }
    return Default;
}

// A column of an item's row, from Left to Right inclusive.
TRect Column(const TRect& R, Integer Left, Integer Right) { return TRect(Left, R.Top, Right, R.Bottom); }

// Draws Text clipped to Cell, 2 pixels in and 1 down.
void CellText(TCanvas* C, const TRect& Cell, const String& Text) { C->TextRect(Cell, Cell.Left + 2, Cell.Top + 1, Text); }

// A used variable: "> " before its name and green, as the background when selected and in the
// letters when not.
String MarkUsed(TCanvas* C, bool Used, bool Selected, const String& Text)
{
    if (!Used)
        return Text;
    if (Selected)
        C->Brush()->SetColor(clGreen);
    else
        C->Font()->SetColor(clGreen);
    return "> " + Text;
}

// A level cell whose level does not match: "* " and red in the same way; colours restored after.
void LevelCell(TCanvas* C, const TRect& Cell, bool Match, bool Selected, const String& Text)
{
    if (Match) {
        CellText(C, Cell, Text);
        return;
    }
    const TColor brush = C->Brush()->Color(), font = C->Font()->Color();
    if (Selected) {
        C->Brush()->SetColor(clRed);
        C->FillRect(Cell);
    } else
        C->Font()->SetColor(clRed);
    CellText(C, Cell, "* " + Text);
    C->Brush()->SetColor(brush);
    C->Font()->SetColor(font);
}

template <class T>
const T* Row(const std::vector<std::unique_ptr<T>>& List, Integer Index)
{
    return Index >= 0 && Index < static_cast<Integer>(List.size()) ? List[static_cast<size_t>(Index)].get() : nullptr;
}

} // namespace

// ---- Layout -----------------------------------------------------------------------------------

void TKivDSVariableOptions::FormResize(TObject*)
{
    const Integer H = ClientHeight(), CW = ClientWidth();
    const std::vector<Double> left =
        Shares({DataSourceZoomed, ExprZoomed, TotalZoomed, DBVarZoomed}, {0.4, 0.2, 0.2, 0.2}, 0.7, 0.1);
    const Integer leftWidth = Share(CW, 0.7);
    DataSourcePanel->SetBounds(0, 0, leftWidth, Share(H, left[0]));
    Integer top = DataSourcePanel->Height();
    TPanel* stack[] = {ExprPanel, totalpanel, DBVarPanel};
    for (size_t i = 0; i < 3; ++i) {
        const Integer share = Share(H, left[i + 1]);
        stack[i]->SetBounds(0, top + 1, leftWidth, std::max<Integer>(0, share - 1));
        top += share;
    }
    for (TSpeedButton* b : {DataSourceZoom, ExprZoom, TotalZoom, DbVarZoom})
        b->SetLeft(leftWidth - 20);

    const Integer rightWidth = std::max<Integer>(0, CW - leftWidth - 1);
    ButtonPanel->SetBounds(leftWidth, H - ButtonPanel->Height(), rightWidth, ButtonPanel->Height());
    const Integer D = H - ButtonPanel->Height();
    const std::vector<Double> right = Shares({FieldZoomed, VarZoomed}, {0.5, 0.5}, 0.9, 0.1);
    const Integer fields = Share(D, right[0]), vars = Share(D, right[1]);
    FieldsPanel->SetBounds(leftWidth, 0, rightWidth, std::max<Integer>(0, fields - 1));
    VarPanel->SetBounds(leftWidth, fields, rightWidth, std::max<Integer>(0, vars - 1));
    FieldZoom->SetLeft(flist->Width() - 20);
    VarZoom->SetLeft(FieldZoom->Left());

    DataSourcePanelResize(DataSourcePanel);
    AutoLabel->SetLeft(5);
    if (DsgList.empty()) {
        DataSourceLabel->SetLeft(PixelsPerInch());
        DSLevelLabel->SetLeft(DataSourceLabel->Left() + DataSourceList->Width() + 20);
    } else {
        DataSourceLabel->SetLeft(DataSourceList->ColWidths(0) + 5);
        DSLevelLabel->SetLeft(DataSourceList->ColWidths(1) + DataSourceLabel->Left());
    }
}

void TKivDSVariableOptions::DataSourcePanelResize(TObject*)
{
    DataSourceList->SetHeight(std::max<Integer>(0, Share(DataSourcePanel->Height(), 0.66) - DataSourceListPanel->Height()));
    DataSourceList->SetColWidths(0, 30);
    DataSourceList->SetColWidths(1, std::max<Integer>(0, DataSourceList->Width() - 190));
    DataSourceList->SetColWidths(2, 150);
}

void TKivDSVariableOptions::SetMyButton(TSpeedButton* Button, TObject* Sender, bool& Flag)
{
    Flag = Button == Sender ? !Flag : false;
    TSpeedButton* from = Flag ? ZOOMOUT : ZOOMIN;
    if (from)
        Button->Glyph()->Assign(from->Glyph());
}

void TKivDSVariableOptions::DataSourceZoomClick(TObject* Sender)
{
    SetMyButton(DataSourceZoom, Sender, DataSourceZoomed);
    SetMyButton(ExprZoom, Sender, ExprZoomed);
    SetMyButton(TotalZoom, Sender, TotalZoomed);
    SetMyButton(DbVarZoom, Sender, DBVarZoomed);
    FormResize(Sender);
}

void TKivDSVariableOptions::FieldZoomClick(TObject* Sender)
{
    SetMyButton(FieldZoom, Sender, FieldZoomed);
    SetMyButton(VarZoom, Sender, VarZoomed);
    FormResize(Sender);
}

// ---- The guide grid ---------------------------------------------------------------------------

TRect TKivDSVariableOptions::CheckBoxRect(Integer ARow) const
{
    const TRect cell = DataSourceList->CellRect(0, ARow);
    if (cell.Right <= cell.Left || cell.Bottom <= cell.Top)
        return TRect(-1, -1, -2, -2); // out of view: holds no point
    return TRect(cell.Left + 5, cell.Top + 3, cell.Left + 5 + 12, cell.Top + 3 + 12);
}

void TKivDSVariableOptions::DataSourceListDrawCell(TObject*, Integer ACol, Integer ARow, TRect Rect, TGridDrawState State)
{
    TCanvas* c = DataSourceList->Canvas();
    if (ARow < 0 || ARow >= static_cast<Integer>(DsgList.size())) {
        c->FillRect(Rect);
        return;
    }
    TDsgItem& row = *DsgList[static_cast<size_t>(ARow)];
    const bool selected = State.Contains(gdSelected);
    c->Brush()->SetColor(selected ? clNavy : clWhite);
    c->Font()->SetColor(selected ? clWhite : clBlack);
    c->FillRect(Rect);
    if (ACol == 1 || ACol == 2) {
        c->TextOut(Rect.Left + 2, Rect.Top + 1, ACol == 1 ? row.DataSourceName : row.UpdateLevelName);
        return;
    }
    if (ACol != 0)
        return;
    const Integer x = Rect.Left + 5, y = Rect.Top + 3;
    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetWidth(0);
    c->Pen()->SetColor(c->Font()->Color());
    c->Rectangle(x, y, x + 12, y + 12);
    row.CheckRect = TRect(x, y, x + 12, y + 12);
    if (row.CreateVariables) {
        c->Pen()->SetWidth(2);
        c->MoveTo(x + 2, y + 2);
        c->LineTo(x + 10, y + 10);
        c->MoveTo(x + 10, y + 2);
        c->LineTo(x + 2, y + 10);
    }
}

// ---- The lists --------------------------------------------------------------------------------

void TKivDSVariableOptions::clistDrawItem(TWinControl*, Integer Index, TRect Rect, TOwnerDrawState State)
{
    if (Index < 0 || Index >= clist->Count())
        return;
    TCanvas* c = clist->Canvas();
    const String& field = clist->Items()->Strings(Index);
    const String text = MarkUsed(c, VarUsed(GetDbVar(CurrentGuide(), field)), State.Contains(odSelected), field);
    c->FillRect(Rect);
    c->TextOut(Rect.Left + 4, Rect.Top, text);
}

void TKivDSVariableOptions::flistDrawItem(TWinControl*, Integer Index, TRect Rect, TOwnerDrawState)
{
    if (Index < 0 || Index >= flist->Count())
        return;
    TCanvas* c = flist->Canvas();
    c->FillRect(Rect);
    c->TextOut(Rect.Left + 4, Rect.Top, flist->Items()->Strings(Index));
}

void TKivDSVariableOptions::TotalVarListDrawItem(TWinControl*, Integer Index, TRect R, TOwnerDrawState State)
{
    const TTotalItem* row = Row(TotalList, Index);
    if (!row)
        return;
    TCanvas* c = TotalVarList->Canvas();
    const bool selected = State.Contains(odSelected);
    const String name = MarkUsed(c, row->Used, selected, row->TotalName);
    c->FillRect(R);
    const Integer L = R.Left + 4, W = TotalVarList->Width();
    const TRect c1 = Column(R, L, L + Share(W, 0.45));
    const Integer l2 = c1.Right + 1;
    const TRect c2 = Column(R, l2, l2 + Share(R.Right - l2, 0.5));
    const TRect c3 = Column(R, c2.Right + 1, R.Right);
    CellText(c, c1, name);
    LevelCell(c, c2, row->LevelMatch, selected, row->TotalLevelName);
    CellText(c, c3, row->TotalVarName);
    TotalLabel->SetLeft(c1.Left);
    totalLevelLabel->SetLeft(c2.Left);
    TotalVariableLabel->SetLeft(c3.Left);
}

void TKivDSVariableOptions::ExprVarListDrawItem(TWinControl*, Integer Index, TRect R, TOwnerDrawState State)
{
    const TExprItem* row = Row(ExprList, Index);
    if (!row)
        return;
    TCanvas* c = ExprVarList->Canvas();
    const String name = MarkUsed(c, row->Used, State.Contains(odSelected), row->ExprName);
    c->FillRect(R);
    const Integer L = R.Left + 4, W = ExprVarList->Width();
    const TRect c1 = Column(R, L, L + Share(W, 0.25));
    const Integer l2 = c1.Right + 1;
    const TRect c2 = Column(R, l2, l2 + Share(R.Right - l2, 0.33));
    const Integer l3 = c2.Right + 1;
    const TRect c3 = Column(R, l3, l3 + Share(R.Right - l3, 0.75));
    const TRect c4 = Column(R, c3.Right + 1, R.Right);
    CellText(c, c1, name);
    CellText(c, c2, row->ExprLevelName);
    CellText(c, c3, row->ExprEventName);
    CellText(c, c4, row->ExprTypeName);
    ExprLabel->SetLeft(c1.Left);
    ExprLevelLabel->SetLeft(c2.Left);
    ExprEventLabel->SetLeft(c3.Left);
    ExprTypeLabel->SetLeft(c4.Left);
}

void TKivDSVariableOptions::DBVarListDrawItem(TWinControl*, Integer Index, TRect R, TOwnerDrawState State)
{
    const TDBItem* row = Row(DBList, Index);
    if (!row)
        return;
    TCanvas* c = DBVarList->Canvas();
    const bool selected = State.Contains(odSelected);
    const String name = MarkUsed(c, row->Used, selected, row->DBName);
    c->FillRect(R);
    const Integer L = R.Left + 4, W = DBVarList->Width();
    const TRect c1 = Column(R, L, L + Share(W, 0.25));
    const Integer l2 = c1.Right + 1;
    const Integer q = (R.Right - l2) / 4;
    const TRect c2 = Column(R, l2, l2 + q);
    const TRect c3 = Column(R, c2.Right + 1, c2.Right + 1 + q);
    const TRect c4 = Column(R, c3.Right + 1, R.Right);
    CellText(c, c1, name);
    CellText(c, c2, row->DataSourceName);
    CellText(c, c3, row->DataField);
    LevelCell(c, c4, row->LevelMatch, selected, row->LevelName);
    DBLabel->SetLeft(c1.Left);
    DBSourceLabel->SetLeft(c2.Left);
    DBFieldLabel->SetLeft(c3.Left);
    DBLevelLabel->SetLeft(c4.Left);
}

} // namespace qor
