#include "mail/MailRequest.h"

#include "platform/Mail.h"

namespace orvane::mail {

namespace {

std::string Copy(const QString& text)
{
    return text.toStdString();
}

} // namespace

QString AttachmentKey(int number)
{
    return QStringLiteral("attachment") + QString::number(number);
}

QString FileNamePart(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

MapiMessage BuildMapiMessage(const MailRequest& request)
{
    MapiMessage message;
    if (request.Has(QStringLiteral("to"))) {
        const QString to = request.Value(QStringLiteral("to"));
        MapiRecipDesc recipient;
        recipient.ulRecipClass = MAPI_TO;
        recipient.lpszName = Copy(to);
        recipient.lpszAddress = Copy(QStringLiteral("SMTP:") + to);
        message.lpRecips.push_back(std::move(recipient));
        message.nRecipCount = 1;
    }
    int count = 0;
    while (request.Has(AttachmentKey(count)))
        ++count;
    for (int i = 0; i < count; ++i) {
        const QString path = request.Value(AttachmentKey(i));
        MapiFileDesc file;
        file.nPosition = kNoPosition;
        file.lpszPathName = Copy(path);
        file.lpszFileName = Copy(FileNamePart(path));
        message.lpFiles.push_back(std::move(file));
    }
    message.nFileCount = static_cast<uint32_t>(count);
    if (request.Has(QStringLiteral("subject")))
        message.lpszSubject = Copy(request.Value(QStringLiteral("subject")));
    if (request.Has(QStringLiteral("body")))
        message.lpszNoteText = Copy(request.Value(QStringLiteral("body")));
    return message;
}

platform::MailDraft DraftFromMessage(const MapiMessage& message)
{
    platform::MailDraft draft;
    for (uint32_t i = 0; i < message.nRecipCount && i < message.lpRecips.size(); ++i) {
        QString address = QString::fromStdString(message.lpRecips[i].lpszAddress);
        // The address type goes; one "SMTP:" only, so a typed one stays.
        if (address.startsWith(QLatin1String("SMTP:"), Qt::CaseInsensitive))
            address.remove(0, 5);
        draft.to << address;
    }
    if (message.lpszSubject)
        draft.subject = QString::fromStdString(*message.lpszSubject);
    if (message.lpszNoteText)
        draft.body = QString::fromStdString(*message.lpszNoteText);
    for (uint32_t i = 0; i < message.nFileCount && i < message.lpFiles.size(); ++i)
        draft.attachments << QString::fromStdString(message.lpFiles[i].lpszPathName);
    return draft;
}

} // namespace orvane::mail
