#pragma once
// Word wrap of a multi-line edit control.
//
// The text is split into paragraphs at line breaks (CR LF, LF or CR). Each paragraph is broken into
// lines no wider than Width: a line ends after a run of blanks (space or tab); the blanks stay at
// the end of their line and are not counted against the width, as in the platform's edit control.
// A word wider than the whole line is broken between characters (never inside a UTF-8 sequence),
// and every line holds at least one character, however narrow the width. An empty paragraph is an
// empty line. The line after the text's final line break is not a line of its own, so "" gives no
// lines and "a\n" gives one.

#include "platform/rtl/Types.h"

#include <functional>
#include <string_view>
#include <vector>

namespace qor {

// Width in pixels of a piece of one line.
using TTextWidthFn = std::function<Integer(std::string_view)>;

std::vector<String> WrapText(std::string_view Text, Integer Width, const TTextWidthFn& TextWidth);
// One paragraph (a text without line breaks) broken into lines; an empty one is one empty line.
// The lines put together again give the paragraph.
std::vector<String> WrapParagraph(std::string_view Paragraph, Integer Width, const TTextWidthFn& TextWidth);

// The paragraphs of Text, split at CR LF, LF or CR, without the final empty one.
std::vector<String> SplitLines(std::string_view Text);

} // namespace qor
