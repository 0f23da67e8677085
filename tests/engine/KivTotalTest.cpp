// Calculators, accumulators and totals per level: sums, counts, extremes, averages and last values,
// reset marks, look-back, header levels, nulls, exact currency and bad level references.

#include "StandInPage.h"

#include "runtime/engine/KivCurr.h"
#include "runtime/engine/KivFloat.h"
#include "runtime/engine/KivTotalLabel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>

using namespace qor;
using qor::test::TStandInPage;

namespace {

TEST(KivCalc, SumCountExtremesAverageAndLastValue)
{
    TKivCalc C;
    EXPECT_EQ(C.Average(), 0); // nothing taken in: no division
    for (Double V : {3.0, 1.0, 2.0})
        C.NewVal(V);
    EXPECT_EQ(C.Sum(), 6);
    EXPECT_EQ(C.Count(), 3);
    EXPECT_EQ(C.Min(), 1);
    EXPECT_EQ(C.Max(), 3);
    EXPECT_EQ(C.Average(), 2);
    EXPECT_EQ(C.Value(), 2);
    C.Reset();
    C.NewVal(5);
    EXPECT_EQ(C.Min(), 5);
    EXPECT_EQ(C.Max(), 5);
    C.NewVal(-7);
    EXPECT_EQ(C.Min(), -7);
    EXPECT_EQ(C.Max(), 5);
}

TEST(KivCalc, CurrencyAverageRoundsToWholeTenThousandths)
{
    TKivCurrCalc C;
    EXPECT_EQ(C.Average().Raw(), 0);
    C.NewVal(Currency::FromRaw(1));
    C.NewVal(Currency::FromRaw(2));
    EXPECT_EQ(C.Average().Raw(), 2); // 1.5 ten-thousandths, halves to even
    C.NewVal(Currency::FromRaw(2));
    EXPECT_EQ(C.Average().Raw(), 2); // 5/3
}

TEST(KivAccumulators, TotalTypePicksWhatIsRead)
{
    TKivFloat F;
    TKivCurrency C;
    for (Double V : {3.0, 1.0, 2.0}) {
        F.SetValueFloat(V);
        C.SetValueFloat(V);
    }
    const std::pair<TKivTotalType, Double> Expected[] = {{ttSum, 6}, {ttCount, 3}, {ttMax, 3},
                                                         {ttMin, 1}, {ttAverage, 2}, {ttValue, 2}};
    for (auto [Type, Value] : Expected) {
        F.SetTotalType(Type);
        C.SetTotalType(Type);
        EXPECT_EQ(F.ValueFloat(), Value) << EnumName(Type);
        EXPECT_EQ(C.ValueFloat(), Value) << EnumName(Type);
        EXPECT_EQ(C.AsCurrency(), Currency(Value)) << EnumName(Type);
    }
    C.SetTotalType(ttCount);
    EXPECT_EQ(C.ValueCurrency().Raw(), 30000); // the count as a currency amount
    EXPECT_EQ(C.AsString(), "3");
}

TEST(KivAccumulators, CurrencySumsAreExactAfterAMillionAdditions)
{
    TKivCurrency C;
    TKivFloat F;
    C.SetTotalType(ttSum);
    F.SetTotalType(ttSum);
    for (int I = 0; I < 1000000; ++I) {
        C.SetAsCurrency(Currency::FromRaw(1000)); // 0.10
        F.SetAsFloat(0.1);
    }
    EXPECT_EQ(C.AsCurrency().Raw(), 1000000000); // exactly 100,000.00
    EXPECT_EQ(C.AsString(), "100000");
    EXPECT_NE(F.AsFloat(), 100000.0); // binary floating point drifts; currency must not
    C.SetTotalType(ttAverage);
    EXPECT_EQ(C.AsCurrency().Raw(), 1000);
}

TEST(KivAccumulators, TenAndTwentyCentsMakeExactlyThirty)
{
    TKivCurrency C;
    C.SetAsFloat(0.10);
    C.SetAsFloat(0.20);
    C.SetTotalType(ttSum);
    EXPECT_EQ(C.AsCurrency().Raw(), 3000);
    C.SetTotalType(ttAverage);
    EXPECT_EQ(C.AsCurrency().Raw(), 1500);
    EXPECT_EQ(C.AsFloat(), 0.15);
}

// A page with three levels (report, group, group header) and a detail level; an expression
// variable gives the values of Feed and a total adds them up.
class KivTotals : public ::testing::Test {
protected:
    void SetUp() override
    {
        Page = new TStandInPage(&Root);
        for (TKivLevel** L : {&ReportLevel, &GroupLevel, &HeaderLevel, &DetailLevel}) {
            *L = new TKivLevel(&Root);
            (*L)->SetParent(Page);
        }
        HeaderLevel->SetIsHeader(true);
        Page->Detail = DetailLevel;
        Var = new TKivExprVar(&Root);
        Var->SetName("Amount");
        Var->SetDataType(dtypeFloat);
        Var->SetParent(Page);
        Var->SetUpdateLevel(DetailLevel);
        Var->OnGetData = [this](TKivVar* V) {
            if (Next < Feed.size()) {
                if (Feed[Next])
                    V->SetAsFloat(*Feed[Next]);
                else
                    V->SetIsNull(true);
            }
        };
        Total = new TKivTotalvar(&Root);
        Total->SetName("Total1");
        Total->SetParent(Page);
        Total->SetVariable(Var);
        Total->SetUpdateLevel(DetailLevel);
    }
    // One record: the detail level moves on.
    void Record()
    {
        Page->UpdateDataLevel(DetailLevel);
        ++Next;
    }
    void Run(std::vector<std::optional<Double>> Values)
    {
        Feed = std::move(Values);
        Next = 0;
        Page->StartRun();
        for (std::size_t I = 0; I < Feed.size(); ++I)
            Record();
    }
    Double Read(Integer Level, TKivTotalType Type) { return Total->GetLevelNow(Level, Type)->AsFloat(); }

