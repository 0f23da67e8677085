#include "platform/ui/Dialogs.h"

#include "platform/printing/Printers.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/internal/NativeBridge.h"

namespace qor {

QOR_PUBLISH(TCommonDialog)
{
    b.Property("Title", &TCommonDialog::Title, &TCommonDialog::SetTitle).Default(String());
    b.Property("HelpContext", &TCommonDialog::HelpContext, &TCommonDialog::SetHelpContext).Default(0);
    b.Event("OnShow", &TCommonDialog::OnShow);
    b.Event("OnClose", &TCommonDialog::OnClose);
}

QOR_PUBLISH(TOpenDialog)
{
    b.Property("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt).Default(String());
    b.Property("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName).Default(String());
    b.Property("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter).Default(String());
    b.Property("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex).Default(1);
    b.Property("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir).Default(String());
    b.Property("Options", &TOpenDialog::Options, &TOpenDialog::SetOptions)
        .Default(TOpenOptions{ofHideReadOnly, ofEnableSizing});
    b.Event("OnTypeChange", &TOpenDialog::OnTypeChange);
}

QOR_PUBLISH(TSaveDialog) {}

QOR_PUBLISH(TPrintDialog)
{
    b.Property("Collate", &TPrintDialog::Collate, &TPrintDialog::SetCollate).Default(false);
    b.Property("Copies", &TPrintDialog::Copies, &TPrintDialog::SetCopies).Default(1);
    b.Property("FromPage", &TPrintDialog::FromPage, &TPrintDialog::SetFromPage).Default(0);
    b.Property("ToPage", &TPrintDialog::ToPage, &TPrintDialog::SetToPage).Default(0);
    b.Property("MinPage", &TPrintDialog::MinPage, &TPrintDialog::SetMinPage).Default(0);
    b.Property("MaxPage", &TPrintDialog::MaxPage, &TPrintDialog::SetMaxPage).Default(0);
    b.Property("PrintRange", &TPrintDialog::PrintRange, &TPrintDialog::SetPrintRange).Default(prAllPages);
    b.Property("PrintToFile", &TPrintDialog::PrintToFile, &TPrintDialog::SetPrintToFile).Default(false);
    b.Property("Options", &TPrintDialog::Options, &TPrintDialog::SetOptions).Default(TPrintDialogOptions{});
}

QOR_PUBLISH(TPrinterSetupDialog) {}

// ---- TCommonDialog -----------------------------------------------------------------------------

TCommonDialog::TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}

bool TCommonDialog::Run(TDialogKind Kind, const std::function<Integer()>& ShowOnScreen)
{
    if (FExecuting)
        throw EInvalidOperation("The " + DialogKindName(Kind) + " is already open");
    TDialogRequest request;
    request.Kind = Kind;
    request.Caption = FTitle;
    request.ClassName = ClassName();
    request.Name = Name();
    request.Dialog = this;
    FExecuting = true;
    Integer result = 0;
    try {
        OnShow(this);
        result = DialogService().Execute(request, ShowOnScreen);
    } catch (...) {
        FExecuting = false;
        throw;
    }
    FExecuting = false;
    OnClose(this);
    return result != 0;
}

// ---- File dialogs ------------------------------------------------------------------------------

std::vector<TFilterEntry> ParseFilter(const String& Filter)
{
    std::vector<String> parts;
    String cur;
    for (char ch : Filter) {
        if (ch == '|') {
            parts.push_back(cur);
            cur.clear();
        } else {
            cur += ch;
        }
    }
    if (!cur.empty() || !parts.empty())
        parts.push_back(cur);
    std::vector<TFilterEntry> entries;
    for (size_t i = 0; i < parts.size(); i += 2) {
        TFilterEntry e;
        e.Description = parts[i];
        const String masks = i + 1 < parts.size() ? parts[i + 1] : String("*");
        String m;
        for (char ch : masks + ";") {
            if (ch == ';') {
                const String t = Trim(m);
                if (!t.empty())
                    e.Masks.push_back(t);
                m.clear();
            } else {
                m += ch;
            }
        }
        if (e.Masks.empty())
            e.Masks.push_back("*");
        entries.push_back(std::move(e));
    }
    return entries;
}

TOpenDialog::TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner), FFiles(std::make_unique<TStringList>()) {}

TOpenDialog::~TOpenDialog() = default;

void TOpenDialog::SetDefaultExt(const String& Value)
{
    FDefaultExt = !Value.empty() && Value[0] == '.' ? Value.substr(1) : Value;
}

void TOpenDialog::SetFileNameText(const String& Value)
{
    FFileNameText = Value;
    if (NativeNameBox)
        NativeNameBox(Value);
}

void TOpenDialog::ChangeFilterIndex(Integer Index)
{
    if (Index == FFilterIndex)
        return;
    FFilterIndex = Index;
    OnTypeChange(this);
}

bool TOpenDialog::Execute()
{
    const String before = FFileName;
    FFileNameText = FFileName;
    FFiles->Clear();
    FOptions -= ofExtensionDifferent;
    bool confirmed = false;
    try {
        confirmed = Run(Kind(), [this] { return NativeRunFileDialog(this, Kind() == TDialogKind::dkSaveFile); });
    } catch (...) {
        NativeNameBox = nullptr;
        FFileName = before;
        throw;
    }
    NativeNameBox = nullptr;
    // the name is what the answer set, else what the name box holds
    String name = FFileName != before ? FFileName : FFileNameText;
    if (!confirmed || Trim(name).empty()) {
        FFileName = before;
        FFiles->Clear();
        return false;
    }
    auto complete = [this](String N) {
        if (!N.empty() && N[0] != '/' && !FInitialDir.empty())
            N = IncludeTrailingPathDelimiter(FInitialDir) + N;
        if (!FDefaultExt.empty() && ExtractFileExt(ExtractFileName(N)).empty())
            N += "." + FDefaultExt;
        return N;
    };
    FFileName = complete(name);
    if (FFiles->Count() == 0)
        FFiles->Add(FFileName);
    else
        for (Integer i = 0; i < FFiles->Count(); ++i)
            FFiles->Put(i, complete(FFiles->Get(i)));
    const String ext = ExtractFileExt(FFileName);
    if (!FDefaultExt.empty() && !SameText(ext.empty() ? ext : ext.substr(1), FDefaultExt))
        FOptions += ofExtensionDifferent;
    return true;
}

TSaveDialog::TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) {}

// ---- Printing ----------------------------------------------------------------------------------

TPrintDialog::TPrintDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}

bool TPrintDialog::Execute()
{
    struct Saved {
        Integer Copies, From, To;
        bool Collate, ToFile;
        TPrintRange Range;
    } saved{FCopies, FFromPage, FToPage, FCollate, FPrintToFile, FPrintRange};
    auto restore = [&] {
        FCopies = saved.Copies;
        FFromPage = saved.From;
        FToPage = saved.To;
        FCollate = saved.Collate;
        FPrintToFile = saved.ToFile;
        FPrintRange = saved.Range;
    };
    if (!Run(TDialogKind::dkPrint, [this] { return NativeRunPrintDialog(this); })) {
        restore();
        return false;
    }
    if (FCopies < 1) {
        restore();
        throw EInvalidOperation("The number of copies must be at least 1");
    }
    if (FPrintRange == prPageNums) {
        const bool bounded = FMinPage != 0 || FMaxPage != 0;
        if (FFromPage > FToPage || (bounded && (FFromPage < FMinPage || FToPage > FMaxPage))) {
            const String range = IntToStr(FFromPage) + "-" + IntToStr(FToPage);
            restore();
            throw EInvalidOperation("The page range " + range + " is not within " + IntToStr(FMinPage) + "-" +
                                    IntToStr(FMaxPage));
        }
    }
    String device, driver, port;
    HDEVMODE mode;
    Printer()->GetPrinter(device, driver, port, mode);
    if (PDeviceMode dm = GlobalLock(mode)) {
        dm->dmCopies = static_cast<SmallInt>(std::min(FCopies, 32767));
        dm->dmCollate = FCollate ? DMCOLLATE_TRUE : DMCOLLATE_FALSE;
        dm->dmFields |= DM_COPIES | DM_COLLATE;
        GlobalUnlock(mode);
    }
    return true;
}

TPrinterSetupDialog::TPrinterSetupDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}

bool TPrinterSetupDialog::Execute()
{
    return Run(TDialogKind::dkPrinterSetup, [this] { return NativeRunPrinterSetupDialog(this); });
}

} // namespace qor
