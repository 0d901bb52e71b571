#pragma once
// A form's menus in its menu bar: a QMenu per top-level menu, a QAction per
// item. Blank entries stay clickable; choosing one reaches the core after
// its popup has closed.
#include <map>

#include "platform/form.h"

class QAction;
class QMenu;
class QMenuBar;
class QObject;

namespace qt_backend {

class CoreCalls;

class FormMenus {
public:
    // Builds every menu of the form into the bar. Clicks are queued on
    // `context` and run through `coreCalls`.
    FormMenus(platform::Form& form, QMenuBar* bar, QObject* context, CoreCalls& coreCalls);
    FormMenus(const FormMenus&) = delete;
    FormMenus& operator=(const FormMenus&) = delete;

    void apply(platform::Menu& menu, platform::Property property);

    // The QMenu of a top-level menu; the action of any entry (a top-level
    // menu's is its menu action). nullptr for a menu of another form.
    QMenu* menu(const platform::Menu& menu) const;
    QAction* action(const platform::Menu& menu) const;

private:
    void buildTopMenu(platform::Menu& top);
    void buildItem(QMenu* into, platform::Menu& item);
    void queueClick(platform::Menu& menu);

    platform::Form& form_;
    QMenuBar* bar_;
    QObject* context_;
    CoreCalls& coreCalls_;
    std::map<const platform::Menu*, QMenu*> menus_;
    std::map<const platform::Menu*, QAction*> actions_;
};

}  // namespace qt_backend
