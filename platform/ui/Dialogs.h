#pragma once
// Common dialogs: open and save file names, print and printer setup. Each runs through the dialog
// service (scripted answers, a driver, or the window on screen), so tests can answer them.

#include "platform/rtl/Component.h"
#include "platform/rtl/Events.h"
#include "platform/rtl/Set.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/DialogService.h"

#include <memory>

namespace qor {

class TCommonDialog : public TComponent {
    QOR_CLASS(TCommonDialog, TComponent)
public:
    explicit TCommonDialog(TComponent* AOwner);
    // Asks the user; true when confirmed. Headless and unanswered raises EDialogUnanswered.
    virtual bool Execute() = 0;
    const String& Title() const { return FTitle; }
    void SetTitle(const String& Value) { FTitle = Value; }
    Integer HelpContext() const { return FHelpContext; }
    void SetHelpContext(Integer Value) { FHelpContext = Value; }
    // True while Execute runs.
    bool Executing() const { return FExecuting; }

    TNotifyEvent OnShow;
    TNotifyEvent OnClose;

protected:
    // Runs the request through the dialog service with OnShow / OnClose around it.
    bool Run(TDialogKind Kind, const std::function<Integer()>& ShowOnScreen);

private:
    String FTitle;
    Integer FHelpContext = 0;
    bool FExecuting = false;
};

enum TOpenOption : Byte {
    ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate, ofAllowMultiSelect,
    ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt, ofShareAware, ofNoReadOnlyReturn,
    ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames, ofOldStyleDialog, ofNoDereferenceLinks,
    ofEnableIncludeNotify, ofEnableSizing
};
QOR_ENUM_NAMES(TOpenOption, "ofReadOnly", "ofOverwritePrompt", "ofHideReadOnly", "ofNoChangeDir", "ofShowHelp",
               "ofNoValidate", "ofAllowMultiSelect", "ofExtensionDifferent", "ofPathMustExist", "ofFileMustExist",
               "ofCreatePrompt", "ofShareAware", "ofNoReadOnlyReturn", "ofNoTestFileCreate", "ofNoNetworkButton",
               "ofNoLongNames", "ofOldStyleDialog", "ofNoDereferenceLinks", "ofEnableIncludeNotify",
               "ofEnableSizing");
using TOpenOptions = TSet<TOpenOption>;

// One entry of a file filter: "Text files (*.txt)" and its masks {"*.txt"}.
struct TFilterEntry {
    String Description;
    std::vector<String> Masks;
};
// "Text files (*.txt)|*.txt|All files|*.*" in entries; an odd last part is a description with
// no masks ("*").
std::vector<TFilterEntry> ParseFilter(const String& Filter);

class TOpenDialog : public TCommonDialog {
    QOR_CLASS(TOpenDialog, TCommonDialog)
public:
    explicit TOpenDialog(TComponent* AOwner);
    ~TOpenDialog() override;

    // Asks for a file. An answer (scripted, or the window) gives the name through FileName or
    // the name box's text (SetFileNameText); a name without a folder is taken in InitialDir, and
    // one without an extension gets DefaultExt. The chosen file's extension differing from
    // DefaultExt puts ofExtensionDifferent into Options.
    bool Execute() override;

    const String& FileName() const { return FFileName; }
    void SetFileName(const String& Value) { FFileName = Value; }
    // Every file chosen (several with ofAllowMultiSelect; else the one FileName).
    TStrings* Files() const { return FFiles.get(); }
    const String& Filter() const { return FFilter; }
    void SetFilter(const String& Value) { FFilter = Value; }
    // 1-based index of the filter entry in use.
    Integer FilterIndex() const { return FFilterIndex; }
    void SetFilterIndex(Integer Value) { FFilterIndex = Value; }
    // Without a dot: "txt".
    const String& DefaultExt() const { return FDefaultExt; }
    void SetDefaultExt(const String& Value);
    const String& InitialDir() const { return FInitialDir; }
    void SetInitialDir(const String& Value) { FInitialDir = Value; }
    TOpenOptions Options() const { return FOptions; }
    void SetOptions(TOpenOptions Value) { FOptions = Value; }

