#include "platform/ui/Grids.h"

#include "platform/rtl/Filer.h"
#include "platform/rtl/List.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/ControlPaint.h"

#include <algorithm>
#include <numeric>

namespace qor {

QOR_PUBLISH(TCustomGrid) {}

QOR_PUBLISH(TDrawGrid)
{
    b.Property("ColCount", &TDrawGrid::ColCount, &TDrawGrid::SetColCount).Default(5);
    b.Property("RowCount", &TDrawGrid::RowCount, &TDrawGrid::SetRowCount).Default(5);
    b.Property("FixedCols", &TDrawGrid::FixedCols, &TDrawGrid::SetFixedCols).Default(1);
    b.Property("FixedRows", &TDrawGrid::FixedRows, &TDrawGrid::SetFixedRows).Default(1);
    b.Property("DefaultColWidth", &TDrawGrid::DefaultColWidth, &TDrawGrid::SetDefaultColWidth).Default(64);
    b.Property("DefaultRowHeight", &TDrawGrid::DefaultRowHeight, &TDrawGrid::SetDefaultRowHeight).Default(24);
    b.Property("GridLineWidth", &TDrawGrid::GridLineWidth, &TDrawGrid::SetGridLineWidth).Default(1);
    b.Property("Options", &TDrawGrid::Options, &TDrawGrid::SetOptions)
        .Default(TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect});
    b.Property("FixedColor", &TDrawGrid::FixedColor, &TDrawGrid::SetFixedColor).Default(clBtnFace);
    b.Property("DefaultDrawing", &TDrawGrid::DefaultDrawing, &TDrawGrid::SetDefaultDrawing).Default(true);
    b.Property("ScrollBars", &TDrawGrid::ScrollBars, &TDrawGrid::SetScrollBars).Default(ssBoth);
    b.Event("OnSelectCell", &TDrawGrid::OnSelectCell);
    b.Event("OnDrawCell", &TDrawGrid::OnDrawCell);
    b.Event("OnTopLeftChanged", &TDrawGrid::OnTopLeftChanged);
}

QOR_PUBLISH(TStringGrid) {}

QOR_MESSAGE(WM_LBUTTONDOWN, &TCustomGrid::WMLButtonDown);

namespace {
[[noreturn]] void GridIndexError() { throw EInvalidOperation("Grid index out of range"); }
} // namespace

// ---- TCustomGrid -------------------------------------------------------------------------------

TCustomGrid::TCustomGrid(TComponent* AOwner)
    : TCustomControl(AOwner), FColWidths(5, 64), FRowHeights(5, 24)
{
    SetColor(clWindow);
    SetTabStop(true);
    SetBounds(0, 0, 320, 120);
}

TCustomGrid::~TCustomGrid() = default;

void TCustomGrid::SetColCount(Integer Value)
{
    Value = std::max(1, Value);
    if (Value == ColCount())
        return;
    if (Value <= FFixedCols)
        throw EInvalidOperation("Fixed column count must be less than column count");
    if (Value > MaxCount)
        throw EInvalidOperation("Grid column count " + IntToStr(Value) + " is too large");
    const Integer old = ColCount();
    FColWidths.resize(static_cast<size_t>(Value), FDefaultColWidth);
    SizeChanged(old, RowCount());
}

void TCustomGrid::SetRowCount(Integer Value)
{
    Value = std::max(1, Value);
    if (Value == RowCount())
        return;
    if (Value <= FFixedRows)
        throw EInvalidOperation("Fixed row count must be less than row count");
    if (Value > MaxCount)
        throw EInvalidOperation("Grid row count " + IntToStr(Value) + " is too large");
    const Integer old = RowCount();
    FRowHeights.resize(static_cast<size_t>(Value), FDefaultRowHeight);
    SizeChanged(ColCount(), old);
}

void TCustomGrid::SetFixedCols(Integer Value)
{
    if (Value < 0 || Value >= ColCount())
        throw EInvalidOperation("Fixed column count must be less than column count");
    // the first ordinary column stays the current and first shown one
    if (FCol == FFixedCols)
        FCol = Value;
    if (FLeftCol == FFixedCols)
        FLeftCol = Value;
    FFixedCols = Value;
    ClampCurrent();
    Invalidate();
}

