#pragma once
// Variables that get their value from the application (TKivExprVar, through OnGetData), from the
// moment the run started (TKivDateTimeVar) and from the page count (TKivPageVar).

#include "runtime/engine/KivVarBase.h"

namespace qor {

using TGetDataEvent = TEvent<TKivVar*>;

class TKivExprVar : public TKivVar {
    QOR_CLASS(TKivExprVar, TKivVar)
public:
    explicit TKivExprVar(TComponent* AOwner);

    // Sets the value through the variable's setters (AsString, AsFloat, ...); may read other
    // variables, which refresh themselves.
    TGetDataEvent OnGetData;

    // Raises "Circular variable reference for variable: %s" when entered again while refreshing.
    void UpdateData() override;
};

class TKivDateTimeVar : public TKivVar {
    QOR_CLASS(TKivDateTimeVar, TKivVar)
public:
    explicit TKivDateTimeVar(TComponent* AOwner);
    // The current and the previous value hold the moment of initialisation.
    void Initialize() override;

protected:
    TKivLevel* DefaultLevel(IKivPage* Page) const override;
};

class TKivPageVar : public TKivVar {
    QOR_CLASS(TKivPageVar, TKivVar)
public:
    explicit TKivPageVar(TComponent* AOwner);
    // Counts one on.
    void UpdateData() override;

protected:
    TKivLevel* DefaultLevel(IKivPage* Page) const override;
};

} // namespace qor
