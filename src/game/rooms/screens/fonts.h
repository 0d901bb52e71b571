#pragma once
// The Japanese system fonts by the names the windows are designed with; the
// Qt backend maps them to the faces Linux has.
namespace game {
inline constexpr const char* kGothic = "ＭＳ ゴシック";
inline constexpr const char* kPGothic = "ＭＳ Ｐゴシック";
}  // namespace game
