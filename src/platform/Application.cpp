#include "platform/Application.h"

#include "platform/Services.h"

#include <exception>

namespace orvane::platform {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        HandleException();
        return false;
    }
}

void Application::HandleException()
{
    QString text;
    try {
        throw;
    } catch (const std::exception& error) {
        text = QString::fromUtf8(error.what());
    } catch (...) {
        text = QStringLiteral("Unknown error");
    }
    auto& dialogs = Services::Current().dialogs;
    if (dialogs)
        dialogs->ShowError(text);
}

} // namespace orvane::platform
