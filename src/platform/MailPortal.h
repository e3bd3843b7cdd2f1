#pragma once
// The desktop portal's email composer (org.freedesktop.portal.Email): the
// message goes over D-Bus, the attachments as open file descriptors, so a
// sandboxed client can read them too.
#include "platform/Mail.h"

#include <QDBusConnection>

namespace orvane::platform {

class MailPortal {
public:
    // waitMs: how long to wait for the portal's answer after the call; the
    // client has the message by then, or is taken to have it.
    MailPortal(QDBusConnection bus, int waitMs);

    // True when the bus offers the Email interface.
    bool Available();

    enum class Outcome { Composed, Cancelled, Failed };
    Outcome Compose(QWidget* owner, const MapiMessage& message);

private:
    QDBusConnection bus_;
    int waitMs_;
    uint version_ = 0;
};

} // namespace orvane::platform
