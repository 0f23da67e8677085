#pragma once
// The data control center's help window: a short manual in a memo, and "E&xit".

#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

namespace qor {

class TKivVarHelp : public TForm {
    QOR_CLASS(TKivVarHelp, TForm)
public:
    explicit TKivVarHelp(TComponent* AOwner);

    void ExitClick(TObject* Sender);

    TMemo* Memo1 = nullptr;
    TButton* ExitBtn = nullptr;
};

} // namespace qor
