#include "web/window_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace web {

int toPixels(float twips) { return static_cast<int>(std::lround(twips / 15.0f)); }
float toTwips(int pixels) { return static_cast<float>(pixels) * 15.0f; }

page::WindowLayout layoutOf(const platform::Form& form) {
    const bool framed = form.borderStyle() != platform::BorderStyle::None;
    // A frameless window is all client area, so the asked size is it.
    const platform::Geometry& asked = form.requestedGeometry();
    const int clientWidth = std::max(1, toPixels(framed ? form.clientWidth() : asked.width));
    const int designedHeight = std::max(1, toPixels(framed ? form.clientHeight() : asked.height));
    const int room = form.topMenus().empty() ? 0 : page::kMenuBarHeight;
    const int bar = form.hasVisibleTopMenu() ? page::kMenuBarHeight : 0;
    const int border = framed ? page::kBorder : 0;
    const int title = framed ? page::kTitleBarHeight : 0;
    return {.width = clientWidth + 2 * border,
            .height = designedHeight + room + title + 2 * border,
            .border = border,
            .titleBarHeight = title,
            .menuBarHeight = bar,
            .clientTop = border + title + bar,
            .clientWidth = clientWidth,
            .clientHeight = designedHeight + room - bar};
}

std::string cssColor(platform::Color color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", platform::redOf(color), platform::greenOf(color),
                  platform::blueOf(color));
    return text;
}

std::string cssFontFamily(const std::string& face) {
    // The fonts beside the page are named after the faces they stand in for.
    const std::string gothic = std::string("\"") + page::kGothicFamily + "\"";
    const std::string pGothic = std::string("\"") + page::kPGothicFamily + "\"";
    if (face == "ＭＳ ゴシック" || face == "MS Gothic") return gothic + ", monospace";
    if (face == "ＭＳ Ｐゴシック" || face == "MS PGothic" || face.empty()) return pGothic + ", sans-serif";
    return "\"" + face + "\", " + pGothic + ", sans-serif";
}

float cssPixels(float points) { return points * 96.0f / 72.0f; }

}  // namespace web
