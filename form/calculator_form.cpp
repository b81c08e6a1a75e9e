#include "form/calculator_form.h"

namespace pelmora::form {
namespace {

using cone::Quantity;

constexpr std::array<Quantity, cone::kQuantityCount> kColumns{Quantity::R, Quantity::L,
                                                              Quantity::So, Quantity::Sp};

}  // namespace

CalculatorForm::CalculatorForm(std::function<number::NumberFormat()> regionalSettings)
    : m_regionalSettings(std::move(regionalSettings)) {
    if (!m_regionalSettings) m_regionalSettings = [] { return number::NumberFormat{}; };
    for (int field = 0; field < kFieldCount; ++field)
        m_state.field(field).computed = IsComputed(field);
}

void CalculatorForm::LoadForm() {
    setSelectedVariant(0);
    for (int field = 0; field < kFieldCount; ++field) {
        setText(field, {});
        setLocked(field, field >= cone::kQuantityCount);
    }
}

void CalculatorForm::SelectVariant(int index) {
    if (index < 0 || index >= cone::kVariantCount) return;
    const int first = FieldNumber(index, Quantity::R);
    const int last = FieldNumber(index, Quantity::Sp);
    setSelectedVariant(static_cast<std::int16_t>(index));
    for (int field = 0; field < kFieldCount; ++field) {
        setText(field, {});
        setLocked(field, true);
    }
    for (int field = first; field <= last; ++field)
        setLocked(field, false);
}

void CalculatorForm::OptionClick(int index) {
    if (index != m_state.selectedVariant) SelectVariant(index);
}

bool CalculatorForm::TypeText(int field, std::string_view text) {
    if (field < 0 || field >= kFieldCount) return false;
    const FieldEntry& entry = m_state.field(field);
    if (entry.locked || entry.computed) return false;
    setText(field, std::string(text));  // now the user's text, even if the same characters
    return true;
}

std::optional<cone::ConeFailure> CalculatorForm::CommandClick(int index) {
    if (index == kCalculateButton) return Calculate();
    if (index == kClearButton) ClearFields();
    return std::nullopt;
}

double CalculatorForm::FieldValue(int field, const number::NumberFormat& format) const {
    if (const auto written = m_writtenValue[static_cast<std::size_t>(field)]) return *written;
    return number::ReadUserNumber(m_state.field(field).text, format);
}

std::optional<cone::ConeFailure> CalculatorForm::Calculate() {
    const int row = m_state.selectedVariant;
    const cone::KnownPair known = cone::kKnownPairs[static_cast<std::size_t>(row)];
    const number::NumberFormat format = m_regionalSettings();
    const double first = FieldValue(FieldNumber(row, known.first), format);
    const double second = FieldValue(FieldNumber(row, known.second), format);

    const cone::ConeResult result = cone::SolveCone(m_state.selectedVariant, first, second);
    if (const auto* failure = std::get_if<cone::ConeFailure>(&result)) return *failure;

    const auto& values = std::get<cone::ConeValues>(result);
    for (const Quantity column : kColumns) {
        const int field = FieldNumber(row, column);
        number::FormattedNumber written =
            number::FormatResult(cone::ValueOf(values, column), format);
        setText(field, std::move(written.text));
        m_writtenValue[static_cast<std::size_t>(field)] = written.shown;
    }
    return std::nullopt;
}

void CalculatorForm::ClearFields() {
    for (int field = 0; field < kFieldCount; ++field)
        setText(field, {});
}

void CalculatorForm::setText(int field, std::string text) {
    m_writtenValue[static_cast<std::size_t>(field)].reset();
    FieldEntry& entry = m_state.field(field);
    if (entry.text == text) return;
    entry.text = std::move(text);
    if (m_listener) m_listener({FormChange::Kind::FieldText, field});
}

void CalculatorForm::setLocked(int field, bool locked) {
    FieldEntry& entry = m_state.field(field);
    if (entry.locked == locked) return;
    entry.locked = locked;
    if (m_listener) m_listener({FormChange::Kind::FieldLocked, field});
}

void CalculatorForm::setSelectedVariant(std::int16_t variant) {
    if (m_state.selectedVariant == variant) return;
    m_state.selectedVariant = variant;
    if (m_listener) m_listener({FormChange::Kind::SelectedVariant, -1});
}

}  // namespace pelmora::form
