#pragma once
// A test's own desktop for the mail transport: PATH holds only the
// stand-in programs the test writes (each records its arguments), the XDG
// folders are the test's own, and there is no session bus unless the test
// brings a private one.
#include "platform/MailDesktop.h"
#include "support/TempTree.h"

#include <QByteArray>
#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <map>
#include <string>

namespace orvane::test {

// Sets the environment up on construction and puts it back when it goes.
class MailStandIns {
public:
    MailStandIns()
    {
        for (const char* name : {"PATH", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_DIRS",
                                 "XDG_CURRENT_DESKTOP"})
            saved_[name] = qgetenv(name);
        home.AddFolder("bin");
        home.AddFolder("config");
        home.AddFolder("data/applications");
        qputenv("PATH", QByteArray::fromStdString(home.Path("bin")));
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(home.Path("config")));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(home.Path("data")));
        qputenv("XDG_DATA_DIRS", QByteArray::fromStdString(home.Path("none")));
        qputenv("XDG_CONFIG_DIRS", QByteArray::fromStdString(home.Path("none")));
        qunsetenv("XDG_CURRENT_DESKTOP");
    }
    ~MailStandIns()
    {
        for (const auto& [name, value] : saved_)
            qputenv(name.c_str(), value);
    }
    MailStandIns(const MailStandIns&) = delete;
    MailStandIns& operator=(const MailStandIns&) = delete;

    // A program on PATH that appends each of its arguments, NUL-terminated,
    // to its log, then runs the rest of the script.
    void StandIn(const std::string& name, const std::string& then = "exit 0")
    {
        const std::string log = home.Path(name + ".log");
        home.Add("bin/" + name, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\000' \"$a\"; done >> '" + log +
                                    "'\nprintf 'END\\000' >> '" + log + "'\n" + then + "\n");
        ::chmod(home.Path("bin/" + name).c_str(), 0755);
    }
    // The arguments of each run of a stand-in, in order.
    std::vector<QStringList> Runs(const std::string& name) const
    {
        QFile file(QString::fromStdString(home.Path(name + ".log")));
        std::vector<QStringList> runs;
        if (!file.open(QIODevice::ReadOnly))
            return runs;
        QStringList current;
        const QList<QByteArray> parts = file.readAll().split('\0');
        for (const QByteArray& part : parts) {
            if (part == "END") {
                runs.push_back(current);
                current.clear();
            } else if (!part.isEmpty() || !current.isEmpty()) {
                current << QString::fromUtf8(part);
            }
        }
        return runs;
    }
    // The default mail handler: a desktop file and the user's mimeapps.list.
    void DefaultHandler(const std::string& id, const std::string& exec)
    {
        home.Add("data/applications/" + id, "[Desktop Entry]\nType=Application\nName=Mail\nExec=" + exec + "\n");
        home.Add("config/mimeapps.list", "[Default Applications]\nx-scheme-handler/mailto=" + id + ";\n");
    }
    platform::DesktopMailOptions Options(std::function<QDBusConnection()> bus = {})
    {
        platform::DesktopMailOptions options;
        options.bus = bus ? bus : [] {
            return QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/orvane-no-bus"),
                                                 QStringLiteral("orvane-no-bus"));
        };
        options.clientWaitMs = 300;
        return options;
    }
    // A message as the program builds one: each recipient's address with
    // its "SMTP:" type, empty texts absent.
    static platform::MapiMessage Message(const QStringList& to, const QString& subject, const QString& body,
                                         const QStringList& files)
    {
        platform::MapiMessage message;
        for (const QString& address : to) {
            platform::MapiRecipDesc recipient;
            recipient.ulRecipClass = platform::MAPI_TO;
            recipient.lpszName = address.toStdString();
            recipient.lpszAddress = "SMTP:" + address.toStdString();
            message.lpRecips.push_back(recipient);
        }
        message.nRecipCount = uint32_t(message.lpRecips.size());
        if (!subject.isEmpty())
            message.lpszSubject = subject.toStdString();
        if (!body.isEmpty())
            message.lpszNoteText = body.toStdString();
        for (const QString& path : files) {
            platform::MapiFileDesc file;
            file.nPosition = platform::kNoPosition;
            file.lpszPathName = path.toStdString();
            message.lpFiles.push_back(file);
        }
        message.nFileCount = uint32_t(message.lpFiles.size());
        return message;
    }
    QString File(const std::string& relative, const std::string& content = "picture")
    {
        home.Add(relative, content);
        return QString::fromStdString(home.Path(relative));
    }

    TempTree home;

private:
    std::map<std::string, QByteArray> saved_;
};

class MailDesktopTest : public ::testing::Test, public MailStandIns {};

} // namespace orvane::test
