#include "platform/rtl/Filer.h"
#include "platform/rtl/QtHost.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Grids.h"
#include "platform/ui/Menus.h"

#include <gtest/gtest.h>

#include <memory>

using namespace qor;

namespace {

const char* const kForm = R"(object DestForm: TForm
  Caption = 'Report Destination'
  Font.Name = 'Arial'
  Font.Style = [fsBold]
  object Grid: TStringGrid
    Left = 8
    Top = 8
    ColCount = 3
    RowCount = 4
    Options = [goFixedVertLine, goFixedHorzLine, goRowSelect]
    ColWidths = (20 100 40 999)
  end
  object Dest: TRadioGroup
    Left = 8
    Top = 120
    Caption = 'Destination'
    Items.Strings = ('P&rinter' 'Scr&een')
    ItemIndex = 1
  end
  object Print: TBitBtn
    Kind = bkOK
  end
  object Bold: TSpeedButton
    GroupIndex = 3
    Down = True
    AllowAllUp = True
  end
  object Save: TSaveDialog
    DefaultExt = 'qor'
    Filter = 'Page files|*.qor'
    Options = [ofOverwritePrompt, ofPathMustExist]
  end
end
)";

} // namespace

TEST(FormFileControls, NewControlsReadFromAndWriteToFormFiles)
{
    EnsureQtApplication();
    std::unique_ptr<TComponent> root(ReadComponentFromText(kForm, nullptr, "dest.qfm"));
    auto* form = dynamic_cast<TForm*>(root.get());
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->Font()->Style().Contains(fsBold));

    auto* grid = dynamic_cast<TStringGrid*>(form->FindComponent("Grid"));
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->ColCount(), 3);
    EXPECT_EQ(grid->ColWidths(1), 100);
    EXPECT_EQ(grid->ColWidths(2), 40); // the fourth width has no column and is left out
    EXPECT_TRUE(grid->Options().Contains(goRowSelect));
    EXPECT_EQ(grid->Font()->Name(), "Arial"); // inherited from the form

    auto* dest = dynamic_cast<TRadioGroup*>(form->FindComponent("Dest"));
    ASSERT_NE(dest, nullptr);
    EXPECT_EQ(dest->ItemIndex(), 1); // set before its items were read, kept after loading
    EXPECT_TRUE(dest->Buttons(1)->Checked());
    EXPECT_EQ(dest->Buttons(0)->Caption(), "P&rinter");

    auto* print = dynamic_cast<TBitBtn*>(form->FindComponent("Print"));
    ASSERT_NE(print, nullptr);
    EXPECT_EQ(print->ModalResult(), mrOk);
    auto* bold = dynamic_cast<TSpeedButton*>(form->FindComponent("Bold"));
    ASSERT_NE(bold, nullptr);
    EXPECT_TRUE(bold->Down());
    auto* save = dynamic_cast<TSaveDialog*>(form->FindComponent("Save"));
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->DefaultExt(), "qor");
    EXPECT_TRUE(save->Options().Contains(ofOverwritePrompt));

    // written back and read again, the same values come out
    const String text = WriteComponentToText(form);
    EXPECT_NE(text.find("ColWidths = (\n"), String::npos) << text;
    std::unique_ptr<TComponent> again(ReadComponentFromText(text));
    auto* grid2 = dynamic_cast<TStringGrid*>(again->FindComponent("Grid"));
    ASSERT_NE(grid2, nullptr);
    EXPECT_EQ(grid2->ColWidths(1), 100);
    EXPECT_EQ(dynamic_cast<TRadioGroup*>(again->FindComponent("Dest"))->ItemIndex(), 1);
    EXPECT_EQ(WriteComponentToText(again.get()), text);
}

// Components a form owns outside its control tree are written with it, so a control that refers
// to one of them still reads back.
TEST(FormFileControls, NonVisualComponentsAreWrittenBack)
{
    EnsureQtApplication();
    const char* const text = R"(object F: TForm
  PopupMenu = Pop
  object Save: TSaveDialog
    DefaultExt = 'qor'
  end
  object Pop: TPopupMenu
    object Copy: TMenuItem
      Caption = '&Copy'
    end
  end
  object Grid: TStringGrid
    PopupMenu = Pop
  end
end
)";
    std::unique_ptr<TComponent> root(ReadComponentFromText(text, nullptr, "pop.qfm"));
    const String written = WriteComponentToText(root.get());
    EXPECT_NE(written.find("object Save: TSaveDialog"), String::npos) << written;
    EXPECT_NE(written.find("object Pop: TPopupMenu"), String::npos) << written;
    std::unique_ptr<TComponent> again(ReadComponentFromText(written, nullptr, "again.qfm"));
    auto* pop = dynamic_cast<TPopupMenu*>(again->FindComponent("Pop"));
    ASSERT_NE(pop, nullptr);
    EXPECT_EQ(pop->Items()->Count(), 1);
    EXPECT_EQ(dynamic_cast<TControl*>(again->FindComponent("Grid"))->PopupMenu(), pop);
    EXPECT_EQ(dynamic_cast<TControl*>(again.get())->PopupMenu(), pop);
    auto* save = dynamic_cast<TSaveDialog*>(again->FindComponent("Save"));
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->DefaultExt(), "qor");
    EXPECT_EQ(WriteComponentToText(again.get()), written);
}

// Sizes in a form file are numbers anyone can write: a grid refuses counts it cannot hold, and
// a large grid costs memory only for the cells that hold something.
TEST(FormFileControls, GridSizesFromAFileAreBounded)
{
    EnsureQtApplication();
    try {
        delete ReadComponentFromText("object F: TForm\n  object G: TStringGrid\n    ColCount = 2000000000\n  end\nend\n",
                                     nullptr, "grid.qfm");
        FAIL() << "a column count of two billion was accepted";
    } catch (const EReadError& e) {
        EXPECT_NE(e.Message().find("grid.qfm: Line 3:"), String::npos) << e.Message();
    }
    std::unique_ptr<TComponent> root(ReadComponentFromText(
        "object F: TForm\n  object G: TStringGrid\n    ColCount = 100000\n    RowCount = 100000\n  end\nend\n"));
    auto* grid = dynamic_cast<TStringGrid*>(root->FindComponent("G"));
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->ColCount(), 100000);
    grid->SetCells(99999, 99999, "far corner");
    EXPECT_EQ(grid->Cells(99999, 99999), "far corner");
    EXPECT_EQ(grid->Cells(5, 5), "");
    grid->SetColCount(50000);
    grid->SetColCount(100000);
    EXPECT_EQ(grid->Cells(99999, 99999), "");   // dropped with its column
}
