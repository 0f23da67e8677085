#pragma once
// The print status window of the viewer: the page being printed, and Abort.

#include "platform/ui/Forms.h"

namespace qor {

class TButton;
class TLabel;
class TPanel;
class TQorPreview;

class TQorPreviewStatus : public TForm {
    QOR_CLASS(TQorPreviewStatus, TForm)
public:
    explicit TQorPreviewStatus(TComponent* AOwner);
    ~TQorPreviewStatus() override;

    // Shows the page the preview's printer is printing (the preview's print status event).
    void UpdateStatus(TObject* Sender);
    // Asks whether to discard what is printed: yes aborts the job, no stops it keeping what is
    // printed, cancel goes on.
    void AbortButtonClick(TObject* Sender);

    TQorPreview* Preview = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* lbPage = nullptr;
    TPanel* PageNumber = nullptr;
    TButton* AbortButton = nullptr;
};

// The application's TQorPreviewStatus form, when it makes one and keeps it here; null otherwise. Cleared
// when the form it names is freed.
extern TQorPreviewStatus* QorPreviewStatus;

} // namespace qor
