// The message the send buttons' requests turn into, and what of it reaches
// the mail client.
#include "mail/MailRequest.h"
#include "platform/Mail.h"

#include <gtest/gtest.h>

using namespace orvane;
using mail::MailRequest;

namespace {

MailRequest Request(std::initializer_list<std::pair<const char*, const char*>> values)
{
    MailRequest request;
    for (const auto& [key, value] : values)
        request.Set(QString::fromUtf8(key), QString::fromUtf8(value));
    return request;
}

} // namespace

TEST(MapiMessage, RecipientCarriesTheSmtpPrefixAlsoWhenTypedAndTheClientGetsOneLess)
{
    struct Case {
        const char* typed;
        const char* address;
        const char* handedOn;
    };
    for (const Case& c : {Case{"ann@example.org", "SMTP:ann@example.org", "ann@example.org"},
                          Case{"SMTP:ann@example.org", "SMTP:SMTP:ann@example.org", "SMTP:ann@example.org"}}) {
        const mail::MapiMessage message = mail::BuildMapiMessage(Request({{"to", c.typed}}));
        ASSERT_EQ(message.nRecipCount, 1u) << c.typed;
        ASSERT_EQ(message.lpRecips.size(), 1u);
        EXPECT_EQ(message.lpRecips[0].ulRecipClass, mail::MAPI_TO);
        EXPECT_EQ(message.lpRecips[0].lpszName, c.typed);
        EXPECT_EQ(message.lpRecips[0].lpszAddress, c.address);
        EXPECT_EQ(mail::DraftFromMessage(message).to, QStringList{c.handedOn});
    }
}

TEST(MapiMessage, EmptyValuesCountAsAbsent)
{
    const mail::MapiMessage message =
        mail::BuildMapiMessage(Request({{"to", ""}, {"subject", ""}, {"body", ""}, {"attachment0", ""}}));
    EXPECT_EQ(message.nRecipCount, 0u);
    EXPECT_TRUE(message.lpRecips.empty());
    EXPECT_FALSE(message.lpszSubject.has_value());
    EXPECT_FALSE(message.lpszNoteText.has_value());
    EXPECT_EQ(message.nFileCount, 0u);
    const platform::MailDraft draft = mail::DraftFromMessage(message);
    EXPECT_TRUE(draft.to.isEmpty());
    EXPECT_TRUE(draft.attachments.isEmpty());
}

TEST(MapiMessage, AttachmentsAreCountedUpToTheFirstGapInKeyOrder)
{
    const mail::MapiMessage message = mail::BuildMapiMessage(Request({{"attachment1", "/p/b/two.jpg"},
                                                                      {"attachment0", "/p/a/one.jpg"},
                                                                      {"attachment3", "/p/after-gap.jpg"},
                                                                      {"subject", "Files (2)"},
                                                                      {"body", "Hello\r\nCheck it out!"}}));
    ASSERT_EQ(message.nFileCount, 2u);
    ASSERT_EQ(message.lpFiles.size(), 2u);
    EXPECT_EQ(message.lpFiles[0].lpszPathName, "/p/a/one.jpg");
    EXPECT_EQ(message.lpFiles[0].lpszFileName, "one.jpg");
    EXPECT_EQ(message.lpFiles[1].lpszFileName, "two.jpg");
    for (const mail::MapiFileDesc& file : message.lpFiles) {
        EXPECT_EQ(file.nPosition, 0xFFFFFFFFu);
        EXPECT_EQ(file.flFlags, 0u);
    }
    EXPECT_EQ(message.lpszSubject, "Files (2)");
    EXPECT_EQ(message.lpszNoteText, "Hello\r\nCheck it out!");
    const platform::MailDraft draft = mail::DraftFromMessage(message);
    EXPECT_EQ(draft.attachments, QStringList({"/p/a/one.jpg", "/p/b/two.jpg"}));
    EXPECT_EQ(draft.body, "Hello\r\nCheck it out!");
}
