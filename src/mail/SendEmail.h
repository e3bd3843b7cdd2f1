#pragma once
// Sending one message through the mail client: log on, open the compose
// window, log off. The caller keeps the program's other windows disabled
// while this runs.
#include "platform/MailMessage.h"

#include <cstdint>

class QWidget;

namespace orvane::mail {

// The send's result code, or 0 when the logon failed (then the error box
// "Error while trying to send email" has been shown and nothing was sent).
// Files the client could not take are named in a warning.
uint32_t SendEmail(QWidget* owner, const platform::MapiMessage& message);

} // namespace orvane::mail
