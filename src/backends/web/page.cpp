// The calls into the page's desktop (page/*.js, handed to the program as
// Module.desktop before it starts). Each is one line: what the page does
// lives there, in plain JavaScript, and the record store in storage.js. No
// destructuring here: emscripten 3.1.6's optimizer breaks it inside EM_JS.
//
// ASYNCIFY: the program runs on one stack that is suspended whenever it
// waits. Only the calls marked EM_ASYNC_JS below (waitForEvent, yieldOnce,
// sleep, takeGuard, park) and the record store's mount and fsync suspend it;
// every other call returns at once. While the stack is suspended, nothing may
// call into the program: a second entry would run on the suspended stack.
// So the page never calls the program. It queues what happens and wakes a
// waiting call, and the program takes the queue when it runs again.
#include "web/page.h"

#include <emscripten.h>

#include <type_traits>

namespace {

// clang-format off
EM_ASYNC_JS(void, js_waitForEvent, (), { await Module.desktop.whenEventQueued(); });
EM_JS(int, js_takeEvent, (web::page::Event* out), { return Module.desktop.takeEvent(HEAP32, out >> 2); });
EM_ASYNC_JS(void, js_yieldOnce, (), { await Module.desktop.yieldOnce(); });
EM_ASYNC_JS(void, js_sleep, (uint32_t ms), { await Module.desktop.sleep(ms); });
EM_JS(void, js_queueEscape, (), { Module.desktop.queueEscape(); });
EM_JS(void, js_paint, (uint32_t form), { Module.desktop.paint(form); });
EM_JS(void, js_paintAll, (), { Module.desktop.paintAll(); });

EM_JS(void, js_openWindow, (uint32_t form, const char* name, int framed, const char* icon, const char* font), {
    Module.desktop.openWindow(form, UTF8ToString(name), framed !== 0, UTF8ToString(icon), UTF8ToString(font));
});
EM_JS(void, js_closeWindow, (uint32_t form), { Module.desktop.closeWindow(form); });
EM_JS(void, js_layoutWindow, (uint32_t form, int width, int height, int border, int titleBarHeight, int menuBarHeight,
                             int clientTop, int clientWidth, int clientHeight), {
    Module.desktop.layoutWindow(form, {width: width, height: height, border: border, titleBarHeight: titleBarHeight,
        menuBarHeight: menuBarHeight, clientTop: clientTop, clientWidth: clientWidth, clientHeight: clientHeight});
});
EM_JS(void, js_setWindowCaption, (uint32_t form, const char* text), {
    Module.desktop.setWindowCaption(form, UTF8ToString(text));
});
EM_JS(void, js_setWindowColor, (uint32_t form, const char* css), {
    Module.desktop.setWindowColor(form, UTF8ToString(css));
});
EM_JS(void, js_setWindowEnabled, (uint32_t form, int enabled), { Module.desktop.setWindowEnabled(form, enabled !== 0); });
EM_JS(void, js_showWindow, (uint32_t form, uint32_t focus), { Module.desktop.showWindow(form, focus); });
EM_JS(void, js_hideWindow, (uint32_t form), { Module.desktop.hideWindow(form); });
EM_JS(void, js_moveWindow, (uint32_t form, int left, int top), { Module.desktop.moveWindow(form, left, top); });
EM_JS(int, js_windowLeft, (uint32_t form), { return Module.desktop.windowLeft(form); });
EM_JS(int, js_windowTop, (uint32_t form), { return Module.desktop.windowTop(form); });

EM_JS(void, js_addControl, (uint32_t form, uint32_t control, int kind, uint32_t container), {
    Module.desktop.addControl(form, control, kind, container);
});
EM_JS(void, js_setControlText, (uint32_t control, const char* text), {
    Module.desktop.setControlText(control, UTF8ToString(text));
});
EM_JS(void, js_setControlShown, (uint32_t control, int visible, int enabled), {
    Module.desktop.setControlShown(control, visible !== 0, enabled !== 0);
});
EM_JS(void, js_setControlColors, (uint32_t control, const char* fore, const char* back), {
    Module.desktop.setControlColors(control, UTF8ToString(fore), UTF8ToString(back));
});
EM_JS(void, js_setControlFont, (uint32_t control, const char* family, float pixels, int bold), {
    Module.desktop.setControlFont(control, UTF8ToString(family), pixels, bold !== 0);
});
EM_JS(void, js_setControlAlignment, (uint32_t control, const char* align), {
    Module.desktop.setControlAlignment(control, UTF8ToString(align));
});
EM_JS(void, js_setControlPlace, (uint32_t control, int left, int top, int width, int height), {
    Module.desktop.setControlPlace(control, left, top, width, height);
});
EM_JS(void, js_setControlOrder, (uint32_t control, int position), { Module.desktop.setControlOrder(control, position); });

EM_JS(void, js_addMenu, (uint32_t form, uint32_t menu, uint32_t parent), { Module.desktop.addMenu(form, menu, parent); });
EM_JS(void, js_setMenu, (uint32_t menu, const char* caption, int visible, int enabled, int separator), {
    Module.desktop.setMenu(menu, UTF8ToString(caption), visible !== 0, enabled !== 0, separator !== 0);
});

EM_JS(void, js_setTimer, (uint32_t timer, int interval), { Module.desktop.setTimer(timer, interval); });

EM_JS(void, js_openBox, (uint32_t box, const char* title, const char* text, int icon, int yesNo, int defaultIsNo), {
    Module.desktop.openBox(box, UTF8ToString(title), UTF8ToString(text), icon, yesNo !== 0, defaultIsNo !== 0);
});
EM_JS(void, js_closeBox, (uint32_t box), { Module.desktop.closeBox(box); });

EM_JS(int, js_screenWidth, (), { return Module.desktop.screenWidth(); });
EM_JS(int, js_screenHeight, (), { return Module.desktop.screenHeight(); });
EM_JS(double, js_secondsSinceMidnight, (), { return Module.desktop.secondsSinceMidnight(); });
EM_JS(double, js_entropy, (), { return Module.desktop.entropy(); });
EM_JS(int, js_speaksEnglish, (), { return Module.desktop.speaksEnglish() ? 1 : 0; });
EM_ASYNC_JS(int, js_takeGuard, (const char* name), { return await Module.desktop.takeGuard(UTF8ToString(name)); });
EM_JS(void, js_showEnded, (int status), { Module.desktop.showEnded(status); });
EM_ASYNC_JS(void, js_park, (), { await Module.desktop.park(); });
// clang-format on

}  // namespace

