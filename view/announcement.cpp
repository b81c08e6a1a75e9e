#include "view/announcement.h"

#include "view/control_table.h"

namespace pelmora::view {

std::string ResultAnnouncement(const form::FormState& state) {
    std::string text;
    for (int column = 0; column < cone::kQuantityCount; ++column) {
        const int field = state.selectedVariant * cone::kQuantityCount + column;
        if (!form::IsComputed(field)) continue;
        if (!text.empty()) text += ", ";
        text.append(FindControl("Label1", column + 1)->caption)
            .append(" ")
            .append(state.field(field).text);
    }
    return text;
}

}  // namespace pelmora::view
