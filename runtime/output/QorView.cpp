#include "runtime/output/QorView.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Screen.h"
#include "platform/printing/Printers.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/StringTable.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypeInfo.h"
#include "platform/ui/Application.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/DialogService.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Menus.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/UiScreen.h"
#include "runtime/output/QorDest.h"
#include "runtime/output/QorFile.h"
#include "runtime/output/QorFormParts.h"
#include "runtime/output/QorGoto.h"
#include "runtime/output/QorMeter.h"
#include "runtime/output/QorPStat.h"
#include "runtime/output/QorSetup.h"
#include "runtime/output/QorStr.h"
#include "runtime/output/QorStrIds.h"
#include "runtime/output/QorXport.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace qor {

String QorViewerDir;
TQorViewEvent QorViewEvent;
TQorViewer* QorViewer = nullptr;

QOR_PUBLISH(TQorViewer)
{
    b.Method("FormClose", &TQorViewer::FormClose);
    b.Method("FormDestroy", &TQorViewer::FormDestroy);
    b.Method("FormKeyDown", &TQorViewer::FormKeyDown);
    b.Method("ToolBarDblClick", &TQorViewer::ToolBarDblClick);
    b.Method("ToolBarMouseDown", &TQorViewer::ToolBarMouseDown);
    b.Method("Open1Click", &TQorViewer::Open1Click);
    b.Method("Close1Click", &TQorViewer::Close1Click);
    b.Method("Save1Click", &TQorViewer::Save1Click);
    b.Method("sendprinterClick", &TQorViewer::sendprinterClick);
    b.Method("sendprinterMouseDown", &TQorViewer::sendprinterMouseDown);
    b.Method("PrintSetup1Click", &TQorViewer::PrintSetup1Click);
    b.Method("btnCloseClick", &TQorViewer::btnCloseClick);
    b.Method("ZoomValuesChange", &TQorViewer::ZoomValuesChange);
    b.Method("firstpageClick", &TQorViewer::firstpageClick);
    b.Method("PreviousPageClick", &TQorViewer::PreviousPageClick);
    b.Method("NextPageClick", &TQorViewer::NextPageClick);
    b.Method("LastPageClick", &TQorViewer::LastPageClick);
    b.Method("GotoPage1Click", &TQorViewer::GotoPage1Click);
    b.Method("StopClick", &TQorViewer::StopClick);
    b.Method("SynchronizedClick", &TQorViewer::SynchronizedClick);
    b.Method("ViewToolbarClick", &TQorViewer::ViewToolbarClick);
    b.Method("TwoPagesClick", &TQorViewer::TwoPagesClick);
    b.Method("KeyboardHelp1Click", &TQorViewer::KeyboardHelp1Click);
    b.Method("LeftPreviewClick", &TQorViewer::LeftPreviewClick);
    b.Method("RightPreviewClick", &TQorViewer::RightPreviewClick);
    b.Method("LeftPreviewVertScroll", &TQorViewer::LeftPreviewVertScroll);
    b.Method("LeftPreviewHorzScroll", &TQorViewer::LeftPreviewHorzScroll);
    b.Method("RightPreviewVertScroll", &TQorViewer::RightPreviewVertScroll);
    b.Method("RightPreviewHorzScroll", &TQorViewer::RightPreviewHorzScroll);
    b.Method("DividerMouseDown", &TQorViewer::DividerMouseDown);
    b.Method("DividerMouseMove", &TQorViewer::DividerMouseMove);
    b.Method("DividerMouseUp", &TQorViewer::DividerMouseUp);
}

