#include "ui/TForm1.h"

#include "desktop/AutoSwitch.h"
#include "desktop/DesktopIconState.h"
#include "fileops/BrowseFolder.h"
#include "fileops/MainFunctions.h"
#include "platform/MediaPlayer.h"
#include "platform/Services.h"
#include "platform/TrayIcon.h"
#include "ui/MediaListView.h"
#include "ui/PictureSurface.h"
#include "ui/Splitter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

// The pictures of the tool bar live in a resource of this static library.
static void InitResources()
{
    Q_INIT_RESOURCE(orvane);
}

namespace orvane::ui {

namespace {

QIcon ThemeIcon(const char* themeName, const char* fallback)
{
    return QIcon::fromTheme(QLatin1String(themeName), QIcon(QLatin1String(fallback)));
}

} // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent)
{
    InitResources();
    library_ = std::make_unique<library::MediaLibrary>(*this, this);
    if (auto& icons = platform::Services::Current().desktopIcons)
        iconState_ = std::make_unique<desktop::TDesktopIconState>(*icons);
    CreateControls();
    NameControls();
    ConnectHandlers();
}

void TForm1::NameControls()
{
    // Names for assistive tools (screen readers, and the tests that read the
    // window as they do): controls without a caption of their own get the
    // caption of what they stand for.
    const std::pair<QWidget*, const char*> names[] = {
        {e1, "Search"},         {e2, "To:"},          {TrackBar1, "Zoom level"}, {ListBox1, "Photo"},
        {ListBox2, "Video"},    {im2, "Picture"},      {pnIm, "Viewing area"},    {i1, "Magnifier"},
        {PageControl1, "File list"}, {StatusBar1, "Status"},
    };
    for (const auto& [widget, name] : names)
        widget->setAccessibleName(QLatin1String(name));
}

TForm1::~TForm1() = default;

void TForm1::CreateControls()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Orvane"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/orvane.png")));
    CreateToolBar();
    CreateMenus();

    pnBig = new QWidget(this);
    pnBig->setObjectName(QStringLiteral("pnBig"));
    pnBig->setAutoFillBackground(true);
    setCentralWidget(pnBig);
    Splitter1 = new Splitter(pnBig);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));

    CreateLeftColumn();
    CreateFileList();
    CreateViewingArea();
    CreateFileListMenu();

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(19);
    StatusText = new QLabel(StatusBar1);
    StatusText->setObjectName(QStringLiteral("StatusText"));
    StatusText->setTextInteractionFlags(Qt::NoTextInteraction);
    // A long status text is cut off at the window's edge; it never widens
    // the window.
    StatusText->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    StatusText->setMinimumWidth(0);
    StatusBar1->addWidget(StatusText, 1);
    setStatusBar(StatusBar1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(50);
    Timer1->start();
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(10000);
    Timer2->start(); // runs for the whole life of the window; ticks act only while "Autoswitch every" is ticked
    Timer4 = new QTimer(this);
    Timer4->setObjectName(QStringLiteral("Timer4"));
    Timer4->setInterval(5000);

    // The window sees every key before the focused control.
    qApp->installEventFilter(this);
    setToolTipDuration(-1);
}

void TForm1::CreateToolBar()
{
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(32, 32));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, ToolBar1);
    struct Button {
        QToolButton** field;
        const char* name;
        const char* caption;
        const char* hint;
        const char* theme;
        const char* fallback;
    };
    const Button buttons[] = {
        {&tb1, "tb1", "Select Folder", "Select Root Folder of Your Media Files", "folder-open", ":/icons/select-folder.png"},
        {&tb9, "tb9", "Previous", "View previous item", "go-previous", ":/icons/previous.png"},
        {&tb10, "tb10", "Next", "View next item", "go-next", ":/icons/next.png"},
        {&tb2, "tb2", "Next Background", "Go Next and set it as desktop background", "preferences-desktop-wallpaper",
         ":/icons/next-background.png"},
        {&tb5, "tb5", "Mode", "Switch Mode: Switch File List On/Off", "view-list-details", ":/icons/mode.png"},
        {&tb6, "tb6", "Slide show", "Start Slide Show", "media-playback-start", ":/icons/slide-show.png"},
        {&tb7, "tb7", "Preferences", "Open Preferences", "preferences-system", ":/icons/preferences.png"},
        {&tb8, "tb8", "About", "About Orvane", "help-about", ":/icons/about.png"},
    };
    for (const auto& b : buttons) {
        auto* button = new QToolButton(ToolBar1);
        button->setObjectName(QLatin1String(b.name));
        button->setText(QLatin1String(b.caption));
        button->setToolTip(QLatin1String(b.hint));
        button->setIcon(ThemeIcon(b.theme, b.fallback));
        button->setIconSize(QSize(32, 32));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        // 90 by 52 pixels, wider where the desktop's font needs it.
        button->setMinimumSize(90, 52);
        button->setMaximumHeight(52);
        button->setFocusPolicy(Qt::NoFocus);
        ToolBar1->addWidget(button);
        *b.field = button;
    }
}