void TCustomGrid::SetFixedRows(Integer Value)
{
    if (Value < 0 || Value >= RowCount())
        throw EInvalidOperation("Fixed row count must be less than row count");
    if (FRow == FFixedRows)
        FRow = Value;
    if (FTopRow == FFixedRows)
        FTopRow = Value;
    FFixedRows = Value;
    ClampCurrent();
    Invalidate();
}

void TCustomGrid::SetDefaultColWidth(Integer Value)
{
    FDefaultColWidth = std::max(0, Value);
    std::fill(FColWidths.begin(), FColWidths.end(), FDefaultColWidth);
    Invalidate();
}

void TCustomGrid::SetDefaultRowHeight(Integer Value)
{
    FDefaultRowHeight = std::max(0, Value);
    std::fill(FRowHeights.begin(), FRowHeights.end(), FDefaultRowHeight);
    Invalidate();
}

Integer TCustomGrid::ColWidths(Integer Index) const
{
    if (Index < 0 || Index >= ColCount())
        ListIndexError(Index);
    return FColWidths[static_cast<size_t>(Index)];
}

void TCustomGrid::SetColWidths(Integer Index, Integer Value)
{
    if (Index < 0 || Index >= ColCount())
        ListIndexError(Index);
    FColWidths[static_cast<size_t>(Index)] = std::max(0, Value);
    Invalidate();
}

Integer TCustomGrid::RowHeights(Integer Index) const
{
    if (Index < 0 || Index >= RowCount())
        ListIndexError(Index);
    return FRowHeights[static_cast<size_t>(Index)];
}

void TCustomGrid::SetRowHeights(Integer Index, Integer Value)
{
    if (Index < 0 || Index >= RowCount())
        ListIndexError(Index);
    FRowHeights[static_cast<size_t>(Index)] = std::max(0, Value);
    Invalidate();
}

void TCustomGrid::SetGridLineWidth(Integer Value)
{
    FGridLineWidth = std::max(0, Value);
    Invalidate();
}

void TCustomGrid::SetOptions(TGridOptions Value)
{
    FOptions = Value;
    Invalidate();
}

void TCustomGrid::SetFixedColor(TColor Value)
{
    FFixedColor = Value;
    Invalidate();
}

void TCustomGrid::ClampCurrent()
{
    FCol = std::clamp(FCol, FFixedCols, ColCount() - 1);
    FRow = std::clamp(FRow, FFixedRows, RowCount() - 1);
    FLeftCol = std::clamp(FLeftCol, FFixedCols, ColCount() - 1);
    FTopRow = std::clamp(FTopRow, FFixedRows, RowCount() - 1);
}

void TCustomGrid::SizeChanged(Integer, Integer)
{
    ClampCurrent();
    Invalidate();
}

TGridRect TCustomGrid::Selection() const
{
    if (FOptions.Contains(goRowSelect))
        return {FFixedCols, FRow, ColCount() - 1, FRow};
    return {FCol, FRow, FCol, FRow};
}

bool TCustomGrid::SelectCell(Integer ACol, Integer ARow)
{
    bool canSelect = true;
    OnSelectCell(this, ACol, ARow, canSelect);
    return canSelect;
}

bool TCustomGrid::FocusCell(Integer ACol, Integer ARow)
{
    if (ACol < FFixedCols || ACol >= ColCount() || ARow < FFixedRows || ARow >= RowCount())
        GridIndexError();
    if (ACol == FCol && ARow == FRow)
        return true;
    if (!SelectCell(ACol, ARow))
        return false;
    FCol = ACol;
    FRow = ARow;
    ScrollInView(ACol, ARow);
    Invalidate();
    Click();
    return true;
}

void TCustomGrid::SetTopRow(Integer Value)
{
    Value = std::clamp(Value, FFixedRows, RowCount() - 1);
    if (Value == FTopRow)
        return;
    FTopRow = Value;
    Invalidate();
    OnTopLeftChanged(this);
}

void TCustomGrid::SetLeftCol(Integer Value)
{
    Value = std::clamp(Value, FFixedCols, ColCount() - 1);
    if (Value == FLeftCol)
        return;
    FLeftCol = Value;
    Invalidate();
    OnTopLeftChanged(this);
}

Integer TCustomGrid::FixedWidth() const
{
    Integer w = 0;
    for (Integer i = 0; i < FFixedCols; ++i)
        w += FColWidths[static_cast<size_t>(i)] + FGridLineWidth;
    return w;
}

