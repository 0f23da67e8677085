#include "designer/kivvhelp.h"

#include "platform/rtl/Filer.h"
#include "platform/rtl/Resources.h"
#include "platform/ui/UiScreen.h"
#include "runtime/output/QorFormParts.h"

namespace qor {

QOR_PUBLISH(TKivVarHelp) { b.Method("ExitClick", &TKivVarHelp::ExitClick); }

TKivVarHelp::TKivVarHelp(TComponent* AOwner) : TForm(AOwner)
{
    ReadFormResource(this, "forms/kivvhelp.qfm");
    Memo1 = FormPart<TMemo>(*this, "Memo1");
    ExitBtn = FormPart<TButton>(*this, "ExitBtn");
    if (auto text = FindResource("help/kivvhelp.txt"))
        Memo1->Lines()->SetText(String(text->begin(), text->end()));
    SetClientWidth(ExitBtn->Left() + ExitBtn->Width() + 10);
    SetClientHeight(440);
    if (UiScreen()->PixelsPerInch() > 96) {
        Font()->SetSize(7);
        SetClientWidth(ClientWidth() + 70);
    }
}

void TKivVarHelp::ExitClick(TObject*) { Close(); }

} // namespace qor
