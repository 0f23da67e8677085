#include "designer/QorAlign.h"

#include "platform/ide/DesignIntf.h"
#include "platform/ui/Forms.h"
#include "runtime/engine/KivCtrl.h"
#include "runtime/engine/KivPage.h"

#include <algorithm>
#include <vector>

namespace qor {

void QorAlignLabel(TKivPage* Page, Integer Mode)
{
    auto* form = Page ? dynamic_cast<TCustomForm*>(Page->Owner()) : nullptr;
    auto* designer = form ? dynamic_cast<IDesigner*>(form->Designer()) : nullptr;
    if (!designer)
        return;
    auto selection = CreateSelectionList();
    designer->GetSelections(*selection);
    std::vector<TKivLabel*> labels;
    for (TPersistent* p : selection->List()) {
        auto* l = dynamic_cast<TKivLabel*>(p);
        if (l && l->Parent() && l->Parent()->Parent() == Page)
            labels.push_back(l);
    }
    constexpr Integer Unset = -12345;
    Integer reference = Unset;
    if (Mode == QorAlignPageCenter && !labels.empty()) {
        const Integer half = Page->PageWidth() / 2;
        Integer left = labels.front()->Left(), right = left + labels.front()->Width();
        for (TKivLabel* l : labels) {
            left = std::min(left, l->Left());
            right = std::max(right, l->Left() + l->Width());
        }
        reference = half - (right - left) / 2 - left;
    }
    for (TKivLabel* l : labels) {
        Integer offset = 0;
        switch (Mode) {
        case QorAlignCenter: offset = l->Width() / 2; break;
        case QorAlignRight: offset = l->Width(); break;
        case QorAlignPageCenter: offset = -l->Left(); break;
        default: break;
        }
        if (reference == Unset)
            reference = offset + l->Left();
        l->SetLeft(reference - offset);
    }
    designer->Modified();
}

} // namespace qor
