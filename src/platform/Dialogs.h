#pragma once
// Message boxes and the folder dialog. While one is open every other window
// of the program is disabled (they are application-modal).
#include <QString>

#include <optional>

class QWidget;

namespace orvane::platform {

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // The application's standard error box.
    virtual void ShowError(const QString& text) = 0;
    virtual void ShowInformation(const QString& text) = 0;
    virtual void ShowWarning(const QString& caption, const QString& text) = 0;
    // Error icon, one OK button, a caption of its own.
    virtual void ShowErrorBox(const QString& caption, const QString& text) { ShowError(text); }
    // Question icon, Yes and No; closing the box counts as No.
    virtual bool AskYesNo(const QString& text) = 0;
    // Warning icon, Retry and Ignore; true for Retry.
    virtual bool AskRetryIgnore(const QString& text) = 0;
    // The folder dialog opened on the initial folder (empty: no selection);
    // nothing when the user cancels.
    virtual std::optional<QString> BrowseForFolder(const QString& title, const QString& initialFolder) = 0;
};

class QtDialogs : public Dialogs {
public:
    void ShowError(const QString& text) override;
    void ShowInformation(const QString& text) override;
    void ShowWarning(const QString& caption, const QString& text) override;
    void ShowErrorBox(const QString& caption, const QString& text) override;
    bool AskYesNo(const QString& text) override;
    bool AskRetryIgnore(const QString& text) override;
    std::optional<QString> BrowseForFolder(const QString& title, const QString& initialFolder) override;
};

} // namespace orvane::platform
