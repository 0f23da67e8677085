#pragma once
// The common base of fonts, pens and brushes: a persistent object that announces its changes.

#include "platform/graphics/Color.h"
#include "platform/graphics/GdiTypes.h"
#include "platform/rtl/Events.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/TypeInfo.h"

namespace qor {

// The colour names form files use for TColor properties (clWhite, clBtnFace, ...).
const TIntIdentMap& ColorIdents();

class TGraphicsObject : public TPersistent {
    QOR_CLASS(TGraphicsObject, TPersistent)
public:
    TGraphicsObject() = default;

    TNotifyEvent OnChange;

protected:
    virtual void Changed();
};

} // namespace qor
