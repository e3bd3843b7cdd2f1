// The file list's pop-up menu: moving, renaming and recycling the selected
// files of the active tab.
#include "ui/TForm1.h"

#include "fileops/FileCommands.h"
#include "fileops/FileFunctions.h"
#include "platform/MediaPlayer.h"
#include "platform/Services.h"
#include "ui/InputDialogs.h"

#include <QAction>

#include <algorithm>

namespace orvane::ui {

QList<int> TForm1::SelectedLines()
{
    library::MediaListModel& list = library_->ActiveLines();
    QList<int> rows;
    for (const QModelIndex& index : library_->SelectionOf(list).selectedIndexes())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TForm1::fileListMenuOpening()
{
    const bool any = !SelectedLines().isEmpty();
    for (Command command : {Command::MoveInFolder, Command::RenameFolder, Command::AddToFileName})
        Action(command)->setVisible(any);
    deleteMenu_->setVisible(any);
}

bool TForm1::AskName(TInputDlgBase* dialog, QString& text)
{
    if (!dialog || !dialog->Ask(nameHistory_, text) || !fileops::UsableText(text))
        return false;
    fileops::AddToHistory(nameHistory_, text);
    return true;
}

void TForm1::RunOnSelected(int command, const QString& text)
{
    library::MediaListModel& list = library_->ActiveLines();
    QStringList lines = list.Lines();
    const QList<int> selected = SelectedLines();
    const auto failed = [] {
        if (auto& dialogs = platform::Services::Current().dialogs)
            dialogs->ShowInformation(QStringLiteral("Cannot rename"));
    };
    // A long copy to another file system shows its progress and keeps the
    // window answering.
    const auto status = [this](const QString& progress) {
        ChangeStatus(progress);
        ProcessMessages();
    };
    fileops::RunFileCommand(static_cast<fileops::FileCommand>(command), rootFolder_, lines, selected, text, failed,
                            status);
    for (const int row : selected)
        list.SetLine(row, lines.at(row));
}

void TForm1::moveSelectedInFolder()
{
    QString text;
    if (AskName(dialogs_.folderName, text))
        RunOnSelected(static_cast<int>(fileops::FileCommand::MoveInFolder), text);
}

void TForm1::renameSelectedFolder()
{
    // A video from one of the files must not stay open in the player.
    player_->Stop();
    player_->Close();
    QString text;
    if (AskName(dialogs_.folderName, text))
        RunOnSelected(static_cast<int>(fileops::FileCommand::RenameFolder), text);
}

void TForm1::addToSelectedFileNames()
{
    QString text;
    if (AskName(dialogs_.fileNamePart, text))
        RunOnSelected(static_cast<int>(fileops::FileCommand::AddToFilename), text);
}

void TForm1::recycleSelected()
{
    library::MediaListModel& list = library_->ActiveLines();
    const QList<int> selected = SelectedLines();
    for (const int row : selected)
        fileops::SendToRecycleBin(rootFolder_ + QLatin1Char('/') + list.Line(row));
    for (auto it = selected.rbegin(); it != selected.rend(); ++it)
        list.RemoveLine(*it);
}

} // namespace orvane::ui
