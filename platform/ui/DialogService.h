#pragma once
// The dialog service: every modal form, message box and common dialog goes through it.
//
// A dialog is answered, in this order, by the next scripted answer (tests queue them), by the
// driver (a standing answerer, when one is set), or on screen when windows can be shown. With none
// of these - headless and unscripted - it raises EDialogUnanswered instead of waiting for a person.

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

#include <functional>
#include <vector>

namespace qor {

class TCustomForm;
class TCommonDialog;

QOR_DECLARE_EXCEPTION(EDialogUnanswered, Exception);

enum class TDialogKind : Byte { dkMessageBox, dkModalForm, dkOpenFile, dkSaveFile, dkPrint, dkPrinterSetup };

// Readable name of a kind ("message box", "modal form", ...), for messages.
String DialogKindName(TDialogKind Kind);

struct TDialogRequest {
    TDialogKind Kind = TDialogKind::dkMessageBox;
    String Caption;   // window title
    String Text;      // message text (message boxes)
    String ClassName; // class of the form or dialog (empty for message boxes)
    String Name;      // component name of the form or dialog
    Integer Buttons = 0;                // MB_* flags (message boxes)
    TCustomForm* Form = nullptr;        // the form being shown modally
    TCommonDialog* Dialog = nullptr;    // the common dialog being run
};

// Answers one dialog. Message boxes answer an ID* button code, modal forms a modal result (mr*),
// common dialogs 1 for confirmed and 0 for cancelled; an answerer of a file dialog sets the
// dialog's FileName (and FilterIndex) before confirming. A modal form answerer may work the
// form's controls; the modal result it answers becomes the form's ModalResult.
using TDialogAnswerer = std::function<Integer(const TDialogRequest&)>;

// What was asked, for tests to read back.
struct TDialogRecord {
    TDialogKind Kind;
    String Caption;
    String Text;
    String ClassName;
    String Name;
    Integer Buttons;
    Integer Result;
};

class TDialogService {
public:
    // Queues an answer for the next dialog, whatever its kind.
    void Script(TDialogAnswerer Answerer);
    // Queues a fixed answer for the next dialog.
    void ScriptResult(Integer Result);
    // Queues an answer for the next dialog, which must be of kind Kind: another kind raises
    // EDialogUnanswered naming both, so a test notices a dialog it did not expect.
    void Expect(TDialogKind Kind, TDialogAnswerer Answerer);
    void Expect(TDialogKind Kind, Integer Result);
    // A standing answerer for dialogs when no scripted answer is queued; empty removes it.
    void SetDriver(TDialogAnswerer Driver);
    bool HasDriver() const { return static_cast<bool>(FDriver); }
    // Scripted answers not used yet.
    Integer PendingAnswers() const { return static_cast<Integer>(FScript.size()); }
    // Whether a dialog asked for now would get an answer: a scripted one, the driver's, or a
    // person's on a display.
    bool CanAnswer() const;
    // Every dialog asked so far, oldest first.
    const std::vector<TDialogRecord>& History() const { return FHistory; }
    // Forgets the script, the driver and the history.
    void Reset();

    // Answers Request: scripted answer, driver, then ShowOnScreen when windows can be shown and
    // ShowOnScreen is given; else raises EDialogUnanswered.
    Integer Execute(const TDialogRequest& Request, const std::function<Integer()>& ShowOnScreen);

private:
    struct Scripted {
        bool AnyKind;
        TDialogKind Kind;
        TDialogAnswerer Answerer;
    };
    std::vector<Scripted> FScript; // front is next
    TDialogAnswerer FDriver;
    std::vector<TDialogRecord> FHistory;
};

// The process's dialog service.
TDialogService& DialogService();

} // namespace qor
