// What a screen reader finds on a window: every button, label and menu entry
// says what it is, the blank ones included.
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "qt_test_forms.h"

namespace qt_test {
namespace {

class AccessibilityTest : public QtFormTest {};

QString nameOf(QAccessibleInterface* iface) { return iface->text(QAccessible::Name); }
QString descriptionOf(QAccessibleInterface* iface) { return iface->text(QAccessible::Description); }

// Blank to a screen reader: nothing, or only spaces (the blank menu entries
// are drawn with ideographic spaces).
bool says(const QString& text) { return !text.trimmed().isEmpty(); }

struct Visited {
    QAccessibleInterface* iface;
    QString path;
};

// Every interface below `root`, depth first, with a readable path for messages.
void walk(QAccessibleInterface* iface, const QString& path, std::vector<Visited>& out, int depth = 0) {
    ASSERT_LT(depth, 12) << "the accessible tree loops at " << path.toStdString();
    out.push_back({iface, path});
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface* child = iface->child(i);
        ASSERT_NE(child, nullptr) << path.toStdString() << " child " << i;
        EXPECT_EQ(iface->indexOfChild(child), i) << path.toStdString() << " child " << i;
        EXPECT_EQ(child->parent(), iface) << path.toStdString() << " child " << i;
        const QString name = child->object() != nullptr && !child->object()->objectName().isEmpty()
                                 ? child->object()->objectName()
                                 : QString::number(i);
        walk(child, path + "/" + name, out, depth + 1);
    }
}

std::vector<Visited> treeOf(QWidget* window) {
    std::vector<Visited> all;
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window);
    EXPECT_NE(root, nullptr);
    if (root != nullptr) walk(root, window->objectName(), all);
    return all;
}

// The child of a menu bar or menu interface that stands for `action`.
QAccessibleInterface* entryFor(QAccessibleInterface* parent, QAction* action) {
    for (int i = 0; i < parent->childCount(); ++i)
        if (QAccessibleInterface* child = parent->child(i); child != nullptr && child->object() == action) return child;
    return nullptr;
}

// ------------------------------------------------------------ the whole tree

TEST_F(AccessibilityTest, EveryButtonLabelAndMenuEntryHasANameOrADescription) {
    MainForm form(game);
    form.Show();
    std::map<QAccessible::Role, int> seen;
    for (const Visited& v : treeOf(peerOf(form).window())) {
        const QAccessible::Role role = v.iface->role();
        if (role != QAccessible::PushButton && role != QAccessible::StaticText && role != QAccessible::MenuItem &&
            role != QAccessible::Separator)
            continue;
        ++seen[role];
        if (role == QAccessible::Separator) continue;  // a line, nothing to read
        EXPECT_TRUE(says(nameOf(v.iface)) || says(descriptionOf(v.iface)))
            << v.path.toStdString() << " has neither a name nor a description";
    }
    // All of them were reached: 5 buttons, 8 labels, 4 menus and 9 items in
    // the menu bar, and the separator.
    EXPECT_EQ(seen[QAccessible::PushButton], 5);
    EXPECT_EQ(seen[QAccessible::StaticText], 8);
    EXPECT_EQ(seen[QAccessible::MenuItem], 13);
    EXPECT_EQ(seen[QAccessible::Separator], 1);
}

// A screen reader takes the controls by their places, top to bottom and
// left to right, not in the order the window stacks them (labels under the
// buttons) nor in the order the form declares them (the reverse).
TEST_F(AccessibilityTest, ControlsAreReadInTheOrderOfTheirPlaces) {
    MainForm form(game);
    auto& peer = shown(form);
    std::vector<QObject*> read;
    for (const Visited& v : treeOf(peer.window()))
        if (v.iface->role() == QAccessible::PushButton || v.iface->role() == QAccessible::StaticText)
            read.push_back(v.iface->object());
    const auto at = [&](platform::Control& control) {
        return std::find(read.begin(), read.end(), peer.widget(control)) - read.begin();
    };
    EXPECT_LT(at(form.Label6), at(form.Label1));
    EXPECT_LT(at(form.Label1), at(form.Label2));
    EXPECT_LT(at(form.Label2), at(form.Command4));
    EXPECT_LT(at(form.Command4), at(form.Command5));
    EXPECT_LT(at(form.Command5), at(form.Command1));
    EXPECT_LT(at(form.Command1), at(form.Label7));
    EXPECT_LT(at(form.Label7), at(form.Label8));
}

// ------------------------------------------------------------ buttons and labels

TEST_F(AccessibilityTest, ButtonsAreNamedByTheirCaption) {
    MainForm form(game);
    auto& peer = shown(form);
    for (platform::CommandButton* button : {&form.Command5, &form.Command3, &form.Command1}) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(peer.widget(*button));
        ASSERT_NE(iface, nullptr);
        EXPECT_EQ(iface->role(), QAccessible::PushButton);
        EXPECT_EQ(nameOf(iface).toStdString(), button->caption());
    }
}

TEST_F(AccessibilityTest, LabelsAreNamedByTheirCaption) {
    MainForm form(game);
    form.Show();
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(peerOf(form).widget(form.Label7));
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::StaticText);
    EXPECT_EQ(nameOf(iface), "ただいまの記録");
}

