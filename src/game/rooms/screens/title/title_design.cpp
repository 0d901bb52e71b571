#include "screens/title/title_design.h"

#include "screens/fonts.h"

namespace game {

namespace {
void DesignLetter(platform::Label& label, const char* letter, platform::Color color, const platform::Geometry& place,
                  int tabIndex) {
    label.setCaption(letter);
    label.setForeColor(color);
    label.setGeometry(place);
    label.setTabIndex(tabIndex);
    label.setAlignment(platform::Alignment::Center);
    label.setFont({kPGothic, 15.75f, true});
    label.setTransparent(true);
}
}  // namespace

void DesignNameLetters(platform::Label& mo, platform::Label& chi, platform::Label& ta, platform::Label& ma,
                       const LetterPlaces& places) {
    DesignLetter(mo, "も", 0x000000FF, places.mo, 1);
    DesignLetter(chi, "ち", 0x00FFFF00, places.chi, 2);
    DesignLetter(ta, "た", 0x0000FF00, places.ta, 3);
    DesignLetter(ma, "ま", 0x00FF00FF, places.ma, 4);
}

void DesignVersionLabel(platform::Label& version, const platform::Geometry& place) {
    version.setCaption("Ver X.XX");
    version.setForeColor(0x00000000);
    version.setGeometry(place);
    version.setTabIndex(5);
    version.setFont({kPGothic, 11.25f, true});
    version.setTransparent(true);
}

void DesignCreditLabel(platform::Label& credit, const platform::FontSpec& font) {
    credit.setCaption(kCredit);
    credit.setForeColor(0x00000000);
    credit.setGeometry({840, 1080, 2175, 255});
    credit.setTabIndex(6);
    credit.setFont(font);
    credit.setTransparent(true);
}

}  // namespace game
