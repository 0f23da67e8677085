#pragma once
// The band: a horizontal strip of a report page holding labels. It decides whether it prints,
// prints its labels in one piece or in stretching pieces at the page's current position, writes
// them as rich-text paragraphs, and guards itself against deletion outside the page manager.

#include "platform/rtl/Events.h"
#include "platform/rtl/Set.h"
#include "platform/ui/StdCtrls.h"
#include "runtime/engine/KivCtrl.h"
#include "runtime/engine/KivDeleteGuard.h"
#include "runtime/engine/KivPageIntf.h"
#include "runtime/output/QorOut.h"

#include <memory>
#include <typeinfo>
#include <vector>

namespace qor {

class TKivBand;
class TKivReport;
class TKivRptDsgn;
class TKivRtfFile;

// Decides per print whether the band prints; Result starts false.
using TKivPrintWhenEvent = TEvent<TKivBand*, bool&>;

enum TKivBandStateItem : Byte { bsPrinting };
using TKivBandState = TSet<TKivBandStateItem>;

// The room the page keeps free under a band: Space pixels, plus BandCount copies of Band.
class TKivReserveSpace : public TPersistent {
    QOR_CLASS(TKivReserveSpace, TPersistent)
public:
    explicit TKivReserveSpace(TKivBand* AOwner = nullptr) : FOwner(AOwner) {}

    // The band this reserve belongs to (null for one made on its own).
    TKivBand* OwnerBand() const { return FOwner; }
    TPersistent* GetOwner() const override;

    TKivBand* Band() const { return FBand; }
    void SetBand(TKivBand* Value);
    Integer BandCount() const { return FBandCount; }
    void SetBandCount(Integer Value) { FBandCount = Value; }
    Integer Space() const { return FSpace; }
    void SetSpace(Integer Value) { FSpace = Value; }
    Integer GetReserve() const;

private:
    TKivBand* FBand = nullptr;
    Integer FBandCount = 1;
    Integer FSpace = 0;
    TKivBand* FOwner;
};

// A band's kind: a main band (report or page head or foot, detail, group head or foot) or one of
// the kinds attached to another band (KivBandKinds.h).
enum TKivBandKind : Byte { bkMain, bkSub, bkOverlay, bkSubData, bkDataHead, bkDataFoot };

class TKivBand : public TCustomPanel, public IKivBand {
    QOR_CLASS(TKivBand, TCustomPanel)
public:
    explicit TKivBand(TComponent* AOwner);
    ~TKivBand() override;

    // ---- Properties ------------------------------------------------------------------------
    // The band's print flag, published as "Visible"; the control's own visibility is apart.
    bool PrintVisible() const { return FVisible; }
    virtual void SetPrintVisible(bool Value);
    bool Stretch() const { return FStretch; }
    virtual void SetStretch(bool Value);
    const String& BandName() const { return FBandName; }
    void SetBandName(const String& Value);
    bool NewPage() const { return FNewPage; }
    virtual void SetNewPage(bool Value);
    bool NewPageRepeat() const { return FNewPageRepeat; }
    virtual void SetNewPageRepeat(bool Value);
    bool KeepTogether() const { return FKeepTogether; }
    void SetKeepTogether(bool Value) { FKeepTogether = Value; }
    TKivBorderType BorderType() const { return FBorderType; }
    virtual void SetBorderType(TKivBorderType Value);
    TQorShadePercent Shade() const { return FShade; }
    virtual void SetShade(TQorShadePercent Value);
    Integer Order() const { return FOrder; }
    virtual void SetOrder(Integer Value);
    void SetOrderDirect(Integer Value) { FOrder = Value; }
    TKivReserveSpace* ReserveSpace() const { return FReserveSpace.get(); }
    TBrush* Brush() const { return FBrush.get(); }
    TPen* Pen() const { return FPen.get(); }
    TWinControl* Page() const { return FPage; }
    // The level the band belongs to; published as "Updatelevel".
    TKivLevel* UpdateLevel() const { return FUpdateLevel; }
    void SetUpdateLevel(TKivLevel* Value);
    // The band a band kind is attached to; null for a main band.
    TKivBand* Band() const { return FBand; }
    void SetBand(TKivBand* Value) { FBand = Value; }
    virtual TKivBand* GetMainBand() { return this; }
    virtual TKivBandKind Kind() const { return bkMain; }
    bool EndPrint() const { return FEndPrint; }
    void SetEndPrint(bool Value) { FEndPrint = Value; }
    bool FirstPass() const { return FFirstPass; }
    bool Continued() const { return FContinued; }
    void SetContinued(bool Value) { FContinued = Value; }
    Integer ListPos() const { return FListPos; }
    void SetListPos(Integer Value) { FListPos = Value; }
    Integer PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(Integer Value) { FPixelsPerInch = Value; }
    const TKivBandState& BandState() const { return FBandState; }
    const std::vector<TKivLabel*>& Labels() const { return FLabels; }

