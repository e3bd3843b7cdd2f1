#pragma once
// The main window: tool bar, left column with the viewing area and the four
// group boxes, the file list with its two tabs, the status line and the main
// menu. Its commands are QActions made once from one table
// (TForm1Commands.cpp); the media lists, the display of one item and the
// settings model live in their own libraries and files. Controls keep the
// object names the program is known by ("tb7", "b3", "ListBox1").
#include "library/MediaLibrary.h"
#include "ui/Commands.h"
#include "ui/SettingsModel.h"

#include <QImage>
#include <QMainWindow>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSlider;
class QStatusBar;
class QTabWidget;
class QTimer;
class QToolBar;
class QToolButton;

class QMimeData;

namespace orvane::platform {
class MediaPlayer;
class TrayIcon;
}
namespace orvane::desktop {
class TDesktopIconState;
}
namespace orvane::viewer {
class ItemDisplay;
}

namespace orvane::ui {

class MediaListView;
class PictureSurface;
class Splitter;
class TAboutBox;
class TDlg;
class TInputDlgBase;

class TForm1 : public QMainWindow, public library::LibraryHost {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Creation and destruction steps of the window, run by the program's
    // entry: FormCreate after construction, FormDestroy before deletion.
    void FormCreate();
    void FormDestroy();
    // A folder or file to open instead of the stored root folder (the
    // command line's); set before FormCreate.
    void SetPathToOpen(const QString& path) { pathToOpen_ = path; }
    // Opens a folder as the root folder, or a file in its folder, as a drop
    // on the window does; a path that cannot be opened is named in a message.
    void OpenPath(const QString& path);
    // What a drop on the window opens: the first local file or folder; a
    // web address is refused with a message.
    void OpenDropped(const QMimeData& data);
    bool WindowCreated() const { return windowCreated_; }

    // The dialogs, created by the program's entry after the main window.
    struct Dialogs {
        TDlg* preferences = nullptr;
        TAboutBox* about = nullptr;
        TInputDlgBase* folderName = nullptr;   // "Enter folder name"
        TInputDlgBase* fileNamePart = nullptr; // "Enter a part of file name"
    };
    void SetDialogs(const Dialogs& dialogs) { dialogs_ = dialogs; }

    // The settings store reads into and writes from the settings model; the
    // program's entry wires it in (read while the window is created, written
    // when it is destroyed).
    std::function<void(TForm1&)> OnGetSettings;
    std::function<void(TForm1&)> OnSaveSettings;
    // Everything the window would store now.
    Settings CurrentSettings() const;
    // Takes every value of the model, in the order the values are stored.
    void ApplySettings(const Settings& settings);
    const ui::Options& CurrentOptions() const { return options_; }
    // Applies the options to the window.
    void SetParams();

    // Each command, as the tool bar, the menus and the keys run it.
    QAction* Action(Command command) const { return actions_[static_cast<int>(command)]; }
    void Run(Command command);

    // Media lists and navigation.
    library::MediaLibrary& Library() { return *library_; }
    QString RootFolder() const override { return rootFolder_; }
    QString CurrentFile() const override { return currentFile_; }
    void ReadDir();
    void GoSearch();
    // What the next step shows is decoded ahead while the program is idle;
    // asked again whenever that may have changed.
    void ScheduleDecodeAhead();
    void SwitchListBox(bool rememberWidth);
    // The tab of the file list: 0 photos, 1 videos; -1 when a stored index
    // named neither, which leaves no tab active (the commands then act on
    // the video list, as for any tab other than the first).
    int ActiveTab() const;
    void SetActiveTab(int index);
    bool InTray() const { return inTray_; }

    // Display.
    bool SetThis(const QString& path, bool setAsWallpaper) override;
    viewer::ItemDisplay& Display() { return *display_; }
    void SwitchFullScreen();
    void SlideShow();
    bool FullScreenMode() const { return fullScreen_; }

