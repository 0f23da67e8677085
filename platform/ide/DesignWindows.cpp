#include "platform/ide/DesignWindows.h"

#include "platform/db/CsvDataSet.h"
#include "platform/db/DataSource.h"
#include "platform/db/MemoryDataSet.h"
#include "platform/db/SqlDataSet.h"
#include "platform/graphics/Bitmap.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Resources.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Render.h"

#include <filesystem>

namespace qor {

QOR_PUBLISH(TObjectInspector) {}
QOR_PUBLISH(TInspectorGrid) {}
QOR_PUBLISH(TComponentList) {}
QOR_PUBLISH(TDesignMainWindow) {}

namespace {

const char* const FormFilter = "Form files (*.qfm)|*.qfm|All files (*)|*";

template <class T>
T* Make(TWinControl* Parent, const char* Name)
{
    auto* c = new T(Parent);
    c->SetName(Name);
    c->SetParent(Parent);
    return c;
}

String CaptionOf(TComponent* C) { return C->Name() + ": " + C->ClassName(); }

} // namespace

// ---- Inspector -------------------------------------------------------------------------------

TObjectInspector::TObjectInspector(TComponent* AOwner, TDesignHost* AHost) : TForm(AOwner), FHost(AHost)
{
    SetName("ObjectInspector");
    SetCaption("Object Inspector");
    SetBounds(0, 120, 300, 560);
    FComponentBox = Make<TComboBox>(this, "ComponentBox");
    FComponentBox->SetStyle(csDropDownList);
    FComponentBox->SetBounds(4, 4, 292, 22);
    FComponentBox->OnChange = [this](TObject*) {
        if (FFilling)
            return;
        const Integer i = FComponentBox->ItemIndex();
        if (i >= 0 && FHost->Root())
            FHost->SelectComponent(FHost->GetComponent(FComponentBox->Items()->Strings(i).substr(
                0, FComponentBox->Items()->Strings(i).find(':'))));
    };
    FPropertiesTab = Make<TSpeedButton>(this, "PropertiesTab");
    FPropertiesTab->SetCaption("Properties");
    FPropertiesTab->SetBounds(4, 30, 90, 22);
    FPropertiesTab->SetGroupIndex(1);
    FPropertiesTab->SetDown(true);
    FPropertiesTab->OnClick = [this](TObject*) { SetShowEvents(false); };
    FEventsTab = Make<TSpeedButton>(this, "EventsTab");
    FEventsTab->SetCaption("Events");
    FEventsTab->SetBounds(94, 30, 90, 22);
    FEventsTab->SetGroupIndex(1);
    FEventsTab->OnClick = [this](TObject*) { SetShowEvents(true); };
    FScroll = Make<TScrollBox>(this, "Rows");
    FScroll->SetBounds(4, 56, 292, 476);
    FGrid = new TInspectorGrid(this, this);
    FGrid->SetName("Grid");
    FGrid->SetParent(FScroll);
    FGrid->SetBounds(0, 0, 270, RowHeight);
    FEdit = Make<TEdit>(FGrid, "ValueEdit");
    FEdit->SetVisible(false);
    FEdit->OnKeyDown = [this](TObject*, Word& Key, TShiftState) {
        if (Key == VK_RETURN) {
            CommitEdit();
            Key = 0;
        } else if (Key == VK_ESCAPE) {
            PlaceEditors();
            Key = 0;
        }
    };
    FValueBox = Make<TComboBox>(FGrid, "ValueBox");
    FValueBox->SetVisible(false);
    FValueBox->OnChange = [this](TObject*) {
        if (!FFilling)
            CommitEdit();
    };
    FValueBox->OnKeyDown = FEdit->OnKeyDown;
    FDialogButton = Make<TButton>(FGrid, "DialogButton");
    FDialogButton->SetCaption("...");
    FDialogButton->SetVisible(false);
    FDialogButton->OnClick = [this](TObject*) {
        if (FCurrent >= 0)
            EditValue(FRows[static_cast<size_t>(FCurrent)].Editor->Path());
    };
}

TObjectInspector::~TObjectInspector() = default;

void TObjectInspector::SetShowEvents(bool Value)
{
    FShowEvents = Value;
    FEventsTab->SetDown(Value);
    FPropertiesTab->SetDown(!Value);
    FCurrent = -1;
    Refresh();
}

void TObjectInspector::FillComponentBox()
{
    FFilling = true;
    FComponentBox->Items()->Clear();
    TComponent* root = FHost->Root();
    Integer index = -1;
    if (root) {
        const auto& sel = FHost->Selection();
        auto add = [&](TComponent* C) {
            if (!sel.empty() && sel.front() == C)
                index = FComponentBox->Items()->Count();
            FComponentBox->Items()->Add(CaptionOf(C));
        };
        add(root);
        for (Integer i = 0; i < root->ComponentCount(); ++i)
            if (!root->Components(i)->Name().empty())
                add(root->Components(i));
    }
    FComponentBox->SetItemIndex(index);
    FFilling = false;
}

void TObjectInspector::AddRows(std::unique_ptr<TPropertyEditor> Editor, Integer Depth)
{
    TRow row;
    row.Depth = Depth;
    row.Expandable = Editor->GetAttributes().Contains(paSubProperties);
    row.Expanded = row.Expandable && FExpanded.count(Editor->Path()) > 0;
    try {
        row.Value = Editor->GetValue();
    } catch (const Exception& e) {
        row.Value = "(" + e.Message() + ")";
    }
    TPropertyEditor* editor = Editor.get();
    row.Editor = std::move(Editor);
    const bool open = row.Expanded;
    FRows.push_back(std::move(row));
    if (open && Depth < 8)
        editor->GetProperties([&](std::unique_ptr<TPropertyEditor> Sub) {
            if (Sub)
                AddRows(std::move(Sub), Depth + 1);
        });
}

void TObjectInspector::Refresh()
{
    const String current = FCurrent >= 0 && FCurrent < RowCount() ? FRows[static_cast<size_t>(FCurrent)].Editor->Path() : String();
    FRows.clear();
    FillComponentBox();
    std::vector<TObject*> objects;
    for (TPersistent* p : FHost->Selection())
        objects.push_back(p);
    if (!objects.empty()) {
        // the properties every selected object has, in the first one's order
        for (const TPropInfo* p : objects[0]->ClassType()->AllProperties()) {
            if ((p->Kind == TPropKind::Method) != FShowEvents)
                continue;
            if (SameText(p->Name, "Name") && objects.size() > 1)
                continue;
            bool shared = true;
            for (TObject* o : objects)
                shared = shared && o->ClassType()->FindProperty(p->Name) == p;
            if (shared)
                AddRows(MakePropertyEditor(FHost, objects, p, p->Name), 0);
        }
    }
    FCurrent = current.empty() ? -1 : FindRow(current);
    // the rows start at the top of the box's content, wherever it is scrolled to; fewer rows than
    // before may end above the old position, which then moves up
    TControlScrollBar* bar = FScroll->VertScrollBar();
    FGrid->SetBounds(0, -bar->Position(), FScroll->ClientWidth(), std::max<Integer>(RowHeight, RowCount() * RowHeight));
    bar->SetPosition(bar->Position());
    PlaceEditors();
    FGrid->Invalidate();
}

Integer TObjectInspector::FindRow(const String& Path) const
{
    for (Integer i = 0; i < RowCount(); ++i)
        if (SameText(FRows[static_cast<size_t>(i)].Editor->Path(), Path))
            return i;
    return -1;
}

bool TObjectInspector::Guarded(const std::function<void()>& Step)
{
    try {
        Step();
        return true;
    } catch (const EAbort&) {
    } catch (const Exception& e) {
        Application()->ShowException(e);
    } catch (const std::exception& e) {
        Application()->ShowException(Exception(e.what()));
    }
    Refresh(); // the old value again
    return false;
}

bool TObjectInspector::SetValue(const String& Path, const String& Value)
{
    const Integer row = FindRow(Path);
    if (row < 0)
        return false;
    TPropertyEditor* editor = FRows[static_cast<size_t>(row)].Editor.get();
    if (editor->GetAttributes().Contains(paReadOnly))
        return false;
    if (!Guarded([&] { editor->SetValue(Value); }))
        return false;
    Refresh();
    return true;
}

void TObjectInspector::EditValue(const String& Path)
{
    const Integer row = FindRow(Path);
    if (row >= 0 && Guarded([&] { FRows[static_cast<size_t>(row)].Editor->Edit(); }))
        Refresh();
}

void TObjectInspector::Toggle(const String& Path)
{
    const Integer row = FindRow(Path);
    if (row < 0 || !FRows[static_cast<size_t>(row)].Expandable)
        return;
    if (!FExpanded.erase(Path))
        FExpanded.insert(Path);
    Refresh();
}

void TObjectInspector::SetCurrentRow(Integer Index)
{
    FCurrent = Index >= 0 && Index < RowCount() ? Index : -1;
    PlaceEditors();
    FGrid->Invalidate();
}

void TObjectInspector::PlaceEditors()
{
    FEdit->SetVisible(false);
    FValueBox->SetVisible(false);
    FDialogButton->SetVisible(false);
    if (FCurrent < 0)
        return;
    TRow& row = FRows[static_cast<size_t>(FCurrent)];
    const TPropertyAttributes a = row.Editor->GetAttributes();
    const Integer top = FCurrent * RowHeight;
    Integer width = FGrid->Width() - NameWidth;
    if (a.Contains(paDialog)) {
        FDialogButton->SetBounds(FGrid->Width() - RowHeight, top, RowHeight, RowHeight);
        FDialogButton->SetVisible(true);
        width -= RowHeight;
    }
    if (a.Contains(paReadOnly))
        return;
    FFilling = true;
    if (a.Contains(paValueList)) {
        FValueBox->Items()->Clear();
        Guarded([&] { row.Editor->GetValues([&](const String& V) { FValueBox->Items()->Add(V); }); });
        FValueBox->Items()->Add(String()); // (nothing) for references and events
        FValueBox->SetItemIndex(FValueBox->Items()->IndexOf(row.Value));
        FValueBox->SetText(row.Value);
        FValueBox->SetBounds(NameWidth, top, width, RowHeight);
        FValueBox->SetVisible(true);
    } else {
        FEdit->SetText(row.Value);
        FEdit->SetBounds(NameWidth, top, width, RowHeight);
        FEdit->SetVisible(true);
    }
    FFilling = false;
}

void TObjectInspector::CommitEdit()
{
    if (FCurrent < 0)
        return;
    const String path = FRows[static_cast<size_t>(FCurrent)].Editor->Path();
    // the box's text is the item picked, or what was typed over it
    SetValue(path, FEdit->Visible() ? FEdit->Text() : FValueBox->Text());
}

TInspectorGrid::TInspectorGrid(TComponent* AOwner, TObjectInspector* AInspector)
    : TCustomControl(AOwner), FInspector(AInspector)
{
    SetColor(clWindow);
}

void TInspectorGrid::Paint()
{
    TCanvas* c = Canvas();
    const Integer h = TObjectInspector::RowHeight, nameWidth = TObjectInspector::NameWidth;
    c->Brush()->SetColor(clWindow);
    c->FillRect(ClientRect());
    for (Integer i = 0; i < FInspector->RowCount(); ++i) {
        const auto& row = FInspector->Row(i);
        const Integer top = i * h;
        const bool current = i == FInspector->CurrentRow();
        c->Brush()->SetColor(current ? clHighlight : clWindow);
        c->FillRect(Rect(0, top, nameWidth, top + h));
        c->Font()->SetColor(current ? clHighlightText : clWindowText);
        const Integer indent = 4 + row.Depth * 10;
        c->Brush()->SetStyle(bsClear);
        if (row.Expandable) {
            c->Pen()->SetColor(clGray);
            c->Rectangle(indent, top + 5, indent + 9, top + 14);
            c->MoveTo(indent + 2, top + 9);
            c->LineTo(indent + 7, top + 9);
            if (!row.Expanded) {
                c->MoveTo(indent + 4, top + 7);
                c->LineTo(indent + 4, top + 12);
            }
        }
        c->TextOut(indent + 12, top + 2, row.Editor->GetName());
        c->Font()->SetColor(row.Expandable ? clNavy : clWindowText);
        c->TextOut(nameWidth + 3, top + 2, row.Value);
        c->Brush()->SetStyle(bsSolid);
        c->Pen()->SetColor(clBtnFace);
        c->MoveTo(0, top + h - 1);
        c->LineTo(Width(), top + h - 1);
    }
    c->Pen()->SetColor(clGray);
    c->MoveTo(nameWidth - 1, 0);
    c->LineTo(nameWidth - 1, Height());
}

void TInspectorGrid::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    const Integer i = Y / TObjectInspector::RowHeight;
    if (i < 0 || i >= FInspector->RowCount())
        return;
    const auto& row = FInspector->Row(i);
    const Integer indent = 4 + row.Depth * 10;
    if (row.Expandable && X >= indent && X < indent + 10) {
        FInspector->Toggle(row.Editor->Path());
        return;
    }
    FInspector->SetCurrentRow(i);
}

