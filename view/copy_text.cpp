#include "view/copy_text.h"

#include "view/control_table.h"

namespace pelmora::view {

std::string CopiedFieldText(const form::FormState& state, int field,
                            const number::NumberFormat& format) {
    if (field < 0 || field >= form::kFieldCount) return {};
    return number::WithoutGrouping(state.field(field).text, format);
}

std::string CopiedRowText(const form::FormState& state, const number::NumberFormat& format,
                          std::string_view lineEnd) {
    std::string text;
    for (int column = 0; column < cone::kQuantityCount; ++column) {
        const int field = state.selectedVariant * cone::kQuantityCount + column;
        text.append(FindControl("Label1", column + 1)->caption)
            .append(" = ")
            .append(CopiedFieldText(state, field, format))
            .append(lineEnd);
    }
    return text;
}

}  // namespace pelmora::view