    // The window's bounds as the settings and the layout know them: the outer
    // (frame) rectangle, which is what the user sees on the screen. Set
    // again once the window manager has framed the window, so that a window
    // the size of the work area fills it exactly.
    void SetFrameBounds(const QRect& frame);
    QRect FrameBounds() const { return frameGeometry(); }
    // Width of the left column (100 to 1000 pixels).
    int LeftWidth() const { return leftWidth_; }
    void SetLeftWidth(int width);
    void ResizePanels();
    void RelocateButtons();

    // The timers' ticks. The magnifier's: while the pointer is outside the
    // window, an enlarged picture of the screen around it replaces the
    // viewing area. The auto-switch's: the next item as wallpaper while
    // "Autoswitch every" is ticked.
    void magnifierTick();
    void autoSwitchTick();
    // After a minimise: into the notification area unless "Do not minimize
    // to system tray" is set or the desktop has none.
    void minimizeToTray();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // What a path to open names: the root folder, and the file to show in it
    // (empty for a folder).
    struct OpenedPath {
        QString folder;
        QString file;
    };
    std::optional<OpenedPath> CheckPathToOpen(const QString& path) const;
    void ShowOpened(const OpenedPath& opened);

    // LibraryHost
    int ActivePage() const override { return ActiveTab(); }
    bool ShuffleOn() const override;
    void ProcessMessages() override;
    void SetTabCaption(int tab, const QString& caption) override;

    // Building the window (TForm1Controls.cpp) and its commands
    // (TForm1Commands.cpp).
    void CreateControls();
    void CreateToolBar();
    void CreateLeftColumn();
    void CreateSearchGroup();
    void CreateMailGroup();
    void CreateMagnifierGroup();
    void CreateBackgroundGroup();
    void CreateFileList();
    void CreateViewingArea();
    void CreateStatusLine();
    void CreateTimers();
    void NameControls();
    void CreateCommands();
    void CreateMenus();
    void ConnectControls();
    QAction* MenuEntry(QMenu* menu, Command command, const char* objectName, const char* caption);

    // The commands' handlers.
    void selectRootFolder();
    void exitProgram();
    void showPrevious();
    void showNext();
    void showNextAsWallpaper();
    void setCurrentAsWallpaper();
    void switchMode();
    void openPreferences();
    void showAbout();
    void shellOpenCurrent();
    void copyPathToClipboard();
    void showPathAndSize();
    void restoreFromMenu();
    void restoreFromTray();
    void rescanAndSearch();
    void sendCurrentFile();
    void sendSelectedFiles();
    void hideDesktopIcons();
    void showDesktopIcons();
    void moveSelectedInFolder();
    void renameSelectedFolder();
    void addToSelectedFileNames();
    void recycleSelected();

    // Events of the controls.
    void keyPressed(int key);
    void lineClicked(MediaListView* view);
    void pictureMouseUp(Qt::MouseButton button);
    void switchIntervalChosen(int index);
    void contextMenuOpening();
    void fileListMenuOpening();
    void decodingProgress(const QString& text);
    void displayStateChanged();

    // Window state (TForm1Tray.cpp).
    void StayOnTop();
    void StayNormal();
    void ForceOnTop();
    void SetTopmost(bool topmost);
    void ApplyColorScheme(int scheme);

    // Layout (TForm1Layout.cpp).
    void FormResize();
    void SetGroupHeight(QGroupBox* group, int height);
    void ToggleGroup(QGroupBox* group);
    void LayoutPanel1();
    void LayoutBody();
    void LayoutFullScreen();
    void LayoutToolButtons(bool compact);
    void PlaceViewingArea(const QRect& bounds);
    void SetFrameWidth(int width);
    QMargins FrameMargins() const;
    void ApplyFrameBounds();
    void ReapplyFrameIfReframed();

    // The status line.
    void ChangeStatus(const QString& text);
    void SetCaptionAndHint(const QString& text);
    void ApplyWallpaper(const QString& path);

    // File commands on the selected lines of the active tab
    // (TForm1FileCommands.cpp).
    QList<int> SelectedLines();
    bool AskName(TInputDlgBase* dialog, QString& text);
    void RunOnSelected(int command, const QString& text);

