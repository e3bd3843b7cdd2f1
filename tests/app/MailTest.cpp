// "Send current" and "Send selected" on the real window: what the mail
// client is handed, the failed logon's box, and the windows disabled while
// the compose step runs.
#include "AppFixture.h"

#include "platform/Mail.h"
#include "platform/MailDesktop.h"
#include "platform/MailStandIns.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include <stdexcept>

using namespace orvane;

namespace {

class RecordingMail : public platform::MailTransport {
public:
    bool reachable = true;
    bool failSend = false;
    platform::MailResult answer;
    QStringList calls;
    std::vector<platform::MapiMessage> sent;
    bool anyWindowEnabledDuringSend = false;

    bool Logon(QWidget*) override
    {
        calls << "logon";
        return reachable;
    }
    platform::MailResult Send(QWidget*, const platform::MapiMessage& message) override
    {
        calls << "send";
        sent.push_back(message);
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isEnabled())
                anyWindowEnabledDuringSend = true;
        if (failSend)
            throw std::runtime_error("the client went away");
        return answer;
    }
    void Logoff() override { calls << "logoff"; }
};

class BoxDialogs : public test::FakeDialogs {
public:
    QStringList boxes;
    void ShowErrorBox(const QString& caption, const QString& text) override { boxes << caption + ": " + text; }
};

class MailTest : public test::AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        auto dialogs = std::make_unique<BoxDialogs>();
        boxes = dialogs.get();
        fakes->dialogs = dialogs.get();
        platform::Services::Current().dialogs = std::move(dialogs);
        auto transport = std::make_unique<RecordingMail>();
        mail = transport.get();
        platform::Services::Current().mail = std::move(transport);
    }
    void TearDown() override
    {
        platform::Services::Current().mail.reset();
        AppTest::TearDown();
    }
    ui::TForm1& StartOn(std::initializer_list<const char*> files)
    {
        for (const char* file : files)
            tree.Add(file, "x");
        ui::TForm1& window = Start();
        Change([&](ui::Settings& s) { s.rootFolder = Root(); });
        window.ReadDir();
        return window;
    }
    void Select(ui::TForm1& window, std::initializer_list<int> rows)
    {
        auto& selection = window.Library().SelectionOf(window.Library().ActiveLines());
        selection.clearSelection();
        for (int row : rows)
            selection.select(window.Library().ActiveLines().index(row), QItemSelectionModel::Select);
    }
    QString Path(const char* relative) const { return QString::fromStdString(tree.Path(relative)); }

    BoxDialogs* boxes = nullptr;
    RecordingMail* mail = nullptr;
};

// The recipients' addresses as the message carries them.
QStringList Addresses(const platform::MapiMessage& message)
{
    QStringList addresses;
    for (const platform::MapiRecipDesc& recipient : message.lpRecips)
        addresses << QString::fromStdString(recipient.lpszAddress);
    return addresses;
}

// The real transport, with a stand-in mail client as the desktop's default.
class MailClientTest : public MailTest, public test::MailStandIns {};

} // namespace

TEST_F(MailClientTest, SendSelectedOpensTheDefaultClientWithRecipientSubjectAndBothFiles)
{
    StandIn("thunderbird");
    DefaultHandler("thunderbird.desktop", "thunderbird %u");
    platform::Services::Current().mail = std::make_unique<platform::DesktopMail>(Options());
    ui::TForm1& window = StartOn({"one.jpg", "two.jpg"});
    Find<QLineEdit>("e2")->setText("ann@example.org");
    Select(window, {0, 1});
    Find<QPushButton>("b11")->click();
    const auto runs = Runs("thunderbird");
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0], QStringList({"-compose", "to='ann@example.org',subject='Files (2)',body='" + window.CurrentOptions().mailText +
                                                    "',attachment='file://" + Path("one.jpg") + ",file://" +
                                                    Path("two.jpg") + "'"}));
    EXPECT_TRUE(window.isEnabled());
    EXPECT_TRUE(boxes->boxes.isEmpty());
    EXPECT_TRUE(fakes->dialogs->warnings.isEmpty());
}