void TForm1::CreateMenus()
{
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* file = MainMenu1->addMenu(QStringLiteral("File"));
    SelectFolder1 = file->addAction(QStringLiteral("Select Folder"));
    file->addSeparator();
    exit1 = file->addAction(QStringLiteral("Exit"));
    QMenu* navigate = MainMenu1->addMenu(QStringLiteral("Navigate"));
    GoPrevious1 = navigate->addAction(QStringLiteral("Go Previous"));
    GoNext1 = navigate->addAction(QStringLiteral("Go Next"));
    navigate->addSeparator();
    NextBackground1 = navigate->addAction(QStringLiteral("Next Background"));
    navigate->addSeparator();
    StartSlideshow1 = navigate->addAction(QStringLiteral("Start Slideshow"));
    QMenu* options = MainMenu1->addMenu(QStringLiteral("Options"));
    SwitchMode1 = options->addAction(QStringLiteral("Switch Mode"));
    Preferences1 = options->addAction(QStringLiteral("Preferences"));
    QMenu* help = MainMenu1->addMenu(QStringLiteral("Help"));
    About1 = help->addAction(QStringLiteral("About"));
    setMenuBar(MainMenu1);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->setSeparatorsCollapsible(true); // none drawn at either end
    m1 = PopupMenu1->addAction(QStringLiteral("Restore"));
    PopupMenu1->addSeparator();
    Previous1 = PopupMenu1->addAction(QStringLiteral("Go Previous"));
    Next1 = PopupMenu1->addAction(QStringLiteral("Go Next"));
    PopupMenu1->addSeparator();
    SetasDesltopBackground1 = PopupMenu1->addAction(QStringLiteral("Set This as Desltop Background"));
    m2 = PopupMenu1->addAction(QStringLiteral("Go Next and Set as Desktop Background"));
    PopupMenu1->addSeparator();
    ShellOpenThispicture1 = PopupMenu1->addAction(QStringLiteral("Shell Open This picture (mouse middle click)"));
    CopyfullpathtothispicturetoClipboardmouserightclick1 =
        PopupMenu1->addAction(QStringLiteral("Copy full path of this picture to Clipboard"));
    Showfullpathanddimentions1 = PopupMenu1->addAction(QStringLiteral("Show full path and dimentions"));
    PopupMenu1->addSeparator();
    m3 = PopupMenu1->addAction(QStringLiteral("Exit"));
    setContextMenuPolicy(Qt::CustomContextMenu);
}

