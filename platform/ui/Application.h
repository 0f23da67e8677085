#pragma once
// The application object: message loop, exception handling, message boxes, main form.

#include "platform/rtl/Component.h"
#include "platform/rtl/Events.h"
#include "platform/ui/Forms.h"

namespace qor {

using TExceptionEvent = TEvent<TObject* /*Sender*/, const Exception& /*E*/>;

enum TMsgDlgType : Byte { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
QOR_ENUM_NAMES(TMsgDlgType, "mtWarning", "mtError", "mtInformation", "mtConfirmation", "mtCustom");
enum TMsgDlgBtn : Byte { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
QOR_ENUM_NAMES(TMsgDlgBtn, "mbYes", "mbNo", "mbOK", "mbCancel", "mbAbort", "mbRetry", "mbIgnore", "mbAll",
               "mbNoToAll", "mbYesToAll", "mbHelp");
using TMsgDlgButtons = TSet<TMsgDlgBtn>;
inline const TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline const TMsgDlgButtons mbYesNo{mbYes, mbNo};
inline const TMsgDlgButtons mbOKCancel{mbOK, mbCancel};

class TApplication : public TComponent {
    QOR_CLASS(TApplication, TComponent)
public:
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;

    // Delivers the posted messages that are waiting, then lets Qt handle its pending events.
    void ProcessMessages();
    // Waits for and handles events until Terminate (runs the main form's window).
    void Run();
    void Terminate();
    bool Terminated() const { return FTerminated; }

    // Shows an exception: OnException when assigned, else its message in an error box; with no
    // display and no scripted answer, one line on stderr instead. EAbort is silent. Any other
    // exception (not of our classes) is shown by its what(). Messages and events delivered by
    // ProcessMessages and Run come here when their handlers throw, and the run goes on.
    void HandleException(TObject* Sender);
    void ShowException(const Exception& E);

    // A message box with MB_* flags; answers the ID* code of the button pressed.
    Integer MessageBox(const String& Text, const String& Caption, Integer Flags = MB_OK);

    TCustomForm* MainForm() const { return FMainForm; }
    void SetMainForm(TCustomForm* Value);
    // Creates a form owned by the application; the first one becomes the main form.
    template <class T>
    T* CreateForm()
    {
        T* f = Create<T>(this);
        if (!FMainForm)
            SetMainForm(f);
        return f;
    }

    const String& Title() const { return FTitle; }
    void SetTitle(const String& Value) { FTitle = Value; }
    const String& Hint() const { return FHint; }
    void SetHint(const String& Value) { FHint = Value; }
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool Value) { FShowHint = Value; }
    // The application's own window, for messages to the application object.
    HWND Handle();

    TExceptionEvent OnException;
    TNotifyEvent OnIdle;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    struct TAppWindow : public TMessageTarget {
        HWND Get() { return AllocateHandle(); }
    };
    TCustomForm* FMainForm = nullptr;
    bool FTerminated = false;
    String FTitle = "qor";
    String FHint;
    bool FShowHint = true;
    TAppWindow FWindow;
};

// The process's application object.
TApplication* Application();

// Message dialogs with the conventional buttons; they answer the mr* code of the button pressed.
Integer MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, Integer HelpCtx = 0);
void ShowMessage(const String& Msg);

} // namespace qor
