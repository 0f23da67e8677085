#include "platform/ui/DialogService.h"

#include "platform/rtl/QtHost.h"

namespace qor {

String DialogKindName(TDialogKind Kind)
{
    switch (Kind) {
    case TDialogKind::dkMessageBox: return "message box";
    case TDialogKind::dkModalForm: return "modal form";
    case TDialogKind::dkOpenFile: return "open dialog";
    case TDialogKind::dkSaveFile: return "save dialog";
    case TDialogKind::dkPrint: return "print dialog";
    case TDialogKind::dkPrinterSetup: return "printer setup dialog";
    }
    return "dialog";
}

namespace {

String Describe(const TDialogRequest& R)
{
    String s = DialogKindName(R.Kind);
    if (!R.ClassName.empty())
        s += " " + R.ClassName;
    if (!R.Caption.empty())
        s += " \"" + R.Caption + "\"";
    if (R.Kind == TDialogKind::dkMessageBox && !R.Text.empty())
        s += " (\"" + R.Text + "\")";
    return s;
}

} // namespace

void TDialogService::Script(TDialogAnswerer Answerer)
{
    FScript.push_back(Scripted{true, TDialogKind::dkMessageBox, std::move(Answerer)});
}

void TDialogService::ScriptResult(Integer Result)
{
    Script([Result](const TDialogRequest&) { return Result; });
}

void TDialogService::Expect(TDialogKind Kind, TDialogAnswerer Answerer)
{
    FScript.push_back(Scripted{false, Kind, std::move(Answerer)});
}

void TDialogService::Expect(TDialogKind Kind, Integer Result)
{
    Expect(Kind, [Result](const TDialogRequest&) { return Result; });
}

void TDialogService::SetDriver(TDialogAnswerer Driver) { FDriver = std::move(Driver); }

void TDialogService::Reset()
{
    FScript.clear();
    FDriver = nullptr;
    FHistory.clear();
}

Integer TDialogService::Execute(const TDialogRequest& Request, const std::function<Integer()>& ShowOnScreen)
{
    auto record = [&](Integer Result) {
        FHistory.push_back(TDialogRecord{Request.Kind, Request.Caption, Request.Text, Request.ClassName,
                                         Request.Name, Request.Buttons, Result});
        return Result;
    };
    if (!FScript.empty()) {
        Scripted next = std::move(FScript.front());
        FScript.erase(FScript.begin());
        if (!next.AnyKind && next.Kind != Request.Kind) {
            record(0);
            throw EDialogUnanswered("Expected a " + DialogKindName(next.Kind) + " but the " + Describe(Request) +
                                    " was shown");
        }
        return record(next.Answerer(Request));
    }
    if (FDriver)
        return record(FDriver(Request));
    if (ShowOnScreen && QtCanShowWindows())
        return record(ShowOnScreen());
    record(0);
    throw EDialogUnanswered("Cannot show the " + Describe(Request) +
                            ": there is no display and no scripted answer");
}

bool TDialogService::CanAnswer() const { return !FScript.empty() || FDriver || QtCanShowWindows(); }

TDialogService& DialogService()
{
    static TDialogService S;
    return S;
}

} // namespace qor
