#pragma once
// The destination dialog a report run shows as its prompt: printer or screen, the page range,
// copies and collation, and the printer setup. Print takes the choices into the page setup.

#include "platform/ui/Forms.h"

namespace qor {

class TButton;
class TCheckBox;
class TEdit;
class TGroupBox;
class TKivPageSetup;
class TLabel;
class TPrinterSetupDialog;
class TRadioButton;

class TKivReportDestination : public TForm {
    QOR_CLASS(TKivReportDestination, TForm)
public:
    explicit TKivReportDestination(TComponent* AOwner);

    void FormShow(TObject* Sender);
    void rangeAllClick(TObject* Sender);
    void rangePagesClick(TObject* Sender);
    void printersetupClick(TObject* Sender);
    // Copies outside 1 to 9999, or a copies or range text that is no number, raise and keep the
    // dialog open with nothing taken.
    void btnPrintClick(TObject* Sender);

    TKivPageSetup* PageSetup = nullptr; // not owned

    TLabel* lbCopies = nullptr;
    TEdit* Copies = nullptr;
    TCheckBox* CollatedCopies = nullptr;
    TGroupBox* destgroup = nullptr;
    TRadioButton* goPrinter = nullptr;
    TRadioButton* goScreen = nullptr;
    TGroupBox* rangegroup = nullptr;
    TRadioButton* rangeAll = nullptr;
    TRadioButton* rangePages = nullptr;
    TLabel* lbFrom = nullptr;
    TLabel* lbTo = nullptr;
    TEdit* StartRange = nullptr;
    TEdit* EndRange = nullptr;
    TButton* btnPrint = nullptr;
    TButton* btnCancel = nullptr;
    TButton* printersetup = nullptr;
    TPrinterSetupDialog* Printsetup = nullptr;

private:
    bool AnyPrinters() const;
};

} // namespace qor
