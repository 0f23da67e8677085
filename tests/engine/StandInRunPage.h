#pragma once
// A stand-in for the page a report run drives: it records every protocol call by name, hands out
// a given number of records per pass, and can be told to fail at the end of its document. It
// joins the report it is parented to, and tells a status window the end of its pass, as the real
// page does.

#include "engine/StandInPage.h"
#include "runtime/engine/KivStat.h"
#include "runtime/engine/PSetup.h"
#include "runtime/output/QorOut.h"

#include <functional>
#include <utility>

namespace qor::test {

class TStandInRunPage : public TStandInPage, public TKivRunPageIntf {
    QOR_CLASS(TStandInRunPage, TWinControl)
public:
    explicit TStandInRunPage(TComponent* AOwner) : TStandInPage(AOwner) {}
    ~TStandInRunPage() override
    {
        if (Report)
            Report->RemovePage(this);
    }

    void SetParent(TWinControl* AParent) override
    {
        if (Report && AParent != Parent())
            Report->RemovePage(this);
        TWinControl::SetParent(AParent);
        if (auto* R = dynamic_cast<TKivReportIntf*>(AParent))
            R->InsertPage(this);
    }

    TWinControl* RunPageControl() override { return this; }
    TKivPage* AsPage() override { return nullptr; }
    void SetReport(TKivReportIntf* Value) override { Report = Value; }
    TKivPageSetup* PageSetup() const override { return &Setup; }
    bool TwoPass() const override { return TwoPassRun; }
    TKivOutputType OutputType() const override { return Output; }
    void SetDataRange(TKivDataRange Value) override { Range = Value; }
    void SetPrintTo(TQorOutput* Value) override { PrintTo_ = Value; }
    TQorOutput* PrintTo() const override { return PrintTo_; }
    void SetUpdateStatusTo(TFormPrintStatus* Status) override
    {
        StatusTo.push_back(Status);
        FStatus = Status;
    }
    void SetAbortPrinting(bool Value) override { Aborted = Value; }

    void PageStart() override { Call("PageStart"); }
    bool InitReport() override
    {
        Call("InitReport");
        Aborted = false;
        Left = Records;
        return HasData;
    }
    void BeginDoc() override
    {
        Call("BeginDoc");
        Dests.push_back(PrintTo_ ? PrintTo_->Destination() : qdPrinter);
        if (OnBeginDoc)
            OnBeginDoc();
    }
    void StartReport() override { Call("StartReport"); }
    bool Printing() const override { return Left > 0 && !Aborted; }
    void Process() override
    {
        Call("Process");
        --Left;
        if (OnProcess)
            OnProcess();
    }
    void EndReport() override { Call("EndReport"); }
    void EndDoc() override
    {
        Call("EndDoc");
        if (FailEndDoc)
            throw Exception("Cannot create file out.qor");
    }
    bool HasViewer() const override { return Viewer; }
    void DropViewer() override
    {
        Call("DropViewer");
        Viewer = false;
    }
    void PageEnd() override
    {
        Call("PageEnd");
        if (TFormPrintStatus* Status = std::exchange(FStatus, nullptr))
            Status->UpdateStatus(nullptr, ssEnd);
    }
    void UnInitReport() override { Call("UnInitReport"); }

    Integer Order() const { return FOrder; }
    void SetOrder(Integer Value) { FOrder = Value; }

    // Every call, and how many of one kind.
    std::vector<String> Calls;
    Integer Count(const String& Name) const
    {
        return static_cast<Integer>(std::count(Calls.begin(), Calls.end(), Name));
    }

    TKivReportIntf* Report = nullptr;
    mutable TKivPageSetup Setup;
    bool TwoPassRun = false;
    TKivOutputType Output = otNormal;
    TKivDataRange Range = drAllRecords;
    Integer Records = 3;
    bool HasData = true;
    bool FailEndDoc = false;
    bool Viewer = false;
    bool Aborted = false;
    std::function<void()> OnProcess;
    std::function<void()> OnBeginDoc;
    // The output job's destination at each BeginDoc (qdPrinter: no job).
    std::vector<TQorDestination> Dests;
    std::vector<TFormPrintStatus*> StatusTo;

private:
    void Call(const char* Name) { Calls.emplace_back(Name); }
    TQorOutput* PrintTo_ = nullptr;
    TFormPrintStatus* FStatus = nullptr;
    Integer Left = 0;
    Integer FOrder = 0;
};

} // namespace qor::test
