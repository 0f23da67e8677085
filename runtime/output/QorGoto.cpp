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
    QorReadForm(*this, "forms/qorgoto.qfm",
                {QOR_FORM_PART(Label1), QOR_FORM_PART(PageNum), QOR_FORM_PART(Button1), QOR_FORM_PART(Button2)});
}

} // namespace qor
