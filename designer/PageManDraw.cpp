// The band and group manager's drawing: the band tree with its indents, colours and connector
// lines, the data-source column, and the three columns of the group list.

#include "designer/PAGEMAN.h"

#include "platform/db/DataSource.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Color.h"
#include "runtime/engine/KivBand.h"
#include "runtime/engine/KivBandKinds.h"
#include "runtime/engine/KivGroup.h"
#include "runtime/engine/KivPage.h"
#include "runtime/engine/KivVarBase.h"

#include <algorithm>
#include <cmath>

namespace qor {

namespace {

// Attached bands in a loop (a hand-edited file) must not hang a walk up the chain.
constexpr Integer MaxWalk = 1000;

bool Attached(const TKivBand* B)
{
    return B->Is<TKivSubBand>() || B->Is<TKivSubDataBand>() || B->Is<TKivDataHeadBand>();
}

class TTree {
public:
    TTree(const TKivPage* Page, const std::vector<TKivBand*>& Rows) : P(Page), R(Rows) {}

    Integer RowOf(const TKivBand* B) const
    {
        auto it = std::find(R.begin(), R.end(), B);
        return it == R.end() ? -1 : static_cast<Integer>(it - R.begin());
    }
    bool IsDetail(const TKivBand* B) const { return B && B == P->Detail(); }
    bool IsGroupHead(const TKivBand* B) const
    {
        bool head = false;
        return KivGroupOfBand(P, B, &head) && head;
    }
    bool IsGroupFoot(const TKivBand* B) const
    {
        bool head = true;
        return KivGroupOfBand(P, B, &head) && !head;
    }
    Integer Depth(const TKivBand* B) const
    {
        Integer d = 0, steps = 0;
        const TKivBand* c = B;
        while (c && Attached(c) && c->Band() && steps++ < MaxWalk) {
            ++d;
            c = c->Band();
        }
        if (!c || c->Is<TKivOverlayBand>())
            return d;
        if (IsDetail(c))
            return d + 1 + static_cast<Integer>(P->GroupList().size());
        if (TKivGroup* g = KivGroupOfBand(P, c))
            return d + g->Level() + 1;
        return d;
    }
    static bool Siblings(const TKivBand* A, const TKivBand* B) { return A->Band() == B->Band(); }
    bool First(const TKivBand* B) const
    {
        for (const TKivBand* r : R)
            if (Siblings(r, B) || r == B->Band())
                return r == B;
        return false;
    }
    bool Last(const TKivBand* B) const
    {
        for (auto it = R.rbegin(); it != R.rend(); ++it) {
            const TKivBand* r = *it;
            if ((Siblings(r, B) && r->Band()) || (r == B->Band() && r->Band()))
                return r == B;
        }
        return false;
    }
    // The next ancestor column of the walk after A.
    const TKivBand* Next(const TKivBand* A) const
    {
        if (A->Band())
            return A->Band();
        const auto& groups = P->GroupList();
        if (IsDetail(A))
            return groups.empty() ? nullptr : groups.back()->Footer();
        bool head = false;
        if (TKivGroup* g = KivGroupOfBand(P, A, &head); g && g->Level() > 0 &&
                                                       g->Level() - 1 < static_cast<Integer>(groups.size())) {
            TKivGroup* outer = groups[static_cast<size_t>(g->Level() - 1)];
            return head ? outer->Header() : outer->Footer();
        }
        return nullptr;
    }

