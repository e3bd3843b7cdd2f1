#include "mail/ButtonMessages.h"

#include "fileops/StringFunctions.h"

namespace orvane::mail {

namespace {

std::optional<std::string> TextOrNone(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    return text.toStdString();
}

// The recipient, the texts and the attachments up to the first empty path.
platform::MapiMessage Message(const QString& to, const QString& subject, const QString& body,
                              const QStringList& attachments)
{
    platform::MapiMessage message;
    if (!to.isEmpty()) {
        platform::MapiRecipDesc recipient;
        recipient.ulRecipClass = platform::MAPI_TO;
        recipient.lpszName = to.toStdString();
        recipient.lpszAddress = (QStringLiteral("SMTP:") + to).toStdString();
        message.lpRecips.push_back(std::move(recipient));
        message.nRecipCount = 1;
    }
    for (const QString& path : attachments) {
        if (path.isEmpty())
            break;
        platform::MapiFileDesc file;
        file.nPosition = platform::kNoPosition;
        file.lpszPathName = path.toStdString();
        file.lpszFileName = FileNamePart(path).toStdString();
        message.lpFiles.push_back(std::move(file));
    }
    message.nFileCount = static_cast<uint32_t>(message.lpFiles.size());
    message.lpszSubject = TextOrNone(subject);
    message.lpszNoteText = TextOrNone(body);
    return message;
}

} // namespace

QString FileNamePart(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

platform::MapiMessage SendCurrentMessage(const QString& to, const QString& currentFile, const QString& body)
{
    return Message(to, FileNamePart(currentFile), body, {currentFile});
}

platform::MapiMessage SendSelectedMessage(const QString& to, const QString& body, const QString& root,
                                          const QStringList& selectedLines)
{
    QStringList attachments;
    for (const QString& line : selectedLines)
        attachments << root + QLatin1Char('/') + line;
    const QString subject = QStringLiteral("Files (") + fileops::IntToText(int(attachments.size())) + QLatin1Char(')');
    return Message(to, subject, body, attachments);
}

} // namespace orvane::mail
