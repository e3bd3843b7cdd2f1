// The process entry: register the picture formats, look at the command line,
// create the windows in order and run the message loop.
#include "app/AppFunctions.h"
#include "app/InstallLocation.h"
#include "app/Settings.h"
#include "platform/Registry.h"
#include "imaging/core/PictureLoader.h"
#include "imaging/core/Warnings.h"
#include "platform/Application.h"
#include "platform/metafile/Metafile.h"
#include "platform/Services.h"
#include "platform/WindowSystem.h"
#include "imaging/registry/FormatRegistration.h"
#include "ui/AboutBox.h"
#include "ui/InputDialogs.h"
#include "ui/PreferencesDialog.h"
#include "ui/TForm1.h"

#include <memory>

int main(int argc, char** argv)
{
    // The metafile class draws with Qt, so the program hands it in.
    orvane::imaging::SetMetafileClass(&orvane::imaging::TMetafile::ClassInfo());
    orvane::imaging::InitializeImageFormats();
    // Qt Multimedia's GStreamer backend: the other one crashes on files with
    // sound on this Qt version.
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
    orvane::platform::ChooseWindowSystem();
    orvane::platform::Application application(argc, argv);
    orvane::platform::NoteWindowSystemLimits();
    QApplication::setApplicationName(QString());
    QApplication::setApplicationVersion(QStringLiteral(ORVANE_VERSION));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/orvane.png")));
    QApplication::setDesktopFileName(QStringLiteral("orvane"));
    orvane::platform::Services::InstallDefaults();
    orvane::app::UseProgramFile(QCoreApplication::applicationFilePath());
    orvane::imaging::SetWarningHandler([](const std::string& caption, const std::string& text) {
        orvane::platform::Services::Current().dialogs->ShowWarning(QString::fromStdString(caption),
                                                                   QString::fromStdString(text));
    });

    int result = 0;
    try {
        orvane::app::AppStart(QApplication::arguments());
    } catch (...) {
        orvane::platform::Application::HandleException();
    }
    if (!orvane::app::StartupStopFlag) {
        // A settings file that cannot be read is kept aside, never overwritten.
        const QString damaged = orvane::app::CheckSettingsFile();
        if (!damaged.isEmpty())
            orvane::platform::Services::Current().dialogs->ShowError(damaged);
        auto form = std::make_unique<orvane::ui::TForm1>();
        form->OnGetSettings = orvane::app::GetSettings;
        form->OnSaveSettings = orvane::app::SaveSettings;
        auto preferences = std::make_unique<orvane::ui::TDlg>(form.get());
        auto about = std::make_unique<orvane::ui::TAboutBox>(form.get());
        auto input = std::make_unique<orvane::ui::TInputDlg>(form.get());
        auto input2 = std::make_unique<orvane::ui::TInputDlg2>(form.get());
        form->SetDialogs({preferences.get(), about.get(), input.get(), input2.get()});
        form->SetPathToOpen(orvane::app::PathToOpen(QApplication::arguments()));
        try {
            form->FormCreate();
        } catch (...) {
            orvane::platform::Application::HandleException();
        }
        form->show();
        result = application.exec();
        try {
            form->FormDestroy();
        } catch (...) {
            orvane::platform::Application::HandleException();
        }
    }
    orvane::imaging::FinalizeImageFormats();
    return result;
}
