// The "E-Mail pictures" group: the current file, or the selected lines of
// the active tab, as attachments of one message in the mail client. The
// program's windows are disabled while the client has the message.
#include "ui/TForm1.h"

#include "mail/ButtonMessages.h"
#include "mail/SendEmail.h"
#include "ui/WindowsDisabled.h"

#include <QLineEdit>

namespace orvane::ui {

void TForm1::sendCurrentFile()
{
    const platform::MapiMessage message =
        mail::SendCurrentMessage(mailToEdit_->text(), currentFile_, options_.mailText);
    const WindowsDisabled disabled;
    mail::SendEmail(this, message);
}

void TForm1::sendSelectedFiles()
{
    library::MediaListModel& list = library_->ActiveLines();
    QStringList lines;
    for (const int row : SelectedLines())
        lines << list.Line(row);
    const platform::MapiMessage message =
        mail::SendSelectedMessage(mailToEdit_->text(), options_.mailText, rootFolder_, lines);
    const WindowsDisabled disabled;
    mail::SendEmail(this, message);
}

} // namespace orvane::ui
