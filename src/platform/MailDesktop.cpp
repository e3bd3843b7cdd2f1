#include "platform/MailDesktop.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include <algorithm>

#include <unistd.h>

namespace orvane::platform {

namespace {

// xdg-email's exit status when it found no way to open a message.
constexpr int kXdgNoMethod = 3;

bool Readable(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && ::access(QFile::encodeName(path).constData(), R_OK) == 0;
}

// A "mailto:" address whose text can never be read as an option.
QString MailtoAddress(const QStringList& to)
{
    QString address = QStringLiteral("mailto:");
    for (qsizetype i = 0; i < to.size(); ++i) {
        if (i)
            address += QLatin1Char(',');
        address += QString::fromLatin1(QUrl::toPercentEncoding(to[i], "@"));
    }
    return address;
}

} // namespace

DesktopMail::DesktopMail(DesktopMailOptions options) : options_(std::move(options))
{
    if (!options_.bus)
        options_.bus = [] { return QDBusConnection::sessionBus(); };
}

bool DesktopMail::Logon(QWidget*)
{
    // Each send looks again: the user may have set up a client meanwhile.
    portal_ = std::make_unique<MailPortal>(options_.bus(), options_.clientWaitMs);
    if (!portal_->Available())
        portal_.reset();
    handler_ = FindDefaultMailHandler();
    xdgEmail_ = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    // Only a handler that takes the message on its command line is reached
    // without xdg-email.
    return portal_ || (handler_ && TakesComposeOption(*handler_)) || !xdgEmail_.isEmpty();
}

void DesktopMail::Logoff()
{
    portal_.reset();
    handler_.reset();
    xdgEmail_.clear();
}

DesktopMail::Run DesktopMail::Start(const QString& program, const QStringList& arguments)
{
    // Not parented and not deleted while it runs: a client that stays open
    // outlives the send (and the program) instead of being killed.
    auto* process = new QProcess;
    process->setProgram(program);
    process->setArguments(arguments);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start();
    if (!process->waitForStarted(5000)) {
        delete process;
        return Run::NotStarted;
    }
    if (process->state() == QProcess::Running) {
        QEventLoop loop;
        QObject::connect(process, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(options_.clientWaitMs, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (process->state() != QProcess::NotRunning) {
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return Run::Running;
    }
    const bool succeeded = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    const bool noClient = process->exitStatus() == QProcess::NormalExit && process->exitCode() == kXdgNoMethod;
    delete process;
    return succeeded ? Run::Succeeded : noClient ? Run::NoClient : Run::Failed;
}

std::optional<MailResult> DesktopMail::SendThroughHandler(const MapiMessage& message)
{
    if (!handler_ || !TakesComposeOption(*handler_))
        return std::nullopt;
    const std::optional<QString> compose = ComposeArgument(message);
    if (!compose)
        return std::nullopt;
    QStringList arguments = handler_->command.mid(1);
    arguments << QStringLiteral("-compose") << *compose;
    const Run run = Start(handler_->command.first(), arguments);
    if (run == Run::Running || run == Run::Succeeded)
        return MailResult{};
    return std::nullopt;
}

MailResult DesktopMail::SendThroughXdgEmail(const MapiMessage& message)
{
    QStringList arguments{QStringLiteral("--utf8")};
    const QString subject = TextOf(message.lpszSubject);
    if (!subject.isEmpty())
        arguments << QStringLiteral("--subject") << subject;
    // xdg-email ends each line of the body with CR LF itself.
    const QString body = TextOf(message.lpszNoteText);
    if (!body.isEmpty())
        arguments << QStringLiteral("--body") << QString(body).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    const QStringList attachments = AttachmentPaths(message);
    for (const QString& path : attachments)
        arguments << QStringLiteral("--attach") << path;
    arguments << MailtoAddress(BareAddresses(message));
    MailResult result;
    switch (Start(xdgEmail_, arguments)) {
    case Run::Running:
    case Run::Succeeded:
        // xdg-email hands attachments on only to some clients.
        if (!handler_ || !TakesMailtoAttachments(*handler_))
            result.notAttached = attachments;
        break;
    case Run::NotStarted:
    case Run::NoClient:
        result.code = MAPI_E_LOGIN_FAILURE;
        break;
    case Run::Failed:
        result.code = MAPI_E_FAILURE;
        break;
    }
    return result;
}

MailResult DesktopMail::Send(QWidget* owner, const MapiMessage& request)
{
    // A subject is one header line: a file name's line breaks become blanks.
    MapiMessage message = request;
    if (message.lpszSubject)
        std::replace_if(message.lpszSubject->begin(), message.lpszSubject->end(),
                        [](char c) { return c == '\r' || c == '\n'; }, ' ');
    // A vanished attachment fails the send before any client is asked.
    for (const QString& path : AttachmentPaths(message))
        if (!Readable(path))
            return MailResult{MAPI_E_ATTACHMENT_NOT_FOUND, {}};
    if (portal_) {
        switch (portal_->Compose(owner, message)) {
        case MailPortal::Outcome::Composed:
            return MailResult{};
        case MailPortal::Outcome::Cancelled:
            return MailResult{MAPI_USER_ABORT, {}};
        case MailPortal::Outcome::Failed:
            break;
        }
    }
    if (std::optional<MailResult> sent = SendThroughHandler(message))
        return *sent;
    if (!xdgEmail_.isEmpty())
        return SendThroughXdgEmail(message);
    return MailResult{MAPI_E_LOGIN_FAILURE, {}};
}

std::unique_ptr<MailTransport> CreateDesktopMail()
{
    return std::make_unique<DesktopMail>();
}

} // namespace orvane::platform
