#pragma once
// A stand-in for the page a report run drives: records every protocol call by name, hands out a
// number of records per pass and can fail at the end of its document. Like the real page it joins
// the report it is parented to and tells its status window the end of a pass.

#include "engine/StandInPage.h"
#include "runtime/engine/KivStat.h"
#include "runtime/engine/PSetup.h"
#include "runtime/output/QorOut.h"

#include <functional>
#include <utility>

namespace qor::test {

class TStandInRunPage : public TStandInPage, public IKivRunPage {
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
        if (auto* R = dynamic_cast<IKivReport*>(AParent))
            R->InsertPage(this);
    }

    TWinControl* RunPageControl() override { return this; }
    TKivPage* AsPage() override { return nullptr; }
    void SetReport(IKivReport* Value) override { Report = Value; }
    TKivPageSetup* PageSetup() const override { return &Setup; }
    bool TwoPass() const override { return TwoPassRun; }
    TKivOutputType OutputType() const override { return Output; }
    void SetDataRange(TKivDataRange) override {}
    void SetPrintTo(TQorOutput* Value) override { FPrintTo = Value; }
    TQorOutput* PrintTo() const override { return FPrintTo; }
    void SetUpdateStatusTo(TFormPrintStatus* Status) override { StatusTo.push_back(FStatus = Status); }
    void SetAbortPrinting(bool Value) override { Aborted = Value; }

    void PageStart() override { Call("PageStart"); }
    bool InitReport() override
    {
        Call("InitReport");
        Aborted = false;
        FLeft = Records;
        return HasData;
    }
    void BeginDoc() override
    {
        Call("BeginDoc");
        // qdPrinter stands for "no output job".
        Dests.push_back(FPrintTo ? FPrintTo->Destination() : qdPrinter);
        if (OnBeginDoc)
            OnBeginDoc();
    }
    void StartReport() override { Call("StartReport"); }
    bool Printing() const override { return FLeft > 0 && !Aborted; }
    void Process() override
    {
        Call("Process");
        --FLeft;
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
    bool HasViewer() const override { return true; }
    void DropViewer() override { Call("DropViewer"); }
    void PageEnd() override
    {
        Call("PageEnd");
        if (TFormPrintStatus* Status = std::exchange(FStatus, nullptr))
            Status->UpdateStatus(nullptr, ssEnd);
    }
    void UnInitReport() override { Call("UnInitReport"); }

    Integer Order() const { return FOrder; }
    void SetOrder(Integer Value) override { FOrder = Value; }
    Integer Count(const String& Name) const { return Integer(std::count(Calls.begin(), Calls.end(), Name)); }

    std::vector<String> Calls;
    IKivReport* Report = nullptr;
    mutable TKivPageSetup Setup;
    bool TwoPassRun = false;
    TKivOutputType Output = otNormal;
    Integer Records = 3;
    bool HasData = true;
    bool FailEndDoc = false;
    bool Aborted = false;
    std::function<void()> OnProcess;
    std::function<void()> OnBeginDoc;
    std::vector<TQorDestination> Dests; // the output job's destination at each BeginDoc
    std::vector<TFormPrintStatus*> StatusTo;

private:
    void Call(const char* Name) { Calls.emplace_back(Name); }
    TQorOutput* FPrintTo = nullptr;
    TFormPrintStatus* FStatus = nullptr;
    Integer FLeft = 0;
    Integer FOrder = 0;
};

} // namespace qor::test
