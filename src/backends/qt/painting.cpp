#include "qt/painting.h"

#include <QBackingStore>
#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

#include "qt/x11.h"

namespace qt_backend {

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
    // All of the window goes out, not only what Qt thinks changed: a message
    // box that has just gone left a hole that nobody repaints while the
    // program sleeps.
    if (QBackingStore* store = window->backingStore()) store->flush(QRegion(window->rect()), window->windowHandle());
    flushDisplay();
}

}  // namespace qt_backend