    TComponent Root{nullptr};
    TStandInPage* Page = nullptr;
    TKivLevel* ReportLevel = nullptr;
    TKivLevel* GroupLevel = nullptr;
    TKivLevel* HeaderLevel = nullptr;
    TKivLevel* DetailLevel = nullptr;
    TKivExprVar* Var = nullptr;
    TKivTotalvar* Total = nullptr;
    std::vector<std::optional<Double>> Feed;
    std::size_t Next = 0;
};

TEST_F(KivTotals, EveryLevelAccumulatesExceptHeaders)
{
    Run({3.0, 1.0, 2.0});
    ASSERT_EQ(Total->LevelCount(), 4);
    EXPECT_EQ(Total->DataType(), dtypeFloat);
    for (Integer L : {0, 1, 3}) {
        EXPECT_EQ(Read(L, ttSum), 6) << L;
        EXPECT_EQ(Read(L, ttCount), 3) << L;
        EXPECT_EQ(Read(L, ttMin), 1) << L;
        EXPECT_EQ(Read(L, ttMax), 3) << L;
        EXPECT_EQ(Read(L, ttAverage), 2) << L;
        EXPECT_EQ(Read(L, ttValue), 2) << L;
    }
    for (TKivTotalType T : {ttSum, ttCount, ttMin, ttMax, ttAverage, ttValue})
        EXPECT_EQ(Read(2, T), 0) << "a header level keeps 0";
}

TEST_F(KivTotals, NoRecordGivesZeroEverywhere)
{
    Run({});
    for (TKivTotalType T : {ttSum, ttCount, ttMin, ttMax, ttAverage, ttValue})
        EXPECT_EQ(Read(0, T), 0);
}

TEST_F(KivTotals, ResetMarksRestartALevelAtItsNextValue)
{
    Run({3.0, 1.0});
    Page->ResetTotalLevel(GroupLevel);
    EXPECT_TRUE(Total->LevelMarked(1));
    EXPECT_EQ(Read(1, ttSum), 4); // marked, not yet reset
    Feed.push_back(10.0);
    Record();
    EXPECT_FALSE(Total->LevelMarked(1));
    EXPECT_EQ(Read(1, ttSum), 10);
    EXPECT_EQ(Read(1, ttCount), 1);
    EXPECT_EQ(Read(0, ttSum), 14);

    Total->ResetAtlevel(0);
    EXPECT_EQ(Read(0, ttCount), 0);
    Total->ResetLevel(3);
    Total->ResetMarkedLevel(3);
    EXPECT_EQ(Read(3, ttCount), 0);
    EXPECT_FALSE(Total->LevelMarked(3));
}

TEST_F(KivTotals, LookBackMovesEveryLevelAndMarkBackAndForth)
{
    Run({3.0, 1.0});
    Total->ResetLevel(1);
    Total->UpdateLast(); // the page's look-back: previous := current
    Feed.push_back(5.0);
    Record();
    EXPECT_EQ(Read(0, ttSum), 9);
    EXPECT_EQ(Read(1, ttSum), 5);
    EXPECT_EQ(Total->GetLevelLast(0, ttSum)->AsFloat(), 4);
    Total->ReverseUpdate();
    EXPECT_EQ(Read(0, ttSum), 4);
    EXPECT_EQ(Read(1, ttSum), 4);
    EXPECT_TRUE(Total->LevelMarked(1));
    Total->UpdateAtlevel(0);
    EXPECT_EQ(Total->GetLevelLast(0, ttCount)->AsFloat(), 2);
}

TEST_F(KivTotals, ResetDataResetsMarkedLevelsWhenStale)
{
    Run({3.0, 1.0});
    Total->ResetLevel(0);
    Total->ResetData(); // not stale: nothing happens
    EXPECT_EQ(Read(0, ttSum), 4);
    Page->ResetDataLevel(DetailLevel);
    EXPECT_EQ(Read(0, ttSum), 0);
    EXPECT_EQ(Read(1, ttSum), 4);
    EXPECT_TRUE(Var->IsNull());
}

TEST_F(KivTotals, NullsCountUnlessIgnored)
{
    Run({4.0, std::nullopt, 6.0});
    EXPECT_EQ(Read(0, ttCount), 3);
    EXPECT_EQ(Read(0, ttSum), 10);
    Total->SetIgnoreNulls(true);
    Run({4.0, std::nullopt, 6.0});
    EXPECT_EQ(Read(0, ttCount), 2);
    EXPECT_EQ(Read(0, ttAverage), 5);
}

TEST_F(KivTotals, BooleansCountTrueAndTextAddsNothing)
{
    Var->SetDataType(dtypeBoolean);
    Var->OnGetData = [this](TKivVar* V) { V->SetAsBoolean(Next % 2 == 0); };
    Run({0.0, 0.0, 0.0});
    EXPECT_EQ(Read(0, ttSum), 2);
    Var->SetDataType(dtypeString);
    Var->OnGetData = [](TKivVar* V) { V->SetAsString("7"); };
    Run({0.0, 0.0});
    EXPECT_EQ(Read(0, ttSum), 0);
    EXPECT_EQ(Read(0, ttCount), 2);
}

TEST_F(KivTotals, CurrencyVariablesGiveExactCurrencyTotals)
{
    Var->SetDataType(dtypeCurrency);
    Run({0.10, 0.20});
    EXPECT_TRUE(Total->IsCurrency());
    EXPECT_EQ(Total->DataType(), dtypeCurrency);
    EXPECT_EQ(Total->GetLevelNow(0, ttSum)->AsCurrency().Raw(), 3000);
    EXPECT_EQ(Total->GetLevelNow(0, ttAverage)->AsCurrency().Raw(), 1500);
    EXPECT_EQ(Total->GetLevelNow(0, ttCount)->AsCurrency().Raw(), 20000);
}

TEST_F(KivTotals, ATotalHasNoSingleValue)
{
    Run({1.0});
    try {
        Total->AsString();
        FAIL() << "a total read as a plain variable";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "Invalid access to totalvar: Total1");
    }
    EXPECT_THROW(Total->AsFloat(), Exception);
}

