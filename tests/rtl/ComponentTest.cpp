#include "TestComponents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace qor;

TEST(Component, OwnerFreesWhatItOwnsAndKeepsNamesUnique)
{
    auto* owner = new TTestForm(nullptr);
    auto* a = new TTestNode(owner);
    a->SetName("Alpha");
    auto* b = new TTestNode(owner);
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(owner->Components(1), b);
    EXPECT_EQ(b->ComponentIndex(), 1);
    EXPECT_EQ(owner->FindComponent("ALPHA"), a);

    try {
        b->SetName("alpha");
        FAIL();
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message(), "A component named alpha already exists");
    }
    try {
        b->SetName("1st");
        FAIL();
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message(), "'1st' is not a valid component name");
    }
    EXPECT_THROW(owner->Components(2), EListError);

    // Moving a component to another owner takes it out of the first.
    TTestForm other(nullptr);
    other.InsertComponent(a);
    EXPECT_EQ(owner->ComponentCount(), 1);
    EXPECT_EQ(a->Owner(), &other);

    Free(owner); // frees b; a is no longer its
    EXPECT_EQ(other.ComponentCount(), 1);
}

TEST(Component, FreeingAReferencedComponentClearsTheReferences)
{
    TTestForm form(nullptr);
    auto* target = new TTestNode(&form);
    auto* holder = new TTestNode(&form);
    holder->SetLink(target);

    // A component in another family asks to be told.
    TTestForm elsewhere(nullptr);
    auto* remote = new TTestNode(&elsewhere);
    remote->SetLink(target);

    Free(target);
    EXPECT_EQ(holder->GetLink(), nullptr);
    EXPECT_EQ(remote->GetLink(), nullptr);
    EXPECT_EQ(form.ComponentCount(), 1);
}

TEST(Component, ARefusalInBeforeDestructionLeavesTheComponentAliveAndUsable)
{
    TTestForm form(nullptr);
    auto* node = new TTestNode(&form);
    node->SetName("Stubborn");
    auto* child = new TTestNode(&form);
    child->SetParentNode(node);
    node->RefuseFree = true;

    EXPECT_THROW(Free(node), EInvalidOperation);
    EXPECT_EQ(form.FindComponent("Stubborn"), node);
    EXPECT_FALSE(node->ComponentState().Contains(csDestroying));
    node->Caption = "still here";
    EXPECT_EQ(GetPropText(node, "Caption"), "still here");

    node->RefuseFree = false;
    Free(node);
    EXPECT_EQ(form.FindComponent("Stubborn"), nullptr);
    EXPECT_EQ(child->ParentNode(), nullptr);
}

namespace {

// A component with more than the base parts, and watchers that check what they are told of is
// whole: the real class, not a TComponent half made or half gone.
struct TPart : TTestNode {
    using TTestNode::TTestNode;
    std::string Label = "part";
};

struct TSeen {
    TOperation Op;
    String ClassName;
    std::string Label; // read through the real class; empty when the cast fails
};

template <class Base>
struct TWatching : Base {
    using Base::Base;
    std::vector<TSeen> Seen;
    void Notification(TComponent* C, TOperation Op) override
    {
        Base::Notification(C, Op);
        auto* part = dynamic_cast<TPart*>(C);
        Seen.push_back({Op, C->ClassName(), part ? part->Label : std::string()});
    }
    // How many of the notifications heard were Op about a whole part labelled Label.
    long Heard(TOperation Op, const std::string& Label) const
    {
        return std::count_if(Seen.begin(), Seen.end(), [&](const TSeen& s) { return s.Op == Op && s.Label == Label; });
    }
    long Heard(TOperation Op) const
    {
        return std::count_if(Seen.begin(), Seen.end(), [&](const TSeen& s) { return s.Op == Op; });
    }
};

} // namespace

TEST(Component, NotificationsReachTheOwnersFamilyWithTheRealClass)
{
    TWatching<TTestForm> form(nullptr);
    auto* sibling = Create<TWatching<TTestNode>>(&form);
    ASSERT_EQ(form.Seen.size(), 1u); // the sibling itself, announced once it was whole
    EXPECT_EQ(form.Seen[0].ClassName, "TTestNode");

    auto* part = Create<TPart>(&form);
    Free(part);
    // Each of the family heard the part come and go, whole both times, whatever the order of the
    // notifications.
    EXPECT_EQ(form.Heard(opInsert, "part"), 1);
    EXPECT_EQ(form.Heard(opRemove, "part"), 1);
    EXPECT_EQ(form.Seen.size(), 3u);
    EXPECT_EQ(sibling->Heard(opInsert, "part"), 1);
    EXPECT_EQ(sibling->Heard(opRemove, "part"), 1);
    EXPECT_EQ(sibling->Seen.size(), 3u);
}

