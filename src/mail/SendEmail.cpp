#include "mail/SendEmail.h"

#include "platform/Mail.h"
#include "platform/Services.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

#include <vector>

namespace orvane::mail {

namespace {

// Disables the program's enabled windows for its lifetime and enables them
// again however the scope is left.
class WindowsDisabled {
public:
    WindowsDisabled()
    {
        const auto windows = QApplication::topLevelWidgets();
        for (QWidget* window : windows) {
            if (window->isEnabled()) {
                window->setEnabled(false);
                disabled_.emplace_back(window);
            }
        }
    }
    ~WindowsDisabled()
    {
        for (const QPointer<QWidget>& window : disabled_)
            if (window)
                window->setEnabled(true);
    }
    WindowsDisabled(const WindowsDisabled&) = delete;
    WindowsDisabled& operator=(const WindowsDisabled&) = delete;

private:
    std::vector<QPointer<QWidget>> disabled_;
};

void ShowLogonFailure()
{
    auto& dialogs = platform::Services::Current().dialogs;
    if (dialogs)
        dialogs->ShowErrorBox(QStringLiteral("Error"), QStringLiteral("Error while trying to send email"));
}

} // namespace

uint32_t SendEmail(QWidget* owner, const MailRequest& request)
{
    platform::MailTransport* transport = platform::Services::Current().mail.get();
    if (!transport || !transport->Logon(owner)) {
        ShowLogonFailure();
        return 0;
    }
    const MapiMessage message = BuildMapiMessage(request);
    platform::MailResult result;
    try {
        WindowsDisabled disabled;
        result = transport->Send(owner, DraftFromMessage(message));
    } catch (...) {
        transport->Logoff();
        throw;
    }
    transport->Logoff();
    if (result.code == platform::MAPI_E_LOGIN_FAILURE) {
        // No client answered after all: the same as a failed logon.
        ShowLogonFailure();
        return 0;
    }
    if (!result.notAttached.isEmpty()) {
        auto& dialogs = platform::Services::Current().dialogs;
        if (dialogs)
            dialogs->ShowWarning(QStringLiteral("E-Mail"),
                                 QStringLiteral("The mail client could not take these files as attachments; "
                                                "please attach them in its compose window:\n\n") +
                                     result.notAttached.join(QLatin1Char('\n')));
    }
    return result.code;
}

} // namespace orvane::mail
