#include "qt/units.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace qt_backend {

namespace {
constexpr double kTwipsPerInch = 1440.0;
constexpr double kUsualDpi = 96.0;
}  // namespace

double saneDpi(double reported) {
    if (!std::isfinite(reported) || reported < 48.0 || reported > 480.0) return kUsualDpi;
    return reported;
}

double logicalDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return saneDpi(screen != nullptr ? screen->logicalDotsPerInch() : 0.0);
}

int toPixels(float twips, double dpi) {
    return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / kTwipsPerInch));
}

int toPixels(float twips) { return toPixels(twips, logicalDpi()); }

float toTwips(int pixels, double dpi) {
    return static_cast<float>(static_cast<double>(pixels) * kTwipsPerInch / dpi);
}

float toTwips(int pixels) { return toTwips(pixels, logicalDpi()); }

QColor toQColor(platform::Color color) {
    return QColor(platform::redOf(color), platform::greenOf(color), platform::blueOf(color));
}

}  // namespace qt_backend
