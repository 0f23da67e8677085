#include "platform/db/Csv.h"

namespace qor {

ECsvError::ECsvError(Integer Line, String Cause)
    : EDatabaseError("line " + std::to_string(Line) + ": " + Cause), FLine(Line),
      FCause(std::move(Cause))
{
}

TCsvReader::TCsvReader(std::string_view Text, TCsvOptions Options) : FText(Text), FOptions(Options)
{
    if (FText.size() >= 3 && FText.substr(0, 3) == "\xEF\xBB\xBF")
        FPos = 3;
}

bool TCsvReader::AtLineEnd() const
{
    return FPos >= FText.size() || FText[FPos] == '\n' || FText[FPos] == '\r';
}

void TCsvReader::SkipLineEnd()
{
    if (FPos >= FText.size())
        return;
    if (FText[FPos] == '\r' && FPos + 1 < FText.size() && FText[FPos + 1] == '\n')
        ++FPos;
    ++FPos;
    ++FLine;
}

bool TCsvReader::ReadRecord(std::vector<String>& Fields)
{
    Fields.clear();
    while (FPos < FText.size() && (FText[FPos] == '\n' || FText[FPos] == '\r'))
        SkipLineEnd();
    if (FPos >= FText.size())
        return false;

    FRecordLine = FLine;
    const char Sep = FOptions.Separator;
    const char Quote = FOptions.Quote;
    for (;;) {
        String Field;
        if (Quote != '\0' && FPos < FText.size() && FText[FPos] == Quote) {
            const Integer StartLine = FLine;
            ++FPos;
            for (;;) {
                if (FPos >= FText.size())
                    throw ECsvError(StartLine, "quoted field is not closed");
                const char c = FText[FPos];
                if (c == Quote) {
                    if (FPos + 1 < FText.size() && FText[FPos + 1] == Quote) {
                        Field += Quote;
                        FPos += 2;
                        continue;
                    }
                    ++FPos;
                    break;
                }
                if (c == '\n' || (c == '\r' && !(FPos + 1 < FText.size() && FText[FPos + 1] == '\n')))
                    ++FLine;
                Field += c;
                ++FPos;
            }
            if (!AtLineEnd() && FText[FPos] != Sep)
                throw ECsvError(FLine, "unexpected text after a closing quote");
        } else {
            const std::size_t Start = FPos;
            while (!AtLineEnd() && FText[FPos] != Sep)
                ++FPos;
            Field.assign(FText.substr(Start, FPos - Start));
        }
        Fields.push_back(std::move(Field));
        if (AtLineEnd()) {
            SkipLineEnd();
            return true;
        }
        ++FPos; // the separator
    }
}

} // namespace qor
