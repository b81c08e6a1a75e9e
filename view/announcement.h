#pragma once

#include <string>

#include "form/calculator_form.h"

namespace pelmora::view {

// What a screen reader says once after a successful calculation, without the focus moving:
// the selected row's two results, each by its column caption and as its field shows it,
// "So 47,124, Sp 75,398" (UTF-8).
std::string ResultAnnouncement(const form::FormState& state);

}  // namespace pelmora::view