    // ---- The print protocol ----------------------------------------------------------------
    // Visible, not a repeat the band does not want, and allowed by OnPrintWhen.
    bool PrintOk();
    // Height when the band prints, else 0.
    Integer PHeight() { return PrintOk() ? Height() : 0; }
    // Prints the whole band in one piece at the page's position.
    void Print(TComponent* oPage);
    // Begins a stretching print.
    void StartPrint();
    // The height the next piece would take with Space pixels left (-1: unlimited).
    Integer SpendHeight(TComponent* oPage, Integer Space);
    // Prints the next piece of a stretching print and answers its height (0: nothing fitted).
    virtual Integer PrintHeight(TComponent* oPage, Integer Space);
    void FinishedPrint() { FBandState -= bsPrinting; }
    // Writes the labels as rich-text paragraphs, row by row.
    void PrintRtf(TComponent* oPage, TKivRtfFile* RtfFile);

    // ---- Labels, page, deletion --------------------------------------------------------------
    void InsertLabel(TKivLabel* Label) override;
    void RemoveLabel(TKivLabel* Label) override;
    // The page's resolution; the screen's without a page.
    Integer GetPPI() const override;
    // Deletion as the page manager does it: a refusal leaves the band and is swallowed.
    void SafeDelete();
    // The band may be deleted: at run time, through SafeDelete, while being destroyed, without a
    // parent, or as an inherited component.
    bool AllowDelete() const;
    bool OkDelete() const { return AllowDelete(); }
    // The report the band's page sits on; null off a report.
    TKivReport* Report() const;
    // Refuses, at design time, a deletion AllowDelete does not allow.
    void BeforeDestruction() override;

    // Only a page is accepted as parent; anything else is refused with a silent abort.
    void SetParent(TWinControl* AParent) override;
    void SetName(const String& NewName) override;
    void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
    void Loaded() override;

    // A copied text label is pasted as a variable label: rewrites its lines on the clipboard.
    void ModifyLabel(TMessage& M);
    // A new size stretches the band's dividers and places the report's design buttons again.
    void WMSize(TMessage& M);
    void WMMove(TMessage& M);
    // At design time the rulers follow the mouse over the band.
    void CMDesignHitTest(TMessage& M);
    // At design time a band takes what the designer accepts and hands it the drop.
    void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) override;
    void DragDrop(TObject* Source, Integer X, Integer Y) override;

    TKivPrintWhenEvent OnPrintWhen;
    TNotifyEvent OnBeforePrint;
    TNotifyEvent OnAfterPrint;

protected:
    // The designer's view: the panel, the shade, a dotted line where the printable width ends,
    // and the border with its design-time outline.
    void Paint() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // OnBeforePrint / OnAfterPrint; a handler's exception is shown and printing goes on.
    void BeforePrint();
    void AfterPrint();
    // Saves the output destination, sending output nowhere while the page is outside the range.
    void PushDest(IKivBandPage* Page);
    void PopDest(IKivBandPage* Page);

private:
    // Stores a flag; at design time the band's caption strip follows.
    void SetFlag(bool& Field, bool Value);
    IKivReport* ReportOf() const;
    TKivRptDsgn* Designer() const;
    // The page oPage as a band prints on it; EInvalidOperation when it is none. The last page
    // asked for is kept (with its class): a band prints on the same page for a whole run.
    IKivBandPage* BandPage(TComponent* oPage);
    IKivPrintPage* PrintPage(TComponent* oPage);
    TComponent* FPageOf = nullptr;
    const std::type_info* FPageType = nullptr;
    IKivBandPage* FBandPage = nullptr;
    IKivPrintPage* FPrintPage = nullptr;
    // Shade, fill and border of a band print whose rectangle is Rect (Fill: where the colour goes).
    void PrintBackground(TQorCanvas* Canvas, const TRect& ShadeRect, const TRect& Fill, const TRect& Border);
    // The labels still printing in a stretch, and the largest height they would spend.
    bool LabelsPrinting() const;
    Integer LabelsSpend(TComponent* oPage, Integer Space);
    bool OwnLabel(const TKivLabel* Label) const { return Label->Parent() == this; }

    std::vector<TKivLabel*> FLabels;
    bool FVisible = true;
    bool FStretch = false;
    String FBandName;
    TKivDeleteGuard FDeleteGuard{true};
    TWinControl* FPage = nullptr;
    TKivLevel* FUpdateLevel = nullptr;
    bool FEndPrint = false;
    bool FFirstPass = false;
    Integer FPixelsPerInch = 0;
    Integer FListPos = 0;
    bool FNewPage = false;
    bool FNewPageRepeat = false;
    TKivBandState FBandState;
    bool FContinued = false;
    std::unique_ptr<TBrush> FBrush;
    std::unique_ptr<TPen> FPen;
    TKivBorderType FBorderType = btNone;
    std::unique_ptr<TKivReserveSpace> FReserveSpace;
    Integer FOrder = 0;
    TKivBand* FBand = nullptr;
    bool FKeepTogether = false;
    TQorDestination FSaveOutputDest = qdPrinter;
    TQorShadePercent FShade = spNone;
};

// Message a copied text label posts to its band (LParam: the label).
constexpr UINT KIV_MODIFYLABEL = WM_USER + 13;

// The form text Text with every line that declares the component Name as a text label turned into
// a variable label; the line's keyword, indentation and anything after the class stay as they are.
String KivTextLabelToVarLabel(const String& Text, const String& Name);

} // namespace qor
