#pragma once
// Small services of the report engine and the designer: blank tests and trimming, names for new
// report components, conversion between inches, millimetres and centimetres, and the designer's
// measuring rulers.

#include "platform/ui/Buttons.h"
#include "platform/ui/StdCtrls.h"
#include "runtime/engine/KivPageIntf.h"
#include "runtime/engine/KivReference.h"
#include "runtime/engine/KivUnits.h"

#include <memory>
#include <vector>

namespace qor {

// Hands the exception being handled to the application's exception handler.
void KivReportHandlerError(TObject* Sender);

// The two ways a run treats an exception raised by a user's event handler.
//
// Report and go on: the exception goes to the application's exception handler (with Sender) and
// the run goes on.
template <class F>
void KivReportAndGoOn(TObject* Sender, F&& Handler)
{
    try {
        Handler();
    } catch (...) {
        KivReportHandlerError(Sender);
    }
}
// Counts as a refusal: a handler that answers through a Boolean (which starts False) answers False
// when it raises; nothing is shown.
template <class F>
bool KivAskOrRefuse(F&& Ask)
{
    bool Result = false;
    try {
        Ask(Result);
    } catch (...) {
        return false;
    }
    return Result;
}

// True when every character is a blank (also for empty text).
// Lets the application handle its messages (a stop button, the viewer's paint) while a data loop
// runs: at most every few milliseconds, as handling them costs more than a record does.
void KivPumpMessages();

bool KivEmpty(const String& Text);
// Text without its trailing blanks.
String KivRightTrim(const String& Text);
// "TKivBand" gives "Band", "Title" gives "itle"; other text is unchanged.
String KivStripFirst(const String& Text);
// An identifier made of Text: the first character a letter or "_", the others letters, digits or
// "_"; every other character (accented letters too) becomes one "_".
String KivMakeValidIDent(const String& Text, bool StripFirst);
// Names Component Ident: false for a blank or invalid identifier or a name already taken.
bool KivSetComponentName(TComponent* Component, const String& Ident);
// Names Component after Text, then Text1, Text2 ... until a name is free; false when Text makes
// no valid identifier.
bool KivAutoSetComponentName(TComponent* Component, const String& Text, bool StripFirst);

// A measuring ruler beside a band (vertical) or above the page (horizontal), with a cross-hair at
// the mouse position.
class TKivRuler : public TCustomPanel {
    QOR_CLASS(TKivRuler, TCustomPanel)
public:
    explicit TKivRuler(TComponent* AOwner);
    // Rulers do not rescale with the form.
    void ChangeScale(Integer, Integer) override {}

    bool Vertical() const { return FVertical; }
    void SetVertical(bool Value);
    Integer PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(Integer Value);
    TKivUnits Units() const { return FUnits; }
    void SetUnits(TKivUnits Value);
    // Scroll offset of the object being measured.
    Integer StartPixels() const { return FStartPixels; }
    void SetStartPixels(Integer Value);
    bool ShowCrossHair() const { return FShowCrossHair; }
    void SetShowCrossHair(bool Value);
    Integer CrossHairPosition() const { return FCrossHairPosition; }
    void SetCrossHairPosition(Integer Value) { FCrossHairPosition = Value; }
    TKivUnitMaster* UnitMaster() const { return FUnitMaster.get(); }

    // Moves the cross-hair to Position (along the ruler).
    void UpdateHair(Integer Position);
    // The one-pixel strip the cross-hair at Position covers.
    TRect HairRect(Integer Position) const;

protected:
    void Paint() override;

private:
    bool FVertical = false;
    Integer FPixelsPerInch;
    TKivUnits FUnits = unitInches;
    Integer FStartPixels = 0;
    bool FShowCrossHair = true;
    Integer FCrossHairPosition = 0;
    std::unique_ptr<TKivUnitMaster> FUnitMaster;
};

// A button of the designer's tool bar: keeps its size when the form rescales.
class TKivNoScaleBtn : public TSpeedButton {
    QOR_CLASS(TKivNoScaleBtn, TSpeedButton)
public:
    using TSpeedButton::TSpeedButton;
    void ChangeScale(Integer, Integer) override {}
};

// The rulers of a page's bands, standing just left of the page.
class TKivRulerContainer : public TCustomPanel {
    QOR_CLASS(TKivRulerContainer, TCustomPanel)
public:
    explicit TKivRulerContainer(TComponent* AOwner);
    ~TKivRulerContainer() override;
    void ChangeScale(Integer, Integer) override {}

    Integer RulerCount() const { return static_cast<Integer>(FRulers.size()); }
    TKivRuler* Rulers(Integer Index) const { return FRulers.at(static_cast<std::size_t>(Index)); }
    bool ShowCrossHair() const { return FShowCrossHair; }
    void SetShowCrossHair(bool Value) { FShowCrossHair = Value; }
    Integer CrossHairPosition() const { return FCrossHairPosition; }
    // Copied to every ruler.
    void SetPixelsPerInch(Integer Value);
    void SetUnits(TKivUnits Value);

    // The report's first page when the container stands on a report.
    IKivPage* GetPage() const;
    // One ruler per band of the page, placed beside it.
    void UpdateRulers();
    // Moves the cross-hair to Position (container coordinates) across the rulers.
    void UpdateHair(Integer Position);

private:
    TKivRuler* RulerAt(Integer Y) const;

    std::vector<TKivRuler*> FRulers;
    bool FShowCrossHair = true;
    Integer FCrossHairPosition = 0;
};

} // namespace qor