void TForm1::CreateLeftColumn()
{
    pnLeft = new QWidget(pnBig);
    pnLeft->setObjectName(QStringLiteral("pnLeft"));

    pnMag = new QWidget(pnLeft);
    pnMag->setObjectName(QStringLiteral("pnMag"));
    i1 = new QLabel(pnMag);
    i1->setObjectName(QStringLiteral("i1"));

    Panel1 = new QWidget(pnLeft);
    Panel1->setObjectName(QStringLiteral("Panel1"));

    auto makeGroup = [this](const char* name, const char* caption, int height) {
        auto* group = new QGroupBox(QLatin1String(caption), Panel1);
        group->setObjectName(QLatin1String(name));
        group->setStyleSheet(QStringLiteral("QGroupBox { font-weight: bold; }"));
        group->resize(249, height);
        return group;
    };
    auto place = [](QWidget* w, int left, int top, int width = -1, int height = -1) {
        w->adjustSize();
        w->setGeometry(left, top, width > 0 ? width : w->width(), height > 0 ? height : w->height());
    };

    g1 = makeGroup("g1", " Search ", 69);
    e1 = new QLineEdit(g1);
    e1->setObjectName(QStringLiteral("e1"));
    place(e1, 8, 28, 193);
    Button8 = new QPushButton(QStringLiteral(">>"), g1);
    Button8->setObjectName(QStringLiteral("Button8"));
    place(Button8, 208, 24, 25, 25);

    g2 = makeGroup("g2", " E-Mail pictures ", 96);
    l2 = new QLabel(QStringLiteral("To:"), g2);
    l2->setObjectName(QStringLiteral("l2"));
    place(l2, 8, 24);
    e2 = new QLineEdit(g2);
    e2->setObjectName(QStringLiteral("e2"));
    place(e2, 40, 20, 193);
    b4 = new QPushButton(QStringLiteral("Send current"), g2);
    b4->setObjectName(QStringLiteral("b4"));
    place(b4, 8, 56, 97, 25);
    b11 = new QPushButton(QStringLiteral("Send selected"), g2);
    b11->setObjectName(QStringLiteral("b11"));
    place(b11, 136, 56, 97, 25);

    g3 = makeGroup("g3", " Magnifier ", 96);
    l1 = new QLabel(QStringLiteral("Zoom level"), g3);
    l1->setObjectName(QStringLiteral("l1"));
    place(l1, 8, 28);
    TrackBar1 = new QSlider(Qt::Horizontal, g3);
    TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
    TrackBar1->setRange(1, 10);
    TrackBar1->setValue(1);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    place(TrackBar1, 72, 24, 153, 33);
    cb1 = new QCheckBox(QStringLiteral("Show cursor"), g3);
    cb1->setObjectName(QStringLiteral("cb1"));
    place(cb1, 8, 64);

    g4 = makeGroup("g4", " Desktop background ", 112);
    cb2 = new QCheckBox(QStringLiteral("Autoswitch every"), g4);
    cb2->setObjectName(QStringLiteral("cb2"));
    place(cb2, 8, 24);
    ComboBox1 = new QComboBox(g4);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems({QStringLiteral("10 seconds"), QStringLiteral("1 minute"), QStringLiteral("10 minutes"),
                         QStringLiteral("1 hour")});
    ComboBox1->setCurrentIndex(0);
    place(ComboBox1, 128, 20, 105);
    cb3 = new QCheckBox(QStringLiteral("Shuffle (Random selection)"), g4);
    cb3->setObjectName(QStringLiteral("cb3"));
    place(cb3, 8, 48);
    tb3 = new QPushButton(QStringLiteral("Hide Icons"), g4);
    tb3->setObjectName(QStringLiteral("tb3"));
    place(tb3, 8, 72, 97, 25);
    tb4 = new QPushButton(QStringLiteral("Show Icons"), g4);
    tb4->setObjectName(QStringLiteral("tb4"));
    place(tb4, 136, 72, 97, 25);
}

void TForm1::CreateFileList()
{
    pnRight = new QWidget(pnBig);
    pnRight->setObjectName(QStringLiteral("pnRight"));
    auto* layout = new QVBoxLayout(pnRight);
    layout->setContentsMargins(0, 0, 0, 0);
    PageControl1 = new QTabWidget(pnRight);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setTabPosition(QTabWidget::South);
    layout->addWidget(PageControl1);

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
        PageControl1->addTab(sheet, QLatin1String(caption));
        return std::pair{sheet, view};
    };
    std::tie(TabSheet1, ListBox1) = makeSheet("TabSheet1", "ListBox1", "Photo", library_->ListBox1(), library_->Selection1());
    std::tie(TabSheet2, ListBox2) = makeSheet("TabSheet2", "ListBox2", "Video", library_->ListBox2(), library_->Selection2());
    // An empty page with a hidden tab: current when a stored tab index names
    // neither list, so that no tab is active.
    TabSheetNone = new QWidget;
    TabSheetNone->setObjectName(QStringLiteral("TabSheetNone"));
    PageControl1->addTab(TabSheetNone, QString());
    PageControl1->setTabVisible(2, false);
}

