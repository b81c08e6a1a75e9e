#include "web/web_window.h"

#include <array>
#include <charconv>
#include <cstddef>
#include <optional>
#include <vector>

#include "view/control_table.h"
#include "view/copy_text.h"
#include "view/text_fit.h"

// What the page's script gives the module (pelmora.js, `page`). Texts are UTF-8 in the
// module's memory, by address and length.
#define PELMORA_IMPORT(name) __attribute__((import_module("pelmora"), import_name(#name)))
extern "C" {
PELMORA_IMPORT(show_field_text)
void ShowFieldTextInPage(int field, const char* text, std::size_t length);
// Whether the text field `field` shows fits it at `points`.
PELMORA_IMPORT(field_fits) int FieldFitsInPage(int field, double points);
// Draws the field's text at `points`; `cut`: it does not fit even so, and the whole text
// becomes the field's tooltip.
PELMORA_IMPORT(show_field_points) void ShowFieldPointsInPage(int field, double points, int cut);
PELMORA_IMPORT(show_field_locked) void ShowFieldLockedInPage(int field, int locked);
PELMORA_IMPORT(show_selected_variant) void ShowSelectedVariantInPage(int variant);
PELMORA_IMPORT(report_failure) void ReportFailureInPage(const char* text, std::size_t length);
PELMORA_IMPORT(announce) void AnnounceInPage(const char* text, std::size_t length);
}

namespace pelmora::web {
namespace {

void AppendJsonString(std::string& json, std::string_view text) {
    json += '"';
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            json += "\\u00";
            json += "0123456789abcdef"[c >> 4];
            json += "0123456789abcdef"[c & 0xf];
        } else {
            json += c;
        }
    }
    json += '"';
}

void AppendJsonNumber(std::string& json, int value) {
    std::array<char, 12> digits{};
    json.append(digits.data(),
                std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr);
}

void AppendColour(std::string& json, view::Rgb rgb) {
    json += "\"rgb(";
    AppendJsonNumber(json, rgb.red);
    json += ',';
    AppendJsonNumber(json, rgb.green);
    json += ',';
    AppendJsonNumber(json, rgb.blue);
    json += ")\"";
}

// A member "name": value, with a comma before it unless it opens its object.
std::string& Member(std::string& json, std::string_view name) {
    if (json.back() != '{') json += ',';
    AppendJsonString(json, name);
    json += ':';
    return json;
}

constexpr std::array<std::string_view, 5> kKindNames = {"label", "option", "button", "field",
                                                        "statement"};
constexpr int kCssDpi = 96;

std::string_view Piece(std::string_view& record) {
    const std::size_t tab = record.find('\t');
    const std::string_view piece = record.substr(0, tab);
    record = tab == std::string_view::npos ? std::string_view() : record.substr(tab + 1);
    return piece;
}

std::optional<int> Integer(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

void WebWindow::showFieldText(int field, std::string_view utf8Text) {
    ShowFieldTextInPage(field, utf8Text.data(), utf8Text.size());
    const auto fitting = view::FittingPoints(
        view::kFontPoints, [field](double points) { return FieldFitsInPage(field, points) != 0; });
    ShowFieldPointsInPage(field, fitting.value_or(view::kSmallestFitPoints), !fitting);
}

void WebWindow::showFieldLocked(int field, bool locked) {
    ShowFieldLockedInPage(field, locked);
}

void WebWindow::showSelectedVariant(int variant) {
    ShowSelectedVariantInPage(variant);
}

void WebWindow::reportFailure(std::string_view utf8Text) {
    ReportFailureInPage(utf8Text.data(), utf8Text.size());
}

void WebWindow::announce(std::string_view utf8Text) {
    AnnounceInPage(utf8Text.data(), utf8Text.size());
}

std::string WindowDescription() {
    const view::PixelRect client = view::ClientRect(kCssDpi);
    std::string json = "{";
    AppendJsonString(Member(json, "title"), view::kWindowTitle);
    AppendJsonNumber(Member(json, "width"), client.width);
    AppendJsonNumber(Member(json, "height"), client.height);
    AppendColour(Member(json, "background"), view::kWindowBackground);
    AppendColour(Member(json, "computedBackground"), view::kComputedFieldBackground);
    AppendColour(Member(json, "disabledText"), view::kDisabledText);
    AppendJsonNumber(Member(json, "points"), view::kFontPoints);
    AppendJsonString(Member(json, "statement"), view::kTaskStatement);
    AppendJsonString(Member(json, "statementName"), view::kTaskStatementName);
    AppendJsonString(Member(json, "copyCaption"), view::kCopyCaption);
    Member(json, "controls") += '[';
    for (const view::ControlSpec& row : view::ControlTable()) {
        if (json.back() != '[') json += ',';
        json += '{';
        AppendJsonString(Member(json, "name"), view::ControlName(row));
        AppendJsonNumber(Member(json, "index"), row.index);
        AppendJsonString(Member(json, "kind"), kKindNames[static_cast<std::size_t>(row.kind)]);
        const view::PixelRect rect = view::ControlRect(row, kCssDpi);
        Member(json, "rect") += '[';
        for (const int edge : {rect.x, rect.y, rect.width, rect.height}) {
            if (json.back() != '[') json += ',';
            AppendJsonNumber(json, edge);
        }
        json += ']';
        AppendJsonString(Member(json, "caption"), row.caption);
        if (row.background) AppendColour(Member(json, "background"), *row.background);
        AppendJsonNumber(Member(json, "tabIndex"), row.tabIndex);
        Member(json, "computed") += row.computed ? "true" : "false";
        if (row.kind == view::ControlKind::ValueField)
            AppendJsonString(Member(json, "accessibleName"), view::AccessibleName(row.index));
        json += '}';
    }
    json += "]}";
    return json;
}

number::NumberFormat ReadNumberFormat(std::string_view record) {
    number::NumberFormat format;
    format.decimalSymbol = Piece(record);
    format.groupingSymbol = Piece(record);
    format.groupSizes.clear();
    for (std::string_view list = Piece(record); !list.empty();) {
        const std::size_t comma = list.find(',');
        const auto size = Integer(list.substr(0, comma));
        if (!size || *size < 0) return {};
        format.groupSizes.push_back(*size);
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
    const auto leadingZero = Integer(Piece(record));
    const auto negative = Integer(Piece(record));
    if (format.decimalSymbol.empty() || !leadingZero || !negative || *negative < 0 || *negative > 4)
        return {};
    format.leadingZero = *leadingZero != 0;
    format.negativePattern = static_cast<number::NegativePattern>(*negative);
    return format;
}

}  // namespace pelmora::web