TEST(Component, MembersThereBeforeAReadHearOfEachArrival)
{
    TWatching<TTestForm> form(nullptr);
    auto* before = Create<TWatching<TTestNode>>(&form);
    ReadComponentIntoRoot(&form, "object F: TTestForm\n  object A: TTestNode\n  end\n"
                                 "  object B: TTestNode\n    Link = A\n  end\nend\n");
    // The form and the member there before heard of the member itself, A and B arriving.
    EXPECT_EQ(form.Heard(opInsert), 3);
    EXPECT_EQ(before->Heard(opInsert), 3);
    // Members read together are told of each other's going again once read.
    Free(form.FindComponent("A"));
    EXPECT_EQ(dynamic_cast<TTestNode*>(form.FindComponent("B"))->GetLink(), nullptr);
    EXPECT_EQ(before->Heard(opRemove), 1);
}

TEST(Component, ComponentsFreedByTheirOwnerAreWholeWhenTheirWatchersHear)
{
    TTestForm elsewhere(nullptr);
    auto* watcher = Create<TWatching<TTestNode>>(&elsewhere);
    watcher->Seen.clear(); // told of its own arrival
    {
        TTestForm form(nullptr);
        auto* holder = Create<TTestNode>(&form);
        auto* part = Create<TPart>(holder); // freed by its owner, itself freed by Free
        part->FreeNotification(watcher);
        auto* last = Create<TPart>(&form); // freed by a form that goes out of scope
        last->Label = "last";
        last->FreeNotification(watcher);
        Free(holder);
        ASSERT_EQ(watcher->Seen.size(), 1u);
        EXPECT_EQ(watcher->Seen[0].Op, opRemove);
        EXPECT_EQ(watcher->Seen[0].Label, "part");
    }
    ASSERT_EQ(watcher->Seen.size(), 2u);
    EXPECT_EQ(watcher->Seen[1].Label, "last");
}

TEST(Component, AComponentMadeWithNewIsListedButAnnouncedOnlyAfterConstruction)
{
    TWatching<TTestForm> form(nullptr);
    auto* plain = new TPart(&form);
    EXPECT_EQ(plain->Owner(), &form);
    EXPECT_EQ(form.Seen.size(), 0u);
    plain->AfterConstruction();
    plain->AfterConstruction(); // once only
    ASSERT_EQ(form.Seen.size(), 1u);
    EXPECT_EQ(form.Seen[0].Label, "part");

    TWatching<TTestForm> other(nullptr);
    other.InsertComponent(plain); // a move to another owner is announced on both sides at once
    ASSERT_EQ(other.Seen.size(), 1u);
    EXPECT_EQ(other.Seen[0].Op, opInsert);
    ASSERT_EQ(form.Seen.size(), 2u);
    EXPECT_EQ(form.Seen[1].Op, opRemove);
}

TEST(ClassRegistry, FindsClassesByNameAndKnowsTheirAncestry)
{
    EXPECT_EQ(FindClass("ttestnode"), TTestNode::StaticClass());
    EXPECT_EQ(GetClass("TNoSuchThing"), nullptr);
    try {
        FindClass("TNoSuchThing");
        FAIL();
    } catch (const EClassNotFound& e) {
        EXPECT_EQ(e.Message(), "Class TNoSuchThing not found");
    }
    EXPECT_TRUE(TTestForm::StaticClass()->InheritsFrom(TComponent::StaticClass()));
    EXPECT_FALSE(TTestFont::StaticClass()->InheritsFrom(TComponent::StaticClass()));

    TTestForm owner(nullptr);
    TComponent* made = CreateComponent("TTestNode", &owner);
    EXPECT_EQ(made->ClassName(), "TTestNode");
    EXPECT_EQ(made->Owner(), &owner);
    EXPECT_TRUE(made->Is<TComponent>());
    EXPECT_THROW(CreateComponent("TTestFont", &owner), EComponentError);

    // Published properties come ancestors first, in declaration order.
    auto props = TTestForm::StaticClass()->AllProperties();
    ASSERT_GE(props.size(), 3u);
    EXPECT_EQ(props[0]->Name, "Name");
    EXPECT_EQ(props[1]->Name, "Tag");
    EXPECT_EQ(props[2]->Name, "Caption");
}

