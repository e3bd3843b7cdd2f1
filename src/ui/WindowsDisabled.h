#pragma once
// Disables the program's enabled windows for its lifetime and enables them
// again however the scope is left: a dialog of another program (the mail
// client's compose window) is then modal to the whole program.
#include <QApplication>
#include <QPointer>
#include <QWidget>

#include <vector>

namespace orvane::ui {

class WindowsDisabled {
public:
    WindowsDisabled()
    {
        const auto windows = QApplication::topLevelWidgets();
        for (QWidget* window : windows) {
            if (window->isEnabled()) {
                window->setEnabled(false);
                disabled_.emplace_back(window);
            }
        }
    }
    ~WindowsDisabled()
    {
        for (const QPointer<QWidget>& window : disabled_)
            if (window)
                window->setEnabled(true);
    }
    WindowsDisabled(const WindowsDisabled&) = delete;
    WindowsDisabled& operator=(const WindowsDisabled&) = delete;

private:
    std::vector<QPointer<QWidget>> disabled_;
};

} // namespace orvane::ui
