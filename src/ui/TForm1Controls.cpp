// Building the main window's controls, each with the object name the program
// knows it by, at its design place and size.
#include "ui/TForm1.h"

#include "platform/MediaPlayer.h"
#include "platform/Services.h"
#include "platform/TrayIcon.h"
#include "ui/MediaListView.h"
#include "ui/PictureSurface.h"
#include "ui/Splitter.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace orvane::ui {

namespace {

QIcon ThemeIcon(const char* themeName, const char* fallback)
{
    return QIcon::fromTheme(QLatin1String(themeName), QIcon(QLatin1String(fallback)));
}

struct ToolButtonRow {
    const char* name;
    Command command;
    const char* caption;
    const char* hint;
    const char* theme;
    const char* fallback;
};

const ToolButtonRow kToolButtons[] = {
    {"tb1", Command::SelectFolder, "Select Folder", "Select Root Folder of Your Media Files", "folder-open",
     ":/icons/select-folder.png"},
    {"tb9", Command::Previous, "Previous", "View previous item", "go-previous", ":/icons/previous.png"},
    {"tb10", Command::Next, "Next", "View next item", "go-next", ":/icons/next.png"},
    {"tb2", Command::NextBackground, "Next Background", "Go Next and set it as desktop background",
     "preferences-desktop-wallpaper", ":/icons/next-background.png"},
    {"tb5", Command::SwitchMode, "Mode", "Switch Mode: Switch File List On/Off", "view-list-details",
     ":/icons/mode.png"},
    {"tb6", Command::SlideShow, "Slide show", "Start Slide Show", "media-playback-start", ":/icons/slide-show.png"},
    {"tb7", Command::Preferences, "Preferences", "Open Preferences", "preferences-system", ":/icons/preferences.png"},
    {"tb8", Command::About, "About", "About Orvane", "help-about", ":/icons/about.png"},
};

QGroupBox* MakeGroup(QWidget* parent, const char* name, const char* caption, int height)
{
    auto* group = new QGroupBox(QLatin1String(caption), parent);
    group->setObjectName(QLatin1String(name));
    group->setStyleSheet(QStringLiteral("QGroupBox { font-weight: bold; }"));
    group->resize(249, height);
    return group;
}

// A control at its design place: its own size where width or height is
// not given.
template <typename Control>
Control* Place(Control* control, const char* name, int left, int top, int width = -1, int height = -1)
{
    control->setObjectName(QLatin1String(name));
    control->adjustSize();
    control->setGeometry(left, top, width > 0 ? width : control->width(), height > 0 ? height : control->height());
    return control;
}

QPushButton* MakeButton(QWidget* parent, const char* caption)
{
    return new QPushButton(QLatin1String(caption), parent);
}

} // namespace

void TForm1::CreateControls()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Orvane"));
    // A file or folder dropped on the window is opened (TForm1OpenPath.cpp).
    setAcceptDrops(true);
    setWindowIcon(QIcon(QStringLiteral(":/icons/orvane.png")));
    CreateCommands();
    CreateToolBar();
    CreateMenus();

    body_ = new QWidget(this);
    body_->setObjectName(QStringLiteral("pnBig"));
    body_->setAutoFillBackground(true);
    setCentralWidget(body_);
    splitter_ = new Splitter(body_);
    splitter_->setObjectName(QStringLiteral("Splitter1"));

    CreateLeftColumn();
    CreateFileList();
    CreateViewingArea();
    CreateStatusLine();
    CreateTimers();
    NameControls();
    ConnectControls();

    // The window sees every key before the focused control.
    qApp->installEventFilter(this);
    setToolTipDuration(-1);
}

void TForm1::CreateToolBar()
{
    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("ToolBar1"));
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    toolBar_->setIconSize(QSize(32, 32));
    toolBar_->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, toolBar_);
    for (const ToolButtonRow& row : kToolButtons) {
        auto* button = new QToolButton(toolBar_);
        button->setObjectName(QLatin1String(row.name));
        button->setText(QLatin1String(row.caption));
        button->setToolTip(QLatin1String(row.hint));
        button->setIcon(ThemeIcon(row.theme, row.fallback));
        button->setIconSize(QSize(32, 32));
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, Action(row.command), &QAction::trigger);
        toolBar_->addWidget(button);
        toolButtons_.append(button);
    }
    LayoutToolButtons(false);
}

