#include "platform/ui/ExtCtrls.h"

#include "platform/rtl/List.h"

#include <algorithm>

namespace qor {

QOR_PUBLISH(TRadioGroup)
{
    b.SubObject("Items", &TRadioGroup::Items);
    b.Property("ItemIndex", &TRadioGroup::ItemIndex, &TRadioGroup::SetItemIndex).Default(-1);
    b.Property("Columns", &TRadioGroup::Columns, &TRadioGroup::SetColumns).Default(1);
}

TRadioGroup::TRadioGroup(TComponent* AOwner) : TGroupBox(AOwner), FItems(std::make_unique<TStringList>())
{
    FItems->OnChange = [this](TObject*) {
        if (FItemIndex >= FItems->Count())
            FItemIndex = -1;
        UpdateButtons();
    };
}

TRadioGroup::~TRadioGroup()
{
    FItems->OnChange = nullptr;
    for (TRadioButton* b : FButtons)
        b->OnClick = nullptr;
}

void TRadioGroup::Notification(TComponent* AComponent, TOperation Operation)
{
    TGroupBox::Notification(AComponent, Operation);
    if (Operation == opRemove)
        std::erase_if(FButtons, [AComponent](TRadioButton* B) { return static_cast<TComponent*>(B) == AComponent; });
}

void TRadioGroup::SetItems(TStrings* Value) { FItems->Assign(Value); }

void TRadioGroup::SetItemIndex(Integer Value)
{
    if (ComponentState().Contains(csLoading)) {
        FItemIndex = Value; // the items may come later in the form file
        return;
    }
    if (Value < -1 || Value >= FItems->Count())
        ListIndexError(Value);
    FItemIndex = Value;
    FUpdating = true;
    for (size_t i = 0; i < FButtons.size(); ++i)
        FButtons[i]->SetChecked(static_cast<Integer>(i) == Value);
    FUpdating = false;
}

void TRadioGroup::SetColumns(Integer Value)
{
    FColumns = std::clamp(Value, 1, 16);
    ArrangeButtons();
}

TRadioButton* TRadioGroup::Buttons(Integer Index) const
{
    if (Index < 0 || Index >= static_cast<Integer>(FButtons.size()))
        ListIndexError(Index);
    return FButtons[static_cast<size_t>(Index)];
}

void TRadioGroup::UpdateButtons()
{
    const Integer count = FItems->Count();
    while (static_cast<Integer>(FButtons.size()) > count) {
        TRadioButton* b = FButtons.back();
        FButtons.pop_back();
        b->OnClick = nullptr;
        Free(b);
    }
    while (static_cast<Integer>(FButtons.size()) < count) {
        auto* b = Create<TRadioButton>(this);
        b->SetParent(this);
        b->OnClick = [this](TObject* Sender) { ButtonClick(Sender); };
        FButtons.push_back(b);
    }
    FUpdating = true;
    for (Integer i = 0; i < count; ++i) {
        FButtons[static_cast<size_t>(i)]->SetCaption(FItems->Get(i));
        FButtons[static_cast<size_t>(i)]->SetChecked(i == FItemIndex);
    }
    FUpdating = false;
    ArrangeButtons();
}

void TRadioGroup::ArrangeButtons()
{
    if (FButtons.empty())
        return;
    const TRect r = AlignRect();
    const Integer count = static_cast<Integer>(FButtons.size());
    const Integer rows = (count + FColumns - 1) / FColumns;
    const Integer colWidth = std::max(1, (r.Width() - 8) / FColumns);
    const Integer rowHeight = std::max(1, (r.Height() - 4) / std::max(1, rows));
    for (Integer i = 0; i < count; ++i) {
        const Integer col = i / rows, row = i % rows;
        FButtons[static_cast<size_t>(i)]->SetBounds(r.Left + 6 + col * colWidth,
                                                   r.Top + 2 + row * rowHeight + (rowHeight - 17) / 2,
                                                   colWidth - 4, 17);
    }
}

void TRadioGroup::ButtonClick(TObject* Sender)
{
    if (FUpdating)
        return;
    auto it = std::find(FButtons.begin(), FButtons.end(), Sender);
    if (it == FButtons.end())
        return;
    const Integer index = static_cast<Integer>(it - FButtons.begin());
    if (index == FItemIndex)
        return;
    SetItemIndex(index);
    Click();
}

void TRadioGroup::Resize()
{
    TGroupBox::Resize();
    ArrangeButtons();
}

void TRadioGroup::Loaded()
{
    TGroupBox::Loaded();
    if (FItemIndex >= FItems->Count())
        FItemIndex = -1;
    UpdateButtons();
}

} // namespace qor
