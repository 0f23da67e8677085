#pragma once
// The report designer in a design host over the master-detail example: the package registered,
// the example's database made from its script, and short ways to reach components and editors.

#include "common/TestErrors.h"
#include "designer/KIVREG.h"
#include "printing/PrintTestSupport.h"
#include "platform/ide/DesignHost.h"
#include "platform/ui/DialogService.h"
#include "runtime/engine/KivPage.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace qor::test {

// The design package registered, no dialog scripted, and an empty folder for the test's files.
class DesignerFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterDesignPackage();
        RegisterPackages();
        DialogService().Reset();
        Dir = std::filesystem::path(QOR_BINARY_DIR) / "tests" / "designer-out" /
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir);
    }
    void TearDown() override { DialogService().Reset(); }

    std::filesystem::path Dir;
    TDesignHost Host;
};

class DesignerTest : public DesignerFolderTest {
protected:
    void SetUp() override
    {
        DesignerFolderTest::SetUp();
        const std::string examples = std::string(QOR_SOURCE_DIR) + "/examples/masterdetail/";
        RunCommand("sqlite3 '" + (Dir / "shop.db").string() + "' < '" + examples + "shop.sql'");
        std::filesystem::copy_file(examples + "shop.qfm", Dir / "shop.qfm");
        Host.Open((Dir / "shop.qfm").string());
    }

    template <class T = TComponent>
    T* Find(const char* Name)
    {
        T* c = dynamic_cast<T*>(Host.Root()->FindComponent(Name));
        EXPECT_NE(c, nullptr) << Name;
        return c;
    }
    TKivGrouppage* Page() { return Find<TKivGrouppage>("ShopPage"); }
    std::unique_ptr<TPropertyEditor> Editor(TObject* Holder, const char* Prop)
    {
        const TPropInfo* p = Holder->ClassType()->FindProperty(Prop);
        EXPECT_NE(p, nullptr) << Prop;
        return MakePropertyEditor(&Host, {Holder}, p, p->Name);
    }
    static std::vector<String> Values(TPropertyEditor& E)
    {
        std::vector<String> v;
        E.GetValues([&](const String& S) { v.push_back(S); });
        return v;
    }
};

} // namespace qor::test
