#pragma once
// The fast label tool's question when dropped labels would run past the printable width: wrap,
// shrink, delete the excess or ignore. Canceled stays true unless "Ok" closed it.

#include "platform/ui/Forms.h"

namespace qor {

class TButton;
class TLabel;
class TRadioButton;

class TQorFastAskForm : public TForm {
    QOR_CLASS(TQorFastAskForm, TForm)
public:
    explicit TQorFastAskForm(TComponent* AOwner);

    void FormCreate(TObject* Sender);
    void OkBtnClick(TObject* Sender);
    void CancelBtnClick(TObject* Sender);

    bool Canceled = true;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TRadioButton* Wrap = nullptr;
    TRadioButton* Shrink = nullptr;
    TRadioButton* Delete = nullptr;
    TRadioButton* Ignore = nullptr;
    TButton* OkBtn = nullptr;
    TButton* CancelBtn = nullptr;
};

} // namespace qor
