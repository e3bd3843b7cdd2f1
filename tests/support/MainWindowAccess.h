#pragma once
// The main window as the tests reach it: its controls by the object names the
// program gives them (as a user or an assistive tool finds them, never one of
// its dialogs' controls), and its settings changed through the settings
// model, as a start of the program takes them.
#include "ui/TForm1.h"

#include <QAction>
#include <QDialog>
#include <QMenu>

#include <gtest/gtest.h>

#include <functional>

namespace orvane::test {

template <typename T>
T* FindControl(const QObject& window, const char* name)
{
    for (T* found : window.findChildren<T*>(QLatin1String(name))) {
        bool inDialog = false;
        for (const QObject* p = found; p && p != &window; p = p->parent())
            inDialog = inDialog || qobject_cast<const QDialog*>(p);
        if (!inDialog)
            return found;
    }
    ADD_FAILURE() << "the window has no control " << name;
    return nullptr;
}

inline void ChangeSettings(ui::TForm1& window, const std::function<void(ui::Settings&)>& edit)
{
    ui::Settings settings = window.CurrentSettings();
    edit(settings);
    window.ApplySettings(settings);
}

// The "Delete" entry of the file list's menu, which holds "Send to recycle bin".
inline QAction* DeleteMenuOf(const QObject& window)
{
    for (QAction* entry : FindControl<QMenu>(window, "PopupMenu2")->actions())
        if (entry->menu())
            return entry;
    ADD_FAILURE() << "the file list's menu has no \"Delete\"";
    return nullptr;
}

} // namespace orvane::test
