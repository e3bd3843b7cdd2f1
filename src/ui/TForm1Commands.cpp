// The main window's commands: one QAction each, made once, and where each is
// offered: the tool bar, the main menu, the context menu (also the tray's),
// the buttons of the window, the file list's menu.
#include "ui/TForm1.h"

#include "ui/MediaListView.h"
#include "ui/PictureSurface.h"
#include "ui/Splitter.h"

#include "platform/TrayIcon.h"
#include "platform/MediaPlayer.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QTabWidget>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace orvane::ui {

namespace {

using enum Command;

struct CommandRow {
    Command command;
    const char* caption;
    void (TForm1::*handler)();
};


// A menu's entries; a command of -1 is a separator. An entry with an object
// name of its own is the command under the caption this menu gives it (or
// with a visibility of its own); the others are the command's action itself.
struct MenuRow {
    int command;
    const char* objectName = nullptr;
    const char* caption = nullptr;
};
constexpr int kSeparator = -1;
constexpr int C(Command command) { return static_cast<int>(command); }

// The main menu's entries under their menus' titles.
const std::pair<const char*, MenuRow> kMainMenu[] = {
    {"File", {C(SelectFolder)}},   {"File", {kSeparator}},         {"File", {C(Exit)}},
    {"Navigate", {C(Previous)}},   {"Navigate", {C(Next)}},        {"Navigate", {kSeparator}},
    {"Navigate", {C(NextBackground)}}, {"Navigate", {kSeparator}}, {"Navigate", {C(SlideShow)}},
    {"Options", {C(SwitchMode)}},  {"Options", {C(Preferences)}},
    {"Help", {C(About)}},
};

const MenuRow kContextMenu[] = {
    {C(Restore), "m1", "Restore"},
    {kSeparator},
    {C(Previous)},
    {C(Next)},
    {kSeparator},
    {C(SetBackground)},
    {C(NextBackground), "m2", "Go Next and Set as Desktop Background"},
    {kSeparator},
    {C(ShellOpen)},
    {C(CopyPath)},
    {C(ShowPathAndSize)},
    {kSeparator},
    {C(Exit), "m3", "Exit"},
};

// The buttons of the window that run a command when clicked.
const std::pair<const char*, Command> kButtons[] = {
    {"b1", Previous},       {"b2", SetBackground},   {"b3", Next},       {"Button8", Rescan},
    {"b4", SendCurrent},    {"b11", SendSelected},   {"tb3", HideIcons}, {"tb4", ShowIcons},
};

} // namespace

void TForm1::CreateCommands()
{
    // Command, caption (as the main menu, or the one place offering it,
    // shows it), handler.
    static const CommandRow kCommands[] = {
        {Command::SelectFolder, "Select Folder", &TForm1::selectRootFolder},
        {Command::Exit, "Exit", &TForm1::exitProgram},
        {Command::Previous, "Go Previous", &TForm1::showPrevious},
        {Command::Next, "Go Next", &TForm1::showNext},
        {Command::NextBackground, "Next Background", &TForm1::showNextAsWallpaper},
        {Command::SetBackground, "Set This as Desltop Background", &TForm1::setCurrentAsWallpaper},
        {Command::SwitchMode, "Switch Mode", &TForm1::switchMode},
        {Command::FullScreen, "Full Screen", &TForm1::SwitchFullScreen},
        {Command::SlideShow, "Start Slideshow", &TForm1::SlideShow},
        {Command::Preferences, "Preferences", &TForm1::openPreferences},
        {Command::About, "About", &TForm1::showAbout},
        {Command::ShellOpen, "Shell Open This picture (mouse middle click)", &TForm1::shellOpenCurrent},
        {Command::CopyPath, "Copy full path of this picture to Clipboard", &TForm1::copyPathToClipboard},
        {Command::ShowPathAndSize, "Show full path and dimentions", &TForm1::showPathAndSize},
        {Command::Restore, "Restore", &TForm1::restoreFromMenu},
        {Command::Rescan, ">>", &TForm1::rescanAndSearch},
        {Command::Search, "Search", &TForm1::GoSearch},
        {Command::SendCurrent, "Send current", &TForm1::sendCurrentFile},
        {Command::SendSelected, "Send selected", &TForm1::sendSelectedFiles},
        {Command::HideIcons, "Hide Icons", &TForm1::hideDesktopIcons},
        {Command::ShowIcons, "Show Icons", &TForm1::showDesktopIcons},
        {Command::MoveInFolder, "Move in folder", &TForm1::moveSelectedInFolder},
        {Command::RenameFolder, "Change a folder", &TForm1::renameSelectedFolder},
        {Command::AddToFileName, "Rename file, Add to file name", &TForm1::addToSelectedFileNames},
        {Command::SendToRecycleBin, "Send to recycle bin", &TForm1::recycleSelected},
    };
    for (const CommandRow& row : kCommands) {
        auto* action = new QAction(QLatin1String(row.caption), this);
        connect(action, &QAction::triggered, this, row.handler);
        actions_[C(row.command)] = action;
    }
}

void TForm1::Run(Command command)
{
    Action(command)->trigger();
}

QAction* TForm1::MenuEntry(QMenu* menu, Command command, const char* objectName, const char* caption)
{
    if (!objectName) {
        menu->addAction(Action(command));
        return Action(command);
    }
    auto* entry = menu->addAction(QLatin1String(caption));
    entry->setObjectName(QLatin1String(objectName));
    connect(entry, &QAction::triggered, Action(command), &QAction::trigger);
    return entry;
}

