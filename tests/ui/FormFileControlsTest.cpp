#include "platform/rtl/Filer.h"
#include "platform/rtl/QtHost.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Grids.h"

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