namespace {

// A preview job's viewer: a new viewer owned by the application.
[[maybe_unused]] const bool ViewerInstalled = [] {
    QorCreateViewer = []() -> IQorViewer* { return Create<TQorViewer>(Application()); };
    return true;
}();

enum class TGlyph { Open, Save, Print, First, Previous, Next, Last, Stop };

// The toolbar's pictures, 16 x 16, drawn here.
std::unique_ptr<TBitmap> MakeGlyph(TGlyph Kind)
{
    auto B = std::make_unique<TBitmap>();
    B->SetSize(16, 16);
    TCanvas& C = *B->Canvas();
    C.Brush()->SetColor(clBtnFace);
    C.FillRect(TRect(0, 0, 16, 16));
    C.Pen()->SetColor(clBlack);
    auto Triangle = [&](Integer Tip, Integer Base, TColor Color) {
        C.Brush()->SetColor(Color);
        const TPoint P[3] = {TPoint(Tip, 8), TPoint(Base, 3), TPoint(Base, 13)};
        C.Polygon(P);
    };
    switch (Kind) {
    case TGlyph::Open:
        C.Brush()->SetColor(clYellow);
        C.Rectangle(1, 4, 15, 14);
        C.Rectangle(1, 2, 7, 5);
        break;
    case TGlyph::Save:
        C.Brush()->SetColor(clNavy);
        C.Rectangle(1, 1, 15, 15);
        C.Brush()->SetColor(clWhite);
        C.Rectangle(4, 1, 12, 7);
        break;
    case TGlyph::Print:
        C.Brush()->SetColor(clWhite);
        C.Rectangle(4, 1, 12, 6);
        C.Brush()->SetColor(clGray);
        C.Rectangle(1, 6, 15, 12);
        C.Brush()->SetColor(clWhite);
        C.Rectangle(4, 10, 12, 15);
        break;
    case TGlyph::First:
        C.Brush()->SetColor(clNavy);
        C.Rectangle(2, 3, 4, 13);
        Triangle(4, 13, clNavy);
        break;
    case TGlyph::Previous: Triangle(3, 12, clNavy); break;
    case TGlyph::Next: Triangle(12, 3, clNavy); break;
    case TGlyph::Last:
        Triangle(11, 2, clNavy);
        C.Brush()->SetColor(clNavy);
        C.Rectangle(12, 3, 14, 13);
        break;
    case TGlyph::Stop:
        C.Brush()->SetColor(clRed);
        C.Ellipse(1, 1, 15, 15);
        C.Brush()->SetColor(clWhite);
        C.Rectangle(4, 7, 12, 9);
        break;
    }
    return B;
}

// Scroll bar positions of two previews kept in step.
void FollowScroll(TQorPreview* From, TQorPreview* To, bool Horizontal)
{
    if (!From || !To)
        return;
    TControlScrollBar* Bar = Horizontal ? To->HorzScrollBar() : To->VertScrollBar();
    Bar->SetPosition((Horizontal ? From->HorzScrollBar() : From->VertScrollBar())->Position());
}

} // namespace

TQorViewer::TQorViewer(TComponent* AOwner) : TForm(AOwner)
{
    QorReadForm(*this, "forms/qorview.qfm",
                {QOR_FORM_PART(ToolBar),        QOR_FORM_PART(btnOpen),        QOR_FORM_PART(btnSave),
                 QOR_FORM_PART(sendprinter),    QOR_FORM_PART(btnClose),       QOR_FORM_PART(ZoomValues),
                 QOR_FORM_PART(firstpage),      QOR_FORM_PART(PreviousPage),   QOR_FORM_PART(PageNum),
                 QOR_FORM_PART(NextPage),       QOR_FORM_PART(LastPage),       QOR_FORM_PART(LoadMeter),
                 QOR_FORM_PART(Stop),           QOR_FORM_PART(LeftPreview),    QOR_FORM_PART(Divider),
                 QOR_FORM_PART(CursorPosition), QOR_FORM_PART(RightPreview),   QOR_FORM_PART(File1),
                 QOR_FORM_PART(Synchronized),   QOR_FORM_PART(ViewToolbar),    QOR_FORM_PART(TwoPages),
                 QOR_FORM_PART(PrinterSetup),   QOR_FORM_PART(OpenFileDialog), QOR_FORM_PART(SaveFileDialog)});
    FormCreate();
}

TQorViewer::~TQorViewer()
{
    if (QorViewer == this)
        QorViewer = nullptr;
}