Integer TCustomGrid::FixedHeight() const
{
    Integer h = 0;
    for (Integer i = 0; i < FFixedRows; ++i)
        h += FRowHeights[static_cast<size_t>(i)] + FGridLineWidth;
    return h;
}

Integer TCustomGrid::ColLeft(Integer ACol) const
{
    if (ACol < FFixedCols) {
        Integer x = 0;
        for (Integer i = 0; i < ACol; ++i)
            x += FColWidths[static_cast<size_t>(i)] + FGridLineWidth;
        return x;
    }
    if (ACol < FLeftCol)
        return -1;
    Integer x = FixedWidth();
    for (Integer i = FLeftCol; i < ACol; ++i)
        x += FColWidths[static_cast<size_t>(i)] + FGridLineWidth;
    return x;
}

Integer TCustomGrid::RowTop(Integer ARow) const
{
    if (ARow < FFixedRows) {
        Integer y = 0;
        for (Integer i = 0; i < ARow; ++i)
            y += FRowHeights[static_cast<size_t>(i)] + FGridLineWidth;
        return y;
    }
    if (ARow < FTopRow)
        return -1;
    Integer y = FixedHeight();
    for (Integer i = FTopRow; i < ARow; ++i)
        y += FRowHeights[static_cast<size_t>(i)] + FGridLineWidth;
    return y;
}

Integer TCustomGrid::VisibleColCount() const
{
    const Integer room = ClientWidth() - FixedWidth();
    Integer used = 0, n = 0;
    for (Integer i = FLeftCol; i < ColCount(); ++i) {
        used += FColWidths[static_cast<size_t>(i)] + FGridLineWidth;
        if (used > room + FGridLineWidth)
            break;
        ++n;
    }
    return std::max(1, n);
}

Integer TCustomGrid::VisibleRowCount() const
{
    const Integer room = ClientHeight() - FixedHeight();
    Integer used = 0, n = 0;
    for (Integer i = FTopRow; i < RowCount(); ++i) {
        used += FRowHeights[static_cast<size_t>(i)] + FGridLineWidth;
        if (used > room + FGridLineWidth)
            break;
        ++n;
    }
    return std::max(1, n);
}

void TCustomGrid::ScrollInView(Integer ACol, Integer ARow)
{
    if (ACol >= FFixedCols) {
        if (ACol < FLeftCol)
            SetLeftCol(ACol);
        else
            while (ACol >= FLeftCol + VisibleColCount() && FLeftCol < ACol)
                SetLeftCol(FLeftCol + 1);
    }
    if (ARow >= FFixedRows) {
        if (ARow < FTopRow)
            SetTopRow(ARow);
        else
            while (ARow >= FTopRow + VisibleRowCount() && FTopRow < ARow)
                SetTopRow(FTopRow + 1);
    }
}

TRect TCustomGrid::CellRect(Integer ACol, Integer ARow) const
{
    if (ACol < 0 || ACol >= ColCount() || ARow < 0 || ARow >= RowCount())
        return TRect();
    const Integer x = ColLeft(ACol), y = RowTop(ARow);
    if (x < 0 || y < 0 || x >= ClientWidth() || y >= ClientHeight())
        return TRect();
    return Bounds(x, y, FColWidths[static_cast<size_t>(ACol)], FRowHeights[static_cast<size_t>(ARow)]);
}

TGridCoord TCustomGrid::MouseCoord(Integer X, Integer Y) const
{
    if (X < 0 || Y < 0 || X >= ClientWidth() || Y >= ClientHeight())
        return {};
    auto find = [this](Integer P, Integer Fixed, Integer First, Integer Count, const std::vector<Integer>& Sizes) {
        Integer edge = 0;
        for (Integer i = 0; i < Count; ++i) {
            if (i == Fixed)
                i = std::max(i, First);
            if (i >= Count)
                break;
            edge += Sizes[static_cast<size_t>(i)] + FGridLineWidth;
            if (P < edge)
                return i;
        }
        return Integer(-1);
    };
    TGridCoord c;
    c.X = find(X, FFixedCols, FLeftCol, ColCount(), FColWidths);
    c.Y = find(Y, FFixedRows, FTopRow, RowCount(), FRowHeights);
    if (c.X < 0 || c.Y < 0)
        return {};
    return c;
}

void TCustomGrid::MouseToCell(Integer X, Integer Y, Integer& ACol, Integer& ARow) const
{
    const TGridCoord c = MouseCoord(X, Y);
    ACol = c.X;
    ARow = c.Y;
}

