#pragma once
// The print destination dialog of the viewer: copies, collation, the page range and the printer
// setup. On Print the setup goes to the printer and StartPage/EndPage hold the range (0 and 0:
// every page).

#include "platform/ui/Forms.h"

#include <initializer_list>

namespace qor {

class TButton;
class TCheckBox;
class TEdit;
class TGroupBox;
class TLabel;
class TPrinterSetupDialog;
class TQorPreview;
class TQorPrinterSetup;
class TRadioButton;

// Runs Dialog (a printer setup) with each stay-on-top form of Forms taken off the top while it
// runs, so the dialog does not open behind them; they go back on top afterwards, also when the
// dialog raises. Null entries are skipped.
bool QorExecuteBelowTopmost(TPrinterSetupDialog& Dialog, std::initializer_list<TCustomForm*> Forms);

// The captions the viewer's and the report's destination dialogs share (their own, the copies, the
// range and the buttons), set on the parts of those names that Dialog has.
void QorSetDestinationCaptions(TForm& Dialog);
// The range "All": both edits of the page range emptied and disabled.
void QorClearPageRange(TEdit* StartRange, TEdit* EndRange);

class TQorPrintDestination : public TForm {
    QOR_CLASS(TQorPrintDestination, TForm)
public:
    explicit TQorPrintDestination(TComponent* AOwner);

    void FormShow(TObject* Sender);
    void rangeAllClick(TObject* Sender);
    void rangePagesClick(TObject* Sender);
    void printersetupClick(TObject* Sender);
    // Takes the choices; a copies or range text that is no number raises and the dialog stays.
    void btnPrintClick(TObject* Sender);

    TForm* Viewer = nullptr;
    TQorPreview* Preview = nullptr;
    TQorPrinterSetup* QorPrinterSetup = nullptr; // not owned
    Integer StartPage = 0;
    Integer EndPage = 0;

    TLabel* lbCopies = nullptr;
    TEdit* Copies = nullptr;
    TCheckBox* CollatedCopies = nullptr;
    TGroupBox* rangegroup = nullptr;
    TRadioButton* rangeAll = nullptr;
    TRadioButton* rangeCurrent = nullptr;
    TRadioButton* rangePages = nullptr;
    TLabel* lbFrom = nullptr;
    TLabel* lbTo = nullptr;
    TEdit* StartRange = nullptr;
    TEdit* EndRange = nullptr;
    TButton* btnPrint = nullptr;
    TButton* btnCancel = nullptr;
    TButton* printersetup = nullptr;
    TPrinterSetupDialog* Printsetup = nullptr;
};

} // namespace qor
