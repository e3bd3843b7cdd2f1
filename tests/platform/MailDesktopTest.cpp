// The desktop's mail client reached through a default handler that takes
// "-compose", or through xdg-email: stand-ins on PATH record what they were
// handed.
#include "MailStandIns.h"

#include "platform/DesktopEntry.h"
#include "platform/MailHandler.h"

#include <QElapsedTimer>
#include <QUrl>

using namespace orvane;
using orvane::test::MailDesktopTest;

namespace {

// The "-compose" string as the client reads it: pairs separated by commas;
// a value quoted right after "=" runs to the same quote followed by a comma
// or the end.
std::map<QString, QString> ReadCompose(const QString& text)
{
    QStringList pairs;
    QString current;
    QChar quote;
    QChar previous;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
        if (!quote.isNull() && c == quote && (next == QLatin1Char(',') || next.isNull())) {
            quote = QChar();
            current += c;
        } else if (quote.isNull() && (c == QLatin1Char('\'') || c == QLatin1Char('"')) && previous == QLatin1Char('=')) {
            quote = c;
            current += c;
        } else if (quote.isNull() && c == QLatin1Char(',')) {
            pairs << current;
            current.clear();
        } else {
            current += c;
        }
        previous = c;
    }
    pairs << current;
    std::map<QString, QString> values;
    for (const QString& pair : pairs) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        QString value = pair.mid(equals + 1);
        if (value.size() >= 2 && (value.front() == QLatin1Char('\'') || value.front() == QLatin1Char('"')) &&
            value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        values[pair.left(equals)] = value;
    }
    return values;
}

QStringList PathsOfUrls(const QString& urls)
{
    QStringList paths;
    for (const QString& url : urls.split(QLatin1Char(',')))
        paths << QUrl(url).toLocalFile();
    return paths;
}

} // namespace

TEST_F(MailDesktopTest, ThunderbirdFamilyGetsTheWholeMessageAsOneComposeArgumentWhateverTheNamesHold)
{
    StandIn("thunderbird");
    DefaultHandler("org.mozilla.Thunderbird.desktop", "thunderbird -mail %u");
    const QString odd = File("-dir/-lead 'q',\"d\";$(touch PWNED) 100%.jpg");
    const QString newline = File("line\nbreak, it's.jpg");
    platform::DesktopMail mail(Options());
    ASSERT_TRUE(mail.Logon(nullptr));
    const platform::MailResult result =
        mail.Send(nullptr, Message({"ann@example.org"}, "Files (2)", "Hello\r\nIt's great, isn't it?\r\nBye", {odd, newline}));
    mail.Logoff();

    EXPECT_EQ(result.code, platform::SUCCESS_SUCCESS);
    EXPECT_TRUE(result.notAttached.isEmpty());
    const auto runs = Runs("thunderbird");
    ASSERT_EQ(runs.size(), 1u);
    ASSERT_EQ(runs[0].size(), 3);
    EXPECT_EQ(runs[0][0], "-mail") << "the handler's own arguments stay, its field code goes";
    EXPECT_EQ(runs[0][1], "-compose");
    auto values = ReadCompose(runs[0][2]);
    EXPECT_EQ(values["to"], "ann@example.org");
    EXPECT_EQ(values["subject"], "Files (2)");
    EXPECT_EQ(values["body"], "Hello\r\nIt's great, isn't it?\r\nBye");
    EXPECT_EQ(PathsOfUrls(values["attachment"]), QStringList({odd, newline}));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(home.Path("PWNED"))));
}

TEST_F(MailDesktopTest, AClientThatStaysOpenIsNotWaitedFor)
{
    StandIn("thunderbird", "exec /bin/sleep 5");
    DefaultHandler("thunderbird.desktop", "thunderbird %u");
    platform::DesktopMail mail(Options());
    ASSERT_TRUE(mail.Logon(nullptr));
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(mail.Send(nullptr, Message({}, "one.jpg", {}, {File("one.jpg")})).code, platform::SUCCESS_SUCCESS);
    EXPECT_LT(clock.elapsed(), 2500);
    EXPECT_EQ(Runs("thunderbird").size(), 1u);
}

