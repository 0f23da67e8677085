// A field's alignment and a control's alignment are one type: data-aware labels copy one to the other.
#include "platform/db/Field.h"
#include "platform/ui/StdCtrls.h"

#include <gtest/gtest.h>

#include <type_traits>

namespace qor {
namespace {

static_assert(std::is_same_v<decltype(std::declval<TField&>().Alignment()),
                             decltype(std::declval<TLabel&>().Alignment())>);

TEST(Alignment, FieldAlignmentCarriesOverToALabelAndStreamsByName)
{
    TField Field(nullptr);
    Field.SetAlignment(taRightJustify);
    TLabel Label(nullptr);
    Label.SetAlignment(Field.Alignment());
    EXPECT_EQ(Label.Alignment(), taRightJustify);
    EXPECT_EQ(GetPropText(&Label, "Alignment"), "taRightJustify");
}

} // namespace
} // namespace qor
