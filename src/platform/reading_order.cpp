#include "platform/reading_order.h"

#include <algorithm>

namespace platform {

std::vector<Control*> readingOrder(std::vector<Control*> controls) {
    const auto topOf = [](const Control* c) { return c->designedGeometry().top; };
    const auto leftOf = [](const Control* c) { return c->designedGeometry().left; };
    std::stable_sort(controls.begin(), controls.end(), [&](const Control* a, const Control* b) { return topOf(a) < topOf(b); });
    std::vector<Control*> ordered;
    ordered.reserve(controls.size());
    for (auto line = controls.begin(); line != controls.end();) {
        const float bottom = topOf(*line) + (*line)->designedGeometry().height;
        const auto end = std::find_if(line + 1, controls.end(), [&](const Control* c) { return topOf(c) >= bottom; });
        std::stable_sort(line, end, [&](const Control* a, const Control* b) { return leftOf(a) < leftOf(b); });
        ordered.insert(ordered.end(), line, end);
        line = end;
    }
    return ordered;
}

}  // namespace platform
