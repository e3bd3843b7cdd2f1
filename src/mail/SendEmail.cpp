#include "mail/SendEmail.h"

#include "platform/Mail.h"
#include "platform/Services.h"

namespace orvane::mail {

namespace {

void ShowLogonFailure()
{
    auto& dialogs = platform::Services::Current().dialogs;
    if (dialogs)
        dialogs->ShowErrorBox(QStringLiteral("Error"), QStringLiteral("Error while trying to send email"));
}

void ShowNotAttached(const QStringList& files)
{
    auto& dialogs = platform::Services::Current().dialogs;
    if (dialogs)
        dialogs->ShowWarning(QStringLiteral("E-Mail"),
                             QStringLiteral("The mail client could not take these files as attachments; "
                                            "please attach them in its compose window:\n\n") +
                                 files.join(QLatin1Char('\n')));
}

} // namespace

uint32_t SendEmail(QWidget* owner, const platform::MapiMessage& message)
{
    platform::MailTransport* transport = platform::Services::Current().mail.get();
    if (!transport || !transport->Logon(owner)) {
        ShowLogonFailure();
        return 0;
    }
    platform::MailResult result;
    try {
        result = transport->Send(owner, message);
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
    if (!result.notAttached.isEmpty())
        ShowNotAttached(result.notAttached);
    return result.code;
}

} // namespace orvane::mail