void TForm1::CreateViewingArea()
{
    pnIm = new QWidget(pnBig);
    pnIm->setObjectName(QStringLiteral("pnIm"));
    pnIm->setAutoFillBackground(true);
    im2 = new PictureSurface(pnIm);
    im2->setObjectName(QStringLiteral("im2"));
    auto& services = platform::Services::Current();
    TrayIcon1 = services.createTrayIcon ? services.createTrayIcon(this) : platform::CreateSystemTrayIcon(this);
    TrayIcon1->SetContextMenu(PopupMenu1);
    WMP = services.createMediaPlayer ? services.createMediaPlayer(this) : platform::CreateQtMediaPlayer(this);
    WMPWidget = WMP->Widget(pnIm);
    WMPWidget->setObjectName(QStringLiteral("WMP"));
    WMPWidget->move(0, 0);
    WMPWidget->hide();

    auto makeButton = [this](const char* name, const char* caption, const char* hint) {
        auto* button = new QPushButton(QLatin1String(caption), pnBig);
        button->setObjectName(QLatin1String(name));
        button->setToolTip(QLatin1String(hint));
        button->setFixedSize(25, 25);
        button->setFocusPolicy(Qt::NoFocus);
        return button;
    };
    b1 = makeButton("b1", "<", "Prev");
    b2 = makeButton("b2", "set", "Set This as Desktop Background");
    b3 = makeButton("b3", ">", "Next");
    pnIm->raise();
    b1->raise();
    b2->raise();
    b3->raise();
}

void TForm1::ConnectHandlers()
{
    connect(tb1, &QToolButton::clicked, this, &TForm1::SelectDir);
    connect(SelectFolder1, &QAction::triggered, this, &TForm1::SelectDir);
    connect(exit1, &QAction::triggered, this, &QWidget::close);
    connect(m3, &QAction::triggered, this, &QWidget::close);
    for (QObject* sender : {static_cast<QObject*>(b1), static_cast<QObject*>(tb9)})
        connect(qobject_cast<QAbstractButton*>(sender), &QAbstractButton::clicked, this, [this] { ShortPrev(); });
    for (QObject* sender : {static_cast<QObject*>(b3), static_cast<QObject*>(tb10)})
        connect(qobject_cast<QAbstractButton*>(sender), &QAbstractButton::clicked, this, [this] { ShortNext(); });
    connect(GoPrevious1, &QAction::triggered, this, [this] { ShortPrev(); });
    connect(Previous1, &QAction::triggered, this, [this] { ShortPrev(); });
    connect(GoNext1, &QAction::triggered, this, [this] { ShortNext(); });
    connect(Next1, &QAction::triggered, this, [this] { ShortNext(); });
    connect(tb2, &QToolButton::clicked, this, [this] { Next(true); });
    connect(NextBackground1, &QAction::triggered, this, [this] { Next(true); });
    connect(m2, &QAction::triggered, this, [this] { Next(true); });
    connect(b2, &QPushButton::clicked, this, [this] { SetThis(FileName, true); });
    connect(tb5, &QToolButton::clicked, this, [this] { SwitchListBox(true); });
    connect(SwitchMode1, &QAction::triggered, this, [this] { SwitchListBox(true); });
    connect(tb6, &QToolButton::clicked, this, &TForm1::SlideShow);
    connect(StartSlideshow1, &QAction::triggered, this, &TForm1::SlideShow);
    connect(tb7, &QToolButton::clicked, this, &TForm1::tb7Click);
    connect(Preferences1, &QAction::triggered, this, &TForm1::tb7Click);
    connect(tb8, &QToolButton::clicked, this, &TForm1::tb8Click);
    connect(About1, &QAction::triggered, this, &TForm1::tb8Click);
    connect(ShellOpenThispicture1, &QAction::triggered, this, &TForm1::ShellOpenCurrent);
    connect(CopyfullpathtothispicturetoClipboardmouserightclick1, &QAction::triggered, this,
            &TForm1::CopyfullpathtothispicturetoClipboardmouserightclick1Click);
    connect(Showfullpathanddimentions1, &QAction::triggered, this, &TForm1::Showfullpathanddimentions1Click);
    connect(m1, &QAction::triggered, this, &TForm1::m1Click);
    connect(PopupMenu1, &QMenu::aboutToShow, this, &TForm1::PopupMenu1Popup);
    connect(TrayIcon1, &platform::TrayIcon::Clicked, this, &TForm1::Restore);
    connect(e1, &QLineEdit::returnPressed, this, &TForm1::GoSearch);
    connect(b4, &QPushButton::clicked, this, &TForm1::b4Click);
    connect(b11, &QPushButton::clicked, this, &TForm1::b11Click);
    connect(Button8, &QPushButton::clicked, this, [this] {
        ReadDir();
        if (!e1->text().isEmpty())
            GoSearch();
    });
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);
    connect(ComboBox1, &QComboBox::activated, this, [this](int index) { ComboBox1Change(index); });
    connect(tb3, &QPushButton::clicked, this, [this] {
        if (iconState_)
            iconState_->Hide();
    });
    connect(tb4, &QPushButton::clicked, this, [this] {
        if (iconState_)
            iconState_->Show();
    });
    connect(SetasDesltopBackground1, &QAction::triggered, this, [this] { SetThis(FileName, true); });
    connect(Timer4, &QTimer::timeout, this, [this] { ShortNext(); });
    connect(ListBox1, &MediaListView::LineClicked, this, [this] { ListBox1Click(ListBox1); });
    connect(ListBox2, &MediaListView::LineClicked, this, [this] { ListBox1Click(ListBox2); });
    connect(im2, &PictureSurface::Clicked, this, [this] { setFocus(Qt::MouseFocusReason); });
    connect(im2, &PictureSurface::DoubleClicked, this, &TForm1::SwitchFullScreen);
    connect(im2, &PictureSurface::MouseReleased, this, &TForm1::im2MouseUp);
    connect(WMP, &platform::MediaPlayer::DoubleClicked, this, &TForm1::WMPDoubleClick);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(mapToGlobal(at)); });
    connect(Splitter1, &Splitter::Moved, this, [this](int x) { SetLeftWidth(x); });
    refineTimer_.setSingleShot(true);
    refineTimer_.setInterval(150);
    connect(&refineTimer_, &QTimer::timeout, this, &TForm1::RefinePicture);
}

