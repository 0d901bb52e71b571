#pragma once
// Plain value types shared by the object model, the services and the backends.
#include <cstdint>
#include <string>

namespace platform {

// Colours as the desktop stores them: 0x00BBGGRR.
using Color = uint32_t;

// The channels of a colour, 0 to 255.
inline constexpr int redOf(Color c) { return static_cast<int>(c & 0xFF); }
inline constexpr int greenOf(Color c) { return static_cast<int>((c >> 8) & 0xFF); }
inline constexpr int blueOf(Color c) { return static_cast<int>((c >> 16) & 0xFF); }

enum class Alignment { Left, Right, Center };

struct FontSpec {
    std::string face;  // the Japanese system name, e.g. "ＭＳ Ｐゴシック"
    float size = 9.0f; // points
    bool bold = false;
    bool operator==(const FontSpec&) const = default;
};

enum class BorderStyle { None, FixedSingle };

enum class MsgButtons { Ok, YesNo };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgResult { Ok, Yes, No };

// One modal message box: what the game asks the platform to show.
struct MsgBoxRequest {
    std::string prompt;  // lines joined with CR LF
    std::string title;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    bool defaultIsNo = false;  // Yes/No boxes: No is the default button
};

// What the program's exit status tells whoever started it.
enum class ExitStatus : int {
    Played = 0,        // the game ended as the game ends: a quit, a surrender, the results
    CouldNotPlay = 1,  // a second copy, or no record file to play with
};

// The one-copy guard's answer.
enum class InstanceCheck {
    Alone,        // this copy holds the guard now
    AnotherRuns,  // another copy holds it
    CannotTell,   // no guard could be taken: the player is told, and this copy
                  // leaves alone whatever another might be writing
};

// Where a close request comes from.
namespace unload_mode {
inline constexpr int16_t kUserClose = 0;   // close box, Alt+F4, the window manager
inline constexpr int16_t kProgram = 1;     // the program unloads the window itself
}  // namespace unload_mode

// Booleans of the desktop's language: true is -1.
inline constexpr int16_t kTrue = -1;
inline constexpr int16_t kFalse = 0;

// Virtual-key codes the handlers compare with.
namespace vk {
inline constexpr int16_t kBack = 8, kTab = 9, kReturn = 13, kShift = 16, kControl = 17, kMenu = 18,
                         kEscape = 27, kSpace = 32, kPrior = 33, kNext = 34, kEnd = 35, kHome = 36,
                         kLeft = 37, kUp = 38, kRight = 39, kDown = 40, kInsert = 45, kDelete = 46;
}  // namespace vk

}  // namespace platform
