#pragma once
// The class registry: classes by name, for form files and for creating components by class name.
// QOR_PUBLISH (TypeInfo.h) registers every class it describes.

#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

#include <initializer_list>
#include <vector>

namespace qor {

class TComponent;

void RegisterClass(TClass AClass);
void RegisterClasses(std::initializer_list<TClass> Classes);
void UnRegisterClass(TClass AClass);
// Null when no class of that name is registered (ignoring case).
TClass GetClass(const String& ClassName);
// Raises EClassNotFound "Class X not found".
TClass FindClass(const String& ClassName);
// Every registered class, sorted by name (for references and tools).
std::vector<TClass> RegisteredClasses();
// A new component of a registered class; raises EClassNotFound, or EComponentError when the class
// cannot be created by name.
TComponent* CreateComponent(const String& ClassName, TComponent* Owner);

} // namespace qor