void TForm1::FormCreate()
{
    // Random choices of shuffle are seeded once per run from the clock.
    library_->Seed(static_cast<unsigned>(QDateTime::currentMSecsSinceEpoch()));
    mess = QStringLiteral("Hello\r\nFound these great photos using Orvane https://orvane.org/\r\nCheck it out!");
    setWindowTitle(QStringLiteral("Orvane"));
    QApplication::setApplicationDisplayName(QString());
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    ResizePanels();
    if (OnGetSettings)
        OnGetSettings(*this);
    if (!Dir.isEmpty())
        ReadDir();
    if (!FileName.isEmpty())
        SetThis(FileName, false);
    if (!e1->text().isEmpty())
        GoSearch();
    windowCreated_ = true;
}

void TForm1::FormDestroy()
{
    // Icons this program hid come back as the user had them; a desktop whose
    // icons the program never touched is left alone.
    if (iconState_)
        iconState_->Restore();
    Timer1->stop();
    if (OnSaveSettings)
        OnSaveSettings(*this);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // Closing ends the program, also from the tray where the window is
    // hidden and its closing would not end the message loop by itself.
    QMainWindow::closeEvent(event);
    TrayIcon1->Hide();
    if (isHidden() || inTray_)
        QCoreApplication::quit();
}

int TForm1::ActivePage() const
{
    return ActiveTab();
}

int TForm1::ActiveTab() const
{
    const int index = PageControl1->currentIndex();
    return index == 0 || index == 1 ? index : -1;
}

void TForm1::SetActiveTab(int index)
{
    PageControl1->setCurrentIndex(index == 0 || index == 1 ? index : 2);
}

bool TForm1::ShuffleOn() const
{
    return cb3->isChecked();
}

void TForm1::ProcessMessages()
{
    QCoreApplication::processEvents();
}

void TForm1::SetTabCaption(int tab, const QString& caption)
{
    PageControl1->setTabText(tab, caption);
}

void TForm1::ChangeStatus(const QString& text)
{
    StatusText->setText(text);
}

void TForm1::ReadDir()
{
    library_->ReadDir();
}

void TForm1::GoSearch()
{
    library_->GoSearch(e1->text(), bCaseSens);
}

void TForm1::StayOnTop()
{
    if (!bNormal)
        ForceOnTop();
}

void TForm1::ForceOnTop()
{
    SetTopmost(true);
}

void TForm1::StayNormal()
{
    SetTopmost(false);
}

void TForm1::SetTopmost(bool topmost)
{
    if (static_cast<bool>(windowFlags() & Qt::WindowStaysOnTopHint) == topmost)
        return;
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, topmost);
    // Setting a widget's flags re-creates its native window (it flickers and
    // the window manager may place it anew). The widget only records them;
    // the native window changes its stacking state in place, neither moved
    // nor resized.
    overrideWindowFlags(flags);
    if (QWindow* native = windowHandle())
        native->setFlags(flags);
}

