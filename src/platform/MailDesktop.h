#pragma once
// The desktop's mail client, reached the first way that works: the desktop
// portal's email composer; the default mail handler itself where it takes
// the whole message with attachments on its command line; xdg-email.
#include "platform/Mail.h"
#include "platform/MailHandler.h"
#include "platform/MailPortal.h"

#include <QDBusConnection>

#include <functional>
#include <memory>
#include <optional>

namespace orvane::platform {

struct DesktopMailOptions {
    // The bus the portal is looked for on (the session bus).
    std::function<QDBusConnection()> bus;
    // How long a started client is watched: one that ends within this time
    // reports how it went; one still running has the message and is left
    // alone.
    int clientWaitMs = 3000;
};

class DesktopMail : public MailTransport {
public:
    explicit DesktopMail(DesktopMailOptions options = {});
    bool Logon(QWidget* owner) override;
    MailResult Send(QWidget* owner, const MapiMessage& message) override;
    void Logoff() override;

private:
    enum class Run { NotStarted, Running, Succeeded, Failed, NoClient };
    Run Start(const QString& program, const QStringList& arguments);
    std::optional<MailResult> SendThroughHandler(const MapiMessage& message);
    MailResult SendThroughXdgEmail(const MapiMessage& message);

    DesktopMailOptions options_;
    std::unique_ptr<MailPortal> portal_;
    std::optional<MailHandler> handler_;
    QString xdgEmail_;
};

} // namespace orvane::platform