TEST_F(AccessibilityTest, AnEmptyMessageLineIsDescribedAndNamedOnceItHasText) {
    MainForm form(game);
    form.Show();
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(peerOf(form).widget(form.Label1));
    ASSERT_NE(iface, nullptr);
    EXPECT_FALSE(says(nameOf(iface)));
    EXPECT_EQ(descriptionOf(iface), "メッセージ");

    form.Label1.setCaption("やめるなら今のうちよ");
    EXPECT_EQ(nameOf(iface), "やめるなら今のうちよ");

    // Empty again, as a flash message leaves it: the description is back.
    form.Label1.setCaption("");
    EXPECT_FALSE(says(nameOf(iface)));
    EXPECT_EQ(descriptionOf(iface), "メッセージ");
}

// ------------------------------------------------------------ menus

TEST_F(AccessibilityTest, MenuEntriesAreNamedByTheirCaptionWithoutTheAccessMarker) {
    MainForm form(game);
    auto& peer = shown(form);
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(peer.menuBar());
    ASSERT_NE(bar, nullptr);
    QAccessibleInterface* etc = entryFor(bar, peer.action(form.Etc));
    ASSERT_NE(etc, nullptr);
    EXPECT_EQ(nameOf(etc), "ﾍﾙﾌﾟ(H)");
    ASSERT_EQ(etc->childCount(), 1);
    QAccessibleInterface* hint = entryFor(etc->child(0), peer.action(form.Hint));
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(nameOf(hint), "ﾋﾝﾄの表示(O)");
}

TEST_F(AccessibilityTest, TheBlankItemHasANameAndCanBePressed) {
    MainForm form(game);
    auto& peer = shown(form);
    QAccessibleInterface* etcMenu = QAccessible::queryAccessibleInterface(peer.menu(form.Etc));
    ASSERT_NE(etcMenu, nullptr);
    QAccessibleInterface* space = entryFor(etcMenu, peer.action(form.Space));
    ASSERT_NE(space, nullptr);
    EXPECT_EQ(space->role(), QAccessible::MenuItem);
    EXPECT_TRUE(says(nameOf(space))) << "blank name '" << nameOf(space).toStdString() << "'";
    EXPECT_EQ(space->parent(), etcMenu);
    EXPECT_EQ(etcMenu->indexOfChild(space), 1);
    EXPECT_FALSE(space->state().disabled);

    // A screen reader presses it as it presses any other item.
    QAccessibleActionInterface* actions = space->actionInterface();
    ASSERT_NE(actions, nullptr);
    ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions->doAction(QAccessibleActionInterface::pressAction());
    pump();
    EXPECT_EQ(form.spaceClicks, 1);

    form.Space.setEnabled(false);
    EXPECT_TRUE(space->state().disabled);
    actions->doAction(QAccessibleActionInterface::pressAction());
    pump();
    EXPECT_EQ(form.spaceClicks, 1);
}

TEST_F(AccessibilityTest, TheBlankTopMenuHasANameAndLeadsToItsItem) {
    MainForm form(game);
    auto& peer = shown(form);
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(peer.menuBar());
    ASSERT_NE(bar, nullptr);
    QAccessibleInterface* space2 = entryFor(bar, peer.action(form.Space2));
    ASSERT_NE(space2, nullptr);
    EXPECT_EQ(space2->role(), QAccessible::MenuItem);
    EXPECT_TRUE(says(nameOf(space2))) << "blank name '" << nameOf(space2).toStdString() << "'";
    EXPECT_EQ(space2->parent(), bar);
    EXPECT_TRUE(space2->actionInterface()->actionNames().contains(QAccessibleActionInterface::showMenuAction()));

    // Down into its menu and back up.
    ASSERT_EQ(space2->childCount(), 1);
    QAccessibleInterface* menu = space2->child(0);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->object(), peer.menu(form.Space2));
    EXPECT_EQ(menu->parent(), space2);
    EXPECT_EQ(space2->indexOfChild(menu), 0);
    QAccessibleInterface* next = entryFor(menu, peer.action(form.Next));
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(nameOf(next), "Next Step(N)");

    // Hidden, as while the game has not shown it: still named, and invisible.
    form.Space2.setVisible(false);
    EXPECT_TRUE(space2->state().invisible);
    EXPECT_TRUE(says(nameOf(space2)));
}

TEST_F(AccessibilityTest, ABlankItemThatBecomesASeparatorIsReadAsOne) {
    MainForm form(game);
    auto& peer = shown(form);
    QAccessibleInterface* etcMenu = QAccessible::queryAccessibleInterface(peer.menu(form.Etc));
    ASSERT_NE(etcMenu, nullptr);
    form.Space.setCaption("-");
    QAccessibleInterface* space = entryFor(etcMenu, peer.action(form.Space));
    ASSERT_NE(space, nullptr);
    EXPECT_EQ(space->role(), QAccessible::Separator);
    form.Space.setCaption("");
    space = entryFor(etcMenu, peer.action(form.Space));
    ASSERT_NE(space, nullptr);
    EXPECT_EQ(space->role(), QAccessible::MenuItem);
    EXPECT_TRUE(says(nameOf(space)));
}

}  // namespace
}  // namespace qt_test
