#include "platform/rtl/List.h"

#include <gtest/gtest.h>

#include <string>

using namespace qor;

namespace {

int A = 1, B = 2, C = 3, D = 4;

std::string Order(const TList& L)
{
    std::string S;
    for (void* P : L)
        S += P ? std::to_string(*static_cast<int*>(P)) : "-";
    return S;
}

// Records what the list tells its descendants.
class TSpyList : public TList {
public:
    std::string Log;

protected:
    void Notify(void* Ptr, TListNotification Action) override
    {
        Log += "AXD"[Action];   // added, extracted, deleted
        Log += std::to_string(*static_cast<int*>(Ptr));
    }
};

struct TCounted {
    static inline int Alive = 0;
    explicit TCounted(int V) : Value(V) { ++Alive; }
    ~TCounted() { --Alive; }
    int Value;
};

} // namespace

TEST(List, IndexErrorsNameTheIndex)
{
    TList L;
    L.Add(&A);
    try {
        L.Get(5);
        FAIL() << "no exception";
    } catch (const EListError& E) {
        EXPECT_EQ(E.Message(), "List index out of bounds (5)");
    }
    EXPECT_THROW(L.Get(-1), EListError);
    EXPECT_THROW(L.Delete(1), EListError);
    EXPECT_THROW(L.Put(1, &B), EListError);
    EXPECT_THROW(L.Insert(2, &B), EListError);
    EXPECT_THROW(L.Exchange(0, 1), EListError);
    EXPECT_THROW(L.Move(0, 1), EListError);
    L.Clear();
    EXPECT_THROW(L.First(), EListError);
    EXPECT_THROW(L.Last(), EListError);
    EXPECT_THROW(L.SetCount(-1), EListError);
}

TEST(List, InsertDeleteMoveExchangeKeepOrder)
{
    TList L;
    EXPECT_EQ(L.Add(&A), 0);
    EXPECT_EQ(L.Add(&C), 1);
    L.Insert(1, &B);
    L.Insert(3, &D);   // Insert at Count appends
    EXPECT_EQ(Order(L), "1234");
    L.Move(0, 3);
    EXPECT_EQ(Order(L), "2341");
    L.Move(3, 1);
    EXPECT_EQ(Order(L), "2134");
    L.Exchange(0, 3);
    EXPECT_EQ(Order(L), "4132");
    L.Delete(1);
    EXPECT_EQ(Order(L), "432");
    EXPECT_EQ(L.First(), &D);
    EXPECT_EQ(L.Last(), &B);
}

TEST(List, RemoveExtractAndIndexOfFindTheFirstOccurrence)
{
    TSpyList L;
    L.Add(&A);
    L.Add(&B);
    L.Add(&A);
    EXPECT_EQ(L.IndexOf(&A), 0);
    EXPECT_EQ(L.IndexOf(&C), -1);
    EXPECT_EQ(L.Remove(&A), 0);
    EXPECT_EQ(Order(L), "21");
    EXPECT_EQ(L.Remove(&C), -1);
    EXPECT_EQ(L.Extract(&A), &A);
    EXPECT_EQ(L.Extract(&A), nullptr);
    EXPECT_EQ(Order(L), "2");
    EXPECT_EQ(L.Log, "A1A2A1D1X1");
}

TEST(List, PutNotifiesOldAndNewItems)
{
    TSpyList L;
    L.Add(&A);
    L.Log.clear();
    L.Put(0, &B);
    EXPECT_EQ(L.Log, "D1A2");
    L.Put(0, &B);   // same item: nothing happens
    EXPECT_EQ(L.Log, "D1A2");
}

TEST(List, SetCountPacksAndCapacity)
{
    TList L;
    L.Add(&A);
    L.SetCount(4);
    EXPECT_EQ(L.Count(), 4);
    EXPECT_EQ(L.Get(3), nullptr);
    L.Put(2, &C);
    L.Pack();
    EXPECT_EQ(Order(L), "13");
    L.SetCapacity(100);
    EXPECT_GE(L.Capacity(), 100);
    EXPECT_THROW(L.SetCapacity(1), EListError);
    L.SetCount(1);
    EXPECT_EQ(Order(L), "1");
}

