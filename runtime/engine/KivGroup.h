#pragma once
// The group: breaks the detail records of a group page into runs that share the text of one
// variable. It owns a header band and a footer band, each with a level of its own, and tells the
// page after every record whether the run has ended. It occupies no space on the page.

#include "platform/rtl/Events.h"
#include "platform/ui/Controls.h"
#include "runtime/engine/KivDeleteGuard.h"
#include "runtime/engine/KivPageIntf.h"

namespace qor {

class TKivBand;
class TKivLevel;
class TKivVar;

class TKivGroup : public TControl {
    QOR_CLASS(TKivGroup, TControl)
public:
    explicit TKivGroup(TComponent* AOwner);
    ~TKivGroup() override;

    // ---- Properties ------------------------------------------------------------------------
    // The value that defines the group; published.
    TKivVar* Variable() const { return FVariable; }
    void SetVariable(TKivVar* Value);
    // The header and footer bands; stored in form files so a loaded group finds its bands again.
    TKivBand* Header() const { return FHeader; }
    void SetHeader(TKivBand* Value) { SetBand(FHeader, Value); }
    TKivBand* Footer() const { return FFooter; }
    void SetFooter(TKivBand* Value) { SetBand(FFooter, Value); }
    bool ShowHead() const { return FShowHead; }
    void SetShowHead(bool Value) { FShowHead = Value; }
    bool ShowFoot() const { return FShowFoot; }
    void SetShowFoot(bool Value) { FShowFoot = Value; }
    // The result of the last test; an OnCheckBroken handler may set it.
    bool Broken() const { return FBroken; }
    void SetBroken(bool Value) { FBroken = Value; }
    // The group's position among the page's groups (0: outermost).
    Integer Level() const { return FLevel; }
    // Stores the position and names the group "Group: <Pos>".
    virtual void SetLevel(Integer Pos);
    // Stores the position only (the page's ordering of its groups).
    void SetLevelDirect(Integer Pos) { FLevel = Pos; }
    const String& GroupName() const { return FGroupName; }
    virtual void SetGroupName(const String& Value) { FGroupName = Value; }
    // The group page; null when unparented.
    TWinControl* Page() const { return Parent(); }

    // ---- Breaking and printing -------------------------------------------------------------
    // Whether the run ended: the variable's current and previous values differ as text (exactly,
    // case included), then OnCheckBroken may decide otherwise. A handler's exception is shown
    // and the test goes on.
    bool CheckBroken();
    bool IsBroken() { return CheckBroken(); }
    // The header band's print (when ShowHead); the group is no longer broken afterwards.
    void PrintHead(TComponent* oPage);
    // The footer band's print (when ShowFoot).
    void PrintFoot(TComponent* oPage);

    // ---- Bands -----------------------------------------------------------------------------
    // Creates the header and footer bands on BandParent, each with a level of its own, named
    // and titled after the group.
    void AddBands(TWinControl* BandParent);
    // Deletes the header and the footer band together with their levels.
    void DeleteBands();

    // ---- Page and deletion -----------------------------------------------------------------
    // Deletion as the page manager does it: a refusal leaves the group and is swallowed.
    void SafeDelete();
    // The group may be deleted: at run time, through SafeDelete, while being destroyed, without a
    // parent, or as an inherited component.
    bool AllowDelete() const;
    bool OkDelete() const { return AllowDelete(); }
    // Refuses, at design time, a deletion AllowDelete does not allow.
    void BeforeDestruction() override;

    // Renaming titles the bands "<Name> Header" and "<Name> Footer".
    void SetName(const String& NewName) override;
    // Only a group page is accepted as parent; anything else is refused with a silent abort.
    void SetParent(TWinControl* AParent) override;
    // A group takes no room: its bounds stay 0, 0, 0, 0.
    void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
    // "Level" is always written.
    void DefineProperties(TFiler& Filer) override;

    TNotifyEvent OnCheckBroken;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    // Sets the band names from the group's name.
    void TitleBands();
    // A new band on BandParent named after Text, with a level of its own.
    TKivBand* NewBand(TWinControl* BandParent, const String& Text, bool IsHeader);
    // Unparents and frees Band's level, then unparents and deletes Band.
    static void DeleteBand(TKivBand* Band);
    void SetBand(TKivBand*& Field, TKivBand* Value);
    void UpdatePageManager();

    TKivVar* FVariable = nullptr;
    TKivBand* FHeader = nullptr;
    TKivBand* FFooter = nullptr;
    bool FShowHead = true;
    bool FShowFoot = true;
    bool FBroken = false;
    Integer FLevel = 0;
    String FGroupName;
    TKivDeleteGuard FDeleteGuard{true};
};

} // namespace qor
