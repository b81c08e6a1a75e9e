#pragma once

#include <string_view>

#include "cone/cone.h"

namespace pelmora::view {

// The Bulgarian sentence (UTF-8) that tells the user why a calculation failed.
std::string_view FailureText(cone::ConeFailure failure);

}  // namespace pelmora::view
