#pragma once
// What a screen reader hears of the menus. It names a menu entry by its text,
// and a blank entry's text is only spaces: so a blank entry carries a name of
// its own, and an accessible interface of ours reads it; every other entry
// keeps Qt's.
#include <QAccessible>
#include <QString>
#include <vector>

#include "platform/controls.h"

class QAction;
class QWidget;

namespace qt_backend {

// Lets Qt find our interface for blank entries; QtServices does it. Safe to
// call more than once (a test process makes several QtServices).
void installAccessibleFactory();

// Marks a blank entry for that interface, or unmarks an entry that has a
// caption again.
void markBlankEntry(const platform::Menu& menu, QAction* action);

// A screen reader takes the children of `container` in the order given (the
// controls' reading order), whatever order the widgets were made in.
// Before the container's interface is first asked for.
void readInOrder(QWidget* container, QAccessible::Role role, const std::vector<QWidget*>& children);

// What a screen reader calls an open drop-down menu: its caption without the
// access-key marker, or the blank entry's own name.
QString popupName(const platform::Menu& menu);

}  // namespace qt_backend
