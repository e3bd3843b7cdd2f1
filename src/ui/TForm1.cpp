#include "ui/TForm1.h"

#include "desktop/AutoSwitch.h"
#include "desktop/DesktopIconState.h"
#include "fileops/BrowseFolder.h"
#include "fileops/MainFunctions.h"
#include "platform/MediaPlayer.h"
#include "platform/Services.h"
#include "platform/TrayIcon.h"
#include "ui/AboutBox.h"
#include "ui/MediaListView.h"
#include "viewer/ItemDisplay.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTabWidget>
#include <QTimer>

// The pictures of the tool bar live in a resource of this static library.
static void InitResources()
{
    Q_INIT_RESOURCE(orvane);
}

namespace orvane::ui {

TForm1::TForm1(QWidget* parent) : QMainWindow(parent)
{
    InitResources();
    library_ = std::make_unique<library::MediaLibrary>(*this, this);
    if (auto& icons = platform::Services::Current().desktopIcons)
        iconState_ = std::make_unique<desktop::TDesktopIconState>(*icons);
    auto& services = platform::Services::Current();
    player_ = services.createMediaPlayer ? services.createMediaPlayer(this) : platform::CreateQtMediaPlayer(this);
    display_ = std::make_unique<viewer::ItemDisplay>(*player_);
    connect(display_.get(), &viewer::ItemDisplay::Progress, this, &TForm1::decodingProgress);
    connect(display_.get(), &viewer::ItemDisplay::StateChanged, this, &TForm1::displayStateChanged);
    // The working lists start with their defaults, as a first start has them.
    const Settings defaults = DefaultSettings();
    library_->badFolders.Assign(defaults.badFolders);
    library_->photoTypes.Assign(defaults.fileTypes);
    library_->videoTypes.Assign(defaults.videoFileTypes);
    options_ = defaults;
    CreateControls();
}

TForm1::~TForm1() = default;

void TForm1::FormCreate()
{
    // Random choices of shuffle are seeded once per run from the clock.
    library_->Seed(static_cast<unsigned>(QDateTime::currentMSecsSinceEpoch()));
    options_.mailText = DefaultSettings().mailText;
    setWindowTitle(QStringLiteral("Orvane"));
    QApplication::setApplicationDisplayName(QString());
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    ResizePanels();
    if (OnGetSettings)
        OnGetSettings(*this);
    // A path given to open replaces the stored root folder and file; one that
    // cannot be opened leaves them as stored.
    std::optional<OpenedPath> opened;
    if (!pathToOpen_.isEmpty())
        opened = CheckPathToOpen(pathToOpen_);
    if (opened) {
        currentFile_.clear();
        WalkNewRoot(opened->folder);
        ShowOpened(*opened);
    } else {
        if (!rootFolder_.isEmpty())
            ReadDir();
        if (!currentFile_.isEmpty())
            SetThis(currentFile_, false);
    }
    if (!searchEdit_->text().isEmpty())
        GoSearch();
    windowCreated_ = true;
}

void TForm1::FormDestroy()
{
    // Icons this program hid come back as the user had them; a desktop whose
    // icons the program never touched is left alone.
    if (iconState_)
        iconState_->Restore();
    magnifierTimer_->stop();
    if (OnSaveSettings)
        OnSaveSettings(*this);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // Closing ends the program, also from the tray where the window is
    // hidden and its closing would not end the message loop by itself.
    QMainWindow::closeEvent(event);
    trayIcon_->Hide();
    if (isHidden() || inTray_)
        QCoreApplication::quit();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        // Only the first delivery of a key (to the window that has focus)
        // counts; it is not consumed, so the focused control still gets it.
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this && (watched == QApplication::focusWidget() || watched == this))
            keyPressed(static_cast<QKeyEvent*>(event)->key());
    } else if (event->type() == QEvent::Resize && watched == body_) {
        LayoutBody();
    } else if (event->type() == QEvent::MouseButtonDblClick) {
        if (auto* group = qobject_cast<QGroupBox*>(watched);
            group && (group == searchGroup_ || group == mailGroup_ || group == magnifierGroup_ ||
                      group == backgroundGroup_))
            ToggleGroup(group);
    }
    return QMainWindow::eventFilter(watched, event);
}