void TQorViewer::FormCreate()
{
    SetGenerating(false);
    ShowFirst = true;
    // Nine tenths of the screen's height, and wide enough for a letter or A4 page at 100 % with the
    // scroll bar and borders where the screen allows.
    const Integer ScreenW = UiScreen()->Width(), ScreenH = UiScreen()->Height();
    const Integer H = ScreenH * 9 / 10;
    const Integer PageW = ScreenPixelsPerInch() * 17 / 2 + 48;
    SetBounds(ScreenW / 20, ScreenH / 20, std::min(std::max(H * 3 / 4, PageW), ScreenW * 9 / 10), H);
    SetCaptions();
    MakeGlyphs();
    for (TQorPreview* P : {LeftPreview, RightPreview}) {
        P->HorzScrollBar()->SetIncrement(24);
        P->VertScrollBar()->SetIncrement(24);
    }
    SelectPreview(LeftPreview);
    OpenFileDialog->SetInitialDir(QorViewerDir);
    SaveFileDialog->SetInitialDir(QorViewerDir);
    SaveFileDialog->OnTypeChange = [this](TObject* Sender) { SaveFileDialogTypeChange(Sender); };
    OnCloseQuery = [this](TObject* Sender, bool& CanClose) { FormCloseQuery(Sender, CanClose); };
    SetKeyPreview(true);
    if (QorViewEvent)
        QorViewEvent(this);
}

void TQorViewer::SetCaptions()
{
    const auto Item = [this](const char* Name, Integer Id) {
        if (auto* M = FormPart<TMenuItem>(*this, Name))
            M->SetCaption(LoadStr(Id));
    };
    Item("File1", SQorMenuFile);
    Item("Options1", SQorMenuOptions);
    Item("Navigate1", SQorMenuNavigate);
    Item("Open1", SQorMenuOpen);
    Item("Close1", SQorMenuClose);
    Item("Save1", SQorMenuSave);
    Item("PrintSetup1", SQorMenuPrinterSetup);
    Item("Print1", SQorMenuPrint);
    Item("mitemExit", SQorMenuExit);
    Item("Synchronized", SQorMenuSynchronize);
    Item("ViewToolbar", SQorMenuToolbar);
    Item("TwoPages", SQorMenuTwoPage);
    Item("Next1", SQorNextPage);
    Item("Back1", SQorPreviousPage);
    Item("FirstPage1", SQorFirstPage);
    Item("LastPage1", SQorLastPage);
    Item("GotoPage1", SQorJumpToPage);
    NextPage->SetHint(LoadStr(SQorNextPage));
    PreviousPage->SetHint(LoadStr(SQorPreviousPage));
    firstpage->SetHint(LoadStr(SQorFirstPage));
    LastPage->SetHint(LoadStr(SQorLastPage));
    btnClose->SetCaption(LoadStr(SQorClose));
    btnClose->SetHint(LoadStr(SQorCloseHint));
    sendprinter->SetHint(LoadStr(SQorSendToPrinterHint));
    Stop->SetHint(LoadStr(SQorAbortReportHint));
    ZoomValues->SetHint(LoadStr(SQorZoomHint));
    PageNum->SetHint(LoadStr(SQorJumpToPageHint));
    for (TControl* C : {static_cast<TControl*>(NextPage), static_cast<TControl*>(PreviousPage),
                        static_cast<TControl*>(firstpage), static_cast<TControl*>(LastPage),
                        static_cast<TControl*>(btnClose), static_cast<TControl*>(sendprinter),
                        static_cast<TControl*>(Stop), static_cast<TControl*>(ZoomValues),
                        static_cast<TControl*>(PageNum)})
        C->SetShowHint(true);
}