// ---- Component list --------------------------------------------------------------------------

TComponentList::TComponentList(TComponent* AOwner, TDesignHost* AHost) : TForm(AOwner), FHost(AHost)
{
    SetName("ComponentList");
    SetCaption("Components");
    SetBounds(310, 120, 240, 400);
    FList = Make<TListBox>(this, "List");
    FList->SetAlign(alClient);
    FList->OnClick = [this](TObject*) {
        if (FFilling)
            return;
        if (TComponent* c = ComponentAt(FList->ItemIndex()))
            FHost->SelectComponent(c);
    };
}

void TComponentList::Refresh()
{
    FFilling = true;
    FList->Clear();
    FComponents.clear();
    if (TComponent* root = FHost->Root()) {
        FComponents.push_back(root);
        for (Integer i = 0; i < root->ComponentCount(); ++i)
            FComponents.push_back(root->Components(i));
    }
    Integer index = -1;
    const auto& sel = FHost->Selection();
    for (size_t i = 0; i < FComponents.size(); ++i) {
        FList->Items()->Add(CaptionOf(FComponents[i]));
        if (!sel.empty() && sel.front() == FComponents[i])
            index = static_cast<Integer>(i);
    }
    FList->SetItemIndex(index);
    FFilling = false;
}

TComponent* TComponentList::ComponentAt(Integer Index) const
{
    if (Index < 0 || Index >= static_cast<Integer>(FComponents.size()))
        return nullptr;
    // a row may outlive its component (freed by a designer window since the list was filled)
    TComponent* c = FComponents[static_cast<size_t>(Index)];
    TComponent* root = FHost->Root();
    if (c == root)
        return c;
    for (Integer i = 0; root && i < root->ComponentCount(); ++i)
        if (root->Components(i) == c)
            return c;
    return nullptr;
}