void TForm1::CreateLeftColumn()
{
    leftColumn_ = new QWidget(body_);
    leftColumn_->setObjectName(QStringLiteral("pnLeft"));
    magnifierPanel_ = new QWidget(leftColumn_);
    magnifierPanel_->setObjectName(QStringLiteral("pnMag"));
    magnifierImage_ = new QLabel(magnifierPanel_);
    magnifierImage_->setObjectName(QStringLiteral("i1"));
    groupPanel_ = new QWidget(leftColumn_);
    groupPanel_->setObjectName(QStringLiteral("Panel1"));
    CreateSearchGroup();
    CreateMailGroup();
    CreateMagnifierGroup();
    CreateBackgroundGroup();
}

void TForm1::CreateSearchGroup()
{
    searchGroup_ = MakeGroup(groupPanel_, "g1", " Search ", 69);
    searchEdit_ = Place(new QLineEdit(searchGroup_), "e1", 8, 28, 193);
    Place(MakeButton(searchGroup_, ">>"), "Button8", 208, 24, 25, 25);
}

void TForm1::CreateMailGroup()
{
    mailGroup_ = MakeGroup(groupPanel_, "g2", " E-Mail pictures ", 96);
    Place(new QLabel(QStringLiteral("To:"), mailGroup_), "l2", 8, 24);
    mailToEdit_ = Place(new QLineEdit(mailGroup_), "e2", 40, 20, 193);
    Place(MakeButton(mailGroup_, "Send current"), "b4", 8, 56, 97, 25);
    Place(MakeButton(mailGroup_, "Send selected"), "b11", 136, 56, 97, 25);
}

void TForm1::CreateMagnifierGroup()
{
    magnifierGroup_ = MakeGroup(groupPanel_, "g3", " Magnifier ", 96);
    Place(new QLabel(QStringLiteral("Zoom level"), magnifierGroup_), "l1", 8, 28);
    zoomSlider_ = new QSlider(Qt::Horizontal, magnifierGroup_);
    zoomSlider_->setRange(1, 10);
    zoomSlider_->setValue(1);
    zoomSlider_->setTickPosition(QSlider::TicksBelow);
    Place(zoomSlider_, "TrackBar1", 72, 24, 153, 33);
    showCursorBox_ = Place(new QCheckBox(QStringLiteral("Show cursor"), magnifierGroup_), "cb1", 8, 64);
}

void TForm1::CreateBackgroundGroup()
{
    backgroundGroup_ = MakeGroup(groupPanel_, "g4", " Desktop background ", 112);
    autoSwitchBox_ = Place(new QCheckBox(QStringLiteral("Autoswitch every"), backgroundGroup_), "cb2", 8, 24);
    intervalBox_ = new QComboBox(backgroundGroup_);
    intervalBox_->addItems({QStringLiteral("10 seconds"), QStringLiteral("1 minute"), QStringLiteral("10 minutes"),
                            QStringLiteral("1 hour")});
    intervalBox_->setCurrentIndex(0);
    Place(intervalBox_, "ComboBox1", 128, 20, 105);
    shuffleBox_ = Place(new QCheckBox(QStringLiteral("Shuffle (Random selection)"), backgroundGroup_), "cb3", 8, 48);
    Place(MakeButton(backgroundGroup_, "Hide Icons"), "tb3", 8, 72, 97, 25);
    Place(MakeButton(backgroundGroup_, "Show Icons"), "tb4", 136, 72, 97, 25);
}