void TQorViewer::MakeGlyphs()
{
    const std::pair<TSpeedButton*, TGlyph> Glyphs[] = {
        {btnOpen, TGlyph::Open},     {btnSave, TGlyph::Save},         {sendprinter, TGlyph::Print},
        {firstpage, TGlyph::First},  {PreviousPage, TGlyph::Previous}, {NextPage, TGlyph::Next},
        {LastPage, TGlyph::Last},    {Stop, TGlyph::Stop},
    };
    for (const auto& [Button, Kind] : Glyphs)
        Button->SetGlyph(MakeGlyph(Kind).get());
}

// ---- what a preview job asks ----------------------------------------------------------------------

void TQorViewer::SetQorFile(TQorQorFile* AF)
{
    LoadMeter->SetProgress(0);
    SetGenerating(true);
    ShowFirst = true;
    FGeneratedFile = AF;
    FCurrentPreview->SetQorPrinterSetup(AF->QorPrinterSetup());
    FCurrentPreview->ShowQorFile(AF);
    UpdatePage();
}

void TQorViewer::TakeQorFile(std::unique_ptr<TQorQorFile> File)
{
    FGeneratedFile = nullptr;
    for (TQorPreview* P : {LeftPreview, RightPreview})
        if (File && P->QorFile() == File.get()) {
            P->Filer()->SetQorFile(std::move(File));
            return;
        }
}

void TQorViewer::LetGo(TQorPreview* Preview)
{
    TQorPreview* Other = Preview == LeftPreview ? RightPreview : LeftPreview;
    const bool Shared = Preview->QorFile() && Preview->QorFile() == Other->QorFile();
    std::unique_ptr<TQorFile> Held = Preview->Filer()->TakeQorFile();
    if (Held && Shared)
        Other->Filer()->SetQorFile(std::move(Held));
}

void TQorViewer::SetGenerating(bool Value)
{
    FGenerating = Value;
    Stop->SetEnabled(Value);
    if (Value)
        FViewerMode.Include(vmGenerating);
    else
        FViewerMode.Exclude(vmGenerating);
    UpdateControls();
}

void TQorViewer::SetOutput(TQorOutput* Output) { FOutput = Output; }

// ---- state shown ----------------------------------------------------------------------------------

Double TQorViewer::GetLoadPercent() const { return FCurrentPreview ? FCurrentPreview->LoadPercent() : 0; }

void TQorViewer::UpdatePage()
{
    LoadMeter->SetProgress(Integer(Round(GetLoadPercent())));
    const Integer Count = FCurrentPreview->PageCount();
    PageNum->SetCaption(LoadStr(SQorPage) + " " + std::to_string(Count ? FCurrentPreview->Page() : 0) + "/" +
                        std::to_string(Count));
    if (ShowFirst && (Count > 1 || LoadMeter->Progress() == 100)) {
        ShowFirst = false;
        FCurrentPreview->Invalidate();
    }
    FCurrentPreview->PagesChanged();
    const String Description = FCurrentPreview->Description();
    SetCaption(Description.empty() ? LoadStr(SQorViewer) : Description);
}

void TQorViewer::UpdateControls()
{
    if (!File1)
        return;
    const bool Idle = FViewerMode.Empty();
    File1->SetEnabled(Idle);
    btnOpen->SetEnabled(Idle);
    btnSave->SetEnabled(Idle);
    ToolBar->SetEnabled(!FViewerMode.Contains(vmPrinting));
}

void TQorViewer::SelectPreview(TQorPreview* Preview)
{
    FCurrentPreview = Preview;
    Preview->SetBorderStyle(bsSingle);
    OtherPreview()->SetBorderStyle(bsNone);
    UpdatePage();
    ZoomValues->SetItemIndex(Preview->QorZoom());
}

void TQorViewer::SetZoom(TQorZoom Zoom)
{
    ZoomValues->SetItemIndex(Zoom);
    ZoomValuesChange(ZoomValues);
}

void TQorViewer::ZoomValuesChange(TObject*)
{
    const Integer Index = ZoomValues->ItemIndex();
    if (Index < 0)
        return;
    FCurrentPreview->SetQorZoom(static_cast<TQorZoom>(Index));
    if (Synchronized->Checked())
        OtherPreview()->SetQorZoom(static_cast<TQorZoom>(Index));
}

