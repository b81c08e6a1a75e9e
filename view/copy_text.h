#pragma once

#include <string>
#include <string_view>

#include "form/calculator_form.h"

namespace pelmora::view {

// The caption of the copy command in every value field's context menu.
inline constexpr std::string_view kCopyCaption = "Копирай";

// What copying value field `field` puts on the clipboard: its text without the grouping
// symbols of its number ("4712,389"), so that it pastes as a number into a spreadsheet.
std::string CopiedFieldText(const form::FormState& state, int field,
                            const number::NumberFormat& format);

// What copying the selected row puts on the clipboard: four lines, "R = 30,000" to
// "Sp = 7539,822", each field's text as CopiedFieldText gives it, each line ended by `lineEnd`.
std::string CopiedRowText(const form::FormState& state, const number::NumberFormat& format,
                          std::string_view lineEnd = "\n");

}  // namespace pelmora::view
