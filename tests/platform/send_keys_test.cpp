// SendKeys strings, read once for every backend.
#include "platform/send_keys.h"

#include <gtest/gtest.h>

#include "platform/types.h"

namespace {

TEST(SentKey, NamesEscInBracesInAnyCase) {
    for (const char* keys : {"{Esc}", "{ESC}", "{esc}", "{Escape}", "{ESCAPE}"})
        EXPECT_EQ(platform::sentKey(keys), platform::vk::kEscape) << keys;
    for (const char* keys : {"", "{}", "Esc", "{Esc", "Esc}", "{Esc}{Esc}", "{ Esc}", "{F1}", "{Escapes}"})
        EXPECT_EQ(platform::sentKey(keys), std::nullopt) << keys;
}

}  // namespace
