#pragma once
// The designer object of a report being designed: a tool bar and two rulers on the report's
// design surface, and the answers to the calls the report, its page and its bands make at design
// time. Loading the designer library installs KivRepDesign as the report's design hook.

#include "runtime/engine/KivRptDsgn.h"
#include "runtime/engine/KivUtil.h"

#include <memory>

namespace qor {

class TCustomForm;
class TKivPage;
class TKivReport;
class TKivDesignKeeper;

// Makes the designer object of R and stores it in R's RepDesign.
void KivRepDesign(TKivReport* R);

class TKivReportDesign : public TKivRptDsgn {
public:
    explicit TKivReportDesign(TKivReport* R);
    ~TKivReportDesign() override;

    void RepositionButtons() override;
    void SetMinMax() override;
    void CreatePageManager() override;
    void RedrawRuler() override;
    void RulerXY(Integer X, Integer Y) override;
    void RulerUpdate() override;
    void RulerInvalid() override;
    bool KivDropOK(TObject* Source) override;
    void KivDroplabels(TObject* Source, TObject* Target, Integer X, Integer Y) override;

    // The tool bar's actions.
    void MinMaxClick(TObject* Sender);
    void SelectButtonMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
    void PageManClick(TObject* Sender);
    void DataClick(TObject* Sender);
    void AutoLabelClick(TObject* Sender);
    void RunButtonMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
    void ReportClick(TObject* Sender);
    void AlignClick(TObject* Sender);

    TKivNoScaleBtn* MinMaxButton() const { return FMinMaxButton; }
    TKivNoScaleBtn* PageManButton() const { return FPageManButton; }
    TKivNoScaleBtn* AutoLabelButton() const { return FAutoLabelButton; }
    TKivNoScaleBtn* RunButton() const { return FRunButton; }
    TKivNoScaleBtn* SelectButton() const { return FSelectButton; }
    TKivNoScaleBtn* DataButton() const { return FDataButton; }
    TKivNoScaleBtn* Rep1Button() const { return FRep1Button; }
    TKivNoScaleBtn* Rep2Button() const { return FRep2Button; }
    TKivNoScaleBtn* AlignButton(Integer Mode) const;
    TKivRuler* TopRuler() const { return FTopRuler; }
    TKivRulerContainer* LeftRuler() const { return FLeftRuler; }
    TCustomForm* DropForm() const { return FDropForm; }

private:
    friend class TKivDesignKeeper;
    TKivPage* Page() const;
    TCustomForm* Manager() const;
    TKivNoScaleBtn* NewButton(const String& Caption, const String& Glyph, const String& Hint, Integer Left,
                              Integer Top, Integer Width, Integer Height);
    void Forget(TComponent* Component);

    TKivNoScaleBtn* FLeftAlignButton = nullptr;
    TKivNoScaleBtn* FCenterAlignButton = nullptr;
    TKivNoScaleBtn* FRightAlignButton = nullptr;
    TKivNoScaleBtn* FPageCenterButton = nullptr;
    TKivNoScaleBtn* FMinMaxButton = nullptr;
    TKivNoScaleBtn* FPageManButton = nullptr;
    TKivNoScaleBtn* FAutoLabelButton = nullptr;
    TKivNoScaleBtn* FRunButton = nullptr;
    TKivNoScaleBtn* FSelectButton = nullptr;
    TKivNoScaleBtn* FDataButton = nullptr;
    TKivNoScaleBtn* FRep1Button = nullptr;
    TKivNoScaleBtn* FRep2Button = nullptr;
    TKivRuler* FTopRuler = nullptr;
    TKivRulerContainer* FLeftRuler = nullptr;
    TCustomForm* FDropForm = nullptr;
    TKivReport* FRep;
    // Hears of the report's going (while it is still whole) and of its controls' going.
    std::unique_ptr<TKivDesignKeeper> FKeeper;
};

} // namespace qor