TEST_F(MailTest, SendSelectedAttachesTheSelectedLinesInListOrder)
{
    ui::TForm1& window = StartOn({"a/one.jpg", "b.jpg", "c.jpg"});
    ASSERT_EQ(window.Library().ActiveLines().Lines(), QStringList({"b.jpg", "c.jpg", "a/one.jpg"}));
    Find<QLineEdit>("e2")->setText("ann@example.org");
    Select(window, {2, 0});
    Find<QPushButton>("b11")->click();
    EXPECT_EQ(mail->calls, QStringList({"logon", "send", "logoff"}));
    ASSERT_EQ(mail->sent.size(), 1u);
    const platform::MapiMessage& message = mail->sent[0];
    EXPECT_EQ(Addresses(message), QStringList{"SMTP:ann@example.org"});
    EXPECT_EQ(platform::TextOf(message.lpszSubject), "Files (2)");
    EXPECT_EQ(platform::TextOf(message.lpszNoteText),
              "Hello\r\nFound these great photos using Orvane https://orvane.org/\r\nCheck it out!");
    EXPECT_EQ(platform::AttachmentPaths(message), QStringList({Path("b.jpg"), Path("a/one.jpg")}));
    EXPECT_FALSE(mail->anyWindowEnabledDuringSend);
    EXPECT_TRUE(window.isEnabled());
    EXPECT_TRUE(boxes->boxes.isEmpty());
}

TEST_F(MailTest, SendSelectedWithoutSelectionOrRecipientAndOnTheVideoTab)
{
    ui::TForm1& window = StartOn({"p.jpg", "clip.avi", "film.3gp"});
    Change([](ui::Settings& s) { s.mailText.clear(); });
    Select(window, {});
    Find<QPushButton>("b11")->click();
    ASSERT_EQ(mail->sent.size(), 1u);
    EXPECT_EQ(platform::TextOf(mail->sent[0].lpszSubject), "Files (0)");
    EXPECT_TRUE(platform::AttachmentPaths(mail->sent[0]).isEmpty());
    EXPECT_TRUE(Addresses(mail->sent[0]).isEmpty()) << "an empty To: sends without recipient";
    EXPECT_FALSE(mail->sent[0].lpszNoteText.has_value());

    Find<QTabWidget>("PageControl1")->setCurrentIndex(1);
    Select(window, {0, 1});
    Find<QPushButton>("b11")->click();
    ASSERT_EQ(mail->sent.size(), 2u);
    EXPECT_EQ(platform::AttachmentPaths(mail->sent[1]), QStringList({Path("clip.avi"), Path("film.3gp")}));
}

TEST_F(MailTest, SendCurrentSendsTheFileOnDisplayWhateverItsKind)
{
    StartOn({"clip.avi"});
    Find<QPushButton>("b4")->click();
    ASSERT_EQ(mail->sent.size(), 1u);
    EXPECT_FALSE(mail->sent[0].lpszSubject.has_value()) << "nothing shown yet: no subject";
    EXPECT_TRUE(platform::AttachmentPaths(mail->sent[0]).isEmpty());

    Change([&](ui::Settings& s) { s.currentFile = Path("clip.avi"); });
    Find<QLineEdit>("e2")->setText("SMTP:bob@example.org");
    Find<QPushButton>("b4")->click();
    ASSERT_EQ(mail->sent.size(), 2u);
    EXPECT_EQ(platform::TextOf(mail->sent[1].lpszSubject), "clip.avi");
    EXPECT_EQ(platform::AttachmentPaths(mail->sent[1]), QStringList{Path("clip.avi")});
    EXPECT_EQ(Addresses(mail->sent[1]), QStringList{"SMTP:SMTP:bob@example.org"}) << "the program's prefix goes on the typed one";
}

TEST_F(MailTest, NoMailClientShowsTheErrorBoxAndSendsNothing)
{
    ui::TForm1& window = StartOn({"a.jpg"});
    mail->reachable = false;
    Select(window, {0});
    Find<QPushButton>("b11")->click();
    EXPECT_EQ(boxes->boxes, QStringList{"Error: Error while trying to send email"});
    EXPECT_EQ(mail->calls, QStringList{"logon"});

    platform::Services::Current().mail.reset();
    Find<QPushButton>("b4")->click();
    EXPECT_EQ(boxes->boxes.size(), 2) << "no transport at all is a failed logon too";
}

TEST_F(MailTest, TheWindowsComeBackWhateverTheOutcomeAndMissedAttachmentsAreToldOnce)
{
    ui::TForm1& window = StartOn({"a.jpg", "b.jpg"});
    Select(window, {0, 1});
    mail->failSend = true;
    EXPECT_THROW(window.Run(ui::Command::SendSelected), std::runtime_error); // for the general error handler
    EXPECT_TRUE(window.isEnabled());
    EXPECT_EQ(mail->calls, QStringList({"logon", "send", "logoff"}));

    mail->failSend = false;
    mail->answer.notAttached = {Path("a.jpg"), Path("b.jpg")};
    Find<QPushButton>("b11")->click();
    ASSERT_EQ(fakes->dialogs->warnings.size(), 1);
    EXPECT_TRUE(fakes->dialogs->warnings[0].contains(Path("a.jpg") + "\n" + Path("b.jpg")));
    EXPECT_TRUE(boxes->boxes.isEmpty());
}
