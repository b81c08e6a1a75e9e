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

// Where the integer digits that start at `begin` end: past the last well-formed group when
// grouping symbols separate them into the format's groups, otherwise at the first grouping
// symbol or the first character that is no digit.
std::size_t EndOfIntegerDigits(std::string_view text, std::size_t begin, std::string_view grouping,
                               const std::vector<int>& sizes) {
    std::vector<std::size_t> groupLengths;
    std::size_t groupStart = begin;
    std::size_t firstSeparator = std::string_view::npos;
    std::size_t i = begin;
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
        const bool separated = !grouping.empty() && text.substr(i).starts_with(grouping) &&
                               i + grouping.size() < text.size() &&
                               IsDigit(text[i + grouping.size()]);
        if (separated) {
            groupLengths.push_back(i - groupStart);
            if (firstSeparator == std::string_view::npos) firstSeparator = i;
            i += grouping.size();
            groupStart = i;
        }
    }
    if (firstSeparator == std::string_view::npos) return i;
    groupLengths.push_back(i - groupStart);
    return AreWellFormed(groupLengths, sizes) ? i : firstSeparator;
}

void AppendDigits(std::string& out, std::string_view text) {
    std::copy_if(text.begin(), text.end(), std::back_inserter(out), IsDigit);
}

// The grouping symbol that reading under `format` skips; none when it clashes with the grammar.
std::string_view GroupingOf(const NumberFormat& format) {
    return ClashesWithTheGrammar(format.groupingSymbol) ? std::string_view()
                                                        : format.groupingSymbol;
}

std::size_t SignLength(std::string_view text) {
    return text.starts_with('+') || text.starts_with('-') ? 1 : 0;
}

}  // namespace

double ReadUserNumber(std::string_view utf8Text, const NumberFormat& format) {
    const std::string_view decimal = format.decimalSymbol;
    if (decimal == format.groupingSymbol || ClashesWithTheGrammar(decimal)) {
        return ReadNumber(utf8Text);
    }

    std::string text;
    text.reserve(utf8Text.size());
    std::copy_if(utf8Text.begin(), utf8Text.end(), std::back_inserter(text),
                 [](char c) { return !IsBlank(c); });
    const std::string_view rest(text);
    if (rest.starts_with('&')) return ReadNumber(rest);

    // The same number in the plain grammar: the digits without grouping, '.' for the point,
    // and from there on the text as it stands (fraction digits, exponent, whatever stops it).
    // A '.' grouping symbol out of place ends the integer digits and is still the point.
    const std::size_t start = SignLength(rest);
    std::size_t i = EndOfIntegerDigits(rest, start, GroupingOf(format), format.groupSizes);
    std::string plain(rest.substr(0, start));
    AppendDigits(plain, rest.substr(start, i - start));
    if (!decimal.empty() && rest.substr(i).starts_with(decimal)) {
        plain += '.';
        i += decimal.size();
    }
    plain += rest.substr(i);
    return ReadNumber(plain);
}

std::string WithoutGrouping(std::string_view utf8Text, const NumberFormat& format) {
    if (format.decimalSymbol == format.groupingSymbol) return std::string(utf8Text);
    const std::size_t start = SignLength(utf8Text);
    const std::size_t end =
        EndOfIntegerDigits(utf8Text, start, GroupingOf(format), format.groupSizes);
    std::string out(utf8Text.substr(0, start));
    AppendDigits(out, utf8Text.substr(start, end - start));
    out += utf8Text.substr(end);
    return out;
}

}  // namespace pelmora::number
