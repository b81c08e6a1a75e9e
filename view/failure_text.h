#pragma once

#include <string>

#include "cone/cone.h"

namespace pelmora::view {

// The Bulgarian sentence (UTF-8) that tells the user why the calculation of `variant` (0 to 5)
// failed and what to enter instead, naming the fields by their column captions. Each variant
// has at most one division and one square root, so the variant and the kind of failure say
// which operation failed. A pair that cannot happen gets a general sentence.
std::string FailureText(int variant, cone::ConeFailure failure);

}  // namespace pelmora::view
