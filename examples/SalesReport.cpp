// Runs the grouped sales report form (examples/sales/sales.qfm) from C++, with two event handlers
// of the program's own:
//   - an expression variable whose OnGetData gives "Page N of M" (the report runs in two passes:
//     the first counts the pages, the second prints them knowing M), shown by the page head in
//     place of the form's plain page number;
//   - an OnPrintWhen on the detail band that leaves out sales of nothing (amount 0.00); they still
//     count in the totals, which are those of the data.
//
// Usage: sales_report [FORM.qfm] [OUTPUT.qor | OUTPUT.pdf]
// The form finds its database (sales.db) beside itself; `make demo` builds one there. Without an
// output file the pages go into sales.qor in the current folder.

#include "platform/printing/Printers.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Application.h"
#include "runtime/engine/KivBand.h"
#include "runtime/engine/KivDBVar.h"
#include "runtime/engine/KivExprVar.h"
#include "runtime/engine/KivPage.h"
#include "runtime/engine/KivRep.h"
#include "runtime/engine/KivText.h"
#include "runtime/engine/PSetup.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

using namespace qor;

namespace {

// The component of Root named Name, of class T.
template <class T>
T* Find(TComponent* Root, const String& Name)
{
    auto* C = dynamic_cast<T*>(Root->FindComponent(Name));
    if (!C)
        throw Exception("the form has no " + Name);
    return C;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string FormFile = argc > 1 ? argv[1] : "examples/sales/sales.qfm";
    const std::string Output = argc > 2 ? argv[2] : "sales.qor";
    try {
        // Names in the form (the database) are taken from the form's folder.
        std::unique_ptr<TComponent> Form(ReadComponentFromFile(FormFile));
        auto* Report = Find<TKivReport>(Form.get(), "Report");
        auto* Page = Find<TKivGrouppage>(Form.get(), "SalesPage");

        // "Page N of M": N is the page being made; M is known from the counting pass.
        auto* PageOf = new TKivExprVar(Form.get());
        PageOf->SetName("PageOf");
        PageOf->SetDataType(dtypeString);
        PageOf->SetParent(Page);
        PageOf->SetUpdateLevel(Find<TKivLevel>(Form.get(), "PageHeadLevel"));
        PageOf->OnGetData = [Page](TKivVar* Var) {
            String Text = "Page " + std::to_string(Page->PageNumber());
            if (Page->PageCount() > 0)
                Text += " of " + std::to_string(Page->PageCount());
            Var->SetAsString(Text);
        };
        auto* PageLabel = Find<TKivvarlabel>(Form.get(), "PageNumber");
        PageLabel->SetVariable(PageOf);
        PageLabel->DataFormat()->SetDisplayFormat("");
        Page->SetTwoPass(true);

        // Sales of nothing are left out of the list.
        auto* Amount = Find<TKivDBVar>(Form.get(), "Amount");
        Find<TKivBand>(Form.get(), "Detail")->OnPrintWhen = [Amount](TKivBand*, bool& Print) {
            Print = Amount->AsFloat() != 0;
        };

        // Errors inside the run (the database, the query) are shown by the application; keep the
        // first one and fail with it.
        String RunError;
        Application()->OnException = [&RunError](TObject*, const Exception& E) {
            if (RunError.empty())
                RunError = E.Message();
        };

        TKivPageSetup* Setup = Page->PageSetup();
        const std::filesystem::path Extension = std::filesystem::path(Output).extension();
        if (Extension != ".qor" && Extension != ".pdf")
            throw Exception("the output must be a page file (.qor) or a PDF file (.pdf): " + Output);
        const bool ToPdf = Extension == ".pdf";
        if (ToPdf) {
            TPrinter* P = Printer();
            const Integer Pdf = P->Printers()->IndexOf("PDF");
            if (Pdf < 0)
                throw Exception("the PDF printer is not installed");
            P->SetPrinterIndex(Pdf);
            Page->SetPrintFileName(std::filesystem::absolute(Output).string());
            Setup->SetDestination(destPrinter);
        } else {
            Setup->SetDestination(destFile);
            Page->SetQorFileName(Output);
        }
        Report->SetPrompt(false);
        Report->SetSuppressStatus(true);
        Report->Run();
        if (!RunError.empty()) {
            // The pages made without the data are not the report: leave no file behind.
            std::error_code Ignored;
            std::filesystem::remove(Output, Ignored);
            throw Exception(RunError);
        }
        std::printf("Written: %s (%d pages)\n", Output.c_str(), int(Page->PageCount()));
        return 0;
    } catch (const std::exception& E) {
        std::fprintf(stderr, "sales_report: %s\n", E.what());
        return 1;
    }
}
