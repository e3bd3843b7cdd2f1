// The messages "Send current" and "Send selected" hand to the mail client:
// recipient, subject, text and attachments, and what an empty field leaves
// out.
#include "mail/ButtonMessages.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

const QString kBody = "Hello\r\nCheck it out!";

void ExpectAttachments(const platform::MapiMessage& message, const std::vector<std::pair<std::string, std::string>>& files)
{
    ASSERT_EQ(message.nFileCount, files.size());
    ASSERT_EQ(message.lpFiles.size(), files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(message.lpFiles[i].lpszPathName, files[i].first);
        EXPECT_EQ(message.lpFiles[i].lpszFileName, files[i].second);
        EXPECT_EQ(message.lpFiles[i].nPosition, 0xFFFFFFFFu) << "not placed inside the text";
        EXPECT_EQ(message.lpFiles[i].flFlags, 0u);
    }
}

} // namespace

TEST(ButtonMessages, TheRecipientAlwaysGetsTheSmtpTypeAlsoWhenTypedWithOne)
{
    for (const char* typed : {"ann@example.org", "SMTP:ann@example.org"}) {
        for (const platform::MapiMessage& message :
             {mail::SendCurrentMessage(typed, "/p/a.jpg", kBody), mail::SendSelectedMessage(typed, kBody, "/p", {})}) {
            ASSERT_EQ(message.nRecipCount, 1u) << typed;
            ASSERT_EQ(message.lpRecips.size(), 1u);
            EXPECT_EQ(message.lpRecips[0].ulRecipClass, platform::MAPI_TO);
            EXPECT_EQ(message.lpRecips[0].lpszName, typed);
            EXPECT_EQ(message.lpRecips[0].lpszAddress, std::string("SMTP:") + typed);
        }
    }
}

TEST(ButtonMessages, SendCurrentAttachesTheShownFileUnderItsName)
{
    const platform::MapiMessage message = mail::SendCurrentMessage("", "/p/sub/it's 1.avi", kBody);
    EXPECT_EQ(message.nRecipCount, 0u) << "an empty To: sends without recipient";
    EXPECT_TRUE(message.lpRecips.empty());
    EXPECT_EQ(message.lpszSubject, "it's 1.avi");
    EXPECT_EQ(message.lpszNoteText, kBody.toStdString());
    ExpectAttachments(message, {{"/p/sub/it's 1.avi", "it's 1.avi"}});
}

TEST(ButtonMessages, SendCurrentWithNothingShownAndNoTextHasNoSubjectNoteOrAttachment)
{
    const platform::MapiMessage message = mail::SendCurrentMessage("ann@example.org", "", "");
    EXPECT_FALSE(message.lpszSubject.has_value());
    EXPECT_FALSE(message.lpszNoteText.has_value());
    ExpectAttachments(message, {});
    EXPECT_EQ(message.nRecipCount, 1u);
}

TEST(ButtonMessages, SendSelectedAttachesTheLinesBelowTheRootInOrderAndCountsThem)
{
    const platform::MapiMessage message = mail::SendSelectedMessage("", kBody, "/p", {"b.jpg", "a/one.jpg"});
    EXPECT_EQ(message.lpszSubject, "Files (2)");
    EXPECT_EQ(message.lpszNoteText, kBody.toStdString());
    ExpectAttachments(message, {{"/p/b.jpg", "b.jpg"}, {"/p/a/one.jpg", "one.jpg"}});

    const platform::MapiMessage none = mail::SendSelectedMessage("", "", "/p", {});
    EXPECT_EQ(none.lpszSubject, "Files (0)");
    EXPECT_FALSE(none.lpszNoteText.has_value());
    ExpectAttachments(none, {});
}