TEST(PropertyText, ReadsAndWritesEveryKindByName)
{
    TTestForm form(nullptr);
    form.SetName("Form1");
    auto* node = new TTestNode(&form);
    node->SetName("Node1");

    SetPropText(node, "Count", "17");
    SetPropText(node, "Ratio", "2.5");
    SetPropText(node, "Price", "3.14159");
    SetPropText(node, "Kind", "skbox");
    SetPropText(node, "Options", "[toTwo, toThree]");
    SetPropText(node, "Enabled", "false");
    SetPropText(node, "Color", "clRed");
    SetPropText(node, "Font.Name", "Courier New");
    SetPropText(node, "Link", "Form1");
    SetPropText(node, "OnClick", "OtherClick");
    SetPropText(node, "Lines", "a\nb");

    EXPECT_EQ(GetPropText(node, "Count"), "17");
    EXPECT_EQ(GetPropText(node, "Ratio"), "2.5");
    EXPECT_EQ(GetPropText(node, "Price"), "3.1416"); // kept to four places
    EXPECT_EQ(GetPropText(node, "Kind"), "skBox");
    EXPECT_EQ(GetPropText(node, "Options"), "[toTwo, toThree]");
    EXPECT_EQ(GetPropText(node, "Enabled"), "False");
    EXPECT_EQ(GetPropText(node, "Color"), "clRed");
    EXPECT_EQ(GetPropText(node, "font.name"), "Courier New");
    EXPECT_EQ(GetPropText(node, "Link"), "Form1");
    EXPECT_EQ(GetPropText(node, "OnClick"), "OtherClick");
    EXPECT_EQ(node->GetLines()->Count(), 2);
    node->OnClick(node);
    EXPECT_EQ(form.OtherClicks, 1);

    EXPECT_THROW(SetPropText(node, "Count", "abc"), EConvertError);
    EXPECT_THROW(SetPropText(node, "Kind", "skHexagon"), EConvertError);
    EXPECT_THROW(SetPropText(node, "Options", "[toNine]"), EConvertError);
    EXPECT_THROW(SetPropText(node, "Nothing", "1"), EPropertyError);
    EXPECT_THROW(SetPropText(node, "Link", "Ghost"), EPropertyError);
    EXPECT_THROW(SetPropText(node, "OnClick", "WrongSignature"), EPropertyError);
}

TEST(Persistent, AssignNamesBothClassesWhenItCannotCopy)
{
    TTestFont a, b;
    a.SetSize(20);
    b.Assign(&a);
    EXPECT_EQ(b.GetSize(), 20);

    TCollection coll(TTestItem::StaticClass());
    try {
        a.Assign(&coll);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TCollection to a TTestFont");
    }
}

TEST(Events, RememberTheirHandlersName)
{
    TTestForm form(nullptr);
    TNotifyEvent ev;
    EXPECT_FALSE(ev);
    ev(&form); // an empty event does nothing
    ev.Bind(&form, &TTestForm::OtherClick, "OtherClick");
    EXPECT_EQ(ev.Name(), "OtherClick");
    ev(&form);
    EXPECT_EQ(form.OtherClicks, 1);
    // Copying an event (a non-const one too) copies its handler and name instead of wrapping it.
    TNotifyEvent copy;
    copy = ev;
    EXPECT_EQ(copy.Name(), "OtherClick");
    copy(&form);
    EXPECT_EQ(form.OtherClicks, 2);
    TNotifyEvent built(ev);
    EXPECT_EQ(built.Name(), "OtherClick");
    ev = [](TObject*) {};
    EXPECT_TRUE(ev.Name().empty()); // a handler set in code has no stored name

    // Events answering through a Boolean are called with the answer false first.
    TEvent<TObject*, bool&> ask = [](TObject*, bool& Answer) { EXPECT_FALSE(Answer); };
    bool answer = false;
    ask(nullptr, answer);
}