TEST_F(MailDesktopTest, XdgEmailGetsEachPartAsItsOwnArgumentAndTheUserHearsOfTheAttachments)
{
    StandIn("xdg-email");
    StandIn("xdg-mime", "printf 'other-mail.desktop\\n'");
    DefaultHandler("other-mail.desktop", "true %u");
    const QString a = File("a.jpg");
    const QString b = File("--attach b.jpg");
    platform::DesktopMail mail(Options());
    ASSERT_TRUE(mail.Logon(nullptr));
    const platform::MailResult result =
        mail.Send(nullptr, Message({"-x&cc=eve@example.org"}, "--body\r\nBcc: eve", "Hello\r\nBye", {a, b}));
    EXPECT_EQ(result.code, platform::SUCCESS_SUCCESS);
    EXPECT_EQ(result.notAttached, QStringList({a, b}));
    const auto runs = Runs("xdg-email");
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0], QStringList({"--utf8", "--subject", "--body  Bcc: eve", "--body", "Hello\nBye", "--attach", a, "--attach",
                                    b, "mailto:-x%26cc%3Deve@example.org"}));
    EXPECT_EQ(Runs("xdg-mime").size(), 1u) << "the default handler is asked of xdg-mime first";
}

TEST_F(MailDesktopTest, TextsTheComposeSyntaxCannotCarryGoThroughXdgEmailInstead)
{
    StandIn("thunderbird");
    StandIn("xdg-email");
    DefaultHandler("thunderbird.desktop", "thunderbird %u");
    platform::DesktopMail mail(Options());
    ASSERT_TRUE(mail.Logon(nullptr));
    const QString subject = "a',b\",c.jpg";
    EXPECT_EQ(mail.Send(nullptr, Message({}, subject, {}, {})).code, platform::SUCCESS_SUCCESS);
    EXPECT_TRUE(Runs("thunderbird").empty());
    ASSERT_EQ(Runs("xdg-email").size(), 1u);
    EXPECT_EQ(Runs("xdg-email")[0], QStringList({"--utf8", "--subject", subject, "mailto:"}));
}

TEST_F(MailDesktopTest, NoClientAnywhereIsAFailedLogonAndAVanishedFileFailsTheSend)
{
    platform::DesktopMail nothing(Options());
    EXPECT_FALSE(nothing.Logon(nullptr));
    StandIn("evolution");
    DefaultHandler("org.gnome.Evolution.desktop", "evolution %U");
    EXPECT_FALSE(nothing.Logon(nullptr)) << "a handler that needs xdg-email is no way without it";

    StandIn("xdg-email", "exit 3");
    platform::DesktopMail mail(Options());
    ASSERT_TRUE(mail.Logon(nullptr));
    EXPECT_EQ(mail.Send(nullptr, Message({}, {}, {}, {QString::fromStdString(home.Path("gone.jpg"))})).code,
              platform::MAPI_E_ATTACHMENT_NOT_FOUND);
    EXPECT_TRUE(Runs("xdg-email").empty()) << "nothing opens for a vanished file";
    EXPECT_EQ(mail.Send(nullptr, Message({}, "x", {}, {})).code, platform::MAPI_E_LOGIN_FAILURE)
        << "xdg-email finding no way to a client";
}

TEST(MailHandler, ExecLinesSurviveQuotingForAnyName)
{
    const QStringList names{"plain", "with space", "it's", "\"quoted\"", "$(touch x)", "`id`", "back\\slash",
                            "100%", "%u", "semi;colon,comma", "new\nline", "tab\there", "-leading"};
    const QString line = platform::EscapeDesktopString(platform::JoinExec(names));
    EXPECT_FALSE(line.contains(QLatin1Char('\n')));
    bool ok = false;
    EXPECT_EQ(platform::DropFieldCodes(platform::SplitExec(platform::UnescapeDesktopString(line), &ok)), names);
    EXPECT_TRUE(ok);
}

TEST(MailMessage, EachRecipientReachesTheClientWithoutItsOneAddressType)
{
    struct Case {
        const char* address;
        const char* handedOn;
    };
    platform::MapiMessage message;
    QStringList expected;
    for (const Case& c : {Case{"SMTP:ann@example.org", "ann@example.org"}, Case{"smtp:bo@example.org", "bo@example.org"},
                          Case{"SMTP:SMTP:cy@example.org", "SMTP:cy@example.org"}, Case{"dee@example.org", "dee@example.org"}}) {
        platform::MapiRecipDesc recipient;
        recipient.lpszAddress = c.address;
        message.lpRecips.push_back(recipient);
        expected << c.handedOn;
    }
    message.nRecipCount = 3;
    expected.removeLast();
    EXPECT_EQ(platform::BareAddresses(message), expected) << "only the counted recipients";
}
