#pragma once
// The go-to-page dialog of the viewer: a masked edit for up to six digits, Go and Cancel.

#include "platform/ui/Forms.h"

namespace qor {

class TButton;
class TLabel;
class TMaskEdit;

class TQorGotoPage : public TForm {
    QOR_CLASS(TQorGotoPage, TForm)
public:
    explicit TQorGotoPage(TComponent* AOwner);
    ~TQorGotoPage() override;

    TLabel* Label1 = nullptr;
    TMaskEdit* PageNum = nullptr;
    TButton* Button1 = nullptr;
    TButton* Button2 = nullptr;
};

// The application's TQorGotoPage form, when it makes one and keeps it here; null otherwise. Cleared
// when the form it names is freed.
extern TQorGotoPage* QorGotoPage;

} // namespace qor