void TForm1::CreateFileList()
{
    fileListColumn_ = new QWidget(body_);
    fileListColumn_->setObjectName(QStringLiteral("pnRight"));
    auto* layout = new QVBoxLayout(fileListColumn_);
    layout->setContentsMargins(0, 0, 0, 0);
    fileTabs_ = new QTabWidget(fileListColumn_);
    fileTabs_->setObjectName(QStringLiteral("PageControl1"));
    fileTabs_->setTabPosition(QTabWidget::South);
    layout->addWidget(fileTabs_);

    auto makeSheet = [this](const char* sheetName, const char* listName, const char* caption,
                            library::MediaListModel& model, QItemSelectionModel& selection) {
        auto* sheet = new QWidget;
        sheet->setObjectName(QLatin1String(sheetName));
        auto* sheetLayout = new QVBoxLayout(sheet);
        sheetLayout->setContentsMargins(0, 0, 0, 0);
        auto* view = new MediaListView(sheet);
        view->setObjectName(QLatin1String(listName));
        view->setModel(&model);
        view->setSelectionModel(&selection);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        sheetLayout->addWidget(view);
        fileTabs_->addTab(sheet, QLatin1String(caption));
        return view;
    };
    photoList_ = makeSheet("TabSheet1", "ListBox1", "Photo", library_->PhotoLines(), library_->PhotoSelection());
    videoList_ = makeSheet("TabSheet2", "ListBox2", "Video", library_->VideoLines(), library_->VideoSelection());
    // An empty page with a hidden tab: current when a stored tab index names
    // neither list, so that no tab is active.
    noTabPage_ = new QWidget;
    noTabPage_->setObjectName(QStringLiteral("TabSheetNone"));
    fileTabs_->addTab(noTabPage_, QString());
    fileTabs_->setTabVisible(2, false);
}

void TForm1::CreateViewingArea()
{
    viewingArea_ = new QWidget(body_);
    viewingArea_->setObjectName(QStringLiteral("pnIm"));
    viewingArea_->setAutoFillBackground(true);
    pictureSurface_ = new PictureSurface(*display_, viewingArea_);
    pictureSurface_->setObjectName(QStringLiteral("im2"));
    playerWidget_ = player_->Widget(viewingArea_);
    playerWidget_->setObjectName(QStringLiteral("WMP"));
    playerWidget_->move(0, 0);
    playerWidget_->hide();

    auto& services = platform::Services::Current();
    trayIcon_ = services.createTrayIcon ? services.createTrayIcon(this) : platform::CreateSystemTrayIcon(this);
    trayIcon_->SetContextMenu(contextMenu_);

    auto makeButton = [this](const char* name, const char* caption, const char* hint) {
        auto* button = new QPushButton(QLatin1String(caption), body_);
        button->setObjectName(QLatin1String(name));
        button->setToolTip(QLatin1String(hint));
        button->setFixedSize(25, 25);
        button->setFocusPolicy(Qt::NoFocus);
        return button;
    };
    previousButton_ = makeButton("b1", "<", "Prev");
    backgroundButton_ = makeButton("b2", "set", "Set This as Desktop Background");
    nextButton_ = makeButton("b3", ">", "Next");
    viewingArea_->raise();
    for (QPushButton* button : {previousButton_, backgroundButton_, nextButton_})
        button->raise();
}

void TForm1::CreateStatusLine()
{
    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar_->setFixedHeight(19);
    statusText_ = new QLabel(statusBar_);
    statusText_->setObjectName(QStringLiteral("StatusText"));
    statusText_->setTextInteractionFlags(Qt::NoTextInteraction);
    // A long status text is cut off at the window's edge; it never widens
    // the window.
    statusText_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusText_->setMinimumWidth(0);
    statusBar_->addWidget(statusText_, 1);
    setStatusBar(statusBar_);
}

void TForm1::CreateTimers()
{
    auto makeTimer = [this](const char* name, int interval) {
        auto* timer = new QTimer(this);
        timer->setObjectName(QLatin1String(name));
        timer->setInterval(interval);
        return timer;
    };
    magnifierTimer_ = makeTimer("Timer1", 50);
    magnifierTimer_->start();
    // Runs for the whole life of the window; its ticks act only while
    // "Autoswitch every" is ticked.
    autoSwitchTimer_ = makeTimer("Timer2", 10000);
    autoSwitchTimer_->start();
    slideShowTimer_ = makeTimer("Timer4", 5000);
}

void TForm1::NameControls()
{
    // Names for assistive tools (screen readers, and the tests that read the
    // window as they do): controls without a caption of their own get the
    // caption of what they stand for.
    const std::pair<QWidget*, const char*> names[] = {
        {searchEdit_, "Search"},      {mailToEdit_, "To:"},   {zoomSlider_, "Zoom level"},
        {photoList_, "Photo"},        {videoList_, "Video"},  {pictureSurface_, "Picture"},
        {viewingArea_, "Viewing area"}, {magnifierImage_, "Magnifier"}, {fileTabs_, "File list"},
        {statusBar_, "Status"},
    };
    for (const auto& [widget, name] : names)
        widget->setAccessibleName(QLatin1String(name));
}

} // namespace orvane::ui
