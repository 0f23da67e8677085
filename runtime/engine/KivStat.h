#pragma once
// The status window of a report run: what is being done, the page reached, a progress meter, and
// Abort, which asks whether to discard what was made.

#include "platform/ui/Forms.h"
#include "runtime/engine/KivPageIntf.h"

namespace qor {

class TButton;
class TLabel;
class TPanel;
class TQorMeter;

class TFormPrintStatus : public TForm {
    QOR_CLASS(TFormPrintStatus, TForm)
public:
    explicit TFormPrintStatus(TComponent* AOwner);

    // The page's status event during the run: the text, the page and the progress; at ssEnd the
    // page stops telling and the window closes.
    void UpdateStatus(IKivStatusPage* Page, TKivStatus Stat);
    void FormShow(TObject* Sender);
    // A close request while the run goes on asks whether to abort instead.
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    // Once the run has ended the window frees itself.
    void FormClose(TObject* Sender, TCloseAction& Action);
    void AbortbuttonClick(TObject* Sender);

    bool Closing = false;
    IKivRunReport* Report = nullptr;

    TLabel* lbWait = nullptr;
    TLabel* lbPage = nullptr;
    TPanel* pagenumber = nullptr;
    TQorMeter* LoadMeter = nullptr;
    TButton* Abortbutton = nullptr;

private:
    void AskAbort();
    IKivStatusPage* FPage = nullptr; // the page that last told its status
};

} // namespace qor
