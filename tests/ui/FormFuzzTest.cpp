// Seeded mutation of form files: a few thousand mutants of forms with grids, dialogs and menus.
// Each reads into components or raises EReadError; what reads writes back to text that reads
// again.

#include "platform/rtl/Filer.h"
#include "platform/rtl/QtHost.h"
#include "platform/ui/Grids.h"

#include "TextMutator.h"

#include <gtest/gtest.h>

#include <memory>

using namespace qor;

namespace {

const char* const Seeds[] = {
    R"(object F: TForm
  Caption = 'Form'
  PopupMenu = Pop
  object Grid: TStringGrid
    ColCount = 3
    RowCount = 4
    ColWidths = (20 100 40)
    Options = [goFixedVertLine, goRowSelect]
    PopupMenu = Pop
  end
  object Save: TSaveDialog
    DefaultExt = 'qor'
    Filter = 'Page files|*.qor'
  end
  object Pop: TPopupMenu
    object Copy: TMenuItem
      Caption = '&Copy'
      ShortCut = 16451
    end
  end
end
)",
    R"(object F: TForm
  Font.Name = 'Arial'
  Font.Style = [fsBold]
  object P: TPanel
    Left = 8
    object B: TButton
      Caption = 'Go'#13#10'on'
      Tag = -2147483648
    end
  end
  object L: TLabel
    Caption = 'x'
  end
end
)",
};

const char* const Tokens[] = {
    "object X: TStringGrid\n", "object Y: TPanel\n", "end\n", "inherited ", "ColCount = 2000000000\n",
    "RowCount = 999999\n", "FixedCols = 5\n", "ColWidths = (", ")", "(", "'", "''", "#", "#65535", "$FFFFFFFF",
    "[", "]", "<", ">", "item\n", "= ", "PopupMenu = Nobody\n", "PopupMenu = F\n", ".", "Font.", "\n", " ",
    "99999999999999999999", "-1", "1e308", "True", "object Pop: TPopupMenu\n", "{", "}", "+",
};

} // namespace

TEST(FormFuzz, MutatedFormsReadOrRaiseAndWriteBack)
{
    EnsureQtApplication();
    for (const char* Seed : Seeds)
        ASSERT_NO_THROW(std::unique_ptr<TComponent>(ReadComponentFromText(Seed))) << Seed;
    test::TTextMutator M(424242, Tokens, 2);
    int Read = 0;
    for (int Iteration = 0; Iteration < 5000; ++Iteration) {
        const std::string Input = M.Mutate(Seeds[Iteration % std::size(Seeds)]);
        std::unique_ptr<TComponent> Root;
        try {
            Root.reset(ReadComponentFromText(Input, nullptr, "fuzz.qfm"));
        } catch (const EReadError& E) {
            ASSERT_EQ(E.Message().rfind("fuzz.qfm: Line ", 0), 0u) << E.Message() << "\n" << Input;
            continue;
        } catch (const Exception&) {
            continue;   // a component that refused to finish loading
        }
        ++Read;
        const String Text = WriteComponentToText(Root.get());
        std::unique_ptr<TComponent> Again;
        ASSERT_NO_THROW(Again.reset(ReadComponentFromText(Text))) << "written:\n" << Text << "\nfrom:\n" << Input;
        EXPECT_EQ(WriteComponentToText(Again.get()), Text);
    }
    EXPECT_GT(Read, 100);
}
