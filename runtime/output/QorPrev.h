#pragma once
// The preview control: one page of a page file at a chosen zoom in a scrolling box, moving between
// pages and sending page ranges to the printer.
//
// The page is played once into a bitmap the control keeps (again only when the page, the zoom or
// the file's content changes); painting copies that bitmap, and scrolling moves it without playing
// the page again.

#include "platform/graphics/GdiTypes.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "runtime/output/QorZoom.h"

#include <memory>

namespace qor {

class TQorDeviceContext;
class TQorFile;
class TQorFiler;
class TQorPrinter;
class TQorPrinterSetup;
class TQorQorFile;
class TStream;

class TQorPreview : public TScrollBox {
    QOR_CLASS(TQorPreview, TScrollBox)
public:
    explicit TQorPreview(TComponent* AOwner);
    ~TQorPreview() override;

    // ---- the page file ----
    void LoadFromStream(TStream* Stream);
    void LoadFromFile(const String& FileName);
    // Shows AF, which the filer holds from now on; null does nothing.
    void LoadFromQorFile(std::unique_ptr<TQorFile> AF);
    // Shows AF, which its owner keeps (a report still making it, or the other preview); null does
    // nothing.
    void ShowQorFile(TQorFile* AF);
    void SaveToFile(const String& FileName);
    void SaveToStream(TStream* Stream);
    TQorFiler* Filer() const { return FFiler.get(); }
    // The page file shown, or null.
    TQorQorFile* QorFile() const;
    Integer PageCount() const;
    // How much of the page file has been made, 0 to 100 (0 without one).
    Double LoadPercent() const;
    String Description() const;
    void SetDescription(const String& Value);
    TQorPrinterSetup* QorPrinterSetup() const { return FQorPrinterSetup.get(); }
    void SetQorPrinterSetup(const TQorPrinterSetup* Value);

    // ---- pages ----
    Integer Page() const { return FPage; }
    // A page of the file other than the current one; anything else is ignored.
    virtual void SetPage(Integer Value);
    void NextPage() { SetPage(FPage + 1); }
    void PriorPage() { SetPage(FPage - 1); }
    void FirstPage() { SetPage(1); }
    void LastPage() { SetPage(PageCount()); }

    // ---- zoom ----
    Integer Zoom() const { return FZoom; }
    void SetZoom(Integer Value);
    TQorZoom QorZoom() const { return FQorZoom; }
    void SetQorZoom(TQorZoom Value);
    void ZoomWidth();
    void ZoomHeight();
    void ZoomPage();

    // ---- printing ----
    void SendPageToPrinter() { SendPagesToPrinter(FPage, FPage); }
    // Pages StartPage (from 1 when 0 or less) to EndPage (the last when 0 or less). A second request
    // while one runs raises "Printing in progress.".
    void SendPagesToPrinter(Integer StartPage, Integer EndPage);
    bool IgnorePrinterSettings() const { return FIgnorePrinterSettings; }
    void SetIgnorePrinterSettings(bool Value) { FIgnorePrinterSettings = Value; }
    bool Printing() const { return FPrinting; }
    TQorPrinter* QorPrinter() const { return FQorPrinter; }
    // The status event of the printer for the next print run.
    TNotifyEvent PrintStatus;

    TPaintBox* PaintBox() const { return FPaintBox; }
    TPaintBox* PaintBox2() const { return FPaintBox2; }
    TQorDeviceContext* QorDC() const { return FQorDC.get(); }
    // The picture the current page was played into (none before the first paint).
    HDC PageDC() const { return FPageDC; }
    // How often a page was played into the bitmap; for tests.
    Integer PagePlays() const { return FPagePlays; }
    // The file gained pages or ended: a page shown before it was complete is shown again.
    void PagesChanged();

    TNotifyEvent OnVertScroll;
    TNotifyEvent OnHorzScroll;

    // Scrolls, then tells OnHorzScroll / OnVertScroll.
    void WMHScroll(TMessage& M);
    void WMVScroll(TMessage& M);
    void WMGetDlgCode(TMessage& M);

protected:
    virtual void ClickedMe(TObject* Sender);
    virtual void DblClickedMe(TObject* Sender);
    virtual void PrevMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
    virtual void PrevMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y);
    virtual void PrevMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
    // The paint event of both paint boxes: the page box shows the page, the other the background.
    virtual void PaintPage(TObject* Sender);
    // A fitting zoom follows the control's size.
    void Resize() override;
    // Forgets a paint box that goes.
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TPaintBox* MakePaintBox();
    void AttachPainter();
    void LoadCurrentQPS();
    void SizePage();
    // The page's size in screen pixels at the zoom.
    TSize PageSize() const;
    // Plays the current page into the kept picture when it is missing or stale.
    void UpdatePagePicture();
    void FreePagePicture();
    Integer ScreenPpi() const;

    std::unique_ptr<TQorPrinterSetup> FQorPrinterSetup;
    std::unique_ptr<TQorFiler> FFiler;
    TPaintBox* FPaintBox = nullptr;
    TPaintBox* FPaintBox2 = nullptr;
    std::unique_ptr<TQorDeviceContext> FQorDC;
    Integer FPage = 1;
    Integer FZoom = 100;
    TQorZoom FQorZoom = qz100;
    bool FIgnorePrinterSettings = false;
    bool FPrinting = false;
    TQorPrinter* FQorPrinter = nullptr;
    bool FPainting = false;
    // The kept page: its picture and what it was played from.
    HDC FPageDC;
    Integer FPicturePage = 0;
    Integer FPictureZoom = 0;
    Integer FPicturePageCount = 0;
    bool FPictureRunning = false; // played while the file was still being recorded
    const TQorQorFile* FPictureFile = nullptr;
    Integer FPagePlays = 0;
};

} // namespace qor
