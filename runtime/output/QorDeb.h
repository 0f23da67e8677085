#pragma once
// Tracing for applications: while tracing is on (it starts on when the environment variable
// QORDEBUG is YES), DebugStatus adds a line to a list in a plain window and DebugTime adds timing
// lines. A double click on the list saves it to a file. The library itself writes nothing here.

#include "platform/rtl/Component.h"

namespace qor {

class TForm;
class TListBox;

// The trace window and its list; owned by the application object.
class TStatList : public TComponent {
    QOR_CLASS(TStatList, TComponent)
public:
    explicit TStatList(TComponent* AOwner);
    ~TStatList() override;

    // Makes the window ("QorDebugForm") with its client-filling list ("QorDebugList") and shows it.
    void CreateForm();
    // Shows the window again when it is gone or hidden, appends Text and redraws at once.
    void ShowStatus(const String& Text);
    // Asks for a file name and saves the lines there.
    void SaveToLog(TObject* Sender);

    TForm* MyForm = nullptr;
    TListBox* MyList = nullptr;
};

void DebugStatus(const String& Text);
// Two lines: the time since the last call ("   Elapsed: hh:nn:ss:zzz"), then the time now and Text.
void DebugTime(const String& Text);
// The next DebugTime reports an elapsed time of zero.
void ResetTime();
void EnableQorDebug();
void DisableQorDebug();
// Flips tracing; answers the new state.
bool ToggleQorDebug();
bool IsDebugEnabled();
// The trace window's list, null until the first traced line.
TStatList* QorDebugStatList();

} // namespace qor
