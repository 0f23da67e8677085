#include "platform/ui/Application.h"

#include "platform/rtl/QtHost.h"
#include "platform/ui/DialogService.h"
#include "platform/ui/internal/ApplicationHooks.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QTimer>

#include <cerrno>
#include <cstdio>

namespace qor {

QOR_PUBLISH(TApplication) {}

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner)
{
    if (program_invocation_short_name && *program_invocation_short_name)
        FTitle = program_invocation_short_name;
}

TApplication::~TApplication() = default;

HWND TApplication::Handle() { return FWindow.Get(); }

void TApplication::ProcessMessages()
{
    for (int guard = 0; guard < 1000; ++guard) {
        try {
            DeliverPostedMessages();
            break;
        } catch (...) {
            HandleException(this);
        }
    }
    if (QtApplicationExists())
        QCoreApplication::processEvents();
}

void TApplication::Run()
{
    EnsureQtApplication();
    if (FMainForm)
        FMainForm->Show();
    // The loop sleeps until Qt has an event; the tick wakes it to deliver posted messages and run
    // OnIdle. (processEvents with a time limit never sleeps: it spun a core while the window sat idle.)
    QTimer Tick;
    Tick.start(50);
    while (!FTerminated) {
        try {
            DeliverPostedMessages();
        } catch (...) {
            HandleException(this);
        }
        if (!QtCanShowWindows() && PendingMessageCount() == 0)
            break; // nothing could ever arrive
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        OnIdle(this);
    }
}

void TApplication::Terminate() { FTerminated = true; }

void TApplication::HandleException(TObject* Sender)
{
    std::exception_ptr p = std::current_exception();
    if (!p)
        return;
    try {
        std::rethrow_exception(p);
    } catch (const EAbort&) {
        // silent
    } catch (const Exception& e) {
        if (OnException)
            OnException(Sender, e);
        else
            ShowException(e);
    } catch (const std::exception& e) {
        Exception wrapped(e.what());
        if (OnException)
            OnException(Sender, wrapped);
        else
            ShowException(wrapped);
    } catch (...) {
        Exception wrapped("Unknown exception");
        if (OnException)
            OnException(Sender, wrapped);
        else
            ShowException(wrapped);
    }
}

void TApplication::ShowException(const Exception& E)
{
    String msg = E.Message();
    if (!msg.empty() && static_cast<unsigned char>(msg.back()) > '.')
        msg += '.';
    if (!DialogService().CanAnswer()) {
        // Nobody could close a box: one line on stderr, and the run goes on.
        std::fprintf(stderr, "%s%s\n", FTitle.empty() ? "" : (FTitle + ": ").c_str(), msg.c_str());
        return;
    }
    MessageBox(msg, FTitle, MB_OK | MB_ICONSTOP);
}

namespace {

QMessageBox::StandardButtons QtButtons(Integer Flags)
{
    switch (Flags & MB_TYPEMASK) {
    case MB_OKCANCEL: return QMessageBox::Ok | QMessageBox::Cancel;
    case MB_ABORTRETRYIGNORE: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case MB_YESNOCANCEL: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MB_YESNO: return QMessageBox::Yes | QMessageBox::No;
    case MB_RETRYCANCEL: return QMessageBox::Retry | QMessageBox::Cancel;
    default: return QMessageBox::Ok;
    }
}

Integer FromQt(int Button)
{
    switch (Button) {
    case QMessageBox::Ok: return IDOK;
    case QMessageBox::Cancel: return IDCANCEL;
    case QMessageBox::Abort: return IDABORT;
    case QMessageBox::Retry: return IDRETRY;
    case QMessageBox::Ignore: return IDIGNORE;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return IDCANCEL;
    }
}

Integer ShowBoxOnScreen(const String& Text, const String& Caption, Integer Flags)
{
    QMessageBox box;
    box.setWindowTitle(QString::fromStdString(Caption));
    box.setText(QString::fromStdString(Text));
    box.setStandardButtons(QtButtons(Flags));
    switch (Flags & MB_ICONMASK) {
    case MB_ICONHAND: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONASTERISK: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    if (Flags & MB_TOPMOST)
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    return FromQt(box.exec());
}

} // namespace

Integer TApplication::MessageBox(const String& Text, const String& Caption, Integer Flags)
{
    TDialogRequest r;
    r.Kind = TDialogKind::dkMessageBox;
    r.Caption = Caption;
    r.Text = Text;
    r.Buttons = Flags;
    return DialogService().Execute(r, [&] { return ShowBoxOnScreen(Text, Caption, Flags); });
}

void TApplication::SetMainForm(TCustomForm* Value)
{
    FMainForm = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FMainForm)
        FMainForm = nullptr;
}

TApplication* Application()
{
    static TApplication* app = new TApplication(nullptr); // lives for the whole process
    return app;
}

namespace {

// Closing the main form ends the run: forms learn which it is from here.
const struct TApplicationHooksSet {
    TApplicationHooksSet()
    {
        TApplicationHooks h;
        h.IsMainForm = [](const TCustomForm* Form) { return Application()->MainForm() == Form; };
        h.Terminate = [] { Application()->Terminate(); };
        SetApplicationHooks(h);
    }
} GApplicationHooksSet;

} // namespace

Integer MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, Integer)
{
    static const char* const captions[] = {"Warning", "Error", "Information", "Confirm", ""};
    String caption = captions[DlgType];
    if (caption.empty())
        caption = Application()->Title();
    Integer flags = MB_OK;
    if (Buttons.Contains(mbYes) && Buttons.Contains(mbNo))
        flags = Buttons.Contains(mbCancel) ? MB_YESNOCANCEL : MB_YESNO;
    else if (Buttons.Contains(mbAbort))
        flags = MB_ABORTRETRYIGNORE;
    else if (Buttons.Contains(mbRetry))
        flags = MB_RETRYCANCEL;
    else if (Buttons.Contains(mbOK) && Buttons.Contains(mbCancel))
        flags = MB_OKCANCEL;
    static const Integer icons[] = {MB_ICONWARNING, MB_ICONERROR, MB_ICONINFORMATION, MB_ICONQUESTION, 0};
    flags |= icons[DlgType];
    // the ID* codes and the mr* codes of the same buttons are the same numbers
    return Application()->MessageBox(Msg, caption, flags);
}

void ShowMessage(const String& Msg) { Application()->MessageBox(Msg, Application()->Title(), MB_OK); }

} // namespace qor
