// The "E-Mail pictures" group: the current file, or the selected lines of
// the active tab, as attachments of one message in the mail client.
#include "ui/TForm1.h"

#include "fileops/StringFunctions.h"
#include "mail/SendEmail.h"

#include <QLineEdit>

namespace orvane::ui {

void TForm1::sendCurrentFile()
{
    mail::MailRequest request;
    request.Set(QStringLiteral("to"), mailToEdit_->text());
    request.Set(QStringLiteral("subject"), mail::FileNamePart(currentFile_));
    request.Set(QStringLiteral("body"), options_.mailText);
    request.Set(mail::AttachmentKey(0), currentFile_);
    mail::SendEmail(this, request);
}

void TForm1::sendSelectedFiles()
{
    mail::MailRequest request;
    request.Set(QStringLiteral("to"), mailToEdit_->text());
    request.Set(QStringLiteral("body"), options_.mailText);
    library::MediaListModel& list = library_->lb();
    int k = 0;
    for (const int row : SelectedLines())
        request.Set(mail::AttachmentKey(k++), rootFolder_ + QLatin1Char('/') + list.Line(row));
    request.Set(QStringLiteral("subject"), QStringLiteral("Files (") + fileops::IntToText(k) + QLatin1Char(')'));
    mail::SendEmail(this, request);
}

} // namespace orvane::ui
