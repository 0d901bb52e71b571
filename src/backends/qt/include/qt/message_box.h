#pragma once
// The game's message boxes as QMessageBoxes that look like a Japanese
// desktop's, whatever the locale; their buttons in the player's language.
#include <QMessageBox>
#include <QString>

#include "platform/language.h"
#include "platform/types.h"

namespace qt_backend {

// Text as Qt wants it: CR LF line ends become LF.
QString boxText(const std::string& text);

// An application-modal box, not yet shown. It shows itself centred over its
// owner when the owner is on the screen, else in the middle of the primary
// screen; `frame` is what the window manager will put around it.
QMessageBox* buildMessageBox(const platform::MsgBoxRequest& request, QWidget* owner, QMargins frame = {},
                             platform::Language language = platform::Language::Japanese);

// The answer a closed box gives. A box that went away without an answer
// (its window was destroyed) answers as Escape would.
platform::MsgResult answerOf(const QMessageBox* box, platform::MsgButtons buttons);

}  // namespace qt_backend
