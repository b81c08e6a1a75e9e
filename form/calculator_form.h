#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "cone/cone.h"
#include "number/number_text.h"

namespace pelmora::form {

inline constexpr int kFieldCount = cone::kVariantCount * cone::kQuantityCount;
// The two push buttons, by their index.
inline constexpr int kCalculateButton = 0;
inline constexpr int kClearButton = 1;

// Field n of the grid sits in row n / 4 (a variant) and column n % 4 (R, L, So, Sp).
constexpr int FieldNumber(int row, cone::Quantity column) {
    return row * cone::kQuantityCount + static_cast<int>(column);
}

// Whether field `field` (0 to 23) is one of its row's two computed fields, the two that the
// row's variant does not take as known: they show results and never take the user's typing.
constexpr bool IsComputed(int field) {
    const auto row = static_cast<std::size_t>(field / cone::kQuantityCount);
    const cone::KnownPair pair = cone::kKnownPairs[row];
    const auto column = static_cast<cone::Quantity>(field % cone::kQuantityCount);
    return pair.first != column && pair.second != column;
}

struct FieldEntry {
    std::string text;
    bool locked = false;    // the user cannot change the text; the program still writes it
    bool computed = false;  // one of its row's two results: never takes the user's typing

    bool operator==(const FieldEntry&) const = default;
};

struct FormState {
    std::array<FieldEntry, kFieldCount> fields;
    std::int16_t selectedVariant = 0;

    // Field `n`, 0 to 23, by the int numbers that fields and controls go by.
    const FieldEntry& field(int n) const { return fields[static_cast<std::size_t>(n)]; }
    FieldEntry& field(int n) { return fields[static_cast<std::size_t>(n)]; }

    bool operator==(const FormState&) const = default;
};

// What changed in the state; the listener reads the new value from state().
struct FormChange {
    enum class Kind { FieldText, FieldLocked, SelectedVariant };
    Kind kind;
    int field;  // the field for FieldText and FieldLocked, -1 for SelectedVariant
};

// The calculator behind the window: the 24 fields, the selected variant, and what each user
// action does to them. It knows nothing of widgets; a window forwards its events here and
// shows the state, hearing of every change through the listener as it happens.
class CalculatorForm {
public:
    using ChangeListener = std::function<void(const FormChange&)>;

    // `regionalSettings` is asked for the user's number format at each calculation, so a
    // change of the settings counts from the next one.
    explicit CalculatorForm(std::function<number::NumberFormat()> regionalSettings);

    const FormState& state() const { return m_state; }
    // The user's number settings as they stand now.
    number::NumberFormat numberFormat() const { return m_regionalSettings(); }
    void setChangeListener(ChangeListener listener) { m_listener = std::move(listener); }

    // Once, before the window is first shown: variant 0, every field empty, only row 0 open
    // for typing, whatever state the form was in before.
    void LoadForm();
    // The user chose variant `index`: the whole grid is emptied and only that row opened.
    // An index outside 0 to 5 is ignored.
    void SelectVariant(int index);
    // The user clicked option button `index`: SelectVariant, unless that variant is selected
    // already, when the grid stays as it is.
    void OptionClick(int index);
    // The user changed a field's text to `text`. Refused, returning false and changing
    // nothing, for a locked or computed field or a field number outside 0 to 23.
    bool TypeText(int field, std::string_view text);
    // Button 0 calculates, button 1 clears, any other does nothing. Returns why the
    // calculation failed, if it did; then no field has changed.
    std::optional<cone::ConeFailure> CommandClick(int index);

private:
    std::optional<cone::ConeFailure> Calculate();
    void ClearFields();
    double FieldValue(int field, const number::NumberFormat& format) const;

    void setText(int field, std::string text);
    void setLocked(int field, bool locked);
    void setSelectedVariant(std::int16_t variant);

    std::function<number::NumberFormat()> m_regionalSettings;
    ChangeListener m_listener;
    FormState m_state;
    // The number each field's text shows while that text is still the one Calculate wrote
    // there: what the user saw, not what the text would read as by the typing rules.
    std::array<std::optional<double>, kFieldCount> m_writtenValue;
};

}  // namespace pelmora::form
