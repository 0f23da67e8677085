#include "runtime/output/QorGoto.h"

#include "platform/rtl/Filer.h"
#include "platform/rtl/StringTable.h"
#include "platform/rtl/TypeInfo.h"
#include "platform/ui/StdCtrls.h"

namespace qor {

QOR_PUBLISH(TQorGotoPage) {}

TQorGotoPage::TQorGotoPage(TComponent* AOwner) : TForm(AOwner)
{
    ReadFormResource(this, "forms/qorgoto.qfm");
    Label1 = static_cast<TLabel*>(FindComponent("Label1"));
    PageNum = static_cast<TMaskEdit*>(FindComponent("PageNum"));
    Button1 = static_cast<TButton*>(FindComponent("Button1"));
    Button2 = static_cast<TButton*>(FindComponent("Button2"));
}

} // namespace qor
