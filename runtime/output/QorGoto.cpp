#include "runtime/output/QorGoto.h"

#include "runtime/output/QorFormParts.h"

#include "platform/rtl/Filer.h"
#include "platform/rtl/StringTable.h"
#include "platform/rtl/TypeInfo.h"
#include "platform/ui/StdCtrls.h"

namespace qor {

QOR_PUBLISH(TQorGotoPage) {}

TQorGotoPage* QorGotoPage = nullptr;

TQorGotoPage::~TQorGotoPage()
{
    if (QorGotoPage == this)
        QorGotoPage = nullptr;
}

TQorGotoPage::TQorGotoPage(TComponent* AOwner) : TForm(AOwner)
{
    ReadFormResource(this, "forms/qorgoto.qfm");
    Label1 = FormPart<TLabel>(*this, "Label1");
    PageNum = FormPart<TMaskEdit>(*this, "PageNum");
    Button1 = FormPart<TButton>(*this, "Button1");
    Button2 = FormPart<TButton>(*this, "Button2");
}

} // namespace qor
