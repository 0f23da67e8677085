// libFuzzer target: the page-file record decoder. Input: one byte choosing the file version, then a
// record stream. Every record decodes or the input is refused as damaged; what decodes encodes
// back to bytes that decode to the same record.

#include "platform/rtl/Streams.h"
#include "runtime/output/QorFormat.h"

#include <cstdint>
#include <cstdlib>

using namespace qor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (Size < 1)
        return 0;
    static const Single Versions[] = {5.0f, 4.0f, 3.5f, 2.0f, 1.0f};
    const Single Version = Versions[Data[0] % 5];
    TMemoryStream S;
    S.WriteBuffer(Data + 1, static_cast<Int64>(Size - 1));
    S.SetPosition(0);
    TQorReader R(S, Version);
    TQorRecord Rec;
    try {
        while (ReadNextQorRecord(R, Rec)) {
            TMemoryStream Again;
            TQorWriter W(Again);
            WriteQorRecord(W, Rec);
            Again.SetPosition(0);
            TQorReader R2(Again);
            TQorRecord Back;
            if (!ReadNextQorRecord(R2, Back) || R2.Remaining() != 0)
                std::abort();
            if (Version == QorFileVersion && !(Back.Code == Rec.Code && Back.Text == Rec.Text &&
                                               Back.Data == Rec.Data && Back.Points == Rec.Points))
                std::abort();
        }
    } catch (const EQorFileError&) {
    }
    return 0;
}
