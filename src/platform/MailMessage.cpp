#include "platform/MailMessage.h"

namespace orvane::platform {

QStringList BareAddresses(const MapiMessage& message)
{
    QStringList addresses;
    for (uint32_t i = 0; i < message.nRecipCount && i < message.lpRecips.size(); ++i) {
        QString address = QString::fromStdString(message.lpRecips[i].lpszAddress);
        if (address.startsWith(QLatin1String("SMTP:"), Qt::CaseInsensitive))
            address.remove(0, 5);
        addresses << address;
    }
    return addresses;
}

QString TextOf(const std::optional<std::string>& text)
{
    return text ? QString::fromStdString(*text) : QString();
}

QStringList AttachmentPaths(const MapiMessage& message)
{
    QStringList paths;
    for (uint32_t i = 0; i < message.nFileCount && i < message.lpFiles.size(); ++i)
        paths << QString::fromStdString(message.lpFiles[i].lpszPathName);
    return paths;
}

} // namespace orvane::platform