// ---- pages ----------------------------------------------------------------------------------------

void TQorViewer::firstpageClick(TObject*)
{
    FCurrentPreview->FirstPage();
    UpdatePage();
}

void TQorViewer::PreviousPageClick(TObject*)
{
    FCurrentPreview->PriorPage();
    UpdatePage();
}

void TQorViewer::NextPageClick(TObject*)
{
    FCurrentPreview->NextPage();
    UpdatePage();
}

void TQorViewer::LastPageClick(TObject*)
{
    FCurrentPreview->LastPage();
    UpdatePage();
}

void TQorViewer::GotoPage1Click(TObject*)
{
    std::unique_ptr<TQorGotoPage> Goto(new TQorGotoPage(nullptr));
    QorSetCaptions({{Goto.get(), SQorPageMovement},
                    {Goto->Label1, SQorGotoPage},
                    {Goto->Button1, SQorGo},
                    {Goto->Button2, SQorGotoCancel}});
    if (Goto->ShowModal() != mrOk)
        return;
    const Integer N = StrToInt(QorRightTrim(Goto->PageNum->Text()));
    if (N >= FCurrentPreview->PageCount())
        FCurrentPreview->LastPage();
    else if (N > 0)
        FCurrentPreview->SetPage(N);
    else
        FCurrentPreview->FirstPage();
    UpdatePage();
}

void TQorViewer::FormKeyDown(TObject*, Word& Key, TShiftState Shift)
{
    const bool Ctrl = Shift.Contains(ssCtrl);
    // Sent, not posted: a message posted to a control without a window of its own would wait for one.
    const auto Scroll = [&](UINT Msg, Word Code, Word Position = 0) {
        FCurrentPreview->Perform(Msg, MAKEWPARAM(Code, Position));
        Key = 0;
    };
    switch (Key) {
    case VK_PRIOR:
        Ctrl ? FCurrentPreview->FirstPage() : FCurrentPreview->PriorPage();
        UpdatePage();
        Key = 0;
        break;
    case VK_NEXT:
        Ctrl ? FCurrentPreview->LastPage() : FCurrentPreview->NextPage();
        UpdatePage();
        Key = 0;
        break;
    case VK_UP: Scroll(WM_VSCROLL, Ctrl ? SB_PAGEUP : SB_LINEUP); break;
    case VK_DOWN: Scroll(WM_VSCROLL, Ctrl ? SB_PAGEDOWN : SB_LINEDOWN); break;
    case VK_LEFT: Scroll(WM_HSCROLL, Ctrl ? SB_PAGELEFT : SB_LINELEFT); break;
    case VK_RIGHT: Scroll(WM_HSCROLL, Ctrl ? SB_PAGERIGHT : SB_LINERIGHT); break;
    case VK_HOME:
        if (Shift.Empty())
            Scroll(WM_HSCROLL, SB_THUMBPOSITION, 0);
        break;
    case VK_END:
        if (Shift.Empty())
            Scroll(WM_HSCROLL, SB_THUMBPOSITION, 2000);
        break;
    default: break;
    }
}

// ---- toolbar and options --------------------------------------------------------------------------

void TQorViewer::ToolBarDblClick(TObject*) { SetZoom(FCurrentPreview->QorZoom() == qzPage ? qz100 : qzPage); }

void TQorViewer::ToolBarMouseDown(TObject*, TMouseButton Button, TShiftState Shift, Integer, Integer)
{
    if (Button == mbLeft && Shift.Contains(ssCtrl))
        ShowMessage("Qorvel Version " + QorVersion());
}

void TQorViewer::SynchronizedClick(TObject*)
{
    Synchronized->SetChecked(!Synchronized->Checked());
    if (Synchronized->Checked())
        OtherPreview()->SetZoom(FCurrentPreview->Zoom());
}

void TQorViewer::ViewToolbarClick(TObject*)
{
    ViewToolbar->SetChecked(!ViewToolbar->Checked());
    ToolBar->SetVisible(ViewToolbar->Checked());
}

