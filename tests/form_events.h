#pragma once

#include <optional>
#include <string>
#include <vector>

#include "form/calculator_form.h"

namespace pelmora::form::testing {

// One user action as the window forwards it, so tests can be written as rows of events.
struct Event {
    enum class Kind { Load, Select, Option, Type, Click };
    Kind kind;
    int target = 0;  // variant, field or button
    std::string text;
};

inline Event Load() {
    return {Event::Kind::Load, 0, {}};
}
inline Event Select(int variant) {
    return {Event::Kind::Select, variant, {}};
}
inline Event Option(int variant) {
    return {Event::Kind::Option, variant, {}};
}
inline Event Type(int field, std::string text) {
    return {Event::Kind::Type, field, std::move(text)};
}
inline Event Click(int button) {
    return {Event::Kind::Click, button, {}};
}

// Forwards the event; returns the failure of a calculation, if any.
inline std::optional<cone::ConeFailure> Apply(CalculatorForm& form, const Event& event) {
    switch (event.kind) {
        case Event::Kind::Load:
            form.LoadForm();
            break;
        case Event::Kind::Select:
            form.SelectVariant(event.target);
            break;
        case Event::Kind::Option:
            form.OptionClick(event.target);
            break;
        case Event::Kind::Type:
            form.TypeText(event.target, event.text);
            break;
        case Event::Kind::Click:
            return form.CommandClick(event.target);
    }
    return std::nullopt;
}

}  // namespace pelmora::form::testing
