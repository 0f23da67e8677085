#pragma once
// Grids: a rectangle of cells with fixed (title) rows and columns, a current cell, row selection,
// owner drawing (TDrawGrid) and cells holding strings (TStringGrid).

#include "platform/ui/StdCtrls.h"

#include <map>
#include <vector>

namespace qor {

enum TGridOption : Byte {
    goFixedVertLine,
    goFixedHorzLine,
    goVertLine,
    goHorzLine,
    goRangeSelect,
    goDrawFocusSelected,
    goRowSizing,
    goColSizing,
    goRowMoving,
    goColMoving,
    goEditing,
    goTabs,
    goRowSelect,
    goAlwaysShowEditor,
    goThumbTracking
};
QOR_ENUM_NAMES(TGridOption, "goFixedVertLine", "goFixedHorzLine", "goVertLine", "goHorzLine", "goRangeSelect",
               "goDrawFocusSelected", "goRowSizing", "goColSizing", "goRowMoving", "goColMoving", "goEditing",
               "goTabs", "goRowSelect", "goAlwaysShowEditor", "goThumbTracking");
using TGridOptions = TSet<TGridOption>;

enum TGridDrawStateItem : Byte { gdSelected, gdFocused, gdFixed };
using TGridDrawState = TSet<TGridDrawStateItem>;

// A block of cells: columns Left..Right, rows Top..Bottom, all inclusive.
struct TGridRect {
    Integer Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool Contains(Integer ACol, Integer ARow) const
    {
        return ACol >= Left && ACol <= Right && ARow >= Top && ARow <= Bottom;
    }
    bool operator==(const TGridRect&) const = default;
};

struct TGridCoord {
    Integer X = -1, Y = -1;
    bool operator==(const TGridCoord&) const = default;
};

// CanSelect starts true: a handler that says nothing lets the cell be selected.
using TSelectCellEvent = TEvent<TObject* /*Sender*/, Integer /*ACol*/, Integer /*ARow*/, bool& /*CanSelect*/>;
using TDrawCellEvent = TEvent<TObject* /*Sender*/, Integer /*ACol*/, Integer /*ARow*/, TRect, TGridDrawState>;

class TCustomGrid : public TCustomControl {
    QOR_CLASS(TCustomGrid, TCustomControl)
public:
    explicit TCustomGrid(TComponent* AOwner);
    ~TCustomGrid() override;

    // Most columns or rows a grid can have; more raise EInvalidOperation.
    static constexpr Integer MaxCount = 1000000;

    Integer ColCount() const { return static_cast<Integer>(FColWidths.size()); }
    // At least one column; fewer columns than fixed ones, or more than MaxCount, raise
    // EInvalidOperation.
    void SetColCount(Integer Value);
    Integer RowCount() const { return static_cast<Integer>(FRowHeights.size()); }
    void SetRowCount(Integer Value);
    Integer FixedCols() const { return FFixedCols; }
    // Fixed columns must leave at least one ordinary column ("Fixed column count must be less than
    // column count").
    void SetFixedCols(Integer Value);
    Integer FixedRows() const { return FFixedRows; }
    void SetFixedRows(Integer Value);
    Integer DefaultColWidth() const { return FDefaultColWidth; }
    // Sets every column to the width.
    void SetDefaultColWidth(Integer Value);
    Integer DefaultRowHeight() const { return FDefaultRowHeight; }
    void SetDefaultRowHeight(Integer Value);
    // Widths and heights of single columns and rows; an index out of range raises EListError.
    Integer ColWidths(Integer Index) const;
    void SetColWidths(Integer Index, Integer Value);
    Integer RowHeights(Integer Index) const;
    void SetRowHeights(Integer Index, Integer Value);
    Integer GridLineWidth() const { return FGridLineWidth; }
    void SetGridLineWidth(Integer Value);
    TGridOptions Options() const { return FOptions; }
    void SetOptions(TGridOptions Value);
    TColor FixedColor() const { return FFixedColor; }
    void SetFixedColor(TColor Value);
    bool DefaultDrawing() const { return FDefaultDrawing; }
    void SetDefaultDrawing(bool Value) { FDefaultDrawing = Value; }
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value) { FScrollBars = Value; }