TEST(Component, ANotificationHandlerMayFreeOtherComponentsOfTheFamily)
{
    // When its partner goes, a component frees a companion it keeps in the same owner (as a
    // designer drops the strips of a deleted band).
    struct Keeper : TTestNode {
        using TTestNode::TTestNode;
        TComponent* Partner = nullptr;
        TComponent* Companion = nullptr;
        void Notification(TComponent* C, TOperation Op) override
        {
            TTestNode::Notification(C, Op);
            if (Op == opRemove && C == Partner && Companion) {
                TComponent* c = Companion;
                Companion = nullptr;
                Free(c);
            }
            if (Op == opRemove && C == Companion)
                Companion = nullptr;
        }
    };
    const Integer alive = TTestNode::Alive;
    {
        TTestForm form(nullptr);
        auto* partner = new TTestNode(&form);
        auto* keeper = new Keeper(&form);
        auto* companion = new TTestNode(&form); // after the keeper: told after it
        auto* last = new TTestNode(&form);
        keeper->Partner = partner;
        keeper->Companion = companion;
        Free(partner);
        EXPECT_EQ(form.ComponentCount(), 2);
        EXPECT_EQ(form.Components(0), keeper);
        EXPECT_EQ(form.Components(1), last);
    }
    EXPECT_EQ(TTestNode::Alive, alive);
}

TEST(Component, OwnersParentsAndReferencesMayDieInAnyOrder)
{
    const Integer alive = TTestNode::Alive;
    // 0: the holder's form goes first, 1: the target's form goes first, 2: the holder alone,
    // 3: the target alone, then the forms.
    for (int order = 0; order < 4; ++order) {
        auto* formA = new TTestForm(nullptr);
        auto* formB = new TTestForm(nullptr);
        auto* target = new TTestNode(formA);
        auto* child = new TTestNode(formA);
        child->SetParentNode(target);
        auto* holder = new TTestNode(formB);
        holder->SetLink(target);
        target->SetLink(holder); // both ways
        child->SetLink(holder);
        formB->SetLink(child);
        switch (order) {
        case 0:
            Free(formB);
            EXPECT_EQ(target->GetLink(), nullptr);
            EXPECT_EQ(child->GetLink(), nullptr);
            Free(formA);
            break;
        case 1:
            Free(formA);
            EXPECT_EQ(holder->GetLink(), nullptr);
            EXPECT_EQ(formB->GetLink(), nullptr);
            Free(formB);
            break;
        case 2:
            Free(holder);
            EXPECT_EQ(target->GetLink(), nullptr);
            Free(target);
            EXPECT_EQ(child->ParentNode(), nullptr);
            EXPECT_EQ(formB->GetLink(), child);
            delete formA; // without Free: the destructor alone must do it
            EXPECT_EQ(formB->GetLink(), nullptr);
            delete formB;
            break;
        default:
            Free(target);
            EXPECT_EQ(holder->GetLink(), nullptr);
            EXPECT_EQ(child->ParentNode(), nullptr);
            Free(holder);
            Free(formB);
            Free(formA);
            break;
        }
        EXPECT_EQ(TTestNode::Alive, alive) << "order " << order;
    }
}

namespace {

// At its end, checks that what it refers to is still alive.
struct TChecked : TTestNode {
    static inline std::set<const TComponent*> Living;
    static inline Integer Dangling = 0;
    explicit TChecked(TComponent* AOwner) : TTestNode(AOwner) { Living.insert(this); }
    ~TChecked() override
    {
        if (GetLink() && !Living.count(GetLink()))
            ++Dangling;
        Living.erase(this);
    }
};

} // namespace

TEST(Component, AFamilyFreedWholeLeavesNoMemberPointingAtAGoneSibling)
{
    // Members referring to siblings before and after them, many to one (a long list of those to
    // tell) and into a member's own family.
    const Integer alive = TTestNode::Alive;
    // 0: Free, 1: delete, 2: DestroyComponents on a form that stays.
    for (int way = 0; way < 3; ++way) {
        auto* form = new TTestForm(nullptr);
        std::vector<TChecked*> m;
        for (int i = 0; i < 60; ++i)
            m.push_back(new TChecked(form));
        auto* inner = new TChecked(m[5]); // owned by a member
        for (int i = 0; i < 60; ++i)
            m[static_cast<size_t>(i)]->SetLink(i < 30 ? m[0] : m[static_cast<size_t>((i * 7) % 60)]);
        m[0]->SetLink(m[59]);
        m[1]->SetLink(inner);
        inner->SetLink(m[2]);
        if (way == 0)
            Free(form);
        else if (way == 1)
            delete form;
        else {
            form->DestroyComponents();
            EXPECT_EQ(form->ComponentCount(), 0);
            delete form;
        }
        EXPECT_EQ(TChecked::Dangling, 0) << "way " << way;
        EXPECT_TRUE(TChecked::Living.empty());
        EXPECT_EQ(TTestNode::Alive, alive);
    }
}
