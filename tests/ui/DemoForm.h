#pragma once
// A form with one of each standard control, shared by the rendering and native-window tests.

#include "platform/ui/Grids.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

#include <vector>

namespace qor::test {

struct TDemoForm {
    TForm* Form;
    TMainMenu* Menu;
    TPanel* Panel;
    TButton* Ok;
    TButton* Cancel;
    TEdit* Edit;
    TListBox* List;
    TStringGrid* Grid;
    std::vector<Integer> DrawnItems; // indexes OnDrawItem was asked for, in order
    static constexpr TColor Swatches[] = {clRed, clLime, clBlue, clYellow};

    explicit TDemoForm(TComponent* Owner = nullptr)
    {
        Form = new TForm(Owner);
        Form->SetCaption("Demo");
        Form->SetBounds(40, 40, 420, 300);

        Menu = new TMainMenu(Form);
        for (const char* caption : {"&File", "&Edit", "&Help"}) {
            auto* item = new TMenuItem(Form);
            item->SetCaption(caption);
            Menu->Items()->Add(item);
        }
        auto* open = new TMenuItem(Form);
        open->SetCaption("&Open...");
        Menu->Items()->Items(0)->Add(open);
        Form->SetMenu(Menu);

        Panel = new TPanel(Form);
        Panel->SetParent(Form);
        Panel->SetAlign(alTop);
        Panel->SetHeight(41);
        Panel->SetCaption("Panel");

        Ok = new TButton(Form);
        Ok->SetParent(Panel);
        Ok->SetBounds(8, 8, 75, 25);
        Ok->SetCaption("&OK");
        Ok->SetDefault(true);
        Ok->SetModalResult(mrOk);
        Cancel = new TButton(Form);
        Cancel->SetParent(Panel);
        Cancel->SetBounds(90, 8, 75, 25);
        Cancel->SetCaption("Cancel");
        Cancel->SetModalResult(mrCancel);

        Edit = new TEdit(Form);
        Edit->SetParent(Form);
        Edit->SetBounds(8, 50, 150, 21);
        Edit->SetText("Edit text");

        List = new TListBox(Form);
        List->SetParent(Form);
        List->SetBounds(8, 80, 150, 100);
        List->SetStyle(lbOwnerDrawFixed);
        List->SetItemHeight(20);
        for (const char* s : {"Red", "Green", "Blue", "Yellow"})
            List->Items()->Add(s);
        List->SetItemIndex(1);
        List->OnDrawItem = [this](TWinControl*, Integer Index, TRect R, TOwnerDrawState) {
            DrawnItems.push_back(Index);
            TCanvas* c = List->Canvas();
            c->FillRect(R);
            c->Brush()->SetColor(Swatches[Index % 4]);
            c->FillRect(Rect(R.Left + 2, R.Top + 2, R.Left + 18, R.Bottom - 2));
            c->Brush()->SetStyle(bsClear);
            c->TextOut(R.Left + 24, R.Top + 2, List->Items()->Get(Index));
        };

        Grid = new TStringGrid(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(170, 50, 230, 130);
        Grid->SetColCount(3);
        Grid->SetRowCount(4);
        Grid->SetDefaultColWidth(70);
        Grid->SetDefaultRowHeight(22);
        Grid->SetOptions(Grid->Options() + goRowSelect);
        Grid->SetCells(1, 0, "Name");
        Grid->SetCells(2, 0, "Qty");
        Grid->SetCells(0, 1, "1");
        Grid->SetCells(1, 1, "Apples");
        Grid->SetCells(2, 1, "12");
        Grid->SetCells(0, 2, "2");
        Grid->SetCells(1, 2, "Pears");
        Grid->SetCells(2, 2, "7");
    }
};

} // namespace qor::test
