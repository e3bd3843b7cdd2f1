#pragma once
// Sending one message through the mail client: log on, open the compose
// window with every other window of the program disabled, log off.
#include "mail/MailRequest.h"

#include <cstdint>

class QWidget;

namespace orvane::mail {

// The send's result code, or 0 when the logon failed (then the error box
// "Error while trying to send email" has been shown and nothing was sent).
uint32_t SendEmail(QWidget* owner, const MailRequest& request);

} // namespace orvane::mail
