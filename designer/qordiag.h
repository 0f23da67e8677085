#pragma once
// The diagnostic report: checks a designed report for settings that are legal but usually wrong
// (update levels, missing data sources, blank labels, layout hints) and prints its findings. The
// form is never shown: its form resource holds a report whose data events walk the designed page.

#include "designer/QorOView.h"
#include "platform/ide/DesignIntf.h"

namespace qor {

class TKivDSGuide;
class TKivExprVar;
class TMemoryStream;

class TQorDiagForm : public TForm {
    QOR_CLASS(TQorDiagForm, TForm)
public:
    explicit TQorDiagForm(TComponent* AOwner);

    // Checks Rep's current page and runs the report of the findings.
    void DiagProc(TKivReport* Rep, const TQorReportRoute& Route = {});

    void ReportPageDataStart(TKivPage* Sender);
    void UpdateDataStart(TKivSubDataBand* Sender);
    void UpdateDataSkip(TKivSubDataBand* Sender);
    void UpdateDataFilter(TObject* Sender, bool& Accept);
    void BlankDataStart(TKivSubDataBand* Sender);
    void BlankDataSkip(TKivSubDataBand* Sender);
    void BlankDataFilter(TObject* Sender, bool& Accept);
    void BlankLabelsDataStart(TKivSubDataBand* Sender);
    void BlankLabelsDataSkip(TKivSubDataBand* Sender);
    void BlankLabelsDataFilter(TObject* Sender, bool& Accept);
    void MiscDataStart(TKivSubDataBand* Sender);
    void MiscDataSkip(TKivSubDataBand* Sender);
    void MiscDataFilter(TObject* Sender, bool& Accept);
    void blanklabsumGetData(TKivVar* Sender);

    TKivReport* KivReport1 = nullptr;
    TKivGrouppage* ReportPage = nullptr;

    TKivReport* Report = nullptr;
    TKivPage* RPage = nullptr;
    Integer Spot = -1;
    bool MiscError = false, BlankLabError = false;
    Integer m = 0, bl = 0;
    TKivDSGuide* DSG = nullptr;
    IDesigner* PageDesigner = nullptr;

private:
    TKivVar* Var(const char* Name);
    Integer LabelCount() const;
};

// The diagnostic report of Report's current page; Designer reads the names of event handlers.
void QorRunDiagnostic(TKivReport* Report, IDesigner* Designer, const TQorReportRoute& Route = {});

} // namespace qor
