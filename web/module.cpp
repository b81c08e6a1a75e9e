// The browser's module: a WASI reactor (no main) that the page's script loads, asks for the
// window's description, and then tells of each user action. One window per page.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "form/calculator_form.h"
#include "view/announcement.h"
#include "view/presenter.h"
#include "web/web_window.h"

#define PELMORA_EXPORT(name) extern "C" __attribute__((export_name(#name)))

// The user's number settings, asked of the page at each calculation: it writes its record
// (ReadNumberFormat) into `buffer` and returns the record's length.
extern "C" __attribute__((import_module("pelmora"), import_name("number_format"))) std::size_t
NumberFormatRecordInPage(char* buffer, std::size_t capacity);

namespace {

using namespace pelmora;

struct Window {
    form::CalculatorForm form{[] {
        std::string record(256, '\0');
        record.resize(NumberFormatRecordInPage(record.data(), record.size()));
        return web::ReadNumberFormat(record);
    }};
    web::WebWindow surface;
    std::optional<view::Presenter> presenter;
};

std::unique_ptr<Window> window;
// Texts between the page and the module: the page writes the user's text here, and the module
// leaves here what the page asked for.
std::string exchange;

}  // namespace

// The window's description (WebWindow's WindowDescription), left in the exchange buffer;
// returns its length.
PELMORA_EXPORT(pelmora_describe_window) std::size_t DescribeWindow() {
    exchange = web::WindowDescription();
    return exchange.size();
}

// The exchange buffer, made `length` bytes long for the page to write into.
PELMORA_EXPORT(pelmora_exchange) char* Exchange(std::size_t length) {
    exchange.resize(length);
    return exchange.data();
}

// Once the page has made the controls: the form loads and the window shows it.
PELMORA_EXPORT(pelmora_start) void Start() {
    window = std::make_unique<Window>();
    window->presenter.emplace(window->form, window->surface);
}

// What the first calculation would otherwise wait for, run while the page is idle: the
// browser's number settings, and a calculation on a form of its own (the browser compiles a
// module's functions as they first run).
PELMORA_EXPORT(pelmora_prepare) void Prepare() {
    if (!window) return;
    form::CalculatorForm scratch([format = window->form.numberFormat()] { return format; });
    scratch.LoadForm();
    scratch.TypeText(0, "3");
    scratch.TypeText(1, "5");
    (void)scratch.CommandClick(form::kCalculateButton);
    (void)view::ResultAnnouncement(scratch.state());
}

// The user changed value field `field`'s text to the exchange buffer's.
PELMORA_EXPORT(pelmora_field_text_changed) void FieldTextChanged(int field) {
    if (window) window->presenter->fieldTextChanged(field, exchange);
}

PELMORA_EXPORT(pelmora_option_selected) void OptionSelected(int variant) {
    if (window) window->presenter->optionSelected(variant);
}

PELMORA_EXPORT(pelmora_button_pressed) void ButtonPressed(int index) {
    if (window) window->presenter->buttonPressed(index);
}

// Value field `field`'s text as copying puts it on the clipboard, left in the exchange buffer;
// returns its length.
PELMORA_EXPORT(pelmora_copied_field_text) std::size_t CopiedFieldText(int field) {
    exchange = window ? window->presenter->copiedFieldText(field) : std::string();
    return exchange.size();
}

// The selected row as copying puts it on the clipboard, left in the exchange buffer; returns
// its length.
PELMORA_EXPORT(pelmora_copied_row_text) std::size_t CopiedRowText() {
    exchange = window ? window->presenter->copiedRowText() : std::string();
    return exchange.size();
}
