#pragma once
// A stand-in for the report a page sits on, and a driver that runs one pass of a page the way the
// report does: PageStart, InitReport, BeginDoc, StartReport, Process while printing, EndReport,
// EndDoc, PageEnd, UnInitReport, with an output job recording into a page file the test can dump.

#include "platform/ui/Controls.h"
#include "runtime/engine/KivPage.h"
#include "runtime/output/QorFile.h"
#include "runtime/output/QorOut.h"
#include "runtime/output/QorSetup.h"

#include <algorithm>
#include <vector>

namespace qor::test {

class TStandInReport : public TWinControl, public IKivReport {
public:
    explicit TStandInReport(TComponent* AOwner = nullptr) : TWinControl(AOwner) {}
    // As the report does: its pages no longer tell a report that is going.
    ~TStandInReport() override
    {
        for (IKivRunPage* P : Pages)
            P->SetReport(nullptr);
    }

    IKivPage* FirstPage() const override { return Pages.empty() ? nullptr : Pages.front()->AsPage(); }
    void InsertPage(IKivRunPage* Page) override
    {
        Pages.push_back(Page);
        Page->SetReport(this);
    }
    void RemovePage(IKivRunPage* Page) override
    {
        Pages.erase(std::remove(Pages.begin(), Pages.end(), Page), Pages.end());
        Page->SetReport(nullptr);
    }
    Integer ReportPixelsPerInch() const override { return PPI; }
    void UpdateStatus(Integer PageNumber) override { StatusPages.push_back(PageNumber); }
    bool CancelPrintJob() const override { return Cancel; }
    void SetExceptionText(const String& Text) override { ExceptionText = Text; }
    TKivRptDsgn* RepDesign() const override { return nullptr; }
    void PositionButtons() override {}

    std::vector<IKivRunPage*> Pages;
    std::vector<Integer> StatusPages;
    Integer PPI = 96;
    bool Cancel = false;
    String ExceptionText;
};

// The start of a pass of Page into Job (a page file; the job's destination is set to qdQorFile),
// up to its first record; false when the page has no data and quits. The page setup's destination
// is the screen unless the test set another; without a preview handler the job keeps its page file
// for the test to dump.
inline bool BeginPagePass(TKivPage* Page, TQorOutput& Job, bool KeepFile = true)
{
    if (KeepFile && !Page->OnPreview)
        Page->OnPreview = [](TKivPage*) {};
    Job.SetDestination(qdQorFile);
    Page->PageSetup()->GetQorPrinterSetup(*Job.QorPrinterSetup());
    Page->SetPrintTo(&Job);
    Page->PageStart();
    if (!Page->InitReport())
        return false;
    Page->BeginDoc();
    Page->StartReport();
    return true;
}

// The end of a pass: with Started, the report's end and the document's; then the page's end and
// the run's, which happen however the pass ended.
inline void EndPagePass(TKivPage* Page, bool Started)
{
    struct TEnd {
        TKivPage* Page;
        ~TEnd()
        {
            Page->PageEnd();
            Page->UnInitReport();
            Page->SetPrintTo(nullptr);
        }
    } End{Page};
    if (Started) {
        Page->EndReport();
        Page->EndDoc();
    }
}

// One whole pass; without KeepFile a pass to the screen shows the built-in viewer.
inline void RunPagePass(TKivPage* Page, TQorOutput& Job, bool KeepFile = true)
{
    bool Started = false;
    try {
        Started = BeginPagePass(Page, Job, KeepFile);
        while (Started && Page->Printing())
            Page->Process();
    } catch (...) {
        EndPagePass(Page, false);
        throw;
    }
    EndPagePass(Page, Started);
}

} // namespace qor::test