void TCustomGrid::WMLButtonDown(TMessage& M)
{
    const Integer x = static_cast<SmallInt>(LOWORD(M.LParam)), y = static_cast<SmallInt>(HIWORD(M.LParam));
    const TGridCoord c = MouseCoord(x, y);
    if (c.X >= FFixedCols && c.Y >= FFixedRows) {
        if (CanFocus() && !Focused())
            SetFocus();
        FocusCell(c.X, c.Y);
    }
    TControl::WMLButtonDown(M);
}

bool TCustomGrid::DoKeyDown(Word& Key, TShiftState Shift)
{
    if (TCustomControl::DoKeyDown(Key, Shift))
        return true;
    Integer col = FCol, row = FRow;
    const Integer page = std::max(1, VisibleRowCount());
    switch (Key) {
    case VK_UP: --row; break;
    case VK_DOWN: ++row; break;
    case VK_LEFT: --col; break;
    case VK_RIGHT: ++col; break;
    case VK_PRIOR: row -= page; break;
    case VK_NEXT: row += page; break;
    case VK_HOME: Shift.Contains(ssCtrl) ? row = FFixedRows : col = FFixedCols; break;
    case VK_END: Shift.Contains(ssCtrl) ? row = RowCount() - 1 : col = ColCount() - 1; break;
    default: return false;
    }
    col = std::clamp(col, FFixedCols, ColCount() - 1);
    row = std::clamp(row, FFixedRows, RowCount() - 1);
    FocusCell(col, row);
    Key = 0;
    return true;
}

void TCustomGrid::DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState)
{
    OnDrawCell(this, ACol, ARow, ARect, AState);
}

void TCustomGrid::Paint()
{
    TCanvas* c = Canvas();
    const Integer width = ClientWidth(), height = ClientHeight();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(Rect(0, 0, width, height));

    const TGridRect sel = Selection();
    const TColor textColor = Font()->Color();
    auto drawLine = [&](const TRect& R, TColor Color) {
        if (FGridLineWidth <= 0)
            return;
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(Color);
        c->FillRect(R);
    };

    std::vector<Integer> rows, cols;
    for (Integer r = 0; r < FFixedRows; ++r)
        rows.push_back(r);
    for (Integer r = FTopRow; r < RowCount(); ++r)
        rows.push_back(r);
    for (Integer k = 0; k < FFixedCols; ++k)
        cols.push_back(k);
    for (Integer k = FLeftCol; k < ColCount(); ++k)
        cols.push_back(k);

    for (Integer row : rows) {
        const Integer y = RowTop(row);
        if (y >= height)
            break;
        const Integer h = FRowHeights[static_cast<size_t>(row)];
        for (Integer col : cols) {
            const Integer x = ColLeft(col);
            if (x >= width)
                break;
            const Integer w = FColWidths[static_cast<size_t>(col)];
            const TRect cell = Bounds(x, y, w, h);
            const bool fixed = col < FFixedCols || row < FFixedRows;
            TGridDrawState state;
            if (fixed)
                state += gdFixed;
            else {
                if (sel.Contains(col, row))
                    state += gdSelected;
                if (col == FCol && row == FRow)
                    state += gdFocused;
            }
            const bool highlighted = state.Contains(gdSelected) &&
                                     (!state.Contains(gdFocused) || FOptions.Contains(goDrawFocusSelected) ||
                                      FOptions.Contains(goRowSelect));
            c->Font()->SetColor(highlighted ? clHighlightText : textColor);
            c->Brush()->SetStyle(bsSolid);
            c->Brush()->SetColor(fixed ? FFixedColor : highlighted ? clHighlight : Color());
            if (FDefaultDrawing) {
                c->FillRect(cell);
                if (fixed && FOptions.Contains(goFixedVertLine) && FOptions.Contains(goFixedHorzLine)) {
                    TRect edge = cell;
                    Frame3D(c, edge, clBtnHighlight, clBtnShadow, 1);
                    c->Brush()->SetColor(FFixedColor);
                }
            }
            DrawCell(col, row, cell, state);
            const bool vert = fixed ? FOptions.Contains(goFixedVertLine) : FOptions.Contains(goVertLine);
            const bool horz = fixed ? FOptions.Contains(goFixedHorzLine) : FOptions.Contains(goHorzLine);
            const TColor lineColor = fixed ? clBlack : clSilver;
            if (vert)
                drawLine(Bounds(x + w, y, FGridLineWidth, h + FGridLineWidth), lineColor);
            if (horz)
                drawLine(Bounds(x, y + h, w + FGridLineWidth, FGridLineWidth), lineColor);
        }
    }
    c->Font()->SetColor(textColor);
}

