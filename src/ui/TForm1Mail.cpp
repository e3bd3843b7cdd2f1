// The "E-Mail pictures" group: the current file, or the selected lines of
// the active tab, as attachments of one message in the mail client.
#include "ui/TForm1.h"

#include "fileops/StringFunctions.h"
#include "mail/SendEmail.h"

#include <QLineEdit>

namespace orvane::ui {

void TForm1::b4Click()
{
    mail::MailRequest request;
    request.Set(QStringLiteral("to"), e2->text());
    request.Set(QStringLiteral("subject"), mail::FileNamePart(FileName));
    request.Set(QStringLiteral("body"), mess);
    request.Set(mail::AttachmentKey(0), FileName);
    mail::SendEmail(this, request);
}

void TForm1::b11Click()
{
    mail::MailRequest request;
    request.Set(QStringLiteral("to"), e2->text());
    request.Set(QStringLiteral("body"), mess);
    library::MediaListModel& list = lb();
    int k = 0;
    for (const int row : SelectedLines())
        request.Set(mail::AttachmentKey(k++), Dir + QLatin1Char('/') + list.Line(row));
    request.Set(QStringLiteral("subject"), QStringLiteral("Files (") + fileops::IntToText(k) + QLatin1Char(')'));
    mail::SendEmail(this, request);
}

} // namespace orvane::ui
