#pragma once

#include <string>
#include <string_view>

#include "number/number_text.h"
#include "view/presenter.h"

namespace pelmora::web {

// The window in the page: each call becomes a call of the page's script (pelmora.js), which
// changes the DOM. The page reports the user's actions to the presenter through the module's
// exports (module.cpp).
class WebWindow final : public view::Surface {
public:
    void showFieldText(int field, std::string_view utf8Text) override;
    void showFieldLocked(int field, bool locked) override;
    void showSelectedVariant(int variant) override;
    void reportFailure(std::string_view utf8Text) override;
    void announce(std::string_view utf8Text) override;
};

// Everything the page builds the window from, as one JSON object: the title, the client
// area's size and colours, the task statement, the copy command's caption, and every control
// of the table with its name, kind, rectangle in CSS pixels (96 dpi), caption, background,
// tab index, computed flag and accessible name.
std::string WindowDescription();

// The user's number settings from the page's record of them: decimal symbol, grouping symbol,
// group sizes (comma-separated, from the decimal symbol leftwards), leading zero (0 or 1) and
// the negative pattern's number (NegativePattern's order), separated by tabs. A record that
// cannot be read gives the example settings.
number::NumberFormat ReadNumberFormat(std::string_view record);

}  // namespace pelmora::web
