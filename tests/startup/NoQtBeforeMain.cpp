// Loading the libraries must not start Qt: objects that need it are made on first use, after main
// has begun (a program may set up its environment, or never touch Qt at all). Static
// initialisation of every linked library has run by the time main is entered, so a Qt application
// object existing here was made by one of them.

#include "platform/rtl/QtHost.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "runtime/Version.h"
#include "runtime/output/QorMemoU.h"

#include <cstdio>

int main()
{
    if (qor::QtApplicationExists()) {
        std::fprintf(stderr, "a Qt application was created before main\n");
        return 1;
    }
    // What start-up objects put off until first use works when first used: a hidden form with a
    // memo that wraps text.
    qor::TForm form(nullptr);
    auto* memo = qor::Create<qor::TMemo>(&form);
    memo->SetParent(&form);
    memo->SetWidth(60);
    memo->SetWordWrap(true);
    memo->SetText("several words that cannot fit on one narrow line");
    if (memo->Lines()->Count() < 2) {
        std::fprintf(stderr, "the memo did not wrap its text\n");
        return 1;
    }
    // The shared hidden form of the memo layout is made when a memo first lays text out.
    qor::TQorMemo layout;
    layout.SetWidth(60);
    qor::TMemoryStream text;
    const char words[] = "several words that cannot fit on one narrow line";
    text.Write(words, sizeof(words) - 1);
    layout.SetMemoStream(&text);
    layout.UpdateMemo();
    if (layout.MemoLines() < 2 || qor::GForm()->Name() != "QOR_Invisible_Form") {
        std::fprintf(stderr, "the memo layout did not wrap its text\n");
        return 1;
    }
    std::printf("no Qt before main (%s)\n", qor::QorLibraryVersion());
    return 0;
}
