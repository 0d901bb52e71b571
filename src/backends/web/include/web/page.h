#pragma once
// Every call from the program into the page, in one place, and every value
// the two share. The page (page/*.js) draws what it is told and queues what
// the player does; it never calls the program, whose stack may be suspended
// (see page.cpp). Objects are named by their addresses, which stay valid
// while the program runs (a form keeps its controls whether loaded or not).
#include <cstdint>
#include <string>

namespace web::page {

using Id = uint32_t;

template <typename Object>
Id idOf(const Object& object) {
    return static_cast<Id>(reinterpret_cast<uintptr_t>(&object));
}

// ==== Shared with the page. The build writes everything from here to the
// closing line into the page's contract.js and contract.css
// (tools/web_contract.py), so the page cannot drift from it; the build
// fails on anything here it cannot read.

// What the player did, or a timer or a box answer, in the order it happened.
enum class EventKind : int32_t {
    None = 0,
    Click = 1,      // target: a label or button
    Choose = 2,     // target: a menu entry
    Close = 3,      // target: a form; its close box
    KeyDown = 4,    // target: a form; a: key code, b: shift state
    MouseDown = 5,  // target: a form; a press on its client area
    Tick = 6,       // target: a timer
    Answer = 7,     // target: a message box; a: its BoxAnswer
};

// One queued event as the page writes it into the program's memory: four
// 32-bit fields in this order.
struct Event {
    EventKind kind = EventKind::None;
    Id target = 0;
    int32_t a = 0;
    int32_t b = 0;
};

enum class BoxAnswer : int32_t { Ok = 1, Yes = 2, No = 3 };
enum class BoxIcon : int32_t { None = 0, Critical = 1, Question = 2, Exclamation = 3, Information = 4 };
enum class ControlKind : int32_t { Label = 1, Button = 2, Frame = 3 };

// The one-copy guard (a Web Lock) as the page found it. The lock's name is
// kGuardPrefix and the record file's path.
enum class Guard : int32_t { Held = 0, HeldElsewhere = 1, Unavailable = 2 };
inline constexpr const char* kGuardPrefix = "mochitama ";

// The record store: the folder the program keeps its records in, which is
// also the name of its IndexedDB database, in emscripten's IDBFS layout of
// this version. The page opens and reads it before the program starts.
inline constexpr const char* kRecordStore = "/mochitama";
inline constexpr int kRecordStoreLayout = 21;

// The frame the page draws around a framed window and a box, in CSS pixels.
inline constexpr int kBorder = 3;
inline constexpr int kTitleBarHeight = 20;
inline constexpr int kMenuBarHeight = 20;

// The page's fonts, named after the faces they stand in for.
inline constexpr const char* kGothicFamily = "Mochitama Gothic";
inline constexpr const char* kPGothicFamily = "Mochitama PGothic";

// ==== End of what the page shares.

// ---- the event queue
// Suspends the program until something is queued (input, a tick, an answer).
void waitForEvent();
// The oldest queued event, if any.
bool takeEvent(Event& event);
// Lets the browser run its queued tasks once, then comes back.
void yieldOnce();
// Suspends the program for this long; the page queues what happens meanwhile.
void sleep(uint32_t milliseconds);
// Queues Esc for whatever has the focus when it is taken.
void queueEscape();

// ---- painting: property changes wait until the window is painted
void paint(Id form);
void paintAll();

// ---- windows, in CSS pixels
struct WindowLayout {
    int width, height;          // the outer size
    int border, titleBarHeight; // 0 and 0 for a frameless window
    int menuBarHeight;          // 0 while no top-level menu shows
    int clientTop;              // below the bar, inside the frame
    int clientWidth, clientHeight;
};
void openWindow(Id form, const std::string& name, bool framed, const std::string& icon, const std::string& font);
void closeWindow(Id form);
void layoutWindow(Id form, const WindowLayout& layout);
void setWindowCaption(Id form, const std::string& caption);
void setWindowColor(Id form, const std::string& css);
void setWindowEnabled(Id form, bool enabled);
void showWindow(Id form, Id focus);
void hideWindow(Id form);
void moveWindow(Id form, int left, int top);
// Where the window is now: the player may have dragged it.
int windowLeft(Id form);
int windowTop(Id form);

// ---- controls
void addControl(Id form, Id control, ControlKind kind, Id container);
void setControlText(Id control, const std::string& text);
void setControlShown(Id control, bool visible, bool enabled);
void setControlColors(Id control, const std::string& fore, const std::string& back);
void setControlFont(Id control, const std::string& family, float pixels, bool bold);
void setControlAlignment(Id control, const char* align);
void setControlPlace(Id control, int left, int top, int width, int height);
// Puts the control at this place in its window's tab order.
void setControlOrder(Id control, int position);

// ---- menus
void addMenu(Id form, Id menu, Id parent);
void setMenu(Id menu, const std::string& caption, bool visible, bool enabled, bool separator);

// ---- timers
// Ticks every `interval` ms from now on; 0 stops it.
void setTimer(Id timer, int32_t interval);

// ---- message boxes
void openBox(Id box, const std::string& title, const std::string& text, BoxIcon icon, bool yesNo, bool defaultIsNo);
void closeBox(Id box);

// ---- the world around the program
int screenWidth();
int screenHeight();
double secondsSinceMidnight();
double entropy();
// The player's language as the page chose it at its start: English or not.
bool speaksEnglish();
Guard takeGuard(const std::string& name);
// Mounts the record store: 0, or the errno every later write reports.
int openStorage(const std::string& directory);
// Removes the windows and says plainly that the game has ended.
void showEnded(int status);
// Suspends the program for good.
void park();

}  // namespace web::page
