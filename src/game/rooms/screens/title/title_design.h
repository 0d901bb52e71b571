#pragma once
// What the title window and the version dialog both show: the program's name
// in coloured letters, the version and the credit, on the title colour.
#include "platform/form.h"

namespace game {

inline constexpr const char* kCredit = "by もちたま工房";
inline constexpr platform::Color kTitleBackColor = 0x00C0E0FF;

struct LetterPlaces {
    platform::Geometry mo, chi, ta, ma;
};

void DesignNameLetters(platform::Label& mo, platform::Label& chi, platform::Label& ta, platform::Label& ma,
                       const LetterPlaces& places);
void DesignVersionLabel(platform::Label& version, const platform::Geometry& place);
void DesignCreditLabel(platform::Label& credit, const platform::FontSpec& font);

}  // namespace game
