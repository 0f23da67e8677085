#include "platform/rtl/QtHost.h"
#include "platform/graphics/Gdi.h"
#include "platform/ui/Grids.h"

#include <gtest/gtest.h>

#include <vector>

using namespace qor;

namespace {

struct GridFixture : ::testing::Test {
    void SetUp() override
    {
        EnsureQtApplication();
        form.SetBounds(0, 0, 400, 300);
        grid = new TStringGrid(&form);
        grid->SetParent(&form);
        grid->SetBounds(0, 0, 200, 100);
        grid->SetColCount(6);
        grid->SetRowCount(10);
        grid->SetDefaultColWidth(50);
        grid->SetDefaultRowHeight(20);
    }
    TForm form{nullptr};
    TStringGrid* grid = nullptr;
};

} // namespace

TEST_F(GridFixture, CellsSitAfterTheFixedOnesWithGridLinesBetween)
{
    EXPECT_EQ(grid->CellRect(0, 0), Rect(0, 0, 50, 20));
    EXPECT_EQ(grid->CellRect(2, 1), Rect(102, 21, 152, 41));
    grid->SetColWidths(1, 30);
    EXPECT_EQ(grid->CellRect(2, 1), Rect(82, 21, 132, 41));
    EXPECT_EQ(grid->VisibleColCount(), 3); // 51 fixed + 31 + 51 + 51 fit in 200, 51 more do not
    EXPECT_EQ(grid->VisibleRowCount(), 3);
    // scrolled out of view or out of range: empty
    grid->SetLeftCol(3);
    EXPECT_EQ(grid->CellRect(2, 1), TRect());
    EXPECT_EQ(grid->CellRect(3, 1), Rect(51, 21, 101, 41));
    EXPECT_EQ(grid->CellRect(9, 1), TRect());
    EXPECT_EQ(grid->MouseCoord(60, 30), (TGridCoord{3, 1}));
    EXPECT_EQ(grid->MouseCoord(10, 10), (TGridCoord{0, 0}));
    EXPECT_EQ(grid->MouseCoord(199, 99).X, 5);
    EXPECT_EQ(grid->MouseCoord(-1, 5), TGridCoord());
}

TEST_F(GridFixture, SelectingACellAsksOnSelectCellAndScrollsItIntoView)
{
    std::vector<std::pair<Integer, Integer>> asked;
    grid->OnSelectCell = [&](TObject*, Integer C, Integer R, bool& CanSelect) {
        asked.emplace_back(C, R);
        CanSelect = R != 5; // row 5 is off limits
    };
    EXPECT_TRUE(grid->FocusCell(4, 8));
    EXPECT_EQ(grid->Col(), 4);
    EXPECT_EQ(grid->Row(), 8);
    EXPECT_LE(grid->LeftCol(), 4);
    EXPECT_GE(grid->LeftCol() + grid->VisibleColCount(), 5);
    EXPECT_GE(grid->TopRow() + grid->VisibleRowCount(), 9);
    EXPECT_FALSE(grid->FocusCell(4, 5));
    EXPECT_EQ(grid->Row(), 8);
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_THROW(grid->SetRow(0), EInvalidOperation);  // fixed row
    EXPECT_THROW(grid->SetCol(6), EInvalidOperation);  // past the end
}

TEST_F(GridFixture, KeysAndClicksMoveTheCurrentCell)
{
    grid->FocusCell(1, 1);
    Word key = VK_DOWN;
    grid->DoKeyDown(key, {});
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(key, 0);
    key = VK_END;
    grid->DoKeyDown(key, TShiftState{ssCtrl});
    EXPECT_EQ(grid->Row(), 9);
    key = VK_UP;
    grid->SetTopRow(8);
    grid->FocusCell(1, 1); // back up: the view follows
    EXPECT_EQ(grid->TopRow(), 1);
    grid->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(120, 50)); // column 2, row 2
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_EQ(grid->Row(), 2);
    grid->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 50)); // a fixed cell: no move
    EXPECT_EQ(grid->Col(), 2);
}

TEST_F(GridFixture, RowSelectSelectsTheWholeRow)
{
    grid->FocusCell(3, 4);
    EXPECT_EQ(grid->Selection(), (TGridRect{3, 4, 3, 4}));
    grid->SetOptions(grid->Options() + goRowSelect);
    EXPECT_EQ(grid->Selection(), (TGridRect{1, 4, 5, 4}));
}

TEST_F(GridFixture, StringCellsFollowResizingAndRejectBadIndexes)
{
    grid->SetCells(5, 9, "corner");
    grid->SetCells(0, 0, "title");
    EXPECT_EQ(grid->Cells(5, 9), "corner");
    grid->SetRowCount(12);
    EXPECT_EQ(grid->Cells(5, 9), "corner");
    EXPECT_EQ(grid->Cells(5, 11), "");
    grid->SetColCount(3);
    EXPECT_THROW(grid->Cells(5, 9), EInvalidOperation);
    EXPECT_EQ(grid->Cells(0, 0), "title");
    EXPECT_THROW(grid->SetCells(-1, 0, "x"), EInvalidOperation);
    // the current cell stays inside the grid when it shrinks
    grid->SetRowCount(12);
    grid->FocusCell(2, 11);
    grid->SetRowCount(4);
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_THROW(grid->SetFixedCols(3), EInvalidOperation);
    EXPECT_THROW(grid->SetColCount(1), EInvalidOperation); // not fewer than the fixed ones
    EXPECT_THROW(grid->ColWidths(3), EListError);
    // without fixed cells the first cell is current and shown first
    grid->FocusCell(1, 1);
    grid->SetFixedCols(0);
    grid->SetFixedRows(0);
    EXPECT_EQ(grid->Col(), 0);
    EXPECT_EQ(grid->Row(), 0);
    EXPECT_EQ(grid->MouseCoord(1, 1), (TGridCoord{0, 0}));
}

TEST_F(GridFixture, DrawGridAsksOnDrawCellForEveryVisibleCellWithItsState)
{
    auto* dg = new TDrawGrid(&form);
    dg->SetParent(&form);
    dg->SetBounds(0, 0, 3 * 65, 2 * 25); // every cell of a 3 x 2 view
    dg->SetColCount(3);
    dg->SetRowCount(2);
    struct Call {
        Integer Col, Row;
        TRect R;
        TGridDrawState State;
    };
    std::vector<Call> calls;
    dg->OnDrawCell = [&](TObject*, Integer C, Integer R, TRect Rc, TGridDrawState S) { calls.push_back({C, R, Rc, S}); };
    HDC dc = CreateRasterDC(400, 300);
    dg->PaintTo(dc, 0, 0);
    DeleteDC(dc);
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_TRUE(calls[0].State.Contains(gdFixed));
    EXPECT_EQ(calls[4].Col, 1);
    EXPECT_EQ(calls[4].Row, 1);
    EXPECT_EQ(calls[4].R, Rect(65, 25, 129, 49));
    EXPECT_TRUE(calls[4].State.Contains(gdSelected));
    EXPECT_TRUE(calls[4].State.Contains(gdFocused));
    EXPECT_FALSE(calls[5].State.Contains(gdSelected));
}
