// Caption fonts as PDF Type 0 fonts, and caption lines as the operators that
// show them. Each font is a CIDFontType2 subset under Identity-H, so a glyph's
// code is its number in the subset; widths and a ToUnicode map keep the text
// measurable, searchable and copyable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/caption_fonts.h"
#include "export/pdf_writer.h"

namespace lumaret {

inline constexpr std::uint32_t kObjectsPerFont = 5;

// Objects first .. first + kObjectsPerFont - 1; the Type 0 font is first.
void WriteType0Font(PdfWriter& pdf, std::uint32_t first, const FontSubset& font);

// The text-showing operators for a line at fontSize, starting where the text
// matrix stands. The subset k is the font resource /F<k + 1>.
std::string ShowLineOperators(const ShapedLine& line, const std::vector<FontSubset>& fonts,
                              std::int32_t fontSize);

// The ToUnicode map of a subset: glyph number to the characters it shows.
std::string ToUnicodeCMap(const FontSubset& font);

}  // namespace lumaret
