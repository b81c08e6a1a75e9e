#include "win32/utf16.h"

#include <cstdint>

namespace pelmora::win32 {
namespace {

static_assert(sizeof(wchar_t) == 2, "Win32 text is UTF-16");

constexpr char32_t kReplacement = 0xFFFD;

// The well-formed multi-byte sequences by their first byte: how many bytes they have and
// the range their second byte must lie in (every later byte lies in 80..BF). The narrow
// second ranges shut out overlong forms (E0, F0), surrogates (ED) and values above
// U+10FFFF (F4).
struct LeadByte {
    unsigned char first, last;
    int length;
    unsigned char secondLow, secondHigh;
};
constexpr LeadByte kLeadBytes[] = {
    {0xC2, 0xDF, 2, 0x80, 0xBF}, {0xE0, 0xE0, 3, 0xA0, 0xBF}, {0xE1, 0xEC, 3, 0x80, 0xBF},
    {0xED, 0xED, 3, 0x80, 0x9F}, {0xEE, 0xEF, 3, 0x80, 0xBF}, {0xF0, 0xF0, 4, 0x90, 0xBF},
    {0xF1, 0xF3, 4, 0x80, 0xBF}, {0xF4, 0xF4, 4, 0x80, 0x8F},
};

const LeadByte* FindLeadByte(unsigned char byte) {
    for (const LeadByte& lead : kLeadBytes) {
        if (byte >= lead.first && byte <= lead.last) return &lead;
    }
    return nullptr;
}

void AppendUtf16(std::wstring& out, char32_t code) {
    if (code < 0x10000) {
        out.push_back(static_cast<wchar_t>(code));
        return;
    }
    code -= 0x10000;
    out.push_back(static_cast<wchar_t>(0xD800 + (code >> 10)));
    out.push_back(static_cast<wchar_t>(0xDC00 + (code & 0x3FF)));
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

bool IsHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

std::wstring ToUtf16(std::string_view utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    std::size_t at = 0;
    while (at < utf8.size()) {
        const auto byte = static_cast<unsigned char>(utf8[at]);
        if (byte < 0x80) {
            out.push_back(static_cast<wchar_t>(byte));
            ++at;
            continue;
        }
        const LeadByte* lead = FindLeadByte(byte);
        if (!lead) {
            AppendUtf16(out, kReplacement);
            ++at;
            continue;
        }
        char32_t code = byte & (0x7Fu >> lead->length);
        std::size_t taken = 1;  // bytes of the sequence read so far, all of them well formed
        for (; taken < static_cast<std::size_t>(lead->length); ++taken) {
            if (at + taken >= utf8.size()) break;
            const auto next = static_cast<unsigned char>(utf8[at + taken]);
            const unsigned char low = taken == 1 ? lead->secondLow : 0x80;
            const unsigned char high = taken == 1 ? lead->secondHigh : 0xBF;
            if (next < low || next > high) break;
            code = (code << 6) | (next & 0x3Fu);
        }
        // A sequence cut short is one replacement for the bytes it had: the byte that broke
        // it starts afresh.
        AppendUtf16(out, taken == static_cast<std::size_t>(lead->length) ? code : kReplacement);
        at += taken;
    }
    return out;
}

std::string ToUtf8(std::wstring_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t at = 0; at < utf16.size(); ++at) {
        const char32_t unit = static_cast<std::uint16_t>(utf16[at]);
        if (IsHighSurrogate(unit) && at + 1 < utf16.size() &&
            IsLowSurrogate(static_cast<std::uint16_t>(utf16[at + 1]))) {
            const char32_t low = static_cast<std::uint16_t>(utf16[++at]);
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

}  // namespace pelmora::win32
