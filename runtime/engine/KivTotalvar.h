#pragma once
// TKivTotalvar: accumulates another variable's values at every level of its page at once, one
// accumulator per level, so each footer prints its own sum, count, minimum, maximum, average or
// last value.

#include "runtime/engine/KivVarBase.h"

#include <memory>
#include <vector>

namespace qor {

class TKivTotalvar : public TKivVar {
    QOR_CLASS(TKivTotalvar, TKivVar)
public:
    explicit TKivTotalvar(TComponent* AOwner);
    ~TKivTotalvar() override;

    TKivVar* Variable() const { return FVariable; }
    void SetVariable(TKivVar* Value);
    bool IgnoreNulls() const { return FIgnoreNulls; }
    void SetIgnoreNulls(bool Value) { FIgnoreNulls = Value; }
    bool IsCurrency() const { return FIsCurrency; }
    // Levels that have accumulators (the page's level count at Initialize).
    Integer LevelCount() const { return static_cast<Integer>(FDataNowList.size()); }

    // The current accumulator of Level set to read TotalType, refreshed first when stale. A level
    // without an accumulator raises Exception.
    TKivData* GetLevelNow(Integer Level, TKivTotalType TotalType);
    TKivData* Getlevel(Integer Level, TKivTotalType TotalType) { return GetLevelNow(Level, TotalType); }
    // The previous accumulator of Level, without a refresh.
    TKivData* GetLevelLast(Integer Level, TKivTotalType TotalType);
    // Marks Level: it restarts at the next value taken in.
    void ResetLevel(Integer Level);
    void ResetMarkedLevel(Integer Level);
    void ResetAtlevel(Integer Level);
    // The previous accumulator of Level takes over the current one.
    void UpdateAtlevel(Integer Level);
    bool LevelMarked(Integer Level) const;

    TKivDataTypes GetDataType() const override;
    bool GetActive() const override;
    // A total has no single value: raises "Invalid access to totalvar: %s".
    TKivData* GetDataNow() override;
    void UpdateData() override;
    void UpdateLast() override;
    void ReverseUpdate() override;
    void Initialize() override;
    void Reset() override {}
    void ResetData() override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void AddLevels();
    void DeleteLevels();
    std::size_t CheckLevel(Integer Level) const;
    // Takes F (or C for currency accumulators) into every level that accumulates.
    void TakeIn(Double F, Currency C, bool Null);
    template <typename F>
    auto AskVariable(F&& Ask) const;
    void CopyAccumulator(TKivData* To, const TKivData* From) const;
    using TLevels = std::vector<std::unique_ptr<TKivData>>;
    // Each accumulator of To takes over From's, and each reset mark From's mark.
    void CopyLevels(TLevels& To, std::vector<Byte>& ToReset, const TLevels& From,
                    const std::vector<Byte>& FromReset) const;

    TKivVar* FVariable = nullptr;
    TLevels FDataNowList;
    TLevels FDataLastList;
    std::vector<Byte> FResetNowList;
    std::vector<Byte> FResetLastList;
    bool FCurrencyLists = false;      // the accumulators are TKivCurrency values, else TKivFloat
    bool FIgnoreNulls = false;
    mutable bool FIsCurrency = false;
    mutable bool FAsking = false; // asking FVariable (a cycle comes back here)
};

// The page's ResetTotalLevel: every total marks Level for reset.
void KivResetTotalLevel(const std::vector<TKivTotalvar*>& Totals, TKivLevel* Level);

} // namespace qor