// ---- Main window -----------------------------------------------------------------------------

TDesignMainWindow::TDesignMainWindow(TComponent* AOwner) : TForm(AOwner)
{
    SetName("DesignMainWindow");
    SetCaption("qor design");
    SetBounds(0, 0, 760, 110);
    FMenu = new TMainMenu(this);
    FMenu->SetName("Menu");
    SetMenu(FMenu);
    FPageBox = Make<TComboBox>(this, "PageBox");
    FPageBox->SetStyle(csDropDownList);
    FPageBox->SetBounds(4, 4, 140, 22);
    FPageBox->OnChange = [this](TObject*) {
        const Integer i = FPageBox->ItemIndex();
        if (i >= 0)
            ShowPage(FPageBox->Items()->Strings(i));
    };
    FPalette = Make<TPanel>(this, "Palette");
    FPalette->SetBounds(150, 2, 604, 36);
    FPalette->SetCaption("");
    FStatus = Make<TLabel>(this, "Status");
    FStatus->SetBounds(4, 44, 750, 16);
    FStatus->SetCaption("");
    for (const String& page : PalettePages())
        FPageBox->Items()->Add(page);
    if (FPageBox->Items()->Count() > 0) {
        FPageBox->SetItemIndex(0);
        ShowPage(FPageBox->Items()->Strings(0));
    }
}