    std::unique_ptr<library::MediaLibrary> library_;
    std::unique_ptr<desktop::TDesktopIconState> iconState_;
    platform::MediaPlayer* player_ = nullptr;
    std::unique_ptr<viewer::ItemDisplay> display_;
    bool decodeAheadScheduled_ = false;
    void DecodeUpcomingAhead();
    // A new root folder: the list positions forgotten, the tree walked.
    void WalkNewRoot(const QString& folder);
    bool IsVideo(const QString& path) const;
    Dialogs dialogs_;
    std::array<QAction*, kCommandCount> actions_{};

    // State kept between the settings' reading and writing.
    ui::Options options_;
    QString rootFolder_;
    QString pathToOpen_;
    QString currentFile_;
    QStringList nameHistory_;
    int fullWidth_ = 0; // the window's width with the file list shown

    // Controls.
    QToolBar* toolBar_ = nullptr;
    QList<QToolButton*> toolButtons_;
    QWidget* body_ = nullptr;             // pnBig
    Splitter* splitter_ = nullptr;
    QWidget* leftColumn_ = nullptr;       // pnLeft
    QWidget* magnifierPanel_ = nullptr;   // pnMag
    QLabel* magnifierImage_ = nullptr;    // i1
    QWidget* groupPanel_ = nullptr;       // Panel1
    QGroupBox* searchGroup_ = nullptr;    // g1
    QGroupBox* mailGroup_ = nullptr;      // g2
    QGroupBox* magnifierGroup_ = nullptr; // g3
    QGroupBox* backgroundGroup_ = nullptr; // g4
    QLineEdit* searchEdit_ = nullptr;     // e1
    QLineEdit* mailToEdit_ = nullptr;     // e2
    QSlider* zoomSlider_ = nullptr;       // TrackBar1
    QCheckBox* showCursorBox_ = nullptr;  // cb1
    QCheckBox* autoSwitchBox_ = nullptr;  // cb2
    QCheckBox* shuffleBox_ = nullptr;     // cb3
    QComboBox* intervalBox_ = nullptr;    // ComboBox1
    QWidget* fileListColumn_ = nullptr;   // pnRight
    QTabWidget* fileTabs_ = nullptr;      // PageControl1
    QWidget* noTabPage_ = nullptr;        // the hidden page behind "no tab active"
    MediaListView* photoList_ = nullptr;  // ListBox1
    MediaListView* videoList_ = nullptr;  // ListBox2
    QWidget* viewingArea_ = nullptr;      // pnIm
    PictureSurface* pictureSurface_ = nullptr; // im2
    QWidget* playerWidget_ = nullptr;     // WMP
    QPushButton* previousButton_ = nullptr;   // b1
    QPushButton* backgroundButton_ = nullptr; // b2
    QPushButton* nextButton_ = nullptr;       // b3
    QStatusBar* statusBar_ = nullptr;
    QLabel* statusText_ = nullptr;
    QMenu* contextMenu_ = nullptr;        // PopupMenu1, also the tray's
    QAction* contextRestore_ = nullptr;   // its "Restore" and "Exit", shown
    QAction* contextExit_ = nullptr;      // only while minimised
    QMenu* fileListMenu_ = nullptr;       // PopupMenu2
    QAction* deleteMenu_ = nullptr;
    platform::TrayIcon* trayIcon_ = nullptr;
    QTimer* magnifierTimer_ = nullptr;    // Timer1
    QTimer* autoSwitchTimer_ = nullptr;   // Timer2
    QTimer* slideShowTimer_ = nullptr;    // Timer4

    bool windowCreated_ = false;
    bool fullScreen_ = false;
    bool inTray_ = false;
    bool trayMaximized_ = false; // maximised when it went into the tray
    QImage magSurface_; // the magnifier's drawing surface, renewed after a resize
    QRect savedWindowBounds_; // the frame rectangle before full screen
    bool savedMaximized_ = false;
    QRect savedViewBounds_;
    QRect wantedFrame_;
    QMargins appliedMargins_;
    qint64 frameDeadline_ = 0; // until then the frame rectangle is set again when the frame changes
    int leftWidth_ = 257;      // width of the left column, kept when the window resizes
};

} // namespace orvane::ui
