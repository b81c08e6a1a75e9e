#include "view/failure_text.h"

#include <array>
#include <string_view>

#include "view/control_table.h"

namespace pelmora::view {
namespace {

// What a failed division by zero and square root of a negative number say, by variant;
// empty where the variant has no such operation.
struct FailureSentences {
    std::string_view divisionByZero;
    std::string_view negativeRoot;
};

constexpr std::string_view kRadiusZero = "R не може да бъде 0. Въведете радиус, различен от нула.";

constexpr std::array<FailureSentences, cone::kVariantCount> kSentences{{
    // R and L known: So = π·R·L, Sp = π·R·(R + L).
    {{}, {}},
    // R and So known: L = So / (π·R).
    {kRadiusZero, {}},
    // L and Sp known: R comes from a square root that is negative only for Sp below −π·L²/4.
    {{}, "Пълната повърхнина Sp не може да бъде отрицателна. Въведете положително число за Sp."},
    // L and So known: R = So / (π·L).
    {"L не може да бъде 0. Въведете образувателна, различна от нула.", {}},
    // R and Sp known: L = (Sp − π·R²) / (π·R).
    {kRadiusZero, {}},
    // So and Sp known: R = √((Sp − So) / π), then L = So / (π·R), so R = 0 when Sp = So.
    {"Sp трябва да е по-голяма от So.",
     "Пълната повърхнина Sp трябва да е по-голяма от околната So."},
}};

constexpr std::string_view kGeneral = "Конусът не може да се пресметне с тези стойности.";

// The caption over the column of `quantity` ("R" to "Sp").
std::string_view Caption(cone::Quantity quantity) {
    return FindControl("Label1", static_cast<int>(quantity) + 1)->caption;
}

}  // namespace

std::string FailureText(int variant, cone::ConeFailure failure) {
    if (variant < 0 || variant >= cone::kVariantCount) return std::string(kGeneral);
    const std::size_t row = static_cast<std::size_t>(variant);
    std::string_view sentence;
    switch (failure) {
        case cone::ConeFailure::DivisionByZero:
            sentence = kSentences[row].divisionByZero;
            break;
        case cone::ConeFailure::NegativeSquareRoot:
            sentence = kSentences[row].negativeRoot;
            break;
        case cone::ConeFailure::Overflow: {
            const cone::KnownPair known = cone::kKnownPairs[row];
            return std::string("Стойностите на ")
                .append(Caption(known.first))
                .append(" и ")
                .append(Caption(known.second))
                .append(
                    " са твърде големи или твърде малки и конусът не може да се пресметне. "
                    "Въведете числа, които не са толкова големи или близки до нула.");
        }
    }
    return std::string(sentence.empty() ? kGeneral : sentence);
}

}  // namespace pelmora::view
