#include "platform/windows_grouping.h"

namespace pelmora::platform {

std::vector<int> WindowsGroupSizes(std::string_view grouping) {
    std::vector<int> sizes;
    int current = 0;
    for (const char c : grouping) {
        if (c >= '0' && c <= '9') {
            current = current * 10 + (c - '0');
        } else if (c == ';') {
            sizes.push_back(current);
            current = 0;
        }
    }
    sizes.push_back(current);
    if (sizes.size() > 1 && sizes.back() == 0)
        sizes.pop_back();
    else
        sizes.push_back(0);
    return sizes;
}

}  // namespace pelmora::platform