void TForm1::ApplyColorScheme(int scheme)
{
    QColor window;
    QColor toolBarText;
    switch (scheme) {
    case 0:
        window = QApplication::palette().color(QPalette::Button);
        toolBarText = QApplication::palette().color(QPalette::WindowText);
        break;
    case 1:
        window = QColor(255, 255, 255);
        toolBarText = QColor(0, 0, 0);
        break;
    case 2:
        window = QColor(192, 192, 192);
        toolBarText = QColor(0, 0, 0);
        break;
    default:
        return; // other values leave the colours as they are
    }
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, window);
    setPalette(palette);
    for (QWidget* w : {pnBig, pnLeft, pnMag, Panel1, pnIm, static_cast<QWidget*>(ToolBar1)})
        w->setAutoFillBackground(true);
    if (fullScreen_) {
        QPalette black = pnIm->palette();
        black.setColor(QPalette::Window, Qt::black);
        pnIm->setPalette(black);
    }
    for (QToolButton* b : {tb1, tb9, tb10, tb2, tb5, tb6, tb7, tb8}) {
        QPalette p = b->palette();
        p.setColor(QPalette::ButtonText, toolBarText);
        p.setColor(QPalette::WindowText, toolBarText);
        b->setPalette(p);
    }
}

void TForm1::SelectDir()
{
    QString chosen;
    if (!fileops::BrowseForFolder(QStringLiteral("Select a folder"), Dir, QString(), false, chosen))
        return;
    if (library_->Scanning())
        return; // a scan is filling the lists; a second one would empty them under it
    library_->iFileIndex = -1;
    library_->vFileIndex = -1;
    Dir = chosen;
    ReadDir();
    Next(false);
}

void TForm1::ListBox1Click(MediaListView* view)
{
    library_->ListBoxClick(view == ListBox1 ? library_->ListBox1() : library_->ListBox2());
}

void TForm1::Timer2Timer()
{
    if (desktop::SwitchOnTick(cb2->isChecked()))
        Next(true);
}

void TForm1::ComboBox1Change(int index)
{
    if (const auto period = desktop::IntervalOf(index))
        Timer2->start(*period); // a new period counts from the change
}

void TForm1::ShellOpenCurrent()
{
    fileops::ShellOpen(this, FileName);
}

void TForm1::im2MouseUp(Qt::MouseButton button)
{
    if (button == Qt::MiddleButton)
        ShellOpenCurrent();
    else if (button == Qt::RightButton)
        PopupMenu1->popup(QCursor::pos());
}

void TForm1::WMPDoubleClick()
{
    WMP->SetFullScreen(!WMP->FullScreen());
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Only the first delivery of a key (to the window that has focus)
        // counts; it is not consumed, so the focused control still gets it.
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this && (watched == QApplication::focusWidget() || watched == this)) {
            FormKeyDown(key->key());
        }
    } else if (event->type() == QEvent::Resize && watched == pnBig) {
        LayoutBody();
    } else if (event->type() == QEvent::MouseButtonDblClick) {
        auto* group = qobject_cast<QGroupBox*>(watched);
        if (group == g1)
            GroupDblClick(g1, 69);
        else if (group == g2)
            GroupDblClick(g2, 96);
        else if (group == g3)
            GroupDblClick(g3, 96);
        else if (group == g4)
            GroupDblClick(g4, 112);
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::FormKeyDown(int key)
{
    if (key == Qt::Key_Escape && fullScreen_)
        SwitchFullScreen();
    if (!fullScreen_ && !PageControl1->isHidden())
        return;
    if (key == Qt::Key_Right)
        ShortNext();
    else if (key == Qt::Key_Left)
        ShortPrev();
}

void TForm1::SwitchListBox(bool rememberWidth)
{
    PageControl1->setVisible(PageControl1->isHidden());
    pnRight->setVisible(!PageControl1->isHidden());
    const bool compact = PageControl1->isHidden();
    if (compact) {
        if (rememberWidth) {
            FullWidth = FrameWidth();
            SetFrameWidth(pnLeft->width() + 8);
        }
        StayOnTop();
        MainMenu1->hide();
    } else {
        SetFrameWidth(FullWidth);
        StayNormal();
        MainMenu1->show();
    }
    // Captions only with the list shown; the buttons shrink to their pictures without.
    const Qt::ToolButtonStyle style = compact ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextUnderIcon;
    ToolBar1->setToolButtonStyle(style);
    for (QToolButton* b : {tb1, tb9, tb10, tb2, tb5, tb6, tb7, tb8}) {
        b->setToolButtonStyle(style);
        b->setMinimumSize(compact ? QSize(32 + 8, 32 + 8) : QSize(90, 52));
        b->setMaximumHeight(compact ? 32 + 8 : 52);
    }
}

} // namespace orvane::ui
