#include "screens/place_form.h"

#include "platform/form.h"
#include "platform/services.h"

namespace game {

void PlaceForm(platform::Form& form, int32_t height, int32_t width) {
    form.setHeight(static_cast<float>(height));
    form.setWidth(static_cast<float>(width));
    CentreOnScreen(form);
}

void CentreOnScreen(platform::Form& form) {
    platform::Services& services = form.services();
    // Single-precision halves are passed on unrounded; the window system maps them.
    form.setTop((services.ScreenHeightTwips() - form.Height()) / 2.0f);
    form.setLeft((services.ScreenWidthTwips() - form.Width()) / 2.0f);
}

}  // namespace game
