#pragma once
// The commands of the main window. Each is one QAction, made once and shared
// by the tool bar, the menus, the context menu, the buttons and the keys; the
// table that makes them and says where each is offered is in
// TForm1Commands.cpp.

namespace orvane::ui {

enum class Command {
    SelectFolder,
    Exit,
    Previous,
    Next,
    NextBackground,   // the next item, as desktop background
    SetBackground,    // the current file as desktop background
    SwitchMode,       // the file list on or off
    FullScreen,
    SlideShow,
    Preferences,
    About,
    ShellOpen,
    CopyPath,
    ShowPathAndSize,
    Restore,          // back from the tray
    Rescan,           // scan again and search again
    Search,
    SendCurrent,
    SendSelected,
    HideIcons,
    ShowIcons,
    MoveInFolder,
    RenameFolder,
    AddToFileName,
    SendToRecycleBin,
};

inline constexpr int kCommandCount = static_cast<int>(Command::SendToRecycleBin) + 1;

} // namespace orvane::ui
