// Writes a one-page page file through the installed library: consumer OUTPUT.qor
#include "runtime/Version.h"
#include "runtime/output/QorFile.h"
#include "runtime/output/QorOut.h"

#include <cstdio>
#include <exception>

using namespace qor;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: consumer OUTPUT.qor\n");
        return 2;
    }
    try {
        TQorOutput Output;
        Output.SetDestination(qdQorFile);
        Output.SetFileName(argv[1]);
        Output.SetDescription("Consumer");
        Output.BeginDoc();
        Output.QorCanvas()->Textout(96, 96, String("Hello from qor ") + QorLibraryVersion());
        Output.EndDoc();
        std::printf("%s: %d page(s)\n", argv[1], int(Output.QorFile()->PageCount()));
        return 0;
    } catch (const std::exception& E) {
        std::fprintf(stderr, "consumer: %s\n", E.what());
        return 1;
    }
}
