#pragma once
// The seams of a report run: hooks an application sets to replace the built-in viewer, destination
// dialog and status window; and the seam between a report and its designer. The run-time library knows only this base, whose
// operations do nothing; the designer installs KivDesignCreate, which makes the real designer
// object for each report being designed.

#include "platform/rtl/Types.h"

namespace qor {

class TObject;
class TKivReport;

class TKivRptDsgn {
public:
    virtual ~TKivRptDsgn() = default;
    // After every move, resize and scroll of the report box.
    virtual void RepositionButtons() {}
    // The report box was minimised or restored.
    virtual void SetMinMax() {}
    // Before the page asks the band and group manager for its data-source lists.
    virtual void CreatePageManager() {}
    virtual void RedrawRuler() {}
    // The mouse is at X, Y of the page (band and label coordinates already added).
    virtual void RulerXY(Integer X, Integer Y) { (void)X, (void)Y; }
    // The page was loaded.
    virtual void RulerUpdate() {}
    // The page setup changed.
    virtual void RulerInvalid() {}
    // A band accepts a dragged Source only when this says so.
    virtual bool KivDropOK(TObject* Source) { (void)Source; return false; }
    // Source was dropped on Target (a band) at X, Y.
    virtual void KivDroplabels(TObject* Source, TObject* Target, Integer X, Integer Y)
    {
        (void)Source, (void)Target, (void)X, (void)Y;
    }
};

class TKivPage;

// Replaces a built-in window of a run (the viewer, the status window); called with the page.
using TKivOverrideEvent = void (*)(TKivPage* Page);
// Replaces the destination dialog; Result starts false and true lets the run go on.
using TKivOverridePromptEvent = void (*)(TKivPage* Page, bool& Result);

// Set by the application; null for the built-in windows.
extern TKivOverrideEvent CustomPreview;
extern TKivOverridePromptEvent CustomPrompt;
extern TKivOverrideEvent CustomStatus;

// Makes the designer object of a report being designed and stores it in the report's RepDesign.
using TKivDesignCreate = void (*)(TKivReport* Report);
// Null until the designer installs its factory; nothing clears it.
extern TKivDesignCreate KivDesignCreate;

} // namespace qor
