#include <algorithm>
#include <string>
#include <vector>

#include "number/number_text.h"

namespace pelmora::number {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// A symbol that the plain grammar already gives a meaning to, or that blanks would split.
bool ClashesWithTheGrammar(std::string_view symbol) {
    return std::any_of(symbol.begin(), symbol.end(), [](char c) {
        return IsDigit(c) || IsBlank(c) || c == '+' || c == '-' || c == 'E' || c == 'e' ||
               c == 'D' || c == 'd';
    });
}

// Digits in the group at `position` from the right (0 is the one next to the decimal point),
// as the format gives them; 0 or less means the digits that remain form one group.
int GroupSizeAt(const std::vector<int>& sizes, std::size_t position) {
    if (sizes.empty()) return 0;
    return sizes[std::min(position, sizes.size() - 1)];
}

// Whether integer groups of these lengths, left to right, are the groups the format makes:
// every group but the first exactly its size, the first one at most its size.
bool AreWellFormed(const std::vector<std::size_t>& lengths, const std::vector<int>& sizes) {
    const std::size_t last = lengths.size() - 1;
    for (std::size_t i = 1; i <= last; ++i) {
        const int size = GroupSizeAt(sizes, last - i);
        if (size <= 0 || lengths[i] != static_cast<std::size_t>(size)) return false;
    }
    const int first = GroupSizeAt(sizes, last);
    return first <= 0 || lengths[0] <= static_cast<std::size_t>(first);
}

}  // namespace

double ReadUserNumber(std::string_view utf8Text, const NumberFormat& format) {
    const std::string_view decimal = format.decimalSymbol;
    std::string_view grouping = format.groupingSymbol;
    if (decimal == grouping || ClashesWithTheGrammar(decimal)) return ReadNumber(utf8Text);
    if (ClashesWithTheGrammar(grouping)) grouping = {};  // a blank one is gone with the blanks

    std::string text;
    text.reserve(utf8Text.size());
    std::copy_if(utf8Text.begin(), utf8Text.end(), std::back_inserter(text),
                 [](char c) { return !IsBlank(c); });
    const std::string_view rest(text);
    if (rest.starts_with('&')) return ReadNumber(rest);

    // The same number in the plain grammar: the digits without grouping, '.' for the point,
    // and from there on the text as it stands (fraction digits, exponent, whatever stops it).
    std::string plain;
    std::size_t i = 0;
    if (i < rest.size() && (rest[i] == '+' || rest[i] == '-')) plain += rest[i++];

    const std::size_t start = i;
    std::vector<std::size_t> groupLengths;
    std::size_t groupStart = i;
    std::size_t firstSeparator = std::string_view::npos;
    while (i < rest.size() && IsDigit(rest[i])) {
        ++i;
        const bool separated = !grouping.empty() && rest.substr(i).starts_with(grouping) &&
                               i + grouping.size() < rest.size() &&
                               IsDigit(rest[i + grouping.size()]);
        if (separated) {
            groupLengths.push_back(i - groupStart);
            if (firstSeparator == std::string_view::npos) firstSeparator = i;
            i += grouping.size();
            groupStart = i;
        }
    }
    if (firstSeparator != std::string_view::npos) {
        groupLengths.push_back(i - groupStart);
        if (AreWellFormed(groupLengths, format.groupSizes)) {
            for (const char c : rest.substr(start, i - start)) {
                if (IsDigit(c)) plain += c;
            }
        } else {
            // A separator out of place ends the integer digits; a '.' one is still the point.
            plain += rest.substr(start, firstSeparator - start);
            i = firstSeparator;
        }
    } else {
        plain += rest.substr(start, i - start);
    }

    if (!decimal.empty() && rest.substr(i).starts_with(decimal)) {
        plain += '.';
        i += decimal.size();
    }
    plain += rest.substr(i);
    return ReadNumber(plain);
}

}  // namespace pelmora::number
