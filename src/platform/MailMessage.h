#pragma once
// The message handed to the mail client, in the shape of the Simple MAPI
// structures: a message, its one recipient and its attachments. Plain data;
// strings are 8-bit (UTF-8) copies, an empty optional is "none". The
// program builds it; the transports read it as it stands.
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvane::platform {

constexpr uint32_t MAPI_TO = 1;
// nPosition of an attachment that is not placed inside the text.
constexpr uint32_t kNoPosition = 0xFFFFFFFFu;

struct MapiRecipDesc {
    uint32_t ulReserved = 0;
    uint32_t ulRecipClass = 0;
    std::string lpszName;
    std::string lpszAddress; // the address type and the address: "SMTP:ann@example.org"
    uint32_t ulEIDSize = 0;
    // lpEntryID: always none.
};

struct MapiFileDesc {
    uint32_t ulReserved = 0;
    uint32_t flFlags = 0;
    uint32_t nPosition = 0;
    std::string lpszPathName; // full path
    std::string lpszFileName; // the file-name part of the path
    // lpFileType: always none.
};

struct MapiMessage {
    uint32_t ulReserved = 0;
    std::optional<std::string> lpszSubject;
    std::optional<std::string> lpszNoteText;
    std::optional<std::string> lpszMessageType;
    std::optional<std::string> lpszDateReceived;
    std::optional<std::string> lpszConversationID;
    uint32_t flFlags = 0;
    std::optional<MapiRecipDesc> lpOriginator;
    uint32_t nRecipCount = 0;
    std::vector<MapiRecipDesc> lpRecips;
    uint32_t nFileCount = 0;
    std::vector<MapiFileDesc> lpFiles;
};

// What the transports hand the client, read off the message.
// The recipients' addresses without their "SMTP:" address type; one type
// only comes off, so an address typed with one keeps it.
QStringList BareAddresses(const MapiMessage& message);
// A text field; empty for none.
QString TextOf(const std::optional<std::string>& text);
// The full paths of the attachments, in order.
QStringList AttachmentPaths(const MapiMessage& message);

} // namespace orvane::platform