int TForm1::ActiveTab() const
{
    const int index = fileTabs_->currentIndex();
    return index == 0 || index == 1 ? index : -1;
}

void TForm1::SetActiveTab(int index)
{
    fileTabs_->setCurrentIndex(index == 0 || index == 1 ? index : 2);
}

bool TForm1::ShuffleOn() const
{
    return shuffleBox_->isChecked();
}

void TForm1::ProcessMessages()
{
    QCoreApplication::processEvents();
}

void TForm1::SetTabCaption(int tab, const QString& caption)
{
    fileTabs_->setTabText(tab, caption);
}

void TForm1::ChangeStatus(const QString& text)
{
    statusText_->setText(text);
}

void TForm1::ReadDir()
{
    library_->ReadDir();
    ScheduleDecodeAhead();
}

void TForm1::GoSearch()
{
    library_->GoSearch(searchEdit_->text(), options_.caseSensitiveSearch);
    ScheduleDecodeAhead();
}

void TForm1::selectRootFolder()
{
    QString chosen;
    if (!fileops::BrowseForFolder(QStringLiteral("Select a folder"), rootFolder_, QString(), false, chosen))
        return;
    if (library_->Scanning())
        return; // a scan is filling the lists; a second one would empty them under it
    WalkNewRoot(chosen);
    library_->Next(false);
}

void TForm1::WalkNewRoot(const QString& folder)
{
    library_->photoIndex = -1;
    library_->videoIndex = -1;
    rootFolder_ = folder;
    ReadDir();
}

void TForm1::exitProgram()
{
    close();
}

void TForm1::showPrevious()
{
    library_->ShortPrev();
}

void TForm1::showNext()
{
    library_->ShortNext();
}

void TForm1::showNextAsWallpaper()
{
    library_->Next(true);
}

void TForm1::setCurrentAsWallpaper()
{
    SetThis(currentFile_, true);
}

void TForm1::switchMode()
{
    SwitchListBox(true);
}

void TForm1::rescanAndSearch()
{
    ReadDir();
    if (!searchEdit_->text().isEmpty())
        GoSearch();
}

void TForm1::hideDesktopIcons()
{
    if (iconState_)
        iconState_->Hide();
}

void TForm1::showDesktopIcons()
{
    if (iconState_)
        iconState_->Show();
}

void TForm1::showAbout()
{
    if (dialogs_.about)
        dialogs_.about->exec();
}

void TForm1::shellOpenCurrent()
{
    fileops::ShellOpen(this, currentFile_);
}

void TForm1::lineClicked(MediaListView* view)
{
    library_->ListBoxClick(view == photoList_ ? library_->PhotoLines() : library_->VideoLines());
}

void TForm1::autoSwitchTick()
{
    if (desktop::SwitchOnTick(autoSwitchBox_->isChecked()))
        library_->Next(true);
}

void TForm1::switchIntervalChosen(int index)
{
    if (const auto period = desktop::IntervalOf(index))
        autoSwitchTimer_->start(*period); // a new period counts from the change
}

void TForm1::SwitchListBox(bool rememberWidth)
{
    fileTabs_->setVisible(fileTabs_->isHidden());
    fileListColumn_->setVisible(!fileTabs_->isHidden());
    const bool compact = fileTabs_->isHidden();
    if (compact) {
        if (rememberWidth) {
            fullWidth_ = FrameBounds().width();
            SetFrameWidth(leftColumn_->width() + 8);
        }
        StayOnTop();
        menuBar()->hide();
    } else {
        SetFrameWidth(fullWidth_);
        StayNormal();
        menuBar()->show();
    }
    LayoutToolButtons(compact);
}

} // namespace orvane::ui