TEST(List, SortIsStableAndUsesTheCompareFunction)
{
    int X1 = 5, X2 = 1, X3 = 5, X4 = 0;
    TList L;
    for (int* P : {&X1, &X2, &X3, &X4})
        L.Add(P);
    L.Sort([](void* P, void* Q) { return *static_cast<int*>(P) - *static_cast<int*>(Q); });
    EXPECT_EQ(Order(L), "0155");
    EXPECT_EQ(L.Get(2), &X1);   // equal items keep their order
    EXPECT_EQ(L.Get(3), &X3);
}

TEST(List, AssignCopiesTheItems)
{
    TList L, M;
    L.Add(&A);
    L.Add(&B);
    M.Add(&C);
    M.Assign(L);
    EXPECT_EQ(Order(M), "12");
    M.Assign(M);
    EXPECT_EQ(Order(M), "12");
}

TEST(ListOf, OwningListDeletesWhatLeavesButNotWhatIsExtracted)
{
    TCounted::Alive = 0;
    {
        TListOf<TCounted*> L(true);
        auto* First = new TCounted(1);
        L.Add(First);
        L.Add(new TCounted(2));
        L.Add(new TCounted(3));
        L.Add(nullptr);
        EXPECT_EQ(TCounted::Alive, 3);
        L.Delete(1);
        EXPECT_EQ(TCounted::Alive, 2);
        EXPECT_EQ(L.Extract(First), First);
        EXPECT_EQ(TCounted::Alive, 2);
        delete First;
        L.Put(0, new TCounted(4));   // replaces item 3
        EXPECT_EQ(TCounted::Alive, 1);
        EXPECT_EQ(L[0]->Value, 4);
    }
    EXPECT_EQ(TCounted::Alive, 0);
}

namespace {
// An object that may refuse to be freed.
class TGuarded : public TObject {
public:
    static inline int Alive = 0;
    TGuarded() { ++Alive; }
    ~TGuarded() override { --Alive; }
    void BeforeDestruction() override
    {
        if (Refuse)
            throw EInvalidOperation("refused");
    }
    bool Refuse = false;
};
} // namespace

TEST(ListOf, OwningListFreesObjectsThroughFree)
{
    TGuarded::Alive = 0;
    auto* Stubborn = new TGuarded;
    {
        TListOf<TGuarded*> L(true);
        L.Add(new TGuarded);
        L.Add(Stubborn);
        Stubborn->Refuse = true;
        EXPECT_THROW(L.Delete(1), EInvalidOperation);
        EXPECT_EQ(L.Count(), 1);   // out of the list, but alive
        EXPECT_EQ(TGuarded::Alive, 2);
    }
    EXPECT_EQ(TGuarded::Alive, 1);
    {
        TListOf<TGuarded*> L(true);
        L.Add(Stubborn);
        L.Add(new TGuarded);
    }   // the refusal is swallowed by the destructor; the other object is still freed
    EXPECT_EQ(TGuarded::Alive, 1);
    Stubborn->Refuse = false;
    Free(Stubborn);
    EXPECT_EQ(TGuarded::Alive, 0);

    TList* Plain = new TList;
    EXPECT_EQ(Plain->ClassName(), "TList");
    FreeAndNil(Plain);
    EXPECT_EQ(Plain, nullptr);
}

TEST(ListOf, NonOwningListLeavesObjectsAlone)
{
    TCounted::Alive = 0;
    TCounted X(1), Y(2);
    {
        TListOf<TCounted*> L;
        L.Add(&Y);
        L.Add(&X);
        L.SortBy([](TCounted* P, TCounted* Q) { return P->Value - Q->Value; });
        int Sum = 0, Pos = 1;
        for (TCounted* P : L)
            Sum += P->Value * Pos++;
        EXPECT_EQ(Sum, 1 * 1 + 2 * 2);
        EXPECT_EQ(L.First(), &X);
    }
    EXPECT_EQ(TCounted::Alive, 2);
}