    const TKivPage* P;
    const std::vector<TKivBand*>& R;
};

} // namespace

TKivTreeRow KivBandTreeRow(const TKivPage* Page, const std::vector<TKivBand*>& Rows, Integer Index, const TRect& Rect)
{
    TKivTreeRow row;
    if (!Page || Index < 0 || Index >= static_cast<Integer>(Rows.size()))
        return row;
    const TTree t(Page, Rows);
    const TKivBand* b = Rows[static_cast<size_t>(Index)];
    const bool groupBand = KivGroupOfBand(Page, b) != nullptr;
    if (groupBand || b->Is<TKivDataHeadBand>())
        row.Colour = clGreen;
    else if (b->ClassType() == TKivBand::StaticClass())
        row.Colour = clBlue;
    else if (b->Is<TKivSubDataBand>())
        row.Colour = clMaroon;
    else
        row.Colour = clBlack;
    row.Depth = t.Depth(b);
    if (!b->Band() && !t.IsDetail(b) && !groupBand)
        return row;

    // the stub and its segment at the row's own level
    const Integer x0 = Rect.Left + 10 * row.Depth;
    const Integer mid = Rect.Bottom - Rect.Height() / 2;
    const bool up = t.First(b) || t.IsDetail(b) || t.IsGroupHead(b);
    bool down = t.Last(b) || t.IsDetail(b) || t.IsGroupFoot(b);
    if (auto* s = dynamic_cast<const TKivSubBand*>(b); s && s->Above())
        down = false;
    row.Lines.push_back({x0 - 5, mid, x0 - 1, mid});
    if (up && !down)
        row.Lines.push_back({x0 - 5, mid, x0 - 5, Rect.Bottom});
    else if (down && !up)
        row.Lines.push_back({x0 - 5, Rect.Top, x0 - 5, mid});
    else if (!up && !down)
        row.Lines.push_back({x0 - 5, Rect.Top, x0 - 5, Rect.Bottom});

    // the columns of the ancestors this row passes
    const TKivBand* a = b->Band() ? b->Band() : b;
    const Integer rowB = Index;
    Integer steps = 0;
    for (Integer i = row.Depth; i >= 0 && a && steps++ < MaxWalk; --i, a = t.Next(a)) {
        const Integer rowA = t.RowOf(a);
        bool draw;
        if (rowB < rowA) {
            draw = a->Band() ? t.RowOf(a->Band()) < rowA : !t.Last(a);
            if (t.IsGroupHead(a) && i == t.Depth(a) + 1)
                draw = false;
        } else {
            draw = !t.Last(a) || (a->Band() && rowA < t.RowOf(a->Band()));
            if (t.IsGroupFoot(a) && i == t.Depth(a) + 1)
                draw = false;
        }
        if (t.IsDetail(a) && a != b)
            draw = false;
        if (draw) {
            const Integer x = Rect.Left + 10 * i - 15;
            row.Lines.push_back({x, Rect.Top - 1, x, Rect.Bottom + 1});
        }
    }
    return row;
}

String KivBandSourceText(const TKivPage* Page, const TKivBand* Band, bool& Mismatch)
{
    Mismatch = false;
    if (!Page || !Band)
        return {};
    const TDataSource* source = nullptr;
    String text;
    if (auto* sd = dynamic_cast<const TKivSubDataBand*>(Band)) {
        source = sd->DataSource();
        text = source ? source->Name() : String("Fill in DataSource.");
    } else if (Band == Page->Detail()) {
        source = Page->DataSource();
        text = source ? source->Name() : String("Fill in DataSource");
    } else if (auto* o = dynamic_cast<const TKivOverlayBand*>(Band)) {
        return (o->First() ? "PrintFirst at Offset: " : "PrintLast at Offset: ") + std::to_string(o->TopOffset());
    } else
        return {};
    if (source && !KivIsSameLevel(Page, source, Band)) {
        Mismatch = true;
        text += " (UpdateLevels do not match)";
    }
    return text;
}

void KivGroupRowTexts(TKivGroup* Group, IDesigner* Designer, String& Variable, String& Event)
{
    Variable = Group && Group->Variable() ? Group->Variable()->Name() : String();
    Event = QorGetMethodValue(Group, "OnCheckBroken", Designer);
    if (Variable.empty() && Event.empty()) {
        Variable = "Fill in Variable";
        Event = "Fill in OnCheckBroken event.";
        return;
    }
    if (Variable.empty())
        Variable = "Not assigned.";
    if (Event.empty())
        Event = "Not assigned.";
}

void TKivPageManager::BandListDrawItem(TWinControl*, Integer Index, TRect Rect, TOwnerDrawState State)
{
    if (InUpdateLists || !FPage)
        return;
    std::vector<TKivBand*> rows;
    for (Integer i = 0; i < BandList->Count(); ++i)
        rows.push_back(static_cast<TKivBand*>(BandList->Items()->Objects(i)));
    if (Index < 0 || Index >= static_cast<Integer>(rows.size()))
        return;
    TKivBand* band = rows[static_cast<size_t>(Index)];
    const TKivTreeRow tree = KivBandTreeRow(FPage, rows, Index, Rect);
    TCanvas* c = BandList->Canvas();
    const bool selected = State.Contains(odSelected);
    c->Brush()->SetColor(selected ? tree.Colour : clWhite);
    c->Font()->SetColor(selected ? clWhite : tree.Colour);
    c->FillRect(Rect);
    c->Pen()->SetWidth(1);
    c->Pen()->SetColor(clBlack);
    for (const TKivTreeLine& l : tree.Lines) {
        c->MoveTo(l.X1, l.Y1);
        c->LineTo(l.X2, l.Y2);
    }
    const Integer left = Rect.Left + 10 * tree.Depth;
    c->TextOut(left + 2, Rect.Top + 1, BandList->Items()->Strings(Index));
    bool mismatch = false;
    const String source = KivBandSourceText(FPage, band, mismatch);
    const Integer column = Rect.Right - static_cast<Integer>(std::nearbyint(Rect.Width() * 0.4));
    dslabel->SetLeft(column);
    if (source.empty())
        return;
    if (mismatch) {
        c->Font()->SetColor(clRed);
        // marked once while a mismatch is shown; UpdateLists puts the plain caption back
        if (!FMismatchShown) {
            FMismatchShown = true;
            SetCaption("* " + Caption());
        }
    }
    c->TextOut(column + 2, Rect.Top + 1, source);
}

void TKivPageManager::grouplistDrawItem(TWinControl*, Integer Index, TRect Rect, TOwnerDrawState State)
{
    if (Index < 0 || Index >= static_cast<Integer>(FGroupPosList.size()))
        return;
    TKivGroup* g = FGroupPosList[static_cast<size_t>(Index)];
    String variable, event;
    KivGroupRowTexts(g, FPageDesigner, variable, event);
    TCanvas* c = grouplist->Canvas();
    const bool selected = State.Contains(odSelected);
    c->Brush()->SetColor(selected ? clNavy : clWhite);
    c->Font()->SetColor(selected ? clWhite : clBlack);
    c->FillRect(Rect);
    const Integer width = grouplist->ClientWidth();
    const Integer x1 = Rect.Left + 4;
    const Integer x2 = x1 + static_cast<Integer>(std::nearbyint(width * 0.3)) + 1;
    const Integer x3 = x2 + static_cast<Integer>(std::nearbyint((Rect.Right - x2) * 0.4));
    GroupLabel->SetLeft(x1);
    VariableLabel->SetLeft(x2);
    EventLabel->SetLeft(x3);
    c->TextOut(x1 + 2, Rect.Top + 1, g->Name());
    c->TextOut(x2 + 2, Rect.Top + 1, variable);
    c->TextOut(x3 + 2, Rect.Top + 1, event);
}

} // namespace qor