TEST_F(KivTotals, LevelReferencesOutOfRangeAreErrors)
{
    Run({1.0});
    EXPECT_THROW(Total->GetLevelNow(4, ttSum), Exception);
    EXPECT_THROW(Total->GetLevelNow(-1, ttSum), Exception);
    EXPECT_THROW(Total->GetLevelLast(9, ttSum), Exception);
    EXPECT_THROW(Total->ResetLevel(4), Exception);
    EXPECT_THROW(Total->ResetAtlevel(4), Exception);
    EXPECT_THROW(Total->UpdateAtlevel(4), Exception);
    EXPECT_THROW(Page->ResetTotalLevel(nullptr), Exception);
    // a level added after the totals were initialised has no accumulator yet
    auto* Late = new TKivLevel(&Root);
    Late->SetParent(Page);
    Late->SetLevel(4);
    try {
        Page->ResetTotalLevel(Late);
        FAIL() << "a level without accumulators was accepted";
    } catch (const Exception& E) {
        EXPECT_NE(E.Message().find("Total1"), String::npos) << E.Message();
        EXPECT_NE(E.Message().find("4"), String::npos) << E.Message();
    }
    TKivTotalvar Uninitialised(nullptr);
    EXPECT_THROW(Uninitialised.GetLevelNow(0, ttSum), Exception);
}

