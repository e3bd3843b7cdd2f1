// The desktop portal's email composer on a private bus of the test's own:
// a stand-in portal on another thread answers ComposeEmail and tells which
// files the descriptors it received belong to.
#include "MailStandIns.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QProcess>
#include <QThread>

#include <atomic>
#include <mutex>
#include <unistd.h>

using namespace orvane;
using orvane::test::MailDesktopTest;

namespace {

class FakeEmailPortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Email")
    Q_PROPERTY(uint version READ version)
public:
    std::atomic<uint> response{0};

    uint version() const { return 4; }
    void Start(const QString& address)
    {
        bus_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, QStringLiteral("fake-portal")));
        bus_->registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), this,
                             QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties);
        bus_->registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
    }
    void Stop()
    {
        bus_.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("fake-portal"));
    }
    QVariantMap Received()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }

public slots:
    QDBusObjectPath ComposeEmail(const QString&, const QVariantMap& options, const QDBusMessage& message)
    {
        QVariantMap received = options;
        QStringList files;
        if (options.contains(QStringLiteral("attachment_fds"))) {
            QList<QDBusUnixFileDescriptor> fds;
            options.value(QStringLiteral("attachment_fds")).value<QDBusArgument>() >> fds;
            for (const QDBusUnixFileDescriptor& fd : fds) {
                char target[4096] = {};
                const std::string link = "/proc/self/fd/" + std::to_string(fd.fileDescriptor());
                const ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
                files << QFile::decodeName(QByteArray(target, length > 0 ? int(length) : 0));
            }
        }
        received.insert(QStringLiteral("files"), files);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            received_ = received;
        }
        QString sender = message.service().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                                 .arg(sender, options.value(QStringLiteral("handle_token")).toString());
        QDBusMessage signal =
            QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        signal << response.load() << QVariantMap();
        bus_->send(signal);
        return QDBusObjectPath(path);
    }

private:
    std::unique_ptr<QDBusConnection> bus_;
    std::mutex mutex_;
    QVariantMap received_;
};

class MailPortalTest : public MailDesktopTest {
protected:
    void SetUp() override
    {
        MailDesktopTest::SetUp();
        qDBusRegisterMetaType<QList<QDBusUnixFileDescriptor>>();
        // A bus with no services to start, so nothing of the machine answers.
        home.Add("bus.conf", "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\" "
                             "\"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n<busconfig><type>session</type>"
                             "<listen>unix:path=" + home.Path("bus") + "</listen><auth>EXTERNAL</auth>"
                             "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                             "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n");
        daemon_.start(QStringLiteral("/usr/bin/dbus-daemon"),
                      {QStringLiteral("--nofork"), QStringLiteral("--print-address=1"),
                       QStringLiteral("--config-file=") + QString::fromStdString(home.Path("bus.conf"))});
        ASSERT_TRUE(daemon_.waitForStarted(5000)) << "dbus-daemon is needed (package dbus-daemon)";
        ASSERT_TRUE(daemon_.waitForReadyRead(5000));
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        portal_->moveToThread(&thread_);
        thread_.start();
        QMetaObject::invokeMethod(portal_.get(), [this] { portal_->Start(address_); }, Qt::BlockingQueuedConnection);
    }
    void TearDown() override
    {
        if (thread_.isRunning()) {
            QMetaObject::invokeMethod(portal_.get(), [this] { portal_->Stop(); }, Qt::BlockingQueuedConnection);
            thread_.quit();
            thread_.wait();
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("orvane-test-client"));
        daemon_.kill();
        daemon_.waitForFinished(2000);
        MailDesktopTest::TearDown();
    }
    platform::DesktopMailOptions PortalOptions()
    {
        return Options([this] { return QDBusConnection::connectToBus(address_, QStringLiteral("orvane-test-client")); });
    }

    QProcess daemon_;
    QString address_;
    QThread thread_;
    std::unique_ptr<FakeEmailPortal> portal_ = std::make_unique<FakeEmailPortal>();
};

} // namespace

TEST_F(MailPortalTest, ThePortalGetsTheMessageWithTheFilesAsOpenDescriptors)
{
    const QString odd = File("it's, \"odd\"; $(x) 100%\n-name.jpg");
    const QString plain = File("plain.jpg");
    platform::DesktopMail mail(PortalOptions());
    ASSERT_TRUE(mail.Logon(nullptr)) << "the portal alone is a way to the client";
    const platform::MailResult result =
        mail.Send(nullptr, Message({"ann@example.org"}, "Files (2)", "Hello\r\nBye", {odd, plain}));
    mail.Logoff();
    EXPECT_EQ(result.code, platform::SUCCESS_SUCCESS);
    EXPECT_TRUE(result.notAttached.isEmpty());
    const QVariantMap received = portal_->Received();
    EXPECT_EQ(received.value("address").toString(), "ann@example.org");
    EXPECT_EQ(received.value("subject").toString(), "Files (2)");
    EXPECT_EQ(received.value("body").toString(), "Hello\r\nBye");
    EXPECT_EQ(received.value("files").toStringList(), QStringList({odd, plain}));
}

TEST_F(MailPortalTest, ACancelledComposeIsTheUsersAnswerAndAFailedOneTriesTheNextWay)
{
    portal_->response = 1;
    platform::DesktopMail mail(PortalOptions());
    ASSERT_TRUE(mail.Logon(nullptr));
    EXPECT_EQ(mail.Send(nullptr, Message({}, "x", {}, {})).code, platform::MAPI_USER_ABORT);

    portal_->response = 2;
    StandIn("xdg-email");
    ASSERT_TRUE(mail.Logon(nullptr));
    EXPECT_EQ(mail.Send(nullptr, Message({}, "x", {}, {})).code, platform::SUCCESS_SUCCESS);
    EXPECT_EQ(Runs("xdg-email").size(), 1u);
}

#include "MailPortalTest.moc"
