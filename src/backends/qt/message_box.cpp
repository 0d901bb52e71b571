#include "qt/message_box.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QPushButton>
#include <QScreen>
#include <QSpacerItem>
#include <QWindow>

#include "qt/window_geometry.h"

namespace qt_backend {

namespace {

QMessageBox::Icon qtIcon(platform::MsgIcon icon) {
    switch (icon) {
        case platform::MsgIcon::Critical: return QMessageBox::Critical;
        case platform::MsgIcon::Question: return QMessageBox::Question;
        case platform::MsgIcon::Exclamation: return QMessageBox::Warning;
        case platform::MsgIcon::Information: return QMessageBox::Information;
        case platform::MsgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

// Room for the title in the frame: a box as narrow as its text would cut
// "Welcome to もちたま" short beside the frame's own icon and buttons.
void makeRoomForTitle(QMessageBox* box, const QString& title) {
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    const int frameButtons = 120;  // pixels the window manager's title bar keeps for itself
    const int wanted = QFontMetrics(titleFont).horizontalAdvance(title) + frameButtons;
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
        grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                      grid->columnCount());
}

// Where a box of this outer size goes: centred over the owner's frame, or
// in the middle of the primary screen. An owner shown again just before the
// box may not have its frame back yet: Qt then counts it without one, at the
// frame's corner, and the box would sit half a title bar too high.
QPoint centredPlace(QSize outerSize, const QWidget* owner, QMargins expectedFrame) {
    QRect area;
    if (owner != nullptr && owner->isVisible()) {
        const QWindow* handle = owner->windowHandle();
        const bool unframed = handle != nullptr && handle->frameMargins().isNull() &&
                              !owner->windowFlags().testFlag(Qt::FramelessWindowHint);
        area = unframed ? QRect(owner->pos(), owner->size().grownBy(expectedFrame)) : owner->frameGeometry();
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        area = screen->geometry();
    }
    return {area.x() + (area.width() - outerSize.width()) / 2, area.y() + (area.height() - outerSize.height()) / 2};
}

// Places itself once Qt has given it its final size, before it is mapped.
class CentredMessageBox : public QMessageBox {
public:
    CentredMessageBox(Icon icon, const QString& title, const QString& text, QWidget* owner, QMargins frame)
        : QMessageBox(icon, title, text, NoButton, owner), frame_(frame) {}

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        // The box exists by now, so Qt takes the place as the client area's:
        // the frame goes around it.
        const QPoint frameCorner = centredPlace(size().grownBy(frame_), parentWidget(), frame_);
        move(reachableCorner(frameCorner) + QPoint(frame_.left(), frame_.top()));
    }

private:
    QMargins frame_;
};

}  // namespace

QString boxText(const std::string& text) {
    QString out = QString::fromStdString(text);
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return out;
}

QMessageBox* buildMessageBox(const platform::MsgBoxRequest& request, QWidget* owner, QMargins frame,
                             platform::Language language) {
    const auto word = [language](const char* japanese) {
        return QString::fromStdString(platform::inLanguage(language, japanese));
    };
    auto* box = new CentredMessageBox(qtIcon(request.icon), boxText(request.title), boxText(request.prompt), owner,
                                      frame);
    box->setWindowModality(Qt::ApplicationModal);
    // A message box offers only its close box, as on the desktop it imitates.
    box->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    makeRoomForTitle(box, box->windowTitle());
    box->setTextFormat(Qt::PlainText);
    if (request.buttons == platform::MsgButtons::YesNo) {
        QPushButton* yes = box->addButton(word("はい(&Y)"), QMessageBox::YesRole);
        QPushButton* no = box->addButton(word("いいえ(&N)"), QMessageBox::NoRole);
        yes->setObjectName(QStringLiteral("yes"));
        no->setObjectName(QStringLiteral("no"));
        box->setDefaultButton(request.defaultIsNo ? no : yes);
        box->setEscapeButton(no);
    } else {
        QPushButton* ok = box->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        ok->setObjectName(QStringLiteral("ok"));
        box->setDefaultButton(ok);
        box->setEscapeButton(ok);
    }
    return box;
}

platform::MsgResult answerOf(const QMessageBox* box, platform::MsgButtons buttons) {
    if (buttons == platform::MsgButtons::Ok) return platform::MsgResult::Ok;
    const QAbstractButton* clicked = box != nullptr ? box->clickedButton() : nullptr;
    if (clicked != nullptr && clicked->objectName() == QLatin1String("yes")) return platform::MsgResult::Yes;
    return platform::MsgResult::No;
}

}  // namespace qt_backend
