#pragma once
// The application object. Its general error handler: an exception that
// leaves an event handler is caught where the event is delivered, its text
// shown in the standard error box, and the program goes on.
#include <QApplication>

namespace orvane::platform {

class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the text of the exception being handled (call inside catch).
    static void HandleException();
};

} // namespace orvane::platform
