#pragma once

#include <functional>
#include <optional>

namespace pelmora::view {

// The smallest size, in points, that a program's text is drawn at to fit its field.
inline constexpr double kSmallestFitPoints = 7.0;

// The size at which a text the program writes into a field is drawn: the field's own size
// `points` when the text fits there, else the largest of the half-point steps below it, down
// to 7 points, at which `fits(size)` holds. Nothing when it does not fit even at 7 points: the
// window then draws it at 7 points, cut on the right, with the whole text as its tooltip.
// What the user types is never fitted: it keeps the field's font and scrolls.
std::optional<double> FittingPoints(double points, const std::function<bool(double)>& fits);

}  // namespace pelmora::view
