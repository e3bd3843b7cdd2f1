#pragma once
// The messages of the two send buttons of the "E-Mail pictures" group.
// Empty texts count as absent: no recipient for an empty "To:", no subject
// or note text for empty ones, no attachment for an empty path.
#include "platform/MailMessage.h"

#include <QString>
#include <QStringList>

namespace orvane::mail {

// "Send current": the file on display to the typed recipient, its file name
// as the subject, the default message as the text.
platform::MapiMessage SendCurrentMessage(const QString& to, const QString& currentFile, const QString& body);

// "Send selected": root + "/" + each selected line attached in order, the
// subject "Files (k)" for the k files.
platform::MapiMessage SendSelectedMessage(const QString& to, const QString& body, const QString& root,
                                          const QStringList& selectedLines);

// The file-name part of a path (after its last "/").
QString FileNamePart(const QString& path);

} // namespace orvane::mail
