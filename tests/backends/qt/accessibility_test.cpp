// What a screen reader finds on a window: every button, label and menu entry
// says what it is, the blank ones included.
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <map>
#include <string>
#include <vector>

#include "qt_test_forms.h"

namespace qt_test {
namespace {

// Shaped like the main window with all its controls and its whole menu tree:
// three labels without a caption, a blank top-level menu and a blank item.
class FullMainLikeForm : public platform::Form {
public:
    explicit FullMainLikeForm(platform::Runtime& runtime) : Form(runtime, "FullMainLike") {
        designBorder(BorderStyle::FixedSingle);
        designClientSize(5115, 3600);
        setBackColor(0x00808000);
        setCaption("もちたま");
        struct ButtonDesign {
            platform::CommandButton& button;
            const char* caption;
            Geometry geometry;
            int16_t tabIndex;
        };
        for (const ButtonDesign& b : {ButtonDesign{command5, "いいえ", {3000, 2400, 975, 375}, 0},
                                      ButtonDesign{command4, "はい", {1080, 2400, 975, 375}, 9},
                                      ButtonDesign{command3, "家を探せ！", {480, 2760, 1215, 375}, 5},
                                      ButtonDesign{command2, "降参", {2520, 2760, 975, 375}, 4},
                                      ButtonDesign{command1, "終了", {3840, 2760, 975, 375}, 1}}) {
            b.button.setCaption(b.caption);
            b.button.setGeometry(b.geometry);
            b.button.setTabIndex(b.tabIndex);
        }
        struct LabelDesign {
            platform::Label& label;
            const char* caption;
            Geometry geometry;
        };
        for (const LabelDesign& l : {LabelDesign{label8, "", {2640, 3240, 1455, 255}},
                                     LabelDesign{label7, "ただいまの記録", {720, 3240, 1815, 255}},
                                     LabelDesign{label6, "TIME ATTACK MODE", {120, 120, 4815, 255}},
                                     LabelDesign{label5, "り", {3720, 720, 975, 975}},
                                     LabelDesign{label4, "わ", {2160, 720, 975, 975}},
                                     LabelDesign{label3, "お", {480, 720, 975, 975}},
                                     LabelDesign{label2, "", {120, 1320, 4815, 495}},
                                     LabelDesign{label1, "", {120, 600, 4815, 615}}}) {
            l.label.setCaption(l.caption);
            l.label.setGeometry(l.geometry);
            l.label.setTransparent(true);
        }
        file.setCaption("ﾌｧｲﾙ(&F)");
        exit.setCaption("終了(&X)");
        etc.setCaption("ﾍﾙﾌﾟ(&H)");
        hint.setCaption("ﾋﾝﾄの表示(&O)");
        space.setCaption("");
        kousan.setCaption("降参(&C)");
        hr.setCaption("-");
        version.setCaption("ﾊﾞｰｼﾞｮﾝ情報(&V)");
        nazocom.setCaption("謎のｺﾏﾝﾄﾞ(&N)");
        pray.setCaption("祈る(&P)");
        dance.setCaption("踊る(&D)");
        sleep.setCaption("寝る(&S)");
        space2.setCaption("");
        next.setCaption("Next Step(&N)");
        space.onClick = [this] { ++spaceClicks; };
        endDesign();
    }

    platform::CommandButton command5{*this, "Command5"};
    platform::CommandButton command4{*this, "Command4"};
    platform::CommandButton command3{*this, "Command3"};
    platform::CommandButton command2{*this, "Command2"};
    platform::CommandButton command1{*this, "Command1"};
    platform::Label label8{*this, "Label8"};
    platform::Label label7{*this, "Label7"};
    platform::Label label6{*this, "Label6"};
    platform::Label label5{*this, "Label5"};
    platform::Label label4{*this, "Label4"};
    platform::Label label3{*this, "Label3"};
    platform::Label label2{*this, "Label2"};
    platform::Label label1{*this, "Label1"};
    platform::Menu file{*this, "File"};
    platform::Menu exit{*this, "Exit", &file};
    platform::Menu etc{*this, "Etc"};
    platform::Menu hint{*this, "Hint", &etc};
    platform::Menu space{*this, "Space", &etc};
    platform::Menu kousan{*this, "Kousan", &etc};
    platform::Menu hr{*this, "HR", &etc};
    platform::Menu version{*this, "Version", &etc};
    platform::Menu nazocom{*this, "Nazocom"};
    platform::Menu pray{*this, "Pray", &nazocom};
    platform::Menu dance{*this, "Dance", &nazocom};
    platform::Menu sleep{*this, "Sleep", &nazocom};
    platform::Menu space2{*this, "Space2"};
    platform::Menu next{*this, "Next", &space2};