    // While the dialog is open: the text of its file-name box, and replacing it (what an
    // OnTypeChange handler does to follow the new type's extension).
    const String& FileNameText() const { return FFileNameText; }
    void SetFileNameText(const String& Value);
    // While the dialog is open: the user picks filter entry Index (1-based); FilterIndex changes
    // and OnTypeChange runs.
    void ChangeFilterIndex(Integer Index);

    TNotifyEvent OnTypeChange;
    // Hook for the window on screen to follow SetFileNameText (platform internals).
    std::function<void(const String&)> NativeNameBox;

protected:
    virtual TDialogKind Kind() const { return TDialogKind::dkOpenFile; }

private:
    String FFileName;
    std::unique_ptr<TStringList> FFiles;
    String FFilter;
    Integer FFilterIndex = 1;
    String FDefaultExt;
    String FInitialDir;
    TOpenOptions FOptions{ofHideReadOnly, ofEnableSizing};
    String FFileNameText;
};

class TSaveDialog : public TOpenDialog {
    QOR_CLASS(TSaveDialog, TOpenDialog)
public:
    explicit TSaveDialog(TComponent* AOwner);

protected:
    TDialogKind Kind() const override { return TDialogKind::dkSaveFile; }
};

enum TPrintRange : Byte { prAllPages, prSelection, prPageNums };
QOR_ENUM_NAMES(TPrintRange, "prAllPages", "prSelection", "prPageNums");
enum TPrintDialogOption : Byte { poPrintToFile, poPageNums, poSelection, poWarning, poHelp, poDisablePrintToFile };
QOR_ENUM_NAMES(TPrintDialogOption, "poPrintToFile", "poPageNums", "poSelection", "poWarning", "poHelp",
               "poDisablePrintToFile");
using TPrintDialogOptions = TSet<TPrintDialogOption>;

// Asks for the printer, copies, collation and page range. On confirming, the chosen printer is
// selected in Printer() and its settings record takes Copies and Collate.
class TPrintDialog : public TCommonDialog {
    QOR_CLASS(TPrintDialog, TCommonDialog)
public:
    explicit TPrintDialog(TComponent* AOwner);
    // A page range outside MinPage..MaxPage (or From after To) in the answer raises
    // EInvalidOperation and nothing is applied.
    bool Execute() override;

    Integer Copies() const { return FCopies; }
    void SetCopies(Integer Value) { FCopies = Value; }
    bool Collate() const { return FCollate; }
    void SetCollate(bool Value) { FCollate = Value; }
    Integer FromPage() const { return FFromPage; }
    void SetFromPage(Integer Value) { FFromPage = Value; }
    Integer ToPage() const { return FToPage; }
    void SetToPage(Integer Value) { FToPage = Value; }
    Integer MinPage() const { return FMinPage; }
    void SetMinPage(Integer Value) { FMinPage = Value; }
    Integer MaxPage() const { return FMaxPage; }
    void SetMaxPage(Integer Value) { FMaxPage = Value; }
    TPrintRange PrintRange() const { return FPrintRange; }
    void SetPrintRange(TPrintRange Value) { FPrintRange = Value; }
    bool PrintToFile() const { return FPrintToFile; }
    void SetPrintToFile(bool Value) { FPrintToFile = Value; }
    TPrintDialogOptions Options() const { return FOptions; }
    void SetOptions(TPrintDialogOptions Value) { FOptions = Value; }

private:
    Integer FCopies = 1;
    bool FCollate = false;
    Integer FFromPage = 0;
    Integer FToPage = 0;
    Integer FMinPage = 0;
    Integer FMaxPage = 0;
    TPrintRange FPrintRange = prAllPages;
    bool FPrintToFile = false;
    TPrintDialogOptions FOptions;
};

// Asks for the printer and its settings (orientation, paper); the answer edits Printer()'s
// selected printer and settings record directly.
class TPrinterSetupDialog : public TCommonDialog {
    QOR_CLASS(TPrinterSetupDialog, TCommonDialog)
public:
    explicit TPrinterSetupDialog(TComponent* AOwner);
    bool Execute() override;
};

} // namespace qor
