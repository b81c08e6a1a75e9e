#include "view/failure_text.h"

namespace pelmora::view {

std::string_view FailureText(cone::ConeFailure failure) {
    switch (failure) {
        case cone::ConeFailure::DivisionByZero:
            return "Изчислението е невъзможно: деление на нула.";
        case cone::ConeFailure::NegativeSquareRoot:
            return "Изчислението е невъзможно: квадратен корен от отрицателно число.";
        case cone::ConeFailure::Overflow:
            return "Изчислението е невъзможно: препълване.";
    }
    return "Изчислението е невъзможно.";
}

}  // namespace pelmora::view
