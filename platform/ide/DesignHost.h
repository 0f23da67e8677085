#pragma once
// The design host: one form being designed, its selection and what the mouse and keys do to it.
//
// The host attaches itself to the form as its designer before the form is read, so every
// component of it is made while the form is being designed (csDesigning). From then on the
// form's controls hand the host their mouse and key messages (IsDesignMsg):
// - a mouse-down selects (Shift adds or removes), a drag moves the selected controls within
//   their parents, eight grab handles around a selected control resize it; with a palette class
//   chosen, a click places a new component there instead;
// - the right button shows the component editor's verbs and "Delete"; a double click (also one
//   sent by code) runs the component editor before the message returns;
// - Delete, the arrows (Shift resizes), Escape (selects the parent) and Ctrl+C, Ctrl+X, Ctrl+V.
// Before each mouse message the control under the mouse hears CM_DESIGNHITTEST: a non-zero
// answer keeps the message for the control itself. Drag messages (CM_DRAG) and painting are
// never taken, and controls without an owner (tool buttons, caption strips, rulers, the grab
// handles) are never designed.

#include "platform/ide/DesignIntf.h"
#include "platform/ui/Forms.h"

#include <map>
#include <memory>
#include <vector>

namespace qor {

class TGrabHandle;
class TDesignWatcher;
class TPopupMenu;

class TDesignHost : public IDesigner, public TFormDesigner {
public:
    TDesignHost();
    // Frees the form being designed.
    ~TDesignHost() override;

    // ---- The form --------------------------------------------------------------------------
    // Reads a form file into a new root of the class it names, being designed, with relative file
    // names taken from the file's folder. On any failure (EFOpenError, EReadError with the line)
    // nothing changes: the form designed so far stays.
    void Open(const String& FileName);
    // A new empty form, to be saved as FileName.
    void New(const String& FileName);
    // Writes the form to its file: into a temporary file beside it, renamed over it when whole,
    // so a failed save leaves the old file as it was.
    void Save();
    void SaveAs(const String& FileName);
    // Frees the form (nothing is asked).
    void CloseForm();

    TComponent* Root() const { return FRoot.get(); }
    TCustomForm* Form() const;
    const String& FileName() const { return FFileName; }
    // Changed since it was read or saved.
    bool IsDirty() const { return FDirty; }
    // The form file's text as it would be saved.
    String FormText() const;
    // Shows the form's window (the form's stored Visible stays as it is).
    void ShowForm();

    // ---- Selection -------------------------------------------------------------------------
    const std::vector<TPersistent*>& Selection() const { return FSelection; }
    // The handles of the selected control Control (eight, or none).
    std::vector<TGrabHandle*> HandlesOf(const TControl* Control) const;

    // ---- Editing ---------------------------------------------------------------------------
    // The palette class the next click places (null: clicks select).
    void SetPlacing(TClass Class) { FPlacing = Class; }
    TClass Placing() const { return FPlacing; }
    // Makes a component of Class owned by the form and named after its class ("Label1"). A control
    // goes to Target, or when Target refuses it to Target's parents in turn, at At (Target's
    // client coordinates); when none accepts it nothing is placed and the answer is null.
    TComponent* Place(TClass Class, TControl* Target, const TPoint& At);
    // The class name without its T and the first number no component of the form has.
    String UniqueName(TClass Class) const;
    // Deletes the selection; a silent refusal (EAbort) says nothing, other refusals are shown.
    // False when something was refused.
    bool DeleteSelection();
    // The selection's form text to the clipboard.
    void CopySelection();
    void CutSelection();
    // The clipboard's components into the selected control (or its parent): nothing when no
    // parent accepts them.
    void PasteSelection();
    // What a double click does: the component editor's Edit.
    void EditComponent(TComponent* Component);
    // The menu of the last right click: the editor's verbs, then "Delete".
    TPopupMenu* ContextMenu() const { return FContextMenu; }

    // Told after Modified and after the selection changed, and after another form was opened.
    std::function<void()> OnModified;
    std::function<void()> OnSelectionChanged;
    std::function<void()> OnFormChanged;

    // ---- IDesigner -------------------------------------------------------------------------
    void SelectComponent(TPersistent* Instance) override;
    void SetSelections(const TDesignerSelections& List) override;
    void GetSelections(TDesignerSelections& List) override;
    void Modified() override;
    TComponent* GetRoot() override { return FRoot.get(); }
    void GetComponentNames(TClass Class, const TGetStrProc& Proc) override;
    TComponent* GetComponent(const String& Name) override;
    String GetComponentName(TComponent* Component) override;
    bool IsComponentLinkable(TComponent* Component) override;
    String GetMethodName(const TObject* Instance, const TPropInfo* Event) override;
    void Revert(TPersistent* Instance, const TPropInfo* Prop) override;

    // ---- TFormDesigner ---------------------------------------------------------------------
    bool IsDesignMsg(TControl* Sender, TMessage& Message) override;

private:
    friend class TGrabHandle;
    friend class TDesignWatcher;

    void Adopt(std::unique_ptr<TComponent> Root, const String& FileName);
    void SetSelection(std::vector<TPersistent*> List);
    void Forget(TComponent* Component);
    void UpdateHandles();
    bool IsDesigned(const TControl* Control) const;
    bool IsAlive(const TComponent* Component) const;
    // The designed control at P of Sender (its client coordinates), deepest first; P becomes that
    // control's client coordinates. Null when the point is on a control that is not designed.
    TControl* DesignedAt(TControl* Sender, TPoint& P) const;
    bool MouseMessage(TControl* Sender, TMessage& M);
    bool KeyMessage(Word Key);
    void MouseDown(TControl* Target, const TPoint& At, bool Shift);
    void DragTo(const TPoint& Screen);
    void NudgeSelection(Integer DX, Integer DY, bool Resize);
    void ShowContextMenu(TComponent* Target, const TPoint& Screen);
    std::vector<TComponent*> TopSelected() const;
    void Snapshot();

    // handles
    void BeginResize(TControl* Control, Integer Handle, const TPoint& Screen);
    void ResizeTo(const TPoint& Screen);
    void EndResize();

    std::unique_ptr<TComponent> FRoot;
    String FFileName;
    bool FDirty = false;
    bool FReading = false;
    std::vector<TPersistent*> FSelection;
    std::vector<TGrabHandle*> FHandles;
    std::unique_ptr<TDesignWatcher> FWatcher;
    TPopupMenu* FContextMenu = nullptr;
    TClass FPlacing = nullptr;
    // the values read for inherited components, by property path, for Revert
    std::map<const TPersistent*, std::map<String, String>> FAncestorValues;

    struct TDrag {
        bool Active = false;
        bool Moved = false;
        TPoint Start;                                  // screen
        std::vector<std::pair<TControl*, TRect>> From; // the controls and where they were
        Integer Handle = -1;                           // resizing by a handle, else moving
    } FDrag;
};

// One of the eight squares around a selected control: 0 top-left, then clockwise (1 top, 2
// top-right, 3 right, 4 bottom-right, 5 bottom, 6 bottom-left, 7 left). It sits on the form, above
// everything else, and drags resize the control.
class TGrabHandle : public TCustomControl {
    QOR_CLASS(TGrabHandle, TCustomControl)
public:
    TGrabHandle(TDesignHost* AHost, TControl* AControl, Integer AIndex);
    TControl* Control() const { return FControl; }
    Integer Index() const { return FIndex; }
    // Where the handle belongs around its control (form coordinates).
    void Place();
    static constexpr Integer Size = 6;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
    TDesignHost* FHost;
    TControl* FControl;
    Integer FIndex;
};

} // namespace qor
