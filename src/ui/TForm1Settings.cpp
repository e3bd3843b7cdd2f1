// The main window's side of the settings: what it would store, taking stored
// values back, applying the options, and the Preferences dialog.
#include "ui/TForm1.h"

#include "ui/PreferencesDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>

namespace orvane::ui {

Settings TForm1::CurrentSettings() const
{
    Settings settings;
    static_cast<ui::Options&>(settings) = options_;
    const QRect frame = FrameBounds();
    settings.top = frame.y();
    settings.left = frame.x();
    settings.width = frame.width();
    settings.height = frame.height();
    settings.fullWidth = fullWidth_;
    settings.rootFolder = rootFolder_;
    settings.zoomLevel = zoomSlider_->value();
    settings.switchInterval = intervalBox_->currentIndex();
    settings.showCursor = showCursorBox_->isChecked();
    settings.autoSwitch = autoSwitchBox_->isChecked();
    settings.shuffle = shuffleBox_->isChecked();
    settings.searchText = searchEdit_->text();
    settings.mailTo = mailToEdit_->text();
    settings.minimized = isMinimized();
    settings.currentFile = currentFile_;
    settings.hideList = fileTabs_->isHidden();
    settings.panelWidth = leftWidth_;
    settings.searchGroupHeight = searchGroup_->height();
    settings.mailGroupHeight = mailGroup_->height();
    settings.magnifierGroupHeight = magnifierGroup_->height();
    settings.backgroundGroupHeight = backgroundGroup_->height();
    settings.badFolders = library_->badFolders.Items();
    settings.fileTypes = library_->photoTypes.Items();
    settings.videoFileTypes = library_->videoTypes.Items();
    settings.activeTab = ActiveTab();
    settings.photoIndex = library_->photoIndex;
    settings.videoIndex = library_->videoIndex;
    settings.nameHistory = nameHistory_;
    return settings;
}

void TForm1::ApplySettings(const Settings& settings)
{
    SetFrameBounds(QRect(settings.left, settings.top, settings.width, settings.height));
    fullWidth_ = settings.fullWidth;
    rootFolder_ = settings.rootFolder;
    zoomSlider_->setValue(settings.zoomLevel);
    if (settings.switchInterval >= 0 && settings.switchInterval <= 3) {
        intervalBox_->setCurrentIndex(settings.switchInterval);
        switchIntervalChosen(settings.switchInterval); // the timer follows the choice shown
    } else {
        intervalBox_->setCurrentIndex(-1); // and the timer keeps its period
    }
    showCursorBox_->setChecked(settings.showCursor);
    autoSwitchBox_->setChecked(settings.autoSwitch);
    shuffleBox_->setChecked(settings.shuffle);
    searchEdit_->setText(settings.searchText);
    mailToEdit_->setText(settings.mailTo);
    currentFile_ = settings.currentFile;
    if (settings.hideList && !fileTabs_->isHidden())
        SwitchListBox(false);
    SetLeftWidth(settings.panelWidth);
    SetGroupHeight(searchGroup_, settings.searchGroupHeight);
    SetGroupHeight(mailGroup_, settings.mailGroupHeight);
    SetGroupHeight(magnifierGroup_, settings.magnifierGroupHeight);
    SetGroupHeight(backgroundGroup_, settings.backgroundGroupHeight);
    options_ = settings;
    library_->badFolders.Assign(settings.badFolders);
    library_->photoTypes.Assign(settings.fileTypes);
    library_->videoTypes.Assign(settings.videoFileTypes);
    SetActiveTab(settings.activeTab);
    library_->photoIndex = settings.photoIndex;
    library_->videoIndex = settings.videoIndex;
    nameHistory_ = settings.nameHistory;
}

void TForm1::SetParams()
{
    if (options_.noAlwaysOnTop)
        StayNormal();
    backgroundGroup_->setVisible(options_.showBackground);
    magnifierGroup_->setVisible(options_.showMagnifier);
    mailGroup_->setVisible(options_.showMail);
    searchGroup_->setVisible(options_.showSearch);
    ApplyColorScheme(options_.colorScheme);
    ResizePanels();
    if (options_.slideShowDelay > 0)
        slideShowTimer_->setInterval(options_.slideShowDelay);
    else
        slideShowTimer_->stop(); // an interval of 0 stops the timer
}

void TForm1::openPreferences()
{
    TDlg* dialog = dialogs_.preferences;
    if (!dialog)
        return;
    // The dialog shows the options as they are now and hands them back on
    // OK; they are applied either way.
    Settings settings = CurrentSettings();
    dialog->Load(settings);
    if (dialog->exec() == QDialog::Accepted) {
        dialog->Store(settings);
        options_ = settings;
        library_->badFolders.Assign(settings.badFolders);
        library_->photoTypes.Assign(settings.fileTypes);
        library_->videoTypes.Assign(settings.videoFileTypes);
    }
    SetParams();
    ScheduleDecodeAhead();
}

} // namespace orvane::ui