void TDesignMainWindow::ShowPage(const String& Page)
{
    for (TSpeedButton* b : FButtons)
        delete b;
    FButtons.clear();
    auto add = [&](TClass Class, Integer Left) {
        auto* b = new TSpeedButton(this);
        b->SetParent(FPalette);
        b->SetBounds(Left, 2, 32, 32);
        b->SetGroupIndex(1);
        b->SetShowHint(true);
        b->SetFlat(true);
        if (!Class) {
            b->SetName("PaletteArrow");
            b->SetHint("Select");
            b->SetCaption("^");
            b->SetDown(true);
        } else {
            b->SetName("Palette" + Class->Name);
            b->SetHint(Class->Name);
            // the palette bitmap named after the class, else a short caption
            if (auto data = FindResource("bitmaps/" + UpperCase(Class->Name) + ".bmp")) {
                TMemoryStream s;
                s.WriteBuffer(data->data(), static_cast<Int64>(data->size()));
                s.SetPosition(0);
                b->Glyph()->LoadFromStream(&s);
            } else {
                b->SetCaption(Class->Name.substr(Class->Name.size() > 1 ? 1 : 0));
                b->SetWidth(std::max<Integer>(32, b->Canvas()->TextWidth(b->Caption()) + 10));
            }
        }
        b->OnClick = [this, Class](TObject*) {
            if (OnPaletteClick)
                OnPaletteClick(Class);
        };
        FButtons.push_back(b);
    };
    add(nullptr, 2);
    Integer left = 38;
    for (TClass c : PaletteClasses(Page)) {
        add(c, left);
        left += FButtons.back()->Width() + 1;
    }
}

