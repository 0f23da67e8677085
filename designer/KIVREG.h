#pragma once
// The report designer's entry point for the design host: the palette page, the classes that are
// designed without an icon, the editors that turn the report components' references into lists
// of the right objects of the same page, and the group page's component editor, which owns the
// way to the band and group manager.

#include "platform/ide/DesignEditors.h"

namespace qor {

class TKivPage;

// Registers the designer with the host (called once by RegisterPackages).
void Register();
// Hands Register to the host as the package "qordsgn".
void RegisterDesignPackage();

// The band and group manager's way in: the first editor that makes a page's manager leaves it
// hidden; every later double click or "Page Manager" shows it.
class TKivGrouppageEditor : public TComponentEditor {
    QOR_CLASS(TKivGrouppageEditor, TComponentEditor)
public:
    TKivGrouppageEditor(TComponent* AComponent, IDesigner* ADesigner);
    void Edit() override;
    Integer GetVerbCount() override { return 1; }
    String GetVerb(Integer Index) override;
    void ExecuteVerb(Integer Index) override;
    bool First() const { return FFirst; }

private:
    bool FFirst = false;
};

// A reference shown as its name (empty when none).
class TKivNamedRefProperty : public TComponentProperty {
    QOR_CLASS(TKivNamedRefProperty, TComponentProperty)
public:
    using TComponentProperty::TComponentProperty;
    String GetValue() override;

protected:
    void SetRef(TObject* Value);
};

// A plain (not total) variable of the page.
class TKivVarProperty : public TKivNamedRefProperty {
    QOR_CLASS(TKivVarProperty, TKivNamedRefProperty)
public:
    using TKivNamedRefProperty::TKivNamedRefProperty;
    void GetValues(const TGetStrProc& Proc) override;
    void SetValue(const String& Value) override;
};

// A total variable of the page.
class TKivTotalVarProperty : public TKivNamedRefProperty {
    QOR_CLASS(TKivTotalVarProperty, TKivNamedRefProperty)
public:
    using TKivNamedRefProperty::TKivNamedRefProperty;
    void GetValues(const TGetStrProc& Proc) override;
    void SetValue(const String& Value) override;
};

// A level of the page.
class TKivLevelProperty : public TKivNamedRefProperty {
    QOR_CLASS(TKivLevelProperty, TKivNamedRefProperty)
public:
    using TKivNamedRefProperty::TKivNamedRefProperty;
    void GetValues(const TGetStrProc& Proc) override;
    void SetValue(const String& Value) override;

protected:
    virtual bool Offers(const class TKivLevel* Level) const;
};

// A level a total label can read: header levels keep no totals.
class TKivTotalLevelProperty : public TKivLevelProperty {
    QOR_CLASS(TKivTotalLevelProperty, TKivLevelProperty)
public:
    using TKivLevelProperty::TKivLevelProperty;

protected:
    bool Offers(const TKivLevel* Level) const override;
};

// Shown as "(class)", opened but not set.
class TKivReadOnlySubProperty : public TClassProperty {
    QOR_CLASS(TKivReadOnlySubProperty, TClassProperty)
public:
    using TClassProperty::TClassProperty;
    TPropertyAttributes GetAttributes() override { return {paSubProperties, paReadOnly}; }
};

class TKivDataSourceDSGProperty : public TKivReadOnlySubProperty {
    QOR_CLASS(TKivDataSourceDSGProperty, TKivReadOnlySubProperty)
public:
    using TKivReadOnlySubProperty::TKivReadOnlySubProperty;
};

// The data-set references kept for old forms: they can only be cleared.
class TKivDataSetProperty : public TKivNamedRefProperty {
    QOR_CLASS(TKivDataSetProperty, TKivNamedRefProperty)
public:
    using TKivNamedRefProperty::TKivNamedRefProperty;
    void GetValues(const TGetStrProc& Proc) override;
    void SetValue(const String& Value) override;
};

// The band a band's reserve space counts: a band of the same page.
class TKivReserveBandProperty : public TKivNamedRefProperty {
    QOR_CLASS(TKivReserveBandProperty, TKivNamedRefProperty)
public:
    using TKivNamedRefProperty::TKivNamedRefProperty;
    void GetValues(const TGetStrProc& Proc) override;
    void SetValue(const String& Value) override;

private:
    TKivPage* ReservePage() const;
};

// Messages of the editors (the inspector shows them and keeps the old value).
inline constexpr const char* KivNoPageText = "variable property editor can not find page";
inline constexpr const char* KivInvalidPropertyText = "Invalid Property";
inline constexpr const char* KivTotalInVarText = "You cannot assign a Total Variable to a Variable Property";
inline constexpr const char* KivVarInTotalText = "You must assign a Total Variable.";
inline constexpr const char* KivDataSetGoneText = "Dataset is no longer being supported, use the DataSource property instead";

} // namespace qor
