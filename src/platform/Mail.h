#pragma once
// The mail client behind the send buttons: logging on finds a way to reach
// it, sending opens its compose window filled in with the message, logging
// off ends the session. The client keeps the message; the user sends it from
// there.
#include "platform/MailMessage.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

class QWidget;

namespace orvane::platform {

// The result codes of a send.
constexpr uint32_t SUCCESS_SUCCESS = 0;
constexpr uint32_t MAPI_USER_ABORT = 1;
constexpr uint32_t MAPI_E_FAILURE = 2;
constexpr uint32_t MAPI_E_LOGIN_FAILURE = 3;
constexpr uint32_t MAPI_E_ATTACHMENT_NOT_FOUND = 11;

struct MailResult {
    uint32_t code = SUCCESS_SUCCESS;
    // Files the message opened without, because the client could not take
    // them on the way used.
    QStringList notAttached;
};

class MailTransport {
public:
    virtual ~MailTransport() = default;
    // False when no mail client can be reached at all.
    virtual bool Logon(QWidget* owner) = 0;
    // Opens the compose window filled in from the message (the texts' line
    // breaks are CR LF); returns once the client has the message and never
    // waits for a client that stays open. MAPI_E_LOGIN_FAILURE when it
    // turned out that no client could be reached after all.
    virtual MailResult Send(QWidget* owner, const MapiMessage& message) = 0;
    virtual void Logoff() = 0;
};

// The desktop's mail client: the desktop portal's email composer, else the
// default mail handler where it takes attachments on its command line, else
// xdg-email.
std::unique_ptr<MailTransport> CreateDesktopMail();

} // namespace orvane::platform
