#include "qt/painting.h"

#include <QBackingStore>
#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

#include "qt/x11.h"

namespace qt_backend {

namespace {

void drawInto(QBackingStore* store, QWidget* window) {
    const QRegion all(window->rect());
    if (store->size() != window->size()) store->resize(window->size());
    store->beginPaint(all);
    window->render(store->paintDevice(), QPoint(), all, QWidget::DrawWindowBackground | QWidget::DrawChildren);
    store->endPaint();
}

}  // namespace

void paintNow(QWidget* window) {
    flushDisplay();
    // What Qt has posted to the window's widgets (a label just made visible
    // is only shown and laid out by posted events) goes first, or the paint
    // leaves it out and the program then sleeps over a screen without it.
    // The window's own update request is not sent: it would put a half-done
    // screen out before the whole one.
    QCoreApplication::sendPostedEvents(window, QEvent::LayoutRequest);
    for (QWidget* child : window->findChildren<QWidget*>()) QCoreApplication::sendPostedEvents(child, 0);
    window->repaint();
    QBackingStore* store = window->backingStore();
    if (store == nullptr) return;
    // A window just mapped, whose map Qt has not heard of yet: Qt skips the
    // repaint, and the first paint would come only once the program waits,
    // after a pause begun over an empty window. It is drawn here instead.
    if (!window->testAttribute(Qt::WA_Mapped)) drawInto(store, window);
    // All of the window goes out, not only what Qt thinks changed: a message
    // box that has just gone left a hole that nobody repaints while the
    // program sleeps.
    store->flush(QRegion(window->rect()), window->windowHandle());
    flushDisplay();
}

}  // namespace qt_backend
