// libFuzzer target: CSV text opened as a data set, with a header and without. Every input opens
// with rows of the header's width or raises EDatabaseError.

#include "platform/db/CsvDataSet.h"

#include <cstdint>
#include <cstdlib>

using namespace qor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (Size < 1)
        return 0;
    const String Text(reinterpret_cast<const char*>(Data + 1), Size - 1);
    TCsvDataSet DS(nullptr);
    DS.SetHasHeader(Data[0] & 1);
    DS.SetSeparator((Data[0] & 2) ? ';' : ',');
    DS.SetCsvText(Text);
    try {
        DS.Open();
    } catch (const EDatabaseError&) {
        return 0;
    }
    for (DS.First(); !DS.Eof(); DS.Next())
        for (Integer i = 0; i < DS.FieldCount(); ++i)
            (void)DS.Fields()->Fields(i)->DisplayText();
    return 0;
}
