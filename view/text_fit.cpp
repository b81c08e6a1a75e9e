#include "view/text_fit.h"

#include <cmath>

namespace pelmora::view {

std::optional<double> FittingPoints(double points, const std::function<bool(double)>& fits) {
    if (fits(points)) return points;
    // Half-point steps, from the first one below the field's size (a size between steps,
    // 10.8 points, goes to 10.5 first).
    const int smallest = static_cast<int>(kSmallestFitPoints * 2.0);
    for (int halves = static_cast<int>(std::ceil(points * 2.0)) - 1; halves >= smallest; --halves) {
        if (fits(halves / 2.0)) return halves / 2.0;
    }
    return std::nullopt;
}

}  // namespace pelmora::view
