#pragma once
// The mail request the send buttons build: named text values ("to",
// "subject", "body", "attachment0", "attachment1", ...). An empty value
// counts as absent.
#include "mail/MapiMessage.h"

#include <QHash>
#include <QString>

namespace orvane::platform {
struct MailDraft;
}

namespace orvane::mail {

class MailRequest {
public:
    void Set(const QString& key, const QString& value) { values_[key] = value; }
    QString Value(const QString& key) const { return values_.value(key); }
    bool Has(const QString& key) const { return !values_.value(key).isEmpty(); }

private:
    QHash<QString, QString> values_;
};

// "attachment" followed by the number, without gaps from 0.
QString AttachmentKey(int number);

// The file-name part of a path (after its last "/").
QString FileNamePart(const QString& path);

// The message for a request: the one recipient ("SMTP:" + the "to" text)
// when "to" is present, the attachments counted from "attachment0" up to the
// first absent key, the subject and the note text when present.
MapiMessage BuildMapiMessage(const MailRequest& request);

// What the mail client is handed: the recipients' addresses without their
// "SMTP:" address type, the texts and the attachments' paths.
platform::MailDraft DraftFromMessage(const MapiMessage& message);

} // namespace orvane::mail
