#pragma once
// The desktop's default mail handler (the program that opens mailto:
// addresses), found as the desktop finds it, and the compose string of the
// clients that take a whole message with attachments on their command line.
#include "platform/Mail.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace orvane::platform {

struct MailHandler {
    QString desktopId;  // "thunderbird.desktop"
    QString entryPath;  // the desktop file found for it
    QStringList command; // its Exec line without field codes
};

// The desktop file id of the default mailto handler: what
// "xdg-mime query default x-scheme-handler/mailto" answers, else the
// "[Default Applications]" of the mimeapps.list files in the XDG order.
QString DefaultMailHandlerId();

// The desktop file of an id in the applications folders of XDG_DATA_HOME and
// XDG_DATA_DIRS ("kde4-kmail.desktop" also as "kde4/kmail.desktop").
QString FindDesktopFile(const QString& desktopId);

// The default handler with its command; nothing when there is none or its
// program cannot be found.
std::optional<MailHandler> FindDefaultMailHandler();

// True for the clients that take "-compose" with attachments: the
// Thunderbird family.
bool TakesComposeOption(const MailHandler& handler);
// True for clients known to take attachments inside a mailto: address.
bool TakesMailtoAttachments(const MailHandler& handler);

// The "-compose" argument for the message: to='..',subject='..',body='..',
// attachment='file:///..,file:///..'. Each value is quoted with ' or " so
// that no quote inside it is followed by a comma (where the option's syntax
// would end the value); file URLs carry ',', ''' and '"' percent-encoded.
// Nothing when a text holds both quote characters followed by a comma.
std::optional<QString> ComposeArgument(const MapiMessage& message);

// A file URL with ',', ''' and '"' percent-encoded as well.
QString AttachmentUrl(const QString& path);

} // namespace orvane::platform