void TForm1::CreateMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* menu = nullptr;
    for (const auto& [title, row] : kMainMenu) {
        if (!menu || menu->title() != QLatin1String(title))
            menu = bar->addMenu(QLatin1String(title));
        if (row.command == kSeparator)
            menu->addSeparator();
        else
            MenuEntry(menu, static_cast<Command>(row.command), row.objectName, row.caption);
    }

    contextMenu_ = new QMenu(this);
    contextMenu_->setObjectName(QStringLiteral("PopupMenu1"));
    contextMenu_->setSeparatorsCollapsible(true); // none drawn at either end
    for (const MenuRow& row : kContextMenu) {
        if (row.command == kSeparator)
            contextMenu_->addSeparator();
        else
            MenuEntry(contextMenu_, static_cast<Command>(row.command), row.objectName, row.caption);
    }
    contextRestore_ = contextMenu_->findChild<QAction*>(QStringLiteral("m1"));
    contextExit_ = contextMenu_->findChild<QAction*>(QStringLiteral("m3"));
    setContextMenuPolicy(Qt::CustomContextMenu);

    fileListMenu_ = new QMenu(this);
    fileListMenu_->setObjectName(QStringLiteral("PopupMenu2"));
    QAction* moveInFolder = Action(MoveInFolder);
    QFont bold = moveInFolder->font();
    bold.setBold(true);
    moveInFolder->setFont(bold); // the default entry
    fileListMenu_->addAction(moveInFolder);
    fileListMenu_->setDefaultAction(moveInFolder);
    fileListMenu_->addAction(Action(RenameFolder));
    fileListMenu_->addAction(Action(AddToFileName));
    QMenu* deleteMenu = fileListMenu_->addMenu(QStringLiteral("Delete"));
    deleteMenu_ = deleteMenu->menuAction();
    deleteMenu->addAction(Action(SendToRecycleBin));
}

void TForm1::ConnectControls()
{
    for (const auto& [name, command] : kButtons) {
        auto* button = findChild<QAbstractButton*>(QLatin1String(name));
        connect(button, &QAbstractButton::clicked, Action(command), &QAction::trigger);
    }
    // The tool bar's buttons are made from their own table, with a command each.
    connect(searchEdit_, &QLineEdit::returnPressed, Action(Search), &QAction::trigger);
    connect(slideShowTimer_, &QTimer::timeout, Action(Next), &QAction::trigger);
    connect(magnifierTimer_, &QTimer::timeout, this, &TForm1::magnifierTick);
    connect(autoSwitchTimer_, &QTimer::timeout, this, &TForm1::autoSwitchTick);
    connect(intervalBox_, &QComboBox::activated, this, &TForm1::switchIntervalChosen);
    // What the next step shows depends on the tab and on shuffle.
    connect(fileTabs_, &QTabWidget::currentChanged, this, &TForm1::ScheduleDecodeAhead);
    connect(shuffleBox_, &QCheckBox::toggled, this, &TForm1::ScheduleDecodeAhead);
    connect(contextMenu_, &QMenu::aboutToShow, this, &TForm1::contextMenuOpening);
    connect(fileListMenu_, &QMenu::aboutToShow, this, &TForm1::fileListMenuOpening);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { contextMenu_->popup(mapToGlobal(at)); });
    connect(trayIcon_, &platform::TrayIcon::Clicked, this, &TForm1::restoreFromTray);
    for (MediaListView* view : {photoList_, videoList_}) {
        connect(view, &MediaListView::LineClicked, this, [this, view] { lineClicked(view); });
        // Without a selected line the menu has no command to offer: an empty
        // menu is not opened (one opened empty was never shown again).
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& at) {
            if (!SelectedLines().isEmpty())
                fileListMenu_->popup(view->viewport()->mapToGlobal(at));
        });
        connect(view, &QAbstractItemView::doubleClicked, Action(MoveInFolder), &QAction::trigger);
    }
    connect(pictureSurface_, &PictureSurface::Clicked, this, [this] { setFocus(Qt::MouseFocusReason); });
    connect(pictureSurface_, &PictureSurface::DoubleClicked, Action(FullScreen), &QAction::trigger);
    connect(pictureSurface_, &PictureSurface::MouseReleased, this, &TForm1::pictureMouseUp);
    connect(player_, &platform::MediaPlayer::DoubleClicked, this,
            [this] { player_->SetFullScreen(!player_->FullScreen()); });
    connect(splitter_, &Splitter::Moved, this, &TForm1::SetLeftWidth);
}

void TForm1::keyPressed(int key)
{
    if (key == Qt::Key_Escape && fullScreen_)
        Run(Command::FullScreen);
    // The arrow keys step only where the file list cannot take them.
    if (!fullScreen_ && !fileTabs_->isHidden())
        return;
    if (key == Qt::Key_Right)
        Run(Command::Next);
    else if (key == Qt::Key_Left)
        Run(Command::Previous);
}

void TForm1::pictureMouseUp(Qt::MouseButton button)
{
    if (button == Qt::MiddleButton)
        Run(Command::ShellOpen);
    else if (button == Qt::RightButton)
        contextMenu_->popup(QCursor::pos());
}

} // namespace orvane::ui
