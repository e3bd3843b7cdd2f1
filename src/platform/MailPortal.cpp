#include "platform/MailPortal.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QTimer>
#include <QWidget>

#include <fcntl.h>
#include <unistd.h>

#include <vector>

namespace orvane::platform {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.Email");

// Receives the request's Response signal.
class ResponseWaiter : public QObject {
    Q_OBJECT
public:
    bool answered = false;
    uint response = 2;
    QEventLoop loop;

public slots:
    void Response(uint code, const QVariantMap&)
    {
        answered = true;
        response = code;
        loop.quit();
    }
};

struct FdCloser {
    std::vector<int> fds;
    ~FdCloser()
    {
        for (int fd : fds)
            ::close(fd);
    }
};

QString ParentWindow(QWidget* owner)
{
    // Only X11 windows can be named without an exported handle.
    if (owner && qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("x11"))
        return QStringLiteral("x11:") + QString::number(owner->window()->winId(), 16);
    return {};
}

} // namespace

MailPortal::MailPortal(QDBusConnection bus, int waitMs) : bus_(std::move(bus)), waitMs_(waitMs) {}

bool MailPortal::Available()
{
    if (!bus_.isConnected())
        return false;
    QDBusMessage get = QDBusMessage::createMethodCall(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << kInterface << QStringLiteral("version");
    const QDBusMessage reply = bus_.call(get, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    version_ = reply.arguments().first().value<QDBusVariant>().variant().toUInt();
    return version_ >= 1;
}

MailPortal::Outcome MailPortal::Compose(QWidget* owner, const MapiMessage& message)
{
    qDBusRegisterMetaType<QList<QDBusUnixFileDescriptor>>();
    FdCloser opened;
    QList<QDBusUnixFileDescriptor> fds;
    for (const QString& path : AttachmentPaths(message)) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return Outcome::Failed;
        opened.fds.push_back(fd);
        fds << QDBusUnixFileDescriptor(fd);
    }
    const QString token = QStringLiteral("orvane%1").arg(QRandomGenerator::global()->generate());
    QVariantMap options;
    options.insert(QStringLiteral("handle_token"), token);
    const QStringList to = BareAddresses(message);
    if (!to.isEmpty()) {
        options.insert(QStringLiteral("address"), to.first());
        if (version_ >= 3)
            options.insert(QStringLiteral("addresses"), to);
    }
    const QString subject = TextOf(message.lpszSubject);
    if (!subject.isEmpty())
        options.insert(QStringLiteral("subject"), subject);
    const QString body = TextOf(message.lpszNoteText);
    if (!body.isEmpty())
        options.insert(QStringLiteral("body"), body);
    if (!fds.isEmpty())
        options.insert(QStringLiteral("attachment_fds"), QVariant::fromValue(fds));

    // The request's path is known before the call, so its answer cannot be
    // missed.
    QString sender = bus_.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString requestPath = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    ResponseWaiter waiter;
    bus_.connect(kService, requestPath, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"),
                 &waiter, SLOT(Response(uint, QVariantMap)));

    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("ComposeEmail"));
    call << ParentWindow(owner) << options;
    const QDBusMessage reply = bus_.call(call, QDBus::Block, 30000);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        bus_.disconnect(kService, requestPath, QStringLiteral("org.freedesktop.portal.Request"),
                        QStringLiteral("Response"), &waiter, SLOT(Response(uint, QVariantMap)));
        return Outcome::Failed;
    }
    // A portal too old for handle_token answers on a path of its own.
    const QString returned = reply.arguments().value(0).value<QDBusObjectPath>().path();
    if (!returned.isEmpty() && returned != requestPath)
        bus_.connect(kService, returned, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"),
                     &waiter, SLOT(Response(uint, QVariantMap)));
    if (!waiter.answered) {
        QTimer::singleShot(waitMs_, &waiter.loop, &QEventLoop::quit);
        waiter.loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    for (const QString& path : {requestPath, returned})
        bus_.disconnect(kService, path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"),
                        &waiter, SLOT(Response(uint, QVariantMap)));
    if (!waiter.answered || waiter.response == 0)
        return Outcome::Composed; // no answer yet: the client has it and runs on
    return waiter.response == 1 ? Outcome::Cancelled : Outcome::Failed;
}

} // namespace orvane::platform

#include "MailPortal.moc"
