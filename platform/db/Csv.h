#pragma once
// Reading comma-separated text: quoted fields may hold separators, doubled quotes and line
// breaks; lines end in LF, CR LF or CR; a UTF-8 byte-order mark at the start is skipped.

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

#include <string_view>
#include <vector>

namespace qor {

// A line that cannot be read; Line() is the 1-based line number where the fault was found.
class ECsvError : public EDatabaseError {
public:
    ECsvError(Integer Line, String Cause);
    Integer Line() const { return FLine; }
    const String& Cause() const { return FCause; }

private:
    Integer FLine;
    String FCause;
};

struct TCsvOptions {
    char Separator = ',';
    char Quote = '"';
};

class TCsvReader {
public:
    // Text must outlive the reader.
    explicit TCsvReader(std::string_view Text, TCsvOptions Options = {});

    // Reads the next record into Fields; false at the end of the text. Lines that hold nothing at
    // all are skipped. A quote that is never closed, or text after a closing quote, raises ECsvError.
    bool ReadRecord(std::vector<String>& Fields);

    // The line on which the record last read begins (1-based).
    Integer RecordLine() const { return FRecordLine; }

private:
    bool AtLineEnd() const;
    void SkipLineEnd();

    std::string_view FText;
    TCsvOptions FOptions;
    std::size_t FPos = 0;
    Integer FLine = 1;
    Integer FRecordLine = 0;
};

} // namespace qor
