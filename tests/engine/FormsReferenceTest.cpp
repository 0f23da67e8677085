// docs/forms.md, the reference of the form file: its class tables are made from the class registry's
// published properties, so a property added without them fails here; every worked example in it
// runs with qor run. QOR_WRITE_DOCS=1 writes the file anew from the registry.

#include "common/TestOutput.h"
#include "output/OutputTestSupport.h"
#include "platform/rtl/ClassRegistry.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/TypeInfo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

using namespace qor;

namespace {

const std::string DocFile = std::string(QOR_SOURCE_DIR) + "/docs/forms.md";
const std::string Marker = "<!-- Everything below is made from the class registry: edit the classes, not these tables "
                           "(QOR_WRITE_DOCS=1 build/tests/test_engine --gtest_filter='FormsReference.*'). -->";

// What a form holds, in the order the reference lists them.
const std::vector<std::pair<std::string, std::vector<std::string>>> Topics = {
    {"Report, pages, bands and groups",
     {"TKivReport", "TKivGrouppage", "TKivBand", "TKivSubBand", "TKivAttachedBand", "TKivOverlayBand",
      "TKivSubDataBand", "TKivDataHeadBand", "TKivDataFootBand", "TKivGroup", "TKivLevel", "TKivReportButton",
      "TKivReportDestination"}},
    {"Variables",
     {"TKivDBVar", "TKivExprVar", "TKivDateTimeVar", "TKivPageVar", "TKivTotalvar", "TKivCalc", "TKivCurrCalc"}},
    {"Labels",
     {"TKivTextLabel", "TKivvarlabel", "TKivTotalvarLabel", "TKivCheckLabel", "TKivLine", "TKivShape", "TKivImageLabel",
      "TKivVerticalDivider", "TKivBarCodeLabel", "TKivRichTextLabel", "TKivCustomLabel"}},
    {"Data", {"TDatabase", "TQuery", "TCsvDataSet", "TMemoryDataSet", "TDataSource"}},
};

// Report classes that are made by a program or the designer, never written in a form, and the base
// classes (listed with the base classes).
const std::set<std::string> NotInForms = {
    "TKivBandHead", "TKivDSGuide", "TKivDataSourceGuide", "TKivRuler", "TKivRulerContainer", "TKivUnitMaster",
    "TKivNoScaleBtn",
    "TKivPage",     "TKivLabel",   "TKivTVLabel",         "TKivVar",   "TKivVarRefLabel"};

std::string Code(const std::string& Text) { return "`" + Text + "`"; }

std::string EnumValues(const TEnumInfo* E)
{
    std::string Out;
    for (Integer I = 0; E && I < E->Count(); ++I)
        Out += (I ? ", " : "") + Code(E->Name(I));
    return Out;
}

std::string TypeText(const TPropInfo& P)
{
    switch (P.Kind) {
    case TPropKind::Integer:
    case TPropKind::Int64:
        return P.Idents && !P.Idents->empty() ? "integer, or a name as " + Code(P.Idents->front().Name) : "integer";
    case TPropKind::Float: return "number";
    case TPropKind::Currency: return "currency (four decimals)";
    case TPropKind::String: return "text";
    case TPropKind::Boolean: return "`True` or `False`";
    case TPropKind::Enumeration: return "one of " + EnumValues(P.EnumType);
    case TPropKind::Set: return "set of " + EnumValues(P.EnumType);
    case TPropKind::Char: return "character";
    case TPropKind::SubObject:
        return "object " + Code(P.ObjectClass() ? P.ObjectClass()->Name : "?") + ": its properties as " +
               Code(P.Name + ".Name");
    case TPropKind::Component: return "name of a " + Code(P.ObjectClass() ? P.ObjectClass()->Name : "component");
    case TPropKind::Strings: return "lines, as " + Code(P.Name + ".Strings = ('one' 'two')");
    case TPropKind::Method: return "event: a handler bound in C++";
    }
    return "?";
}

std::string DefaultText(const TPropInfo& P)
{
    if (!P.HasDefault)
        return "";
    const TPropValue& V = P.DefaultValue;
    switch (P.Kind) {
    case TPropKind::Integer:
    case TPropKind::Int64: {
        const Int64 N = detail::ValueAsInt(V);
        if (P.Idents)
            for (const TIntIdent& I : *P.Idents)
                if (I.Value == N)
                    return Code(I.Name);
        return Code(std::to_string(N));
    }
    case TPropKind::Float: {
        std::ostringstream S;
        S << detail::ValueAsFloat(V);
        return Code(S.str());
    }
    case TPropKind::Currency: return Code(CurrencyRawToText(detail::ValueAsInt(V)));
    case TPropKind::String: return Code("'" + detail::ValueAsString(V) + "'");
    case TPropKind::Boolean:
    case TPropKind::Enumeration: return Code(P.EnumType->Name(detail::ValueAsInt(V)));
    case TPropKind::Set: return Code(SetToText(P.EnumType, static_cast<UInt64>(detail::ValueAsInt(V))));
    case TPropKind::Component: return "none";
    default: return "";
    }
}

void ClassTable(std::ostream& Out, TClass C)
{
    Out << "### " << C->Name << "\n\n";
    std::string Chain;
    for (TClass P = C->Parent; P; P = P->Parent)
        Chain += (Chain.empty() ? "" : " → ") + Code(P->Name);
    Out << (C->NewComponent ? "Written as `object Name: " + C->Name + "`. " : std::string())
        << "Base classes: " << Chain << ".\n\n";
    if (C->Properties.empty()) {
        Out << "No properties of its own.\n\n";
        return;
    }
    Out << "| property | value | default |\n| --- | --- | --- |\n";
    for (const auto& P : C->Properties)
        Out << "| " << Code(P->Name) << " | " << TypeText(*P) << (P->ReadOnly ? " (read only)" : "") << " | "
            << DefaultText(*P) << " |\n";
    Out << "\n";
}

// The generated part: each topic's classes, then the base classes and property objects they use.
std::string Generated()
{
    std::ostringstream Out;
    std::vector<TClass> Listed, Extra;
    std::set<TClass> Seen;
    const auto Note = [&](TClass C) {
        if (C && Seen.insert(C).second)
            Extra.push_back(C);
    };
    for (const auto& [Topic, Names] : Topics)
        for (const std::string& Name : Names) {
            const TClass C = GetClass(Name);
            EXPECT_NE(C, nullptr) << Name;
            if (C && Seen.insert(C).second)
                Listed.push_back(C);
        }
    Out << Marker << "\n\n## Classes\n\n";
    size_t At = 0;
    for (const auto& [Topic, Names] : Topics) {
        Out << "## " << Topic << "\n\n";
        for (size_t I = 0; I < Names.size(); ++I, ++At)
            ClassTable(Out, Listed[At]);
    }
    // Base classes and property objects, until nothing new comes up.
    std::vector<TClass> Work = Listed;
    for (size_t I = 0; I < Work.size(); ++I) {
        for (TClass P = Work[I]->Parent; P && P->Name != "TComponent" && P->Name != "TPersistent"; P = P->Parent)
            if (!Seen.count(P)) {
                Note(P);
                Work.push_back(P);
            }
        for (const TPropInfo* P : Work[I]->AllProperties())
            if (P->Kind == TPropKind::SubObject && P->ObjectClass() && !Seen.count(P->ObjectClass())) {
                Note(P->ObjectClass());
                Work.push_back(P->ObjectClass());
            }
    }
    std::sort(Extra.begin(), Extra.end(), [](TClass A, TClass B) { return A->Name < B->Name; });
    Out << "## Base classes and property objects\n\n";
    for (TClass C : Extra)
        ClassTable(Out, C);
    return Out.str();
}

std::string ReadFile(const std::string& File)
{
    std::ifstream In(File, std::ios::binary);
    std::ostringstream S;
    S << In.rdbuf();
    return S.str();
}

TEST(FormsReference, TheClassTablesAreThoseOfTheRegistry)
{
    const std::string Doc = ReadFile(DocFile);
    const size_t At = Doc.find(Marker);
    ASSERT_NE(At, std::string::npos) << DocFile << " has lost its marker line";
    const std::string Expected = Doc.substr(0, At) + Generated();
    if (const char* Write = std::getenv("QOR_WRITE_DOCS"); Write && *Write) {
        std::ofstream(DocFile, std::ios::binary) << Expected;
        return;
    }
    if (Doc != Expected) {
        const std::string Fresh = test::TestOutputFile("forms.md");
        std::ofstream(Fresh, std::ios::binary) << Expected;
        FAIL() << DocFile << " does not list the published properties as they are; the file as it should be is "
               << Fresh << " (QOR_WRITE_DOCS=1 writes it in place)";
    }
}

TEST(FormsReference, EveryReportClassAFormCanHoldIsListed)
{
    std::set<std::string> Listed;
    for (const auto& [Topic, Names] : Topics)
        Listed.insert(Names.begin(), Names.end());
    for (TClass C : RegisteredClasses())
        if (C->Name.rfind("TKiv", 0) == 0 && C->NewComponent && !Listed.count(C->Name) && !NotInForms.count(C->Name))
            ADD_FAILURE() << C->Name << " can be written in a form but docs/forms.md does not list it";
}

// A form freed whole does not tell its members of each other's going: a reference from one report
// component to another hears of the other's going only through its free notification. The holder
// and the component it refers to have different owners here, so nothing else tells the holder.
TEST(FormsReference, EveryComponentReferenceIsClearedWhenItsComponentGoes)
{
    const std::vector<TClass> Classes = RegisteredClasses();
    // The class itself when it can be made, else a report class derived from it, else any.
    auto Creatable = [&Classes](TClass Of) -> TClass {
        if (!Of || Of->NewComponent)
            return Of;
        TClass Any = nullptr;
        for (TClass C : Classes)
            if (C->NewComponent && C->InheritsFrom(Of)) {
                if (C->Name.rfind("TKiv", 0) == 0)
                    return C;
                Any = Any ? Any : C;
            }
        return Any;
    };
    int Checked = 0;
    for (TClass C : Classes) {
        if (C->Name.rfind("TKiv", 0) != 0 || !C->NewComponent)
            continue;
        for (const TPropInfo* P : C->AllProperties()) {
            const TClass Target = P->Kind == TPropKind::Component && !P->ReadOnly ? Creatable(P->ObjectClass())
                                                                                  : nullptr;
            if (!Target)
                continue;
            SCOPED_TRACE(C->Name + "." + P->Name + " = " + Target->Name);
            TComponent Holders(nullptr), Targets(nullptr);
            TComponent* Holder = C->NewComponent(&Holders);
            TComponent* Referred = Target->NewComponent(&Targets);
            try {
                P->SetValue(Holder, static_cast<TObject*>(Referred));
            } catch (const Exception&) {
                continue; // a reference only to a component of the holder's own form (a focus control)
            }
            if (std::get<TObject*>(P->GetValue(Holder)) != Referred)
                continue; // a property only cleared, never set (an obsolete one)
            Free(Referred);
            EXPECT_EQ(std::get<TObject*>(P->GetValue(Holder)), nullptr);
            ++Checked;
        }
    }
    EXPECT_GE(Checked, 40);
}

// The ```qfm examples of the reference, each with the text its page file must hold (the line
// "<!-- shows: TEXT -->" after it).
TEST(FormsReference, EveryWorkedExampleRuns)
{
    const std::string Doc = ReadFile(DocFile);
    const std::filesystem::path Dir = test::TestOutputFile("forms-examples");
    std::filesystem::remove_all(Dir);
    std::filesystem::create_directories(Dir);
    int Examples = 0;
    for (size_t At = Doc.find("```qfm\n"); At != std::string::npos; At = Doc.find("```qfm\n", At + 1)) {
        const size_t Begin = At + 7, End = Doc.find("```\n", Begin);
        ASSERT_NE(End, std::string::npos);
        const std::string Form = Doc.substr(Begin, End - Begin);
        const size_t Shows = Doc.find("<!-- shows: ", End);
        ASSERT_NE(Shows, std::string::npos) << "example " << Examples + 1 << " says nothing of what it shows";
        const std::string Text = Doc.substr(Shows + 12, Doc.find(" -->", Shows) - Shows - 12);
        const std::string Name = "example-" + std::to_string(++Examples);
        SCOPED_TRACE(Name + ":\n" + Form);
        std::ofstream((Dir / (Name + ".qfm")).string(), std::ios::binary) << Form;
        const test::TToolRun Run = test::RunQorTool("run --quiet '" + (Dir / (Name + ".qfm")).string() + "' --to '" +
                                                        (Dir / (Name + ".qor")).string() + "'",
                                                    Dir, "QT_QPA_PLATFORM=offscreen CUPS_SERVER=127.0.0.1:9");
        ASSERT_EQ(Run.Exit, 0) << Run.Err;
        EXPECT_EQ(Run.Err, "") << "--quiet leaves stderr empty";
        const test::TToolRun Dump = test::RunQorTool("dump '" + (Dir / (Name + ".qor")).string() + "'", Dir);
        EXPECT_NE(Dump.Out.find(Text), std::string::npos) << "the page file does not hold " << Text;
    }
    EXPECT_GE(Examples, 11) << "one example for each kind of label";
}

} // namespace
