#pragma once
// TPersistent: objects that can be assigned to one another and streamed.

#include "platform/rtl/TypeInfo.h"

namespace qor {

class TFiler;

class TPersistent : public TObject {
    QOR_CLASS(TPersistent, TObject)
public:
    TPersistent() = default;

    // Copies Source into this object. The default asks Source to AssignTo this one and raises
    // EConvertError "Cannot assign a X to a Y" when neither knows how.
    virtual void Assign(TPersistent* Source);

    // Declares properties stored beyond the published ones (TFiler::DefineProperty).
    virtual void DefineProperties(TFiler& Filer);

    // The path of this object as the inspector and error messages show it.
    virtual String GetNamePath() const;

protected:
    virtual void AssignTo(TPersistent* Dest);
    // The object that owns this one for name paths (sub-objects answer their owner).
    virtual TPersistent* GetOwner() const { return nullptr; }
};

} // namespace qor
