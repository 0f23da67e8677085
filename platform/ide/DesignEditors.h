#pragma once
// The default property editors, one for each kind of published property, which registered
// editors derive from.

#include "platform/ide/DesignIntf.h"

namespace qor {

// Numbers, strings and characters typed as text.
class TTextProperty : public TPropertyEditor {
    QOR_CLASS(TTextProperty, TPropertyEditor)
public:
    using TPropertyEditor::TPropertyEditor;
    String GetValue() override;
    void SetValue(const String& Value) override;
};

class TIntegerProperty : public TTextProperty {
    QOR_CLASS(TIntegerProperty, TTextProperty)
public:
    using TTextProperty::TTextProperty;
    // Integers that have names (colours) offer them.
    TPropertyAttributes GetAttributes() override;
    void GetValues(const TGetStrProc& Proc) override;
};

class TFloatProperty : public TTextProperty {
    QOR_CLASS(TFloatProperty, TTextProperty)
public:
    using TTextProperty::TTextProperty;
};

class TStringProperty : public TTextProperty {
    QOR_CLASS(TStringProperty, TTextProperty)
public:
    using TTextProperty::TTextProperty;
};

class TCharProperty : public TTextProperty {
    QOR_CLASS(TCharProperty, TTextProperty)
public:
    using TTextProperty::TTextProperty;
};

// Enumerations and Booleans: a list of the names; anything else is refused.
class TEnumProperty : public TPropertyEditor {
    QOR_CLASS(TEnumProperty, TPropertyEditor)
public:
    using TPropertyEditor::TPropertyEditor;
    TPropertyAttributes GetAttributes() override;
    String GetValue() override;
    void GetValues(const TGetStrProc& Proc) override;
    void SetValue(const String& Value) override;
};

class TBoolProperty : public TEnumProperty {
    QOR_CLASS(TBoolProperty, TEnumProperty)
public:
    using TEnumProperty::TEnumProperty;
};

// Sets: "[a,b]", opened into one True/False row per element.
class TSetProperty : public TPropertyEditor {
    QOR_CLASS(TSetProperty, TPropertyEditor)
public:
    using TPropertyEditor::TPropertyEditor;
    TPropertyAttributes GetAttributes() override;
    String GetValue() override;
    void SetValue(const String& Value) override;
    void GetProperties(const TGetPropEditProc& Proc) override;
};

class TSetElementProperty : public TPropertyEditor {
    QOR_CLASS(TSetElementProperty, TPropertyEditor)
public:
    TSetElementProperty(IDesigner* ADesigner, std::vector<TObject*> AComponents, const TPropInfo* AProp,
                        Integer AElement);
    TPropertyAttributes GetAttributes() override;
    String GetValue() override;
    void GetValues(const TGetStrProc& Proc) override;
    void SetValue(const String& Value) override;
    Integer Element() const { return FElement; }

private:
    Integer FElement;
};

// Objects the component owns: "(TFont)", opened into their own properties.
class TClassProperty : public TPropertyEditor {
    QOR_CLASS(TClassProperty, TPropertyEditor)
public:
    using TPropertyEditor::TPropertyEditor;
    TPropertyAttributes GetAttributes() override;
    String GetValue() override;
    void GetProperties(const TGetPropEditProc& Proc) override;
};

// References to components: the names of the form's components of the property's class. The
// empty text stores nil; an unknown name is refused (EPropertyError).
class TComponentProperty : public TPropertyEditor {
    QOR_CLASS(TComponentProperty, TPropertyEditor)
public:
    using TPropertyEditor::TPropertyEditor;
    TPropertyAttributes GetAttributes() override;
    String GetValue() override;
    void GetValues(const TGetStrProc& Proc) override;
    void SetValue(const String& Value) override;
};

// Events, as their handler's name: the form's methods that fit, or the name of a handler only the
// application has (kept and written back).
class TMethodProperty : public TPropertyEditor {
    QOR_CLASS(TMethodProperty, TPropertyEditor)
public:
    using TPropertyEditor::TPropertyEditor;
    TPropertyAttributes GetAttributes() override;
    String GetValue() override;
    void GetValues(const TGetStrProc& Proc) override;
    void SetValue(const String& Value) override;
};

// String lists, edited in a memo dialog.
class TStringListProperty : public TPropertyEditor {
    QOR_CLASS(TStringListProperty, TPropertyEditor)
public:
    using TPropertyEditor::TPropertyEditor;
    TPropertyAttributes GetAttributes() override;
    String GetValue() override;
    void Edit() override;
};

// Pictures and graphics, loaded from a file chosen in an open dialog.
class TPictureProperty : public TClassProperty {
    QOR_CLASS(TPictureProperty, TClassProperty)
public:
    using TClassProperty::TClassProperty;
    TPropertyAttributes GetAttributes() override;
    String GetValue() override;
    void Edit() override;
};

// The editor a property gets when no registration fits it.
TPropertyEditorClass DefaultPropertyEditor(const TPropInfo* Prop);

// The caption of the string-list and picture dialogs (for scripted answers).
inline constexpr const char* StringListEditorCaption = "String List Editor";

} // namespace qor