void TQorViewer::TwoPagesClick(TObject*)
{
    TwoPages->SetChecked(!TwoPages->Checked());
    const bool Two = TwoPages->Checked();
    if (Two && !RightPreview->QorFile() && LeftPreview->QorFile())
        RightPreview->ShowQorFile(LeftPreview->QorFile());
    if (!Two && FCurrentPreview == RightPreview)
        SelectPreview(LeftPreview);
    RightPreview->SetWidth(Width() / 2);
    RightPreview->SetVisible(Two);
    Divider->SetVisible(Two);
}

void TQorViewer::KeyboardHelp1Click(TObject*)
{
    ShowMessage("Keyboard Navigation in the QOR Previewer\n\n"
                "UP - scroll current page up one line\n"
                "CTRL-UP - scroll current page up one screenful within the page\n"
                "DOWN - scroll current page down one line\n"
                "CTRL-DOWN - scroll current page down one screenful within the page\n"
                "PGUP - move to previous page\n"
                "CTRL-PGUP - move to first page\n"
                "PGDN - move to next page\n"
                "CTRL-PGDN - move to last page\n"
                "RIGHT - incremental movement right\n"
                "CTRL-RIGHT - move one screenful to the right\n"
                "LEFT - incremental movement left\n"
                "CTRL-LEFT - move one screenful to the left\n"
                "HOME - move screen to left edge of page\n"
                "END - move screen to right edge of page");
}

void TQorViewer::LeftPreviewClick(TObject*) { SelectPreview(LeftPreview); }
void TQorViewer::RightPreviewClick(TObject*) { SelectPreview(RightPreview); }

void TQorViewer::FollowScrollOf(TQorPreview* From, bool Horizontal)
{
    if (Synchronized->Checked() && TwoPages->Checked())
        FollowScroll(From, From == LeftPreview ? RightPreview : LeftPreview, Horizontal);
}

void TQorViewer::LeftPreviewVertScroll(TObject*) { FollowScrollOf(LeftPreview, false); }
void TQorViewer::LeftPreviewHorzScroll(TObject*) { FollowScrollOf(LeftPreview, true); }
void TQorViewer::RightPreviewVertScroll(TObject*) { FollowScrollOf(RightPreview, false); }
void TQorViewer::RightPreviewHorzScroll(TObject*) { FollowScrollOf(RightPreview, true); }

void TQorViewer::DividerMouseDown(TObject*, TMouseButton, TShiftState, Integer X, Integer)
{
    CursorPosition->SetLeft(X + Divider->Left());
    CursorPosition->SetVisible(true);
    MouseIsDown = true;
    for (TControl* C : {static_cast<TControl*>(CursorPosition), static_cast<TControl*>(LeftPreview),
                        static_cast<TControl*>(RightPreview), static_cast<TControl*>(Divider)})
        C->SetAlign(alNone);
}

void TQorViewer::DividerMouseMove(TObject*, TShiftState, Integer X, Integer)
{
    if (MouseIsDown)
        CursorPosition->SetLeft(std::clamp(X + Divider->Left(), 20, std::max(20, ClientWidth() - 24)));
}

void TQorViewer::DividerMouseUp(TObject*, TMouseButton, TShiftState, Integer, Integer)
{
    RightPreview->SetWidth(ClientWidth() - CursorPosition->Left());
    CursorPosition->SetAlign(alRight);
    CursorPosition->SetVisible(false);
    MouseIsDown = false;
    RightPreview->SetAlign(alRight);
    Divider->SetAlign(alRight);
    LeftPreview->SetAlign(alClient);
    ZoomValuesChange(ZoomValues);
}

// ---- files ----------------------------------------------------------------------------------------

void TQorViewer::Open1Click(TObject*)
{
    if (!OpenFileDialog->Execute())
        return;
    LetGo(FCurrentPreview);
    FCurrentPreview->LoadFromFile(OpenFileDialog->FileName());
    UpdatePage();
}

