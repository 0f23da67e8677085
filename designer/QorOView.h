#pragma once
// The overview report: documentation of one designed group page (its page setup, a drawn tree of
// its bands, and for every band its settings, its group and each label with its properties). The
// form is never shown: its form resource holds a report whose data events walk the designed page.

#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"

#include <functional>

namespace qor {

class TKivBand;
class TKivGroup;
class TKivGrouppage;
class TKivLabel;
class TKivPage;
class TKivReport;
class TKivSubDataBand;
class TKivVar;
class TQorCanvas;

// Called with a documentation report just before it runs: it may send the pages elsewhere than
// the report's own destination (the viewer).
using TQorReportRoute = std::function<void(TKivReport* Report)>;

class TQorOverview : public TForm {
    QOR_CLASS(TQorOverview, TForm)
public:
    explicit TQorOverview(TComponent* AOwner);

    // Runs the form's report over GP.
    void Run(const TQorReportRoute& Route = {});

    void ReportPageDataStart(TKivPage* Sender);
    void ReportPageDataSkip(TKivPage* Sender);
    void ReportPageAfterDataSkip(TKivPage* Sender);
    void SetupPrintWhen(TKivBand* Sender, bool& Print);
    void GroupsPrintWhen(TKivBand* Sender, bool& Print);
    void BandListDataStart(TKivSubDataBand* Sender);
    void BandListDataSkip(TKivSubDataBand* Sender);
    void BandTreeLabelDraw(TKivLabel* Sender, TObject* Canvas, const TRect& Rect);
    void LabelsDataStart(TKivSubDataBand* Sender);
    void LabelsDataSkip(TKivSubDataBand* Sender);
    void LabelsAfterDataSkip(TKivSubDataBand* Sender);
    void LabelsAfterPrint(TObject* Sender);
    void DetailBandAfterPrint(TObject* Sender);
    void ContinuedTextPrintWhen(TKivLabel* Sender, bool& Print);
    void SubDataPrintWhen(TKivLabel* Sender, bool& Print);

    // Draws the tree row of band B of the designed page into R.
    void DrawBand(TQorCanvas* Canvas, const TRect& R, TKivBand* B);

    TKivReport* KivReport1 = nullptr;
    TKivGrouppage* ReportPage = nullptr;

    Integer BandCount = 0, BandSpot = 0;
    TKivBand* Band = nullptr;
    TKivLabel* BandLabel = nullptr;
    Integer LabelCount = 0, LabelSpot = 0;
    TKivGroup* ReportGroup = nullptr;
    Integer Spot = 0;
    TKivReport* Report = nullptr;
    TKivGrouppage* GP = nullptr;

private:
    TKivVar* Var(const char* Name) const;
    void SetText(const char* Name, const String& Value) const;
    void SetPageSetupVars() const;
    void LabelAt(TKivSubDataBand* Sender);
};

// Makes a form owned by the application, hands it to Use and frees it afterwards,
// also when Use raises.
template <class F, class Fn>
void QorWithAppForm(Fn&& Use)
{
    F* form = Create<F>(Application());
    struct TFree {
        TComponent* C;
        ~TFree() { Free(C); }
    } freeForm{form};
    Use(form);
}

// The overview of Page, with the designed report as its parent; what the manager's "run overview
// report" message does.
void QorRunOverview(TKivPage* Page, const TQorReportRoute& Route = {});

} // namespace qor