TEST_F(KivTotals, ATotalWhoseVariableReadsItIsCircular)
{
    Var->OnGetData = [this](TKivVar* V) { V->SetAsFloat(Total->GetLevelNow(0, ttSum)->AsFloat()); };
    Page->StartRun();
    try {
        Record();
        FAIL() << "no circular reference reported";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "Circular variable reference for variable: Amount");
    }
    // the failed refresh left nothing half-updated
    EXPECT_EQ(Var->UpdateMode(), umNoUpdate);
    EXPECT_EQ(Total->UpdateMode(), umNoUpdate);
}

TEST_F(KivTotals, TotalsOfThemselvesOrOfEachOtherAreCircularNotEndless)
{
    TKivTotalvar* Other = new TKivTotalvar(&Root);
    Other->SetName("Total2");
    Other->SetParent(Page);
    for (TKivVar* Target : {static_cast<TKivVar*>(Total), static_cast<TKivVar*>(Other)}) {
        Total->SetVariable(Target);
        Other->SetVariable(Total);
        for (const auto& Ask : std::vector<std::function<void()>>{[this] { Total->DataType(); },
                                                                  [this] { Total->Active(); },
                                                                  [this] { Page->StartRun(); }}) {
            try {
                Ask();
                ADD_FAILURE() << "no circular reference reported";
            } catch (const Exception& E) {
                EXPECT_NE(E.Message().find("Circular variable reference for variable: Total"), String::npos);
            }
        }
    }
    Total->SetVariable(Var); // the cycle broken, the total works again
    EXPECT_TRUE(Total->Active());
}

TEST_F(KivTotals, ActiveFollowsTheVariableAndAFreedVariableIsForgotten)
{
    EXPECT_TRUE(Total->Active());
    Free(Var);
    EXPECT_EQ(Total->Variable(), nullptr);
    EXPECT_FALSE(Total->Active());
    Page->StartRun();
    Page->UpdateDataLevel(DetailLevel); // no variable: a zero is taken in
    EXPECT_EQ(Read(0, ttCount), 1);
}

} // namespace

namespace {

TEST_F(KivTotals, ATotalLabelReadsTheKindOfTotalAtItsLevel)
{
    auto* Label = new TKivTotalvarLabel(&Root);
    EXPECT_EQ(Label->GetDataNow(), "Fill in variable.");
    Label->SetTotalVariable(Total);
    Label->SetAutoLevel(false);
    Label->SetLevel(GroupLevel);
    Run({3.0, 1.0, 2.5});
    const std::pair<TKivTotalType, const char*> Expected[] = {{ttSum, "6.50"}, {ttCount, "3.00"}, {ttMax, "3.00"},
                                                              {ttMin, "1.00"}, {ttAverage, "2.17"}, {ttValue, "2.50"}};
    for (auto [Type, Text] : Expected) {
        Label->SetTotalType(Type);
        EXPECT_EQ(Label->GetDataNow(), Text) << EnumName(Type);
    }
    // A level the total has no accumulator for, or none at all, is an error rather than a crash.
    auto* Stray = new TKivLevel(&Root);
    Stray->SetLevel(7);
    Label->SetLevel(Stray);
    EXPECT_THROW(Label->GetDataNow(), Exception);
    delete Stray;
    EXPECT_EQ(Label->Level(), nullptr);
    EXPECT_THROW(Label->GetDataNow(), Exception);
    delete Total;
    EXPECT_EQ(Label->GetDataNow(), "Fill in variable.");
}

} // namespace
