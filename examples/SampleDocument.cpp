// Draws the three-page sample document twice through an output job: into a page file, and onto
// the PDF printer. Usage: sample_document [FOLDER] (default: the current folder).

#include "examples/SampleDocument.h"
#include "platform/printing/Printers.h"
#include "platform/rtl/StringList.h"
#include "runtime/output/QorFile.h"

#include <cstdio>
#include <exception>
#include <filesystem>

using namespace qor;

int main(int argc, char** argv)
{
    const std::filesystem::path Folder = std::filesystem::absolute(argc > 1 ? argv[1] : ".");
    try {
        std::filesystem::create_directories(Folder);
        const String PageFile = (Folder / "sample.qor").string();
        const String Pdf = (Folder / "sample.pdf").string();

        TQorOutput ToFile;
        ToFile.SetDestination(qdQorFile);
        ToFile.SetFileName(PageFile);
        ToFile.SetDescription("Sample document");
        ToFile.BeginDoc();
        sample::DrawSampleDocument(ToFile);
        ToFile.EndDoc();
        std::printf("Page file: %s (%d pages; see it with: qor dump %s)\n", PageFile.c_str(),
                    int(ToFile.QorFile()->PageCount()), PageFile.c_str());

        TPrinter* P = Printer();
        const Integer PdfIndex = P->Printers()->IndexOf("PDF");
        if (PdfIndex < 0) {
            std::fprintf(stderr, "sample_document: the PDF printer is not installed\n");
            return 1;
        }
        P->SetPrinterIndex(PdfIndex);
        TQorOutput ToPrinter;
        ToPrinter.SetPrintFileName(Pdf);
        ToPrinter.SetDescription("Sample document");
        ToPrinter.BeginDoc();
        sample::DrawSampleDocument(ToPrinter);
        ToPrinter.EndDoc();
        if (!ToPrinter.ExceptionText().empty()) {
            std::fprintf(stderr, "sample_document: printing failed: %s\n", ToPrinter.ExceptionText().c_str());
            return 1;
        }
        std::printf("Printed on the PDF printer: %s\n", P->LastOutputFile().c_str());
        return 0;
    } catch (const std::exception& E) {
        std::fprintf(stderr, "sample_document: %s\n", E.what());
        return 1;
    }
}