TMenuItem* TDesignMainWindow::FindMenuItem(const String& Menu, const String& Item) const
{
    TMenuItem* top = FMenu->Items()->Find(Menu);
    return top ? top->Find(Item) : nullptr;
}

void TDesignMainWindow::SetStatus(const String& Text) { FStatus->SetCaption(Text); }

// ---- The environment -------------------------------------------------------------------------

TDesignEnvironment::TDesignEnvironment() : FHost(std::make_unique<TDesignHost>())
{
    RegisterHostComponents();
    RegisterPackages();
    FMain = new TDesignMainWindow(nullptr);
    FInspector = new TObjectInspector(nullptr, FHost.get());
    FList = new TComponentList(nullptr, FHost.get());
    FMain->OnPaletteClick = [this](TClass C) { FHost->SetPlacing(C); };
    FHost->OnModified = [this] { Refresh(); };
    FHost->OnSelectionChanged = [this] { Refresh(); };
    FHost->OnFormChanged = [this] { Refresh(); };
    BuildMenus();
    Refresh();
}

TDesignEnvironment::~TDesignEnvironment()
{
    FHost->OnModified = nullptr;
    FHost->OnSelectionChanged = nullptr;
    FHost->OnFormChanged = nullptr;
    FHost->CloseForm(); // the designed form goes before the windows and the application
    delete FList;
    delete FInspector;
    delete FMain;
}

void TDesignEnvironment::Refresh()
{
    FInspector->Refresh();
    FList->Refresh();
    String status = FHost->FileName().empty() ? String("(no form)") : FHost->FileName();
    if (FHost->IsDirty())
        status += "  (modified)";
    if (TClass c = FHost->Placing())
        status += "  placing " + c->Name;
    FMain->SetStatus(status);
    if (auto* palette = FMain->PaletteButtons().empty() ? nullptr : FMain->PaletteButtons().front())
        if (!FHost->Placing())
            palette->SetDown(true);
}

void TDesignEnvironment::Open(const String& FileName)
{
    FHost->Open(FileName);
    Refresh();
}

void TDesignEnvironment::New(const String& FileName)
{
    FHost->New(FileName);
    Refresh();
}

bool TDesignEnvironment::CanDropChanges()
{
    if (!FHost->Root() || !FHost->IsDirty())
        return true;
    const Integer answer = Application()->MessageBox("Save changes to " + ExtractFileName(FHost->FileName()) + "?",
                                                     "qor design", MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDCANCEL)
        return false;
    if (answer == IDYES)
        return CommandSave();
    return true;
}

bool TDesignEnvironment::CommandOpen()
{
    if (!CanDropChanges())
        return false;
    TOpenDialog dialog(nullptr);
    dialog.SetTitle("Open Form");
    dialog.SetFilter(FormFilter);
    if (!dialog.Execute())
        return false;
    try {
        Open(dialog.FileName());
        FHost->ShowForm();
        return true;
    } catch (const Exception& e) {
        Application()->ShowException(e); // the form designed so far stays
        return false;
    }
}

