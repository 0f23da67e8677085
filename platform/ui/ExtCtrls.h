#pragma once
// A group box of radio buttons made from a list of captions.

#include "platform/ui/StdCtrls.h"

#include <vector>

namespace qor {

class TRadioGroup : public TGroupBox {
    QOR_CLASS(TRadioGroup, TGroupBox)
public:
    explicit TRadioGroup(TComponent* AOwner);
    ~TRadioGroup() override;

    // One radio button per item, laid out in Columns columns, top to bottom then across.
    TStringList* Items() const { return FItems.get(); }
    void SetItems(TStrings* Value);
    // The checked item, -1 for none; out of range raises EListError.
    Integer ItemIndex() const { return FItemIndex; }
    void SetItemIndex(Integer Value);
    Integer Columns() const { return FColumns; }
    void SetColumns(Integer Value);
    // The radio button of item Index (the group owns them; they are not streamed).
    TRadioButton* Buttons(Integer Index) const;

protected:
    void Resize() override;
    void Loaded() override;
    // A button that goes (freed on its own, or with the group) leaves the group's list.
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void UpdateButtons();
    void ArrangeButtons();
    void ButtonClick(TObject* Sender);

    std::unique_ptr<TStringList> FItems;
    std::vector<TRadioButton*> FButtons;
    Integer FItemIndex = -1;
    Integer FColumns = 1;
    bool FUpdating = false;
};

} // namespace qor