void TQorViewer::Close1Click(TObject*)
{
    LetGo(FCurrentPreview);
    FCurrentPreview->Invalidate();
    UpdatePage();
}

String TQorViewer::SaveFilter()
{
    String Filter = "Qor File (*.qor)|*.qor";
    if (const auto* List = ExportFiltersList())
        for (const TQorExportFilter* F : *List)
            Filter += "|" + F->DisplayName() + "|" + F->FileExtension();
    return Filter;
}

String TQorViewer::NameForFilter(const String& FileName, Integer FilterIndex)
{
    if (FilterIndex <= 1)
        return ChangeFileExt(FileName, ".qor");
    const auto* List = ExportFiltersList();
    if (!List || FilterIndex - 2 >= Integer(List->size()))
        return FileName;
    String Patterns = (*List)[std::size_t(FilterIndex - 2)]->FileExtension();
    if (Patterns.empty() || Patterns.back() != ';')
        Patterns += ';';
    const String Ext = ExtractFileExt(FileName);
    if (!Ext.empty() && Patterns.find("*" + Ext + ";") != String::npos)
        return FileName;
    const std::size_t Dot = Patterns.find('.');
    if (Dot == String::npos)
        return FileName;
    return ChangeFileExt(FileName, Patterns.substr(Dot, Patterns.find(';') - Dot));
}

void TQorViewer::SaveFileDialogTypeChange(TObject*)
{
    SaveFileDialog->SetFileNameText(
        ExtractFileName(NameForFilter(SaveFileDialog->FileNameText(), SaveFileDialog->FilterIndex())));
}

void TQorViewer::Save1Click(TObject*)
{
    TQorQorFile* F = FCurrentPreview->QorFile();
    if (!F)
        return;
    if (!F->FileName().empty())
        SaveFileDialog->SetFileName(F->FileName());
    SaveFileDialog->SetFilter(SaveFilter());
    if (!SaveFileDialog->Execute())
        return;
    if (SaveFileDialog->FilterIndex() <= 1)
        FCurrentPreview->SaveToFile(ChangeFileExt(SaveFileDialog->FileName(), ".qor"));
    else
        ExportTo(SaveFileDialog->FilterIndex(), SaveFileDialog->FileName());
}

void TQorViewer::ExportTo(Integer FilterIndex, const String& FileName)
{
    const auto* List = ExportFiltersList();
    if (!List || FilterIndex - 2 >= Integer(List->size()))
        return;
    TQorExportFilter* Filter = (*List)[std::size_t(FilterIndex - 2)];
    TQorQorFile* F = FCurrentPreview->QorFile();
    // A page file that has spilled to disk is saved into a temporary file, else into memory.
    String Temp;
    std::unique_ptr<TStream> Scratch;
    if (F->Stream() && F->Stream()->HasFile() && F->Stream()->Size() > 0) {
        Temp = QorGetTempFile("Qor");
        Scratch = std::make_unique<TFileStream>(Temp, fmCreate);
    } else {
        Scratch = std::make_unique<TMemoryStream>();
    }
    struct TCleanUp {
        std::unique_ptr<TStream>& Scratch;
        const String& Temp;
        ~TCleanUp()
        {
            try {
                Scratch->SetSize(0);
            } catch (...) {
            }
            Scratch.reset();
            if (!Temp.empty()) {
                std::error_code Ec;
                std::filesystem::remove(Temp, Ec);
            }
        }
    } CleanUp{Scratch, Temp};
    FCurrentPreview->SaveToStream(Scratch.get());
    Scratch->SetPosition(0);
    Filter->GenerateToFile(Scratch.get(), FileName, FCurrentPreview->Page());
}

// ---- printing -------------------------------------------------------------------------------------

