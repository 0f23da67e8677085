#pragma once
// The editor a property gets when no registration fits it. The default editors (DesignEditors.cpp)
// derive from the classes of the design interface, so they hand it their choice when the library
// is loaded instead of being named by it. Private to platform/ide.

#include "platform/ide/DesignIntf.h"

namespace qor {

using TDefaultPropertyEditorProc = TPropertyEditorClass (*)(const TPropInfo* Prop);

// What FindPropertyEditor answers when no registration fits.
void SetDefaultPropertyEditorProc(TDefaultPropertyEditorProc Proc);

} // namespace qor