    // The current cell. Moving it asks OnSelectCell first and scrolls it into view; a cell in a
    // fixed row or column, or out of range, raises EInvalidOperation ("Grid index out of range").
    Integer Col() const { return FCol; }
    void SetCol(Integer Value) { FocusCell(Value, FRow); }
    Integer Row() const { return FRow; }
    void SetRow(Integer Value) { FocusCell(FCol, Value); }
    // Moves the current cell to (ACol, ARow); answers false when OnSelectCell refused.
    bool FocusCell(Integer ACol, Integer ARow);
    // The selected block: the current cell, or with goRowSelect its whole row.
    TGridRect Selection() const;
    // First ordinary row / column shown below / right of the fixed ones.
    Integer TopRow() const { return FTopRow; }
    void SetTopRow(Integer Value);
    Integer LeftCol() const { return FLeftCol; }
    void SetLeftCol(Integer Value);
    // How many ordinary rows / columns fit wholly in the client area from TopRow / LeftCol.
    Integer VisibleRowCount() const;
    Integer VisibleColCount() const;

    // The cell's rectangle in client coordinates (without its grid lines); empty when the cell
    // is scrolled out of view or out of range.
    TRect CellRect(Integer ACol, Integer ARow) const;
    // The cell at client point (X, Y); (-1, -1) when there is none.
    TGridCoord MouseCoord(Integer X, Integer Y) const;
    void MouseToCell(Integer X, Integer Y, Integer& ACol, Integer& ARow) const;

    bool DoKeyDown(Word& Key, TShiftState Shift) override;
    void WMLButtonDown(TMessage& M);
    // Column widths and row heights that differ from the defaults are stored as "ColWidths" and
    // "RowHeights" lists.
    void DefineProperties(TFiler& Filer) override;

    TSelectCellEvent OnSelectCell;
    TDrawCellEvent OnDrawCell;
    TNotifyEvent OnTopLeftChanged;

protected:
    // Asks OnSelectCell.
    virtual bool SelectCell(Integer ACol, Integer ARow);
    // Draws one cell's content after its background (OnDrawCell; string grids draw their text).
    virtual void DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState);
    void Paint() override;
    void ScrollInView(Integer ACol, Integer ARow);
    // Sizes changed: keep the current cell and the scroll position valid.
    virtual void SizeChanged(Integer OldColCount, Integer OldRowCount);

private:
    Integer ColLeft(Integer ACol) const;
    Integer RowTop(Integer ARow) const;
    Integer FixedWidth() const;
    Integer FixedHeight() const;
    void ClampCurrent();

    std::vector<Integer> FColWidths;
    std::vector<Integer> FRowHeights;
    Integer FFixedCols = 1;
    Integer FFixedRows = 1;
    Integer FDefaultColWidth = 64;
    Integer FDefaultRowHeight = 24;
    Integer FGridLineWidth = 1;
    TGridOptions FOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
    TColor FFixedColor = clBtnFace;
    bool FDefaultDrawing = true;
    TScrollStyle FScrollBars = ssBoth;
    Integer FCol = 1;
    Integer FRow = 1;
    Integer FTopRow = 1;
    Integer FLeftCol = 1;
};

class TDrawGrid : public TCustomGrid {
    QOR_CLASS(TDrawGrid, TCustomGrid)
public:
    explicit TDrawGrid(TComponent* AOwner);
};

class TStringGrid : public TDrawGrid {
    QOR_CLASS(TStringGrid, TDrawGrid)
public:
    explicit TStringGrid(TComponent* AOwner);
    ~TStringGrid() override;
    // Text of a cell; cells out of range raise EInvalidOperation ("Grid index out of range").
    String Cells(Integer ACol, Integer ARow) const;
    void SetCells(Integer ACol, Integer ARow, const String& Value);
    TObject* Objects(Integer ACol, Integer ARow) const;
    void SetObjects(Integer ACol, Integer ARow, TObject* Value);

protected:
    void DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState) override;
    void SizeChanged(Integer OldColCount, Integer OldRowCount) override;

private:
    struct TCell {
        String Text;
        TObject* Object = nullptr;
    };
    void CheckCell(Integer ACol, Integer ARow) const;
    // The stored cell, null when it is empty; StoreCell drops cells that become empty.
    const TCell* FindCell(Integer ACol, Integer ARow) const;
    void StoreCell(Integer ACol, Integer ARow, const TCell& Cell);
    // Only cells with text or an object are stored, keyed by (row, column).
    std::map<std::pair<Integer, Integer>, TCell> FCells;
};

} // namespace qor