bool TDesignEnvironment::CommandSave()
{
    if (FHost->FileName().empty())
        return CommandSaveAs();
    try {
        FHost->Save();
        return true;
    } catch (const Exception& e) {
        Application()->ShowException(e);
        return false;
    }
}

bool TDesignEnvironment::CommandSaveAs()
{
    if (!FHost->Root())
        return false;
    TSaveDialog dialog(nullptr);
    dialog.SetTitle("Save Form As");
    dialog.SetFilter(FormFilter);
    dialog.SetFileName(FHost->FileName());
    if (!dialog.Execute())
        return false;
    try {
        FHost->SaveAs(dialog.FileName());
        return true;
    } catch (const Exception& e) {
        Application()->ShowException(e);
        return false;
    }
}

void TDesignEnvironment::BuildMenus()
{
    TMenuItem* root = FMain->MainMenu()->Items();
    auto menu = [&](const char* Caption) {
        auto* m = new TMenuItem(FMain);
        m->SetCaption(Caption);
        root->Add(m);
        return m;
    };
    auto item = [&](TMenuItem* Menu, const char* Caption, std::function<void()> Action) {
        auto* i = new TMenuItem(FMain);
        i->SetCaption(Caption);
        i->OnClick = [Action = std::move(Action)](TObject*) { Action(); };
        Menu->Add(i);
    };
    TMenuItem* file = menu("File");
    item(file, "New", [this] {
        if (CanDropChanges()) {
            New("Unit1.qfm");
            FHost->ShowForm();
        }
    });
    item(file, "Open...", [this] { CommandOpen(); });
    item(file, "Save", [this] { CommandSave(); });
    item(file, "Save As...", [this] { CommandSaveAs(); });
    item(file, "Exit", [this] {
        if (CanDropChanges()) {
            FHost->CloseForm();
            Application()->Terminate();
        }
    });
    TMenuItem* edit = menu("Edit");
    item(edit, "Cut", [this] { FHost->CutSelection(); });
    item(edit, "Copy", [this] { FHost->CopySelection(); });
    item(edit, "Paste", [this] { FHost->PasteSelection(); });
    item(edit, "Delete", [this] { FHost->DeleteSelection(); });
    TMenuItem* view = menu("View");
    item(view, "Object Inspector", [this] { FInspector->Show(); });
    item(view, "Component List", [this] { FList->Show(); });
    item(view, "Form", [this] { FHost->ShowForm(); });
    TMenuItem* run = menu("Run");
    item(run, "Run", [this] {
        if (OnRun && FHost->Root()) {
            try {
                OnRun(FHost->Root());
            } catch (const EAbort&) {
            } catch (const Exception& e) {
                Application()->ShowException(e);
            }
        }
    });
    FMain->OnCloseQuery = [this](TObject*, bool& CanClose) { CanClose = CanDropChanges(); };
}

void TDesignEnvironment::ShowAll()
{
    FMain->Show();
    FInspector->Show();
    FList->Show();
    FHost->ShowForm();
}

std::vector<String> TDesignEnvironment::RenderPictures(const String& Folder)
{
    std::filesystem::create_directories(Folder);
    const String dir = IncludeTrailingPathDelimiter(Folder);
    std::vector<String> files = {dir + "designer.png", dir + "inspector.png", dir + "form.png"};
    RenderToPng(FMain, files[0]);
    RenderToPng(FInspector, files[1]);
    if (TCustomForm* form = FHost->Form()) {
        FHost->ShowForm();
        RenderToPng(form, files[2]);
    } else {
        files.pop_back();
    }
    return files;
}

// ---- The host's own palette page -------------------------------------------------------------

namespace {

void RegisterDataPage()
{
    RegisterComponents("Data", {TDataSource::StaticClass(), TMemoryDataSet::StaticClass(), TCsvDataSet::StaticClass(),
                                TDatabase::StaticClass(), TQuery::StaticClass()});
}

} // namespace

void RegisterHostComponents() { RegisterPackage("qorhost", &RegisterDataPage); }

} // namespace qor
