// The "E-Mail pictures" group: the current file, or the selected lines of
// the active tab, as attachments of one message in the mail client.
#include "ui/TForm1.h"

#include "mail/ButtonMessages.h"
#include "mail/SendEmail.h"
#include "ui/WindowsDisabled.h"

#include <QLineEdit>

namespace orvane::ui {

void TForm1::b4Click()
{
    const platform::MapiMessage message = mail::SendCurrentMessage(e2->text(), FileName, mess);
    const WindowsDisabled disabled;
    mail::SendEmail(this, message);
}

void TForm1::b11Click()
{
    library::MediaListModel& list = lb();
    QStringList lines;
    for (const int row : SelectedLines())
        lines << list.Line(row);
    const platform::MapiMessage message = mail::SendSelectedMessage(e2->text(), mess, Dir, lines);
    const WindowsDisabled disabled;
    mail::SendEmail(this, message);
}

} // namespace orvane::ui