// The record store (storage.js): an asynchronous import of our own.
extern "C" int mochitama_open_storage(const char* directory);

namespace web::page {

void waitForEvent() { js_waitForEvent(); }

// The page writes the four fields in their declared order.
static_assert(std::is_standard_layout_v<Event> && sizeof(Event) == 4 * sizeof(int32_t));

bool takeEvent(Event& event) { return js_takeEvent(&event) != 0; }

void yieldOnce() { js_yieldOnce(); }
void sleep(uint32_t milliseconds) { js_sleep(milliseconds); }
void queueEscape() { js_queueEscape(); }
void paint(Id form) { js_paint(form); }
void paintAll() { js_paintAll(); }

void openWindow(Id form, const std::string& name, bool framed, const std::string& icon, const std::string& font) {
    js_openWindow(form, name.c_str(), framed ? 1 : 0, icon.c_str(), font.c_str());
}
void closeWindow(Id form) { js_closeWindow(form); }
void layoutWindow(Id form, const WindowLayout& l) {
    js_layoutWindow(form, l.width, l.height, l.border, l.titleBarHeight, l.menuBarHeight, l.clientTop, l.clientWidth,
                    l.clientHeight);
}
void setWindowCaption(Id form, const std::string& caption) { js_setWindowCaption(form, caption.c_str()); }
void setWindowColor(Id form, const std::string& css) { js_setWindowColor(form, css.c_str()); }
void setWindowEnabled(Id form, bool enabled) { js_setWindowEnabled(form, enabled ? 1 : 0); }
void showWindow(Id form, Id focus) { js_showWindow(form, focus); }
void hideWindow(Id form) { js_hideWindow(form); }
void moveWindow(Id form, int left, int top) { js_moveWindow(form, left, top); }
int windowLeft(Id form) { return js_windowLeft(form); }
int windowTop(Id form) { return js_windowTop(form); }

void addControl(Id form, Id control, ControlKind kind, Id container) {
    js_addControl(form, control, static_cast<int>(kind), container);
}
void setControlText(Id control, const std::string& text) { js_setControlText(control, text.c_str()); }
void setControlShown(Id control, bool visible, bool enabled) { js_setControlShown(control, visible, enabled); }
void setControlColors(Id control, const std::string& fore, const std::string& back) {
    js_setControlColors(control, fore.c_str(), back.c_str());
}
void setControlFont(Id control, const std::string& family, float pixels, bool bold) {
    js_setControlFont(control, family.c_str(), pixels, bold ? 1 : 0);
}
void setControlAlignment(Id control, const char* align) { js_setControlAlignment(control, align); }
void setControlPlace(Id control, int left, int top, int width, int height) {
    js_setControlPlace(control, left, top, width, height);
}
void setControlOrder(Id control, int position) { js_setControlOrder(control, position); }

void addMenu(Id form, Id menu, Id parent) { js_addMenu(form, menu, parent); }
void setMenu(Id menu, const std::string& caption, bool visible, bool enabled, bool separator) {
    js_setMenu(menu, caption.c_str(), visible, enabled, separator);
}

void setTimer(Id timer, int32_t interval) { js_setTimer(timer, interval); }

void openBox(Id box, const std::string& title, const std::string& text, BoxIcon icon, bool yesNo, bool defaultIsNo) {
    js_openBox(box, title.c_str(), text.c_str(), static_cast<int>(icon), yesNo, defaultIsNo);
}
void closeBox(Id box) { js_closeBox(box); }

int screenWidth() { return js_screenWidth(); }
int screenHeight() { return js_screenHeight(); }
double secondsSinceMidnight() { return js_secondsSinceMidnight(); }
double entropy() { return js_entropy(); }
bool speaksEnglish() { return js_speaksEnglish() != 0; }
Guard takeGuard(const std::string& name) { return static_cast<Guard>(js_takeGuard(name.c_str())); }
int openStorage(const std::string& directory) { return mochitama_open_storage(directory.c_str()); }
void showEnded(int status) { js_showEnded(status); }
void park() { js_park(); }

}  // namespace web::page