void TCustomGrid::DefineProperties(TFiler& Filer)
{
    TCustomControl::DefineProperties(Filer);
    auto sizes = [&](const char* Name, std::vector<Integer>& Sizes, const Integer& Default) {
        const bool custom = std::any_of(Sizes.begin(), Sizes.end(), [&](Integer v) { return v != Default; });
        Filer.DefineProperty(
            Name,
            [&Sizes](TReader& R) {
                R.ReadListBegin();
                // a list longer than the grid is read to its end but only the grid's part is kept
                for (size_t i = 0; !R.EndOfList(); ++i) {
                    const Integer v = R.ReadInteger();
                    if (i < Sizes.size())
                        Sizes[i] = std::max(0, v);
                }
                R.ReadListEnd();
            },
            [&Sizes](TWriter& W) {
                W.WriteListBegin();
                for (Integer v : Sizes)
                    W.WriteInteger(v);
                W.WriteListEnd();
            },
            custom);
    };
    sizes("ColWidths", FColWidths, FDefaultColWidth);
    sizes("RowHeights", FRowHeights, FDefaultRowHeight);
}

// ---- TDrawGrid / TStringGrid -------------------------------------------------------------------

TDrawGrid::TDrawGrid(TComponent* AOwner) : TCustomGrid(AOwner) {}

TStringGrid::TStringGrid(TComponent* AOwner) : TDrawGrid(AOwner) {}

TStringGrid::~TStringGrid() = default;

void TStringGrid::SizeChanged(Integer OldColCount, Integer OldRowCount)
{
    FCells.erase(FCells.lower_bound({RowCount(), 0}), FCells.end());
    if (ColCount() < OldColCount)
        std::erase_if(FCells, [this](const auto& Cell) { return Cell.first.second >= ColCount(); });
    TDrawGrid::SizeChanged(OldColCount, OldRowCount);
}

void TStringGrid::CheckCell(Integer ACol, Integer ARow) const
{
    if (ACol < 0 || ACol >= ColCount() || ARow < 0 || ARow >= RowCount())
        GridIndexError();
}

const TStringGrid::TCell* TStringGrid::FindCell(Integer ACol, Integer ARow) const
{
    CheckCell(ACol, ARow);
    const auto It = FCells.find({ARow, ACol});
    return It == FCells.end() ? nullptr : &It->second;
}

void TStringGrid::StoreCell(Integer ACol, Integer ARow, const TCell& Cell)
{
    CheckCell(ACol, ARow);
    if (Cell.Text.empty() && !Cell.Object)
        FCells.erase({ARow, ACol});
    else
        FCells[{ARow, ACol}] = Cell;
}

String TStringGrid::Cells(Integer ACol, Integer ARow) const
{
    const TCell* Cell = FindCell(ACol, ARow);
    return Cell ? Cell->Text : String();
}

void TStringGrid::SetCells(Integer ACol, Integer ARow, const String& Value)
{
    const TCell* Cell = FindCell(ACol, ARow);
    StoreCell(ACol, ARow, {Value, Cell ? Cell->Object : nullptr});
    Invalidate();
}

TObject* TStringGrid::Objects(Integer ACol, Integer ARow) const
{
    const TCell* Cell = FindCell(ACol, ARow);
    return Cell ? Cell->Object : nullptr;
}

void TStringGrid::SetObjects(Integer ACol, Integer ARow, TObject* Value)
{
    const TCell* Cell = FindCell(ACol, ARow);
    StoreCell(ACol, ARow, {Cell ? Cell->Text : String(), Value});
}

void TStringGrid::DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState)
{
    if (DefaultDrawing()) {
        const TCell* cell = FindCell(ACol, ARow);
        if (cell && !cell->Text.empty()) {
            const String& text = cell->Text;
            TCanvas* c = Canvas();
            const TBrushStyle old = c->Brush()->Style();
            c->Brush()->SetStyle(bsClear);
            c->TextRect(ARect, ARect.Left + 2, ARect.Top + 2, text);
            c->Brush()->SetStyle(old);
        }
    }
    TDrawGrid::DrawCell(ACol, ARow, ARect, AState);
}

} // namespace qor
