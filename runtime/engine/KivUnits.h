#pragma once
// The units a page setup measures in and the conversions between them. Apart from KivUtil.h so
// that the page setup need not include the designer's rulers and buttons.

#include "platform/rtl/Object.h"
#include "platform/rtl/TypeInfo.h"

namespace qor {

enum TKivUnits : Byte { unitInches, unitMiliMeters, unitCentiMeters };
QOR_ENUM_NAMES(TKivUnits, "unitInches", "unitMiliMeters", "unitCentiMeters");

// Conversions between units; an unknown unit gives 0.
class TKivUnitMaster : public TObject {
    QOR_CLASS(TKivUnitMaster, TObject)
public:
    TKivUnitMaster() = default;
    Double ToIn(TKivUnits From, Double Value) const;
    Double ToMM(TKivUnits From, Double Value) const;
    Double ToCM(TKivUnits From, Double Value) const;
    Double InTo(TKivUnits UTo, Double Value) const;
    Double MMTo(TKivUnits UTo, Double Value) const;
    Double CMTo(TKivUnits UTo, Double Value) const;
    Double UnitToUnit(TKivUnits From, TKivUnits UTo, Double Value) const;
};

} // namespace qor