void TQorViewer::PrintPages(bool WithDialog)
{
    TQorPrinterSetup Copy;
    Copy.Assign(*FCurrentPreview->QorPrinterSetup());
    std::unique_ptr<TQorPrintDestination> Dialog;
    struct TDone {
        TQorViewer& Viewer;
        ~TDone()
        {
            Viewer.FViewerMode.Exclude(vmPrinting);
            Viewer.UpdateControls();
        }
    } Done{*this};
    Integer StartPage = 0, EndPage = 0;
    if (WithDialog) {
        Dialog.reset(new TQorPrintDestination(nullptr));
        Dialog->Viewer = this;
        Dialog->Preview = FCurrentPreview;
        Dialog->QorPrinterSetup = FCurrentPreview->QorPrinterSetup();
        FCurrentPreview->QorPrinterSetup()->SetDataReset();
        if (Dialog->ShowModal() != mrOk)
            return;
        StartPage = Dialog->StartPage;
        EndPage = Dialog->EndPage;
        FCurrentPreview->SetIgnorePrinterSettings(!Copy.IsEqual(*FCurrentPreview->QorPrinterSetup()));
    } else {
        FCurrentPreview->SetIgnorePrinterSettings(false);
    }
    FViewerMode.Include(vmPrinting);
    UpdateControls();
    std::unique_ptr<TQorPreviewStatus> Status(new TQorPreviewStatus(nullptr));
    Status->Preview = FCurrentPreview;
    Status->Show();
    TQorPreviewStatus* S = Status.get();
    FCurrentPreview->PrintStatus = [S](TObject* Sender) { S->UpdateStatus(Sender); };
    const TJobDelivery Before = Printer()->LastDelivery();
    FCurrentPreview->SendPagesToPrinter(StartPage, EndPage);
    Status.reset();
    // Where the pages went, for whoever is there to read it.
    const TJobDelivery& After = Printer()->LastDelivery();
    if (After == Before || !DialogService().CanAnswer())
        return;
    if (!After.Queue.empty())
        ShowMessage("The pages were sent to the print queue " + After.Queue + " as job " + std::to_string(After.JobId) +
                    ".");
    else if (!After.File.empty())
        ShowMessage("The pages were written to " + After.File);
}

void TQorViewer::sendprinterClick(TObject*) { PrintPages(true); }

void TQorViewer::sendprinterMouseDown(TObject*, TMouseButton Button, TShiftState, Integer, Integer)
{
    if (Button == mbRight)
        PrintPages(false);
}

void TQorViewer::PrintSetup1Click(TObject*)
{
    FCurrentPreview->QorPrinterSetup()->SetDataReset();
    PrinterSetup->Execute();
    FCurrentPreview->QorPrinterSetup()->GetData();
}

// ---- stopping and closing -------------------------------------------------------------------------

void TQorViewer::AskAbort()
{
    if (FGenerating && OnAbort) {
        try {
            OnAbort(this);
        } catch (...) {
            Application()->HandleException(this);
        }
    }
    OnAbort = nullptr;
    SetGenerating(false);
}

void TQorViewer::StopClick(TObject*) { AskAbort(); }

void TQorViewer::btnCloseClick(TObject*) { Close(); }

void TQorViewer::FormCloseQuery(TObject*, bool& CanClose) { CanClose = !FViewerMode.Contains(vmPrinting); }

void TQorViewer::FormClose(TObject*, TCloseAction& Action)
{
    AskAbort();
    // A modal viewer is freed by whoever showed it; a modeless one frees itself.
    Action = Modal() ? caHide : caFree;
}

void TQorViewer::FormDestroy(TObject*)
{
    // A preview that only shows its page file (the other preview's, or the one a report is still
    // making) lets go of it first; the holders free theirs.
    for (TQorPreview* P : {LeftPreview, RightPreview})
        if (!P->Filer()->HoldsQorFile())
            P->Filer()->TakeQorFile();
    if (FOutput)
        std::exchange(FOutput, nullptr)->ViewerGone(this);
}

void QorFileView(const String& FileName)
{
    std::unique_ptr<TQorViewer> Viewer(new TQorViewer(nullptr));
    Viewer->SetWindowState(wsMaximized);
    Viewer->LeftPreview->LoadFromFile(FileName);
    Viewer->UpdatePage();
    Viewer->ShowModal();
}

} // namespace qor