    int spaceClicks = 0;
};

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
    FullMainLikeForm form(runtime);
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

// ------------------------------------------------------------ buttons and labels

TEST_F(AccessibilityTest, ButtonsAreNamedByTheirCaption) {
    FullMainLikeForm form(runtime);
    auto& peer = shown(form);
    for (platform::CommandButton* button : {&form.command5, &form.command3, &form.command1}) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(peer.widget(*button));
        ASSERT_NE(iface, nullptr);
        EXPECT_EQ(iface->role(), QAccessible::PushButton);
        EXPECT_EQ(nameOf(iface).toStdString(), button->caption());
    }
}

TEST_F(AccessibilityTest, LabelsAreNamedByTheirCaption) {
    FullMainLikeForm form(runtime);
    form.Show();
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(peerOf(form).widget(form.label7));
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::StaticText);
    EXPECT_EQ(nameOf(iface), "ただいまの記録");
}

TEST_F(AccessibilityTest, AnEmptyMessageLineIsDescribedAndNamedOnceItHasText) {
    FullMainLikeForm form(runtime);
    form.Show();
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(peerOf(form).widget(form.label1));
    ASSERT_NE(iface, nullptr);
    EXPECT_FALSE(says(nameOf(iface)));
    EXPECT_EQ(descriptionOf(iface), "メッセージ");

    form.label1.setCaption("やめるなら今のうちよ");
    EXPECT_EQ(nameOf(iface), "やめるなら今のうちよ");

    // Empty again, as a flash message leaves it: the description is back.
    form.label1.setCaption("");
    EXPECT_FALSE(says(nameOf(iface)));
    EXPECT_EQ(descriptionOf(iface), "メッセージ");
}

// ------------------------------------------------------------ menus

TEST_F(AccessibilityTest, MenuEntriesAreNamedByTheirCaptionWithoutTheAccessMarker) {
    FullMainLikeForm form(runtime);
    auto& peer = shown(form);
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(peer.menuBar());
    ASSERT_NE(bar, nullptr);
    QAccessibleInterface* etc = entryFor(bar, peer.action(form.etc));
    ASSERT_NE(etc, nullptr);
    EXPECT_EQ(nameOf(etc), "ﾍﾙﾌﾟ(H)");
    ASSERT_EQ(etc->childCount(), 1);
    QAccessibleInterface* hint = entryFor(etc->child(0), peer.action(form.hint));
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(nameOf(hint), "ﾋﾝﾄの表示(O)");
}

TEST_F(AccessibilityTest, TheBlankItemHasANameAndCanBePressed) {
    FullMainLikeForm form(runtime);
    auto& peer = shown(form);
    QAccessibleInterface* etcMenu = QAccessible::queryAccessibleInterface(peer.menu(form.etc));
    ASSERT_NE(etcMenu, nullptr);
    QAccessibleInterface* space = entryFor(etcMenu, peer.action(form.space));
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

    form.space.setEnabled(false);
    EXPECT_TRUE(space->state().disabled);
    actions->doAction(QAccessibleActionInterface::pressAction());
    pump();
    EXPECT_EQ(form.spaceClicks, 1);
}

TEST_F(AccessibilityTest, TheBlankTopMenuHasANameAndLeadsToItsItem) {
    FullMainLikeForm form(runtime);
    auto& peer = shown(form);
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(peer.menuBar());
    ASSERT_NE(bar, nullptr);
    QAccessibleInterface* space2 = entryFor(bar, peer.action(form.space2));
    ASSERT_NE(space2, nullptr);
    EXPECT_EQ(space2->role(), QAccessible::MenuItem);
    EXPECT_TRUE(says(nameOf(space2))) << "blank name '" << nameOf(space2).toStdString() << "'";
    EXPECT_EQ(space2->parent(), bar);
    EXPECT_TRUE(space2->actionInterface()->actionNames().contains(QAccessibleActionInterface::showMenuAction()));

    // Down into its menu and back up.
    ASSERT_EQ(space2->childCount(), 1);
    QAccessibleInterface* menu = space2->child(0);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->object(), peer.menu(form.space2));
    EXPECT_EQ(menu->parent(), space2);
    EXPECT_EQ(space2->indexOfChild(menu), 0);
    QAccessibleInterface* next = entryFor(menu, peer.action(form.next));
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(nameOf(next), "Next Step(N)");

    // Hidden, as while the game has not shown it: still named, and invisible.
    form.space2.setVisible(false);
    EXPECT_TRUE(space2->state().invisible);
    EXPECT_TRUE(says(nameOf(space2)));
}

TEST_F(AccessibilityTest, ABlankItemThatBecomesASeparatorIsReadAsOne) {
    FullMainLikeForm form(runtime);
    auto& peer = shown(form);
    QAccessibleInterface* etcMenu = QAccessible::queryAccessibleInterface(peer.menu(form.etc));
    ASSERT_NE(etcMenu, nullptr);
    form.space.setCaption("-");
    QAccessibleInterface* space = entryFor(etcMenu, peer.action(form.space));
    ASSERT_NE(space, nullptr);
    EXPECT_EQ(space->role(), QAccessible::Separator);
    form.space.setCaption("");
    space = entryFor(etcMenu, peer.action(form.space));
    ASSERT_NE(space, nullptr);
    EXPECT_EQ(space->role(), QAccessible::MenuItem);
    EXPECT_TRUE(says(nameOf(space)));
}

}  // namespace
}  // namespace qt_test
