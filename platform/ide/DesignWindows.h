#pragma once
// The design host's windows: the main window (menus File, Edit, View and Run, and the palette),
// the property inspector and the component list, around one TDesignHost. The form being designed
// is a window of its own.

#include "platform/ide/DesignHost.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

#include <memory>
#include <set>
#include <vector>

namespace qor {

class TInspectorGrid;
class TMainMenu;
class TMenuItem;

// The properties (or events) of the selected components, one row each: name, value, and a + or -
// before rows that open into sub-properties. A value is typed into an edit, chosen from a value
// box or set through a dialog ("..."); a refused value shows its message and the old one stays.
class TObjectInspector : public TForm {
    QOR_CLASS(TObjectInspector, TForm)
public:
    TObjectInspector(TComponent* AOwner, TDesignHost* AHost);
    ~TObjectInspector() override;

    struct TRow {
        std::unique_ptr<TPropertyEditor> Editor;
        Integer Depth = 0;
        bool Expandable = false;
        bool Expanded = false;
        String Value;
    };

    // The rows again, from the host's selection.
    void Refresh();
    bool ShowEvents() const { return FShowEvents; }
    void SetShowEvents(bool Value);
    Integer RowCount() const { return static_cast<Integer>(FRows.size()); }
    const TRow& Row(Integer Index) const { return FRows.at(static_cast<size_t>(Index)); }
    // The row of a dotted path ("Font.Name"), or -1.
    Integer FindRow(const String& Path) const;
    // Sets the row's value as typed or chosen. False when refused (the message was shown).
    bool SetValue(const String& Path, const String& Value);
    // The row's dialog ("...").
    void EditValue(const String& Path);
    // Opens or closes the row's sub-properties.
    void Toggle(const String& Path);
    // The row whose value the in-place editor shows (-1: none).
    Integer CurrentRow() const { return FCurrent; }
    void SetCurrentRow(Integer Index);

    TComboBox* ComponentBox() const { return FComponentBox; }
    TSpeedButton* PropertiesTab() const { return FPropertiesTab; }
    TSpeedButton* EventsTab() const { return FEventsTab; }
    TInspectorGrid* Grid() const { return FGrid; }
    TEdit* ValueEdit() const { return FEdit; }
    TComboBox* ValueBox() const { return FValueBox; }
    TButton* DialogButton() const { return FDialogButton; }

    static constexpr Integer RowHeight = 18;
    static constexpr Integer NameWidth = 130;

private:
    void AddRows(std::unique_ptr<TPropertyEditor> Editor, Integer Depth);
    void FillComponentBox();
    void PlaceEditors();
    void CommitEdit();
    bool Guarded(const std::function<void()>& Step);

    TDesignHost* FHost;
    bool FShowEvents = false;
    std::vector<TRow> FRows;
    std::set<String> FExpanded;
    Integer FCurrent = -1;
    bool FFilling = false;
    TComboBox* FComponentBox;
    TSpeedButton* FPropertiesTab;
    TSpeedButton* FEventsTab;
    TScrollBox* FScroll;
    TInspectorGrid* FGrid;
    TEdit* FEdit;
    TComboBox* FValueBox;
    TButton* FDialogButton;
};

// The rows of the inspector, painted.
class TInspectorGrid : public TCustomControl {
    QOR_CLASS(TInspectorGrid, TCustomControl)
public:
    TInspectorGrid(TComponent* AOwner, TObjectInspector* AInspector);

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
    TObjectInspector* FInspector;
};

// Every component of the form, those without a window too, as "Name: TClass"; choosing one
// selects it.
class TComponentList : public TForm {
    QOR_CLASS(TComponentList, TForm)
public:
    TComponentList(TComponent* AOwner, TDesignHost* AHost);
    void Refresh();
    TListBox* List() const { return FList; }
    // The component of a list row.
    TComponent* ComponentAt(Integer Index) const;

private:
    TDesignHost* FHost;
    TListBox* FList;
    std::vector<TComponent*> FComponents;
    bool FFilling = false;
};

// The main window: menus, the palette's page box and buttons (a hint each), a status line.
class TDesignMainWindow : public TForm {
    QOR_CLASS(TDesignMainWindow, TForm)
public:
    explicit TDesignMainWindow(TComponent* AOwner);
    TComboBox* PageBox() const { return FPageBox; }
    // The palette page shown: its buttons, after the arrow that goes back to selecting.
    void ShowPage(const String& Page);
    const std::vector<TSpeedButton*>& PaletteButtons() const { return FButtons; }
    TMenuItem* FindMenuItem(const String& Menu, const String& Item) const;
    void SetStatus(const String& Text);

    std::function<void(TClass)> OnPaletteClick; // null: the arrow
    TMainMenu* MainMenu() const { return FMenu; }

private:
    TMainMenu* FMenu;
    TComboBox* FPageBox;
    TPanel* FPalette;
    TLabel* FStatus;
    std::vector<TSpeedButton*> FButtons;
};

// The whole design host: one form being designed with the three windows around it, the menu
// commands, and the questions before unsaved changes are dropped.
class TDesignEnvironment {
public:
    TDesignEnvironment();
    // Frees the designed form first, then the windows.
    ~TDesignEnvironment();

    TDesignHost& Host() { return *FHost; }
    TDesignMainWindow* MainWindow() const { return FMain; }
    TObjectInspector* Inspector() const { return FInspector; }
    TComponentList* ComponentList() const { return FList; }

    // Opens a form file; a failure raises and the current form stays.
    void Open(const String& FileName);
    void New(const String& FileName);
    // The menu commands: questions and failures through message boxes. False when the user
    // cancelled or it failed.
    bool CommandOpen();
    bool CommandSave();
    bool CommandSaveAs();
    // Unsaved changes: "Save changes to ...?" Yes saves, No drops them, Cancel answers false.
    bool CanDropChanges();
    // Shows the windows and the form.
    void ShowAll();
    // Pictures of the main window, the inspector and the designed form: designer.png,
    // inspector.png and form.png in Folder (answers the three file names).
    std::vector<String> RenderPictures(const String& Folder);

    // Run > Run (the program that hosts the designer decides what running the form means).
    std::function<void(TComponent* Root)> OnRun;

private:
    void Refresh();
    void BuildMenus();

    std::unique_ptr<TDesignHost> FHost;
    TDesignMainWindow* FMain;
    TObjectInspector* FInspector;
    TComponentList* FList;
};

// The palette page of the host's own components: "Data".
void RegisterHostComponents();

} // namespace qor
