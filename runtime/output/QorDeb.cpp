#include "runtime/output/QorDeb.h"

#include "platform/rtl/DateTime.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypeInfo.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

#include <cstdlib>

namespace qor {

QOR_PUBLISH(TStatList) {}

namespace {

struct TTraceState {
    bool Enabled = [] {
        const char* V = std::getenv("QORDEBUG");
        return V && UpperCase(V) == "YES";
    }();
    TStatList* List = nullptr;
    TDateTime LastTime = 0;
};

TTraceState& Trace()
{
    static TTraceState State;
    return State;
}

} // namespace

TStatList::TStatList(TComponent* AOwner) : TComponent(AOwner) { CreateForm(); }

TStatList::~TStatList()
{
    if (Trace().List == this)
        Trace().List = nullptr;
    delete MyForm; // the list box goes with its form
}

void TStatList::CreateForm()
{
    MyForm = Create<TForm>(this);
    MyForm->SetName("QorDebugForm");
    MyForm->SetCaption("Debug");
    MyList = Create<TListBox>(MyForm);
    MyList->SetName("QorDebugList");
    MyList->SetParent(MyForm);
    MyList->SetAlign(alClient);
    MyList->OnDblClick = [this](TObject* Sender) { SaveToLog(Sender); };
    MyForm->Show();
}

void TStatList::ShowStatus(const String& Text)
{
    if (!MyForm)
        CreateForm();
    MyForm->Show();
    MyList->Items()->Add(Text);
    MyForm->Repaint();
}

void TStatList::SaveToLog(TObject*)
{
    TSaveDialog Dialog(nullptr);
    if (Dialog.Execute())
        MyList->Items()->SaveToFile(Dialog.FileName());
}

void DebugStatus(const String& Text)
{
    TTraceState& S = Trace();
    if (!S.Enabled)
        return;
    if (!S.List)
        S.List = Create<TStatList>(Application());
    S.List->ShowStatus(Text);
}

void DebugTime(const String& Text)
{
    TTraceState& S = Trace();
    if (!S.Enabled)
        return;
    const TDateTime Now = ::qor::Now();
    if (S.LastTime == 0)
        S.LastTime = Now;
    DebugStatus("   Elapsed: " + FormatDateTime("hh:nn:ss:zzz", Now - S.LastTime));
    DebugStatus(FormatDateTime("hh:nn:ss:zzz", Now) + "   " + Text);
    S.LastTime = Now;
}

void ResetTime() { Trace().LastTime = 0; }
void EnableQorDebug() { Trace().Enabled = true; }
void DisableQorDebug() { Trace().Enabled = false; }
bool ToggleQorDebug() { return Trace().Enabled = !Trace().Enabled; }
bool IsDebugEnabled() { return Trace().Enabled; }
TStatList* QorDebugStatList() { return Trace().List; }

} // namespace qor
