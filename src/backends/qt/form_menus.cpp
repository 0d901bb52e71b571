#include "qt/form_menus.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

#include "qt/accessibility.h"
#include "qt/core_calls.h"

namespace qt_backend {

namespace {

const QString kBlankTitle = QStringLiteral("\u3000\u3000");
const QString kBlankItem = QStringLiteral("\u3000");

QString menuText(const platform::Menu& menu) {
    if (menu.caption().empty()) {
        // A blank entry must still be something to click: ideographic spaces
        // give a blank title in the bar the width of two characters.
        return menu.parent() == nullptr ? kBlankTitle : kBlankItem;
    }
    return QString::fromStdString(menu.caption());
}

// A blank item in a dropped-down menu is a narrow line, no taller than a
// separator: a full row with nothing in it would give it away. It is still
// an item, so the mouse and the arrow keys reach it.
class BlankItemStyle : public QProxyStyle {
public:
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        const QSize full = QProxyStyle::sizeFromContents(type, option, size, widget);
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (type != CT_MenuItem || item == nullptr || item->menuItemType != QStyleOptionMenuItem::Normal ||
            item->text != kBlankItem)
            return full;
        QStyleOptionMenuItem separator = *item;
        separator.menuItemType = QStyleOptionMenuItem::Separator;
        separator.text.clear();
        return {full.width(), QProxyStyle::sizeFromContents(type, &separator, QSize(0, 0), widget).height()};
    }
};

// One for the whole program, gone with it after the windows.
QStyle* blankItemStyle() {
    static QPointer<BlankItemStyle> style;
    if (style == nullptr) {
        style = new BlankItemStyle;
        style->setParent(QCoreApplication::instance());
    }
    return style;
}

}  // namespace

FormMenus::FormMenus(platform::Form& form, QMenuBar* bar, QObject* context, CoreCalls& coreCalls)
    : form_(form), bar_(bar), context_(context), coreCalls_(coreCalls) {
    for (platform::Menu* top : form_.topMenus()) buildTopMenu(*top);
}

void FormMenus::buildTopMenu(platform::Menu& top) {
    auto* qmenu = new QMenu(menuText(top), bar_);
    qmenu->setStyle(blankItemStyle());
    qmenu->setObjectName(QString::fromStdString(top.name()));
    qmenu->setAccessibleName(popupName(top));
    bar_->addMenu(qmenu);
    menus_[&top] = qmenu;
    actions_[&top] = qmenu->menuAction();
    markBlankEntry(top, qmenu->menuAction());
    // The desktop tells a top-level menu it was clicked as it drops down.
    QObject::connect(qmenu, &QMenu::aboutToShow, context_, [this, &top] { queueClick(top); });
    for (platform::Menu* item : form_.items(top)) buildItem(qmenu, *item);
    apply(top, platform::Property::Visible);
    apply(top, platform::Property::Enabled);
}

void FormMenus::buildItem(QMenu* into, platform::Menu& item) {
    auto* action = new QAction(into);
    action->setObjectName(QString::fromStdString(item.name()));
    into->addAction(action);
    actions_[&item] = action;
    // Queued: the popup closes before the handler runs.
    QObject::connect(action, &QAction::triggered, context_, [this, &item] { queueClick(item); });
    for (platform::Property p : {platform::Property::Caption, platform::Property::Visible, platform::Property::Enabled})
        apply(item, p);
}

void FormMenus::queueClick(platform::Menu& menu) {
    QMetaObject::invokeMethod(context_, [this, &menu] { coreCalls_.run([&menu] { menu.click(); }); },
                              Qt::QueuedConnection);
}

void FormMenus::apply(platform::Menu& menu, platform::Property property) {
    QAction* action = actions_.at(&menu);
    switch (property) {
        case platform::Property::Caption:
            if (menu.parent() == nullptr) {
                menus_.at(&menu)->setTitle(menuText(menu));
                menus_.at(&menu)->setAccessibleName(popupName(menu));
            } else {
                action->setSeparator(menu.isSeparator());
                action->setText(menu.isSeparator() ? QString() : menuText(menu));
            }
            markBlankEntry(menu, action);
            break;
        case platform::Property::Visible:
            action->setVisible(menu.visible());
            break;
        case platform::Property::Enabled:
            action->setEnabled(menu.enabled());
            break;
        default:
            break;
    }
}

QMenu* FormMenus::menu(const platform::Menu& menu) const {
    auto it = menus_.find(&menu);
    return it != menus_.end() ? it->second : nullptr;
}

QAction* FormMenus::action(const platform::Menu& menu) const {
    auto it = actions_.find(&menu);
    return it != actions_.end() ? it->second : nullptr;
}

}  // namespace qt_backend
