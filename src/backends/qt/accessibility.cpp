#include "qt/accessibility.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <limits>

#include "platform/form.h"

namespace qt_backend {

namespace {

constexpr char kBlankEntryName[] = "mochitamaBlankEntryName";
constexpr char kReadingRole[] = "mochitamaReadingRole";
constexpr char kReadingIndex[] = "mochitamaReadingIndex";

QString blankEntryName(const platform::Menu& menu) {
    return QString::fromStdString(menu.form().inPlayersLanguage(menu.parent() == nullptr ? "空白のメニュー" : "空白の項目"));
}

// The menu bar or the menu that shows the action.
QWidget* shownIn(const QAction* action) {
    if (action == nullptr) return nullptr;
    for (QObject* object : action->associatedObjects())
        if (qobject_cast<QMenu*>(object) != nullptr || qobject_cast<QMenuBar*>(object) != nullptr)
            return static_cast<QWidget*>(object);
    return nullptr;
}

// A blank menu entry as Qt's own menu items present an entry, with a name.
class BlankMenuEntry : public QAccessibleObject, public QAccessibleActionInterface {
public:
    explicit BlankMenuEntry(QAction* action) : QAccessibleObject(action) {}

    bool isValid() const override { return QAccessibleObject::isValid() && owner() != nullptr; }
    QWindow* window() const override {
        const QWidget* shown = owner();
        return shown != nullptr ? shown->window()->windowHandle() : nullptr;
    }

    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(owner()); }
    int childCount() const override { return submenu() != nullptr ? 1 : 0; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 && submenu() != nullptr ? QAccessible::queryAccessibleInterface(submenu()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child != nullptr && submenu() != nullptr && child->object() == submenu() ? 0 : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        QAccessibleInterface* menu = child(0);
        return menu != nullptr && menu->rect().contains(x, y) ? menu : nullptr;
    }

    QString text(QAccessible::Text t) const override {
        // Only blank entries, never separators, have this interface
        // (markBlankEntry keeps it so).
        if (t != QAccessible::Name || action() == nullptr) return {};
        return action()->property(kBlankEntryName).toString();
    }
    QRect rect() const override {
        QWidget* shown = owner();
        QRect area;
        if (auto* menu = qobject_cast<QMenu*>(shown)) {
            area = menu->actionGeometry(action());
        } else if (auto* bar = qobject_cast<QMenuBar*>(shown)) {
            area = bar->actionGeometry(action());
        }
        return area.isValid() ? QRect(shown->mapToGlobal(area.topLeft()), area.size()) : QRect();
    }
    QAccessible::Role role() const override { return QAccessible::MenuItem; }
    QAccessible::State state() const override {
        QAccessible::State state;
        QAction* entry = action();
        QWidget* shown = owner();
        if (entry == nullptr || shown == nullptr) {
            state.invalid = true;
            return state;
        }
        state.invisible = !shown->isVisible() || !entry->isVisible();
        if (auto* menu = qobject_cast<QMenu*>(shown)) state.focused = menu->activeAction() == entry;
        if (auto* bar = qobject_cast<QMenuBar*>(shown)) state.focused = bar->activeAction() == entry;
        state.disabled = !entry->isEnabled();
        state.hasPopup = submenu() != nullptr;
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    QStringList actionNames() const override {
        return {submenu() != nullptr ? showMenuAction() : pressAction()};
    }
    void doAction(const QString& name) override {
        QAction* entry = action();
        if (entry == nullptr || !entry->isEnabled()) return;
        if (name == pressAction()) {
            entry->trigger();
        } else if (name == showMenuAction()) {
            if (submenu() != nullptr && submenu()->isVisible()) {
                submenu()->hide();
            } else if (auto* bar = qobject_cast<QMenuBar*>(owner())) {
                bar->setActiveAction(entry);
            } else if (auto* menu = qobject_cast<QMenu*>(owner())) {
                menu->setActiveAction(entry);
            }
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QAction* action() const { return static_cast<QAction*>(object()); }
    QWidget* owner() const { return shownIn(action()); }
    QMenu* submenu() const { return action() != nullptr ? action()->menu() : nullptr; }
};

// A window's client area or a frame, whose controls a screen reader takes in
// reading order instead of the order their widgets were made in (labels
// first, so that the desktop draws them under frames and buttons).
class ReadsInOrder : public QAccessibleWidget {
public:
    ReadsInOrder(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

    QAccessibleInterface* child(int index) const override {
        const QList<QAccessibleInterface*> children = inReadingOrder();
        return index >= 0 && index < children.size() ? children.at(index) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return static_cast<int>(inReadingOrder().indexOf(const_cast<QAccessibleInterface*>(child)));
    }

private:
    QList<QAccessibleInterface*> inReadingOrder() const {
        QList<QAccessibleInterface*> children;
        for (int i = 0; i < QAccessibleWidget::childCount(); ++i) children.append(QAccessibleWidget::child(i));
        const auto place = [](const QAccessibleInterface* child) {
            const QVariant index = child->object() != nullptr ? child->object()->property(kReadingIndex) : QVariant();
            return index.isValid() ? index.toInt() : std::numeric_limits<int>::max();
        };
        std::stable_sort(children.begin(), children.end(),
                         [&](const QAccessibleInterface* a, const QAccessibleInterface* b) { return place(a) < place(b); });
        return children;
    }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("QAction") && object->property(kBlankEntryName).isValid())
        return new BlankMenuEntry(static_cast<QAction*>(object));
    if (const QVariant role = object->property(kReadingRole); role.isValid() && object->isWidgetType())
        return new ReadsInOrder(static_cast<QWidget*>(object), static_cast<QAccessible::Role>(role.toInt()));
    return nullptr;
}

}  // namespace

// What a screen reader calls an open drop-down menu: its caption without the
// access-key marker, or the blank entry's own name.
QString popupName(const platform::Menu& menu) {
    if (menu.caption().empty()) return blankEntryName(menu);
    QString caption = QString::fromStdString(menu.caption());
    return caption.remove(QLatin1Char('&'));
}

void installAccessibleFactory() {
    static const bool installed = [] {
        QAccessible::installFactory(accessibleFactory);
        return true;
    }();
    (void)installed;
}

// Marks a blank entry for the factory. Qt picks an entry's interface once,
// when it is first asked for: after a change, drop the one it picked.
void markBlankEntry(const platform::Menu& menu, QAction* action) {
    const bool blank = menu.caption().empty();
    if (blank == action->property(kBlankEntryName).isValid()) return;
    action->setProperty(kBlankEntryName, blank ? QVariant(blankEntryName(menu)) : QVariant());
    if (QAccessibleInterface* picked = QAccessible::queryAccessibleInterface(action))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(picked));
}

void readInOrder(QWidget* container, QAccessible::Role role, const std::vector<QWidget*>& children) {
    container->setProperty(kReadingRole, static_cast<int>(role));
    for (std::size_t i = 0; i < children.size(); ++i) children[i]->setProperty(kReadingIndex, static_cast<int>(i));
}

}  // namespace qt_backend
