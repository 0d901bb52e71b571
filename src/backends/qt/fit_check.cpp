#include "qt/fit_check.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QStyle>
#include <QStyleOptionButton>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace qt_backend {

namespace {

// Room a button's frame and padding take, as the style draws them.
QSize buttonTextRoom(const QPushButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    const QRect contents = button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
    return contents.size();
}

// The size the text needs and the size it has, or nothing when it fits.
struct Misfit {
    QSize has, needs;
};

std::optional<Misfit> labelMisfit(const QLabel& label) {
    if (label.text().isEmpty()) return std::nullopt;
    const QRect room = label.contentsRect();
    const QRect needs = label.fontMetrics().boundingRect(room, Qt::TextWordWrap | label.alignment(), label.text());
    // One line is as the design sized it, even where the font's descent
    // passes the bottom; a text that wraps must show every line.
    const QFontMetrics metrics = label.fontMetrics();
    const bool oneLine = !label.text().contains(QLatin1Char('\n')) && metrics.horizontalAdvance(label.text()) <= room.width();
    const bool fits = oneLine || (needs.width() <= room.width() && needs.height() - metrics.leading() <= room.height());
    if (fits) return std::nullopt;
    return Misfit{room.size(), needs.size()};
}

std::optional<Misfit> buttonMisfit(const QPushButton& button) {
    QString text = button.text();
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove(QLatin1Char('&')).replace(QLatin1Char('\x01'), QLatin1Char('&'));
    if (text.isEmpty()) return std::nullopt;
    const QSize room = buttonTextRoom(button);
    const QSize needs(button.fontMetrics().horizontalAdvance(text), button.fontMetrics().height());
    if (needs.width() <= room.width() && needs.height() <= room.height()) return std::nullopt;
    return Misfit{room, needs};
}

class FitCheck : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint) return false;
        if (const auto* label = qobject_cast<QLabel*>(watched)) {
            report(*label, label->text(), labelMisfit(*label));
        } else if (const auto* button = qobject_cast<QPushButton*>(watched)) {
            report(*button, button->text(), buttonMisfit(*button));
        }
        return false;
    }

private:
    void report(const QWidget& widget, const QString& text, const std::optional<Misfit>& misfit) {
        if (!misfit) return;
        const QString where = (widget.window() ? widget.window()->objectName() : QString()) + QLatin1Char('.') +
                              widget.objectName();
        if (told_.contains(where + QLatin1Char('\n') + text)) return;
        told_.insert(where + QLatin1Char('\n') + text);
        std::fprintf(stderr, "mochitama: does not fit: %s (%d × %d px, needs %d × %d): \"%s\"\n",
                     where.toUtf8().constData(), misfit->has.width(), misfit->has.height(), misfit->needs.width(),
                     misfit->needs.height(), text.toUtf8().constData());
    }

    QSet<QString> told_;
};

}  // namespace

void installFitCheckWhenAsked() {
    const char* asked = std::getenv("MOCHITAMA_CHECK_FIT");
    if (asked == nullptr || *asked == '\0') return;
    qApp->installEventFilter(new FitCheck(qApp));
}

}  // namespace qt_backend
