#pragma once

#include <string_view>
#include <vector>

namespace pelmora::platform {

// The group sizes of Windows' grouping text (LOCALE_SGROUPING), as NumberFormat::groupSizes
// takes them. Windows lists sizes from the decimal symbol leftwards, separated by ';': a last
// size of 0 means the size before it repeats ("3;0" every three digits, "3;2;0" three, then
// twos), and without it the last size is used once ("3" groups only the first three digits).
// Compiled on every platform so that it can be tested everywhere.
std::vector<int> WindowsGroupSizes(std::string_view grouping);

}  // namespace pelmora::platform
