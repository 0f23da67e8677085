// Seeded mutation of printer descriptions: each mutant gives printers with usable capabilities
// or raises EPrinter naming the file.

#include "platform/printing/PrinterDriver.h"
#include "platform/rtl/Exceptions.h"

#include "TextMutator.h"

#include <gtest/gtest.h>

using namespace qor;

namespace {

const char* const Seeds[] = {
    R"({"printers": [{"name": "Office", "driver": "laser", "port": "LPT1:",
      "papers": [{"code": 9}, {"code": 1, "name": "Letter"}, {"code": 300, "name": "Label", "width": 1000, "length": 500}],
      "bins": [{"code": 7}, {"code": 257, "name": "Tray 9"}], "resolutions": [300, [600, 1200]],
      "copies": 99, "duplex": true, "color": false, "margins": {"left": 50, "top": 50, "right": 50, "bottom": 50},
      "output": "/tmp/qor-fuzz-out", "default": true}]})",
    R"({"printers": [{"name": "A", "papers": [{"code": 11}], "bins": [], "resolutions": [72], "copies": 1},
      {"name": "B", "papers": [{"code": 8}], "bins": [], "resolutions": [[1, 32767]], "copies": 32767}]})",
};

const char* const Tokens[] = {"{", "}", "[", "]", ",", ":", "\"", "1e300", "-1e300", "1e400", "-1", "0", "32767",
                              "32768", "-32769", "9.5", "null", "true", "\"\"", "\"code\": ", "\"name\": \"X\"",
                              "{\"code\": 300, \"name\": \"C\", \"width\": 10, \"length\": 10}", "\\u0000", "\\"};

} // namespace

TEST(DescriptionFuzz, MutatedDescriptionsParseOrRaise)
{
    for (const char* Seed : Seeds)
        ASSERT_NO_THROW(ParseDescribedPrinters(Seed, "seed.json")) << Seed;
    test::TTextMutator M(97531, Tokens, 2);
    int Parsed = 0;
    for (int Iteration = 0; Iteration < 3000; ++Iteration) {
        const std::string Input = M.Mutate(Seeds[Iteration % std::size(Seeds)]);
        try {
            for (const auto& D : ParseDescribedPrinters(Input, "fuzz.json")) {
                const TPrinterCapabilities& C = D->Capabilities();
                ASSERT_FALSE(C.Papers.empty());
                ASSERT_FALSE(C.Resolutions.empty());
                ASSERT_GE(C.MaxCopies, 1);
                for (const TPaperInfo& P : C.Papers)
                    ASSERT_TRUE(P.Width > C.Margins.Left + C.Margins.Right && P.Length > C.Margins.Top + C.Margins.Bottom);
            }
            ++Parsed;
        } catch (const EPrinter& E) {
            ASSERT_NE(E.Message().find("fuzz.json"), String::npos) << E.Message();
        }
    }
    EXPECT_GT(Parsed, 50);
}
