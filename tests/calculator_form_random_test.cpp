#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "form/calculator_form.h"
#include "tests/form_events.h"

namespace pelmora::form {
namespace {

using namespace pelmora::form::testing;

// Texts a user might type or paste: numbers, junk, invalid UTF-8, and long ones.
std::string RandomText(std::mt19937& random) {
    static const char* const kPieces[] = {
        "0",  "1",  "3",  "5",  "9",  ".",     ",",  "-",   "+",    "e",    "E3",   "D-2", " ",
        "\t", "\n", "\r", "&H", "&O", "1e400", "cm", "пет", "\xff", "\xc3", "\x80", "\0"};
    std::string text;
    const int length = static_cast<int>(random() % 12 == 0 ? random() % 5000 : random() % 12);
    for (int i = 0; i < length; ++i) {
        const char* piece = kPieces[random() % std::size(kPieces)];
        text += piece[0] == '\0' ? std::string(1, '\0') : std::string(piece);
    }
    return text;
}

Event RandomEvent(std::mt19937& random) {
    switch (random() % 10) {
        case 0:
            return Select(static_cast<int>(random() % 8) - 1);
        case 1:
            return Click(static_cast<int>(random() % 4) - 1);
        case 2:
            return Click(0);
        case 3:
            return random() % 4 == 0 ? Load() : Option(static_cast<int>(random() % 8) - 1);
        default:
            return Type(static_cast<int>(random() % 26) - 1, RandomText(random));
    }
}

number::NumberFormat RandomSettings(std::mt19937& random) {
    switch (random() % 3) {
        case 0:
            return {};
        case 1:
            return {",", "", {3}, true, number::NegativePattern::LeadingMinus};
        default:
            return {",", ".", {3, 2}, false, number::NegativePattern::Parentheses};
    }
}

// A result as the program writes it: three digits after the decimal symbol, then at most the
// closing parenthesis of a negative value.
bool EndsInThreeDecimals(std::string_view text, const number::NumberFormat& settings) {
    if (text.ends_with(')')) text.remove_suffix(1);
    if (text.size() < 3) return false;
    const std::string_view decimals = text.substr(text.size() - 3);
    text.remove_suffix(3);
    return std::all_of(decimals.begin(), decimals.end(),
                       [](char c) { return c >= '0' && c <= '9'; }) &&
           text.ends_with(settings.decimalSymbol);
}

void ExpectOnlyRowOpen(const FormState& state, int row) {
    for (int field = 0; field < kFieldCount; ++field) {
        ASSERT_EQ(state.field(field).locked, field / 4 != row) << field;
    }
}

// Thousands of random event sequences; after every event the state keeps its invariants,
// and a copy kept up to date only through the change listener equals the state.
TEST(CalculatorFormRandom, KeepsItsInvariants) {
    const unsigned seed = std::getenv("PELMORA_SEED")
                              ? static_cast<unsigned>(std::atoi(std::getenv("PELMORA_SEED")))
                              : 20261208u;
    std::mt19937 random(seed);
    for (int sequence = 0; sequence < 3000; ++sequence) {
        SCOPED_TRACE("seed " + std::to_string(seed) + ", sequence " + std::to_string(sequence));
        number::NumberFormat settings = RandomSettings(random);
        CalculatorForm form([&settings] { return settings; });
        FormState mirror = form.state();
        form.setChangeListener([&](const FormChange& change) {
            if (change.kind == FormChange::Kind::SelectedVariant) {
                mirror.selectedVariant = form.state().selectedVariant;
            } else {
                mirror.field(change.field) = form.state().field(change.field);
            }
        });
        const FormState initial = form.state();
        form.LoadForm();
        ExpectOnlyRowOpen(form.state(), 0);
        const FormState loaded = form.state();

        for (int step = 0; step < 40; ++step) {
            const Event event = RandomEvent(random);
            if (random() % 16 == 0) settings = RandomSettings(random);
            const FormState before = form.state();
            const std::optional<cone::ConeFailure> failure = Apply(form, event);
            const FormState& after = form.state();

            for (int field = 0; field < kFieldCount; ++field) {
                ASSERT_EQ(after.field(field).computed, initial.field(field).computed);
            }
            const bool selects =
                (event.kind == Event::Kind::Select ||
                 (event.kind == Event::Kind::Option && event.target != before.selectedVariant)) &&
                event.target >= 0 && event.target < 6;
            if (event.kind == Event::Kind::Load) {
                ASSERT_EQ(after, loaded);
            } else if (selects) {
                ASSERT_EQ(after.selectedVariant, event.target);
                ExpectOnlyRowOpen(after, event.target);
                for (const FieldEntry& entry : after.fields)
                    ASSERT_TRUE(entry.text.empty());
            } else {
                ASSERT_EQ(after.selectedVariant, before.selectedVariant);
                for (int field = 0; field < kFieldCount; ++field) {
                    ASSERT_EQ(after.field(field).locked, before.field(field).locked);
                }
            }
            if (event.kind == Event::Kind::Option && !selects) {
                ASSERT_EQ(after, before);
            }
            if (event.kind == Event::Kind::Type) {
                const bool open = event.target >= 0 && event.target < kFieldCount &&
                                  !before.field(event.target).locked &&
                                  !before.field(event.target).computed;
                FormState expected = before;
                if (open) expected.field(event.target).text = event.text;
                ASSERT_EQ(after, expected);
            }
            if (failure) {
                ASSERT_EQ(after, before);
            }
            if (event.kind == Event::Kind::Click && event.target == 0 && !failure) {
                // Only the selected row is written, and with three decimals.
                for (int field = 0; field < kFieldCount; ++field) {
                    if (field / 4 == after.selectedVariant) {
                        ASSERT_TRUE(EndsInThreeDecimals(after.field(field).text, settings))
                            << after.field(field).text;
                    } else {
                        ASSERT_EQ(after.field(field), before.field(field));
                    }
                }
            }
            ASSERT_EQ(mirror, after);
        }
    }
}

}  // namespace
}  // namespace pelmora::form
