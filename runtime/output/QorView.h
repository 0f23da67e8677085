#pragma once
// The viewer window: a toolbar, a menu, one or two previews and a load meter. It shows a page file
// while it is still being made, pages and zooms, opens, saves and exports page files, prints with
// or without the destination dialog, and stops a report that is still running.

#include "platform/rtl/Set.h"
#include "platform/ui/Forms.h"
#include "runtime/output/QorOut.h"
#include "runtime/output/QorPrev.h"

#include <functional>

namespace qor {

class TComboBox;
class TLabel;
class TMenuItem;
class TOpenDialog;
class TPanel;
class TPrinterSetupDialog;
class TQorMeter;
class TSaveDialog;
class TSpeedButton;

enum TQorViewerModeItem : Byte { vmGenerating, vmPrinting };
using TQorViewerMode = TSet<TQorViewerModeItem>;

class TQorViewer;
using TQorViewEvent = std::function<void(TQorViewer*)>;

// The folder the open and save dialogs start in (empty: the current one).
extern String QorViewerDir;
// Called with every new viewer at the end of its making, so an application can adjust it.
extern TQorViewEvent QorViewEvent;
// The application's viewer form, when it makes one and keeps it here; null otherwise. Cleared when
// the viewer it names is freed.
extern TQorViewer* QorViewer;

class TQorViewer : public TForm, public IQorViewer {
    QOR_CLASS(TQorViewer, TForm)
public:
    explicit TQorViewer(TComponent* AOwner);
    ~TQorViewer() override;

    // ---- what a preview job asks of the viewer ----
    // Shows AF, which a report is still making: the job keeps it until its document ends.
    void SetOutput(TQorOutput* Output) override;
    void SetQorFile(TQorQorFile* AF) override;
    void SetGenerating(bool Value) override;
    void Show() override { TForm::Show(); }
    void TakeQorFile(std::unique_ptr<TQorQorFile> File) override;

    bool Generating() const { return FGenerating; }
    TQorViewerMode ViewerMode() const { return FViewerMode; }
    TQorPreview* CurrentPreview() const { return FCurrentPreview; }
    // Asks the running report to stop (the Stop button, or closing while generating).
    TNotifyEvent OnAbort;

    void UpdateStatus(TObject*) { UpdatePage(); }
    void UpdatePage();
    void UpdateControls();
    void SelectPreview(TQorPreview* Preview);
    void SetZoom(TQorZoom Zoom);
    Double GetLoadPercent() const;

    // ---- the form's event handlers ----
    void FormClose(TObject* Sender, TCloseAction& Action);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void FormDestroy(TObject* Sender);
    void FormKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
    void ToolBarDblClick(TObject* Sender);
    void ToolBarMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
    void Open1Click(TObject* Sender);
    void Close1Click(TObject* Sender);
    void Save1Click(TObject* Sender);
    void SaveFileDialogTypeChange(TObject* Sender);
    void sendprinterClick(TObject* Sender);
    void sendprinterMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
    void PrintSetup1Click(TObject* Sender);
    void btnCloseClick(TObject* Sender);
    void ZoomValuesChange(TObject* Sender);
    void firstpageClick(TObject* Sender);
    void PreviousPageClick(TObject* Sender);
    void NextPageClick(TObject* Sender);
    void LastPageClick(TObject* Sender);
    void GotoPage1Click(TObject* Sender);
    void StopClick(TObject* Sender);
    void SynchronizedClick(TObject* Sender);
    void ViewToolbarClick(TObject* Sender);
    void TwoPagesClick(TObject* Sender);
    void KeyboardHelp1Click(TObject* Sender);
    void LeftPreviewClick(TObject* Sender);
    void RightPreviewClick(TObject* Sender);
    void LeftPreviewVertScroll(TObject* Sender);
    void LeftPreviewHorzScroll(TObject* Sender);
    void RightPreviewVertScroll(TObject* Sender);
    void RightPreviewHorzScroll(TObject* Sender);
    void DividerMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
    void DividerMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y);
    void DividerMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);

    // The save dialog's filter: page files, then every registered export filter.
    static String SaveFilter();
    // The file name the save dialog shows for filter FilterIndex (1 is page files).
    static String NameForFilter(const String& FileName, Integer FilterIndex);

    TPanel* ToolBar = nullptr;
    TSpeedButton* btnOpen = nullptr;
    TSpeedButton* btnSave = nullptr;
    TSpeedButton* sendprinter = nullptr;
    TSpeedButton* btnClose = nullptr;
    TComboBox* ZoomValues = nullptr;
    TSpeedButton* firstpage = nullptr;
    TSpeedButton* PreviousPage = nullptr;
    TLabel* PageNum = nullptr;
    TSpeedButton* NextPage = nullptr;
    TSpeedButton* LastPage = nullptr;
    TQorMeter* LoadMeter = nullptr;
    TSpeedButton* Stop = nullptr;
    TQorPreview* LeftPreview = nullptr;
    TPanel* Divider = nullptr;
    TPanel* CursorPosition = nullptr;
    TQorPreview* RightPreview = nullptr;
    TMenuItem* File1 = nullptr;
    TMenuItem* Synchronized = nullptr;
    TMenuItem* ViewToolbar = nullptr;
    TMenuItem* TwoPages = nullptr;
    TPrinterSetupDialog* PrinterSetup = nullptr;
    TOpenDialog* OpenFileDialog = nullptr;
    TSaveDialog* SaveFileDialog = nullptr;

private:
    void FormCreate();
    void SetCaptions();
    void MakeGlyphs();
    TQorPreview* OtherPreview() const { return FCurrentPreview == LeftPreview ? RightPreview : LeftPreview; }
    // Runs a print with the status window; Dialog chooses the range (else every page).
    void PrintPages(bool WithDialog);
    void AskAbort();
    // Two synchronised pages scroll together: the other preview follows From.
    void FollowScrollOf(TQorPreview* From, bool Horizontal);
    void ExportTo(Integer FilterIndex, const String& FileName);
    // Preview lets go of its page file: one the other preview shows too becomes that one's.
    void LetGo(TQorPreview* Preview);

    bool MouseIsDown = false;
    bool ShowFirst = true;
    bool FGenerating = false;
    TQorViewerMode FViewerMode;
    TQorPreview* FCurrentPreview = nullptr;
    // The page file a running report is still making (shown, the job's until TakeQorFile).
    TQorQorFile* FGeneratedFile = nullptr;
    TQorOutput* FOutput = nullptr;
};

// Shows a saved page file in a viewer, modally, until the viewer is closed.
void QorFileView(const String& FileName);

} // namespace qor
