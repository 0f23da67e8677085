// libFuzzer target: rich text (RTF, or plain text). Every input reads into a document whose
// length agrees with its paragraphs.

#include "platform/ui/RtfReader.h"

#include <cstdint>
#include <cstdlib>
#include <span>

using namespace qor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    TRichDocument Doc;
    ReadRichText(std::span<const Byte>(Data, Size), Doc);
    Integer Length = 0;
    for (Integer P = 0; P < Doc.ParagraphCount(); ++P)
        Length += Doc.Paragraph(P).Length();
    if (Length != Doc.TextLength() || static_cast<std::size_t>(Length) != Doc.Text().size())
        std::abort();
    return 0;
}
