#pragma once
// The main window: tool bar, left column with the viewing area and the four
// group boxes, the file list with its two tabs, the status line and the main
// menu. Its event handlers carry the program's logic; the media lists, the
// display step and the utilities live in their own libraries.
#include "library/MediaLibrary.h"
#include "viewer/ItemDisplay.h"

#include <QImage>
#include <QMainWindow>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QSlider;
class QTabWidget;
class QToolBar;
class QToolButton;
class QStatusBar;

namespace orvane::platform {
class MediaPlayer;
class TrayIcon;
}
namespace orvane::imaging {
class TBitmap;
}
namespace orvane::desktop {
class TDesktopIconState;
}

namespace orvane::ui {

class MediaListView;
class TAboutBox;
class TDlg;
class TInputDlgBase;
class PictureSurface;
class Splitter;

class TForm1 : public QMainWindow, public library::LibraryHost, public viewer::DisplayHost {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Creation and destruction steps of the window (run by the program's
    // entry: FormCreate after construction, FormDestroy before deletion).
    void FormCreate();
    void FormDestroy();

    // Media lists and navigation.
    library::MediaLibrary& Library() { return *library_; }
    void ReadDir();
    void SelectDir();
    void SetFileIndex(int index, int list) { library_->SetFileIndex(index, list); }
    void Next(bool setAsWallpaper) { library_->Next(setAsWallpaper); }
    void ShortNext() { library_->ShortNext(); }
    void ShortPrev() { library_->ShortPrev(); }
    void SwitchListBox(bool rememberWidth);
    void ChangeStatus(const QString& text) override;
    library::MediaListModel& lb() { return library_->lb(); }

    // Display.
    bool SetThis(const QString& path, bool setAsWallpaper) override;
    void SwitchFullScreen();
    void SlideShow();
    // The magnifier's tick: while the pointer is outside the window, an
    // enlarged picture of the screen around it replaces the viewing area.
    void Timer1Timer();
    // The auto-switch timer's tick: the next item as wallpaper while
    // "Autoswitch every" is ticked.
    void Timer2Timer();
    // The interval choice: 0 "10 seconds" .. 3 "1 hour" sets the
    // auto-switch timer's period; other values leave it.
    void ComboBox1Change(int index);
    bool FullScreenMode() const { return fullScreen_; }

    // The settings store and the search are wired in by the program's entry.
    std::function<void(TForm1&)> OnGetSettings;
    std::function<void(TForm1&)> OnSaveSettings;
    void GoSearch();

    // The dialogs, created by the program's entry after the main window.
    TDlg* Dlg = nullptr;
    TAboutBox* AboutBox = nullptr;
    TInputDlgBase* InputDlg = nullptr;  // "Enter folder name"
    TInputDlgBase* InputDlg2 = nullptr; // "Enter a part of file name"

    // File commands on the selected lines of the active tab.
    void MoveInFolder();
    void RenameFolder();
    void AddToFilename();
    void DeleteSelected();
    void PopupMenu2Popup();
    QMenu* PopupMenu2 = nullptr;
    QAction *MoveInFolder1 = nullptr, *ChangeAFolder1 = nullptr, *AddToFileName1 = nullptr, *Delete1 = nullptr,
            *SendToRecycleBin1 = nullptr;
    // Preferences: copies the options in, shows the dialog, copies them
    // back on OK and applies them in any case.
    void tb7Click();
    void tb8Click();
    // Applies the options to the window.
    void SetParams();

    // Mail: "Send current" and "Send selected".
    void b4Click();
    void b11Click();

    // Window state. StayOnTop does nothing while "Do not use always on top"
    // is set; ForceOnTop makes the window topmost regardless.
    void ForceOnTop();
    // Minimising puts the program into the notification area unless "Do not
    // minimize to system tray" is set or the desktop has none.
    void ApplicationMinimize();
    // Back from the tray: shown, icon removed, topmost.
    void Restore();
    void m1Click();
    void PopupMenu1Popup();
    bool InTray() const { return inTray_; }
    void CopyfullpathtothispicturetoClipboardmouserightclick1Click();
    void Showfullpathanddimentions1Click();
    void StayOnTop();
    void StayNormal();
    void ApplyColorScheme(int scheme);
    void SetGroupHeight(QGroupBox* group, int height);

    // The window's bounds as the settings and the layout know them: the outer
    // (frame) rectangle, which is what the user sees on the screen. Set
    // again once the window manager has framed the window, so that a window
    // the size of the work area fills it exactly.
    void SetFrameBounds(const QRect& frame);
    QRect FrameBounds() const { return frameGeometry(); }
    void SetFrameWidth(int width);
    int FrameWidth() const { return frameGeometry().width(); }

    // The tab of the file list: 0 photos, 1 videos; -1 when a stored index
    // named neither, which leaves no tab active (the commands then act on
    // the video list, as for any tab other than the first).
    int ActiveTab() const;
    void SetActiveTab(int index);

    // Layout.
    void ResizePanels();
    // Width of the left column (100 to 1000 pixels).
    int LeftWidth() const { return leftWidth_; }
    void SetLeftWidth(int width);
    void RelocateButtons();

    // State read and written by the settings and the other subsystems.
    QString Dir;
    QString FileName; // the current file
    QString mess;     // body of sent mail
    int FullWidth = 0;
    bool bNormal = false;
    bool bHide = false;
    bool bSearch = true;
    bool bEmail = true;
    bool bMag = true;
    bool bDestopBG = true;
    bool bNotTray = false;
    bool bCaseSens = false;
    bool bDisMag = false;
    int cScheme = 1;
    int ssDelay = 5000;
    int actPage = 0;
    QStringList popfolders;
    bool WindowCreated() const { return windowCreated_; }

    // Controls, with the names the rest of the program knows them by.
    QToolBar* ToolBar1 = nullptr;
    QToolButton *tb1 = nullptr, *tb2 = nullptr, *tb5 = nullptr, *tb6 = nullptr, *tb7 = nullptr, *tb8 = nullptr,
                *tb9 = nullptr, *tb10 = nullptr;
    QWidget* pnBig = nullptr;
    Splitter* Splitter1 = nullptr;
    QWidget* pnLeft = nullptr;
    QWidget* pnMag = nullptr;
    QLabel* i1 = nullptr;
    QWidget* Panel1 = nullptr;
    QGroupBox *g1 = nullptr, *g2 = nullptr, *g3 = nullptr, *g4 = nullptr;
    QLineEdit* e1 = nullptr;
    QPushButton* Button8 = nullptr;
    QLabel* l2 = nullptr;
    QLineEdit* e2 = nullptr;
    QPushButton *b4 = nullptr, *b11 = nullptr;
    QLabel* l1 = nullptr;
    QSlider* TrackBar1 = nullptr;
    QCheckBox *cb1 = nullptr, *cb2 = nullptr, *cb3 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton *tb3 = nullptr, *tb4 = nullptr;
    QWidget* pnRight = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget *TabSheet1 = nullptr, *TabSheet2 = nullptr;
    MediaListView *ListBox1 = nullptr, *ListBox2 = nullptr;
    QWidget* pnIm = nullptr;
    PictureSurface* im2 = nullptr;
    platform::MediaPlayer* WMP = nullptr;
    QWidget* WMPWidget = nullptr;
    QPushButton *b1 = nullptr, *b2 = nullptr, *b3 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusText = nullptr;
    QMenuBar* MainMenu1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction *SelectFolder1 = nullptr, *exit1 = nullptr, *GoPrevious1 = nullptr, *GoNext1 = nullptr,
            *NextBackground1 = nullptr, *StartSlideshow1 = nullptr, *SwitchMode1 = nullptr, *Preferences1 = nullptr,
            *About1 = nullptr;
    QAction *m1 = nullptr, *Previous1 = nullptr, *Next1 = nullptr, *SetasDesltopBackground1 = nullptr, *m2 = nullptr,
            *ShellOpenThispicture1 = nullptr, *CopyfullpathtothispicturetoClipboardmouserightclick1 = nullptr,
            *Showfullpathanddimentions1 = nullptr, *m3 = nullptr;
    platform::TrayIcon* TrayIcon1 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    QTimer* Timer4 = nullptr;

    // Status text of a decoding progress report.
    void im2Progress(int stage, int percentDone, bool redrawNow, int rowsDone, const QString& message);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // LibraryHost
    int ActivePage() const override;
    bool ShuffleOn() const override;
    QString RootFolder() const override { return Dir; }
    QString CurrentFile() const override { return FileName; }
    void ProcessMessages() override;
    void SetTabCaption(int tab, const QString& caption) override;
    // DisplayHost
    void StopPlayer() override;
    void ClosePlayer() override;
    void HidePlayer() override;
    void ShowPlayer() override;
    void SetPlayerUrl(const QString& path) override;
    void PlayPlayer() override;
    QSize LoadPicture(const QString& path) override;
    bool IsVideo(const QString& extension) const override;
    void SetCurrentFile(const QString& path) override { FileName = path; }
    void SetCaptionAndHint(const QString& text) override;
    void ApplyWallpaper(const QString& path) override;

    void CreateControls();
    void NameControls();
    void CreateToolBar();
    void CreateMenus();
    void CreateLeftColumn();
    void CreateFileList();
    void CreateViewingArea();
    void ConnectHandlers();
    void FormKeyDown(int key);
    void FormResize();
    void ListBox1Click(MediaListView* view);
    void im2MouseUp(Qt::MouseButton button);
    void WMPDoubleClick();
    void ShellOpenCurrent();

    void GroupDblClick(QGroupBox* group, int fullHeight);
    QMargins FrameMargins() const;
    void ApplyFrameBounds();
    void ReapplyFrameIfReframed();
    void LayoutFullScreen();
    bool ShownPictureWouldBeEnlarged() const;
    void RefinePictureLater();
    void RefinePicture();
    void LayoutPanel1();
    void LayoutBody();
    void SetTopmost(bool topmost);
    void CreateFileListMenu();
    QList<int> SelectedLines();
    bool AskName(TInputDlgBase* dialog, QString& text);
    void RunOnSelected(int command, const QString& text);

    std::unique_ptr<library::MediaLibrary> library_;
    std::unique_ptr<desktop::TDesktopIconState> iconState_;
    bool windowCreated_ = false;
    bool fullScreen_ = false;
    bool inTray_ = false;
    QImage magSurface_; // the magnifier's drawing surface, renewed after a resize
    QRect savedWindowBounds_; // the frame rectangle before full screen
    bool savedMaximized_ = false;
    bool trayMaximized_ = false; // maximised when it went into the tray
    QRect wantedFrame_;
    QMargins appliedMargins_;
    qint64 frameDeadline_ = 0; // until then the frame rectangle is set again when the frame changes
    QWidget* TabSheetNone = nullptr; // the hidden page behind "no tab active"
    QString shownPicturePath_; // the file of the picture on the surface
    QTimer refineTimer_;       // decodes a reduced picture again once the area has grown
    QRect savedViewBounds_;
    int leftWidth_ = 257; // width of the left column, kept when the window resizes
};

} // namespace orvane::ui
