// The file list's pop-up menu: moving, renaming and recycling the selected
// files of the active tab.
#include "ui/TForm1.h"

#include "fileops/FileCommands.h"
#include "fileops/FileFunctions.h"
#include "platform/MediaPlayer.h"
#include "platform/Services.h"
#include "ui/Dialogs.h"
#include "ui/MediaListView.h"

#include <QAction>
#include <QMenu>

#include <algorithm>

namespace orvane::ui {

void TForm1::CreateFileListMenu()
{
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    MoveInFolder1 = PopupMenu2->addAction(QStringLiteral("Move in folder"));
    QFont bold = MoveInFolder1->font();
    bold.setBold(true);
    MoveInFolder1->setFont(bold); // the default item
    PopupMenu2->setDefaultAction(MoveInFolder1);
    ChangeAFolder1 = PopupMenu2->addAction(QStringLiteral("Change a folder"));
    AddToFileName1 = PopupMenu2->addAction(QStringLiteral("Rename file, Add to file name"));
    QMenu* deleteMenu = PopupMenu2->addMenu(QStringLiteral("Delete"));
    Delete1 = deleteMenu->menuAction();
    SendToRecycleBin1 = deleteMenu->addAction(QStringLiteral("Send to recycle bin"));
    connect(PopupMenu2, &QMenu::aboutToShow, this, &TForm1::PopupMenu2Popup);
    connect(MoveInFolder1, &QAction::triggered, this, &TForm1::MoveInFolder);
    connect(ChangeAFolder1, &QAction::triggered, this, &TForm1::RenameFolder);
    connect(AddToFileName1, &QAction::triggered, this, &TForm1::AddToFilename);
    connect(SendToRecycleBin1, &QAction::triggered, this, &TForm1::DeleteSelected);
    for (MediaListView* view : {ListBox1, ListBox2}) {
        connect(view, &QWidget::customContextMenuRequested, this,
                [this, view](const QPoint& at) { PopupMenu2->popup(view->viewport()->mapToGlobal(at)); });
        connect(view, &QAbstractItemView::doubleClicked, this, [this] { MoveInFolder(); });
    }
}

QList<int> TForm1::SelectedLines()
{
    library::MediaListModel& list = lb();
    QList<int> rows;
    for (const QModelIndex& index : library_->SelectionOf(list).selectedIndexes())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TForm1::PopupMenu2Popup()
{
    const bool any = !SelectedLines().isEmpty();
    for (QAction* item : {MoveInFolder1, ChangeAFolder1, AddToFileName1, Delete1})
        item->setVisible(any);
}

bool TForm1::AskName(TInputDlgBase* dialog, QString& text)
{
    if (!dialog)
        return false;
    dialog->ComboBox1->clear();
    dialog->ComboBox1->addItems(popfolders);
    dialog->ComboBox1->setCurrentIndex(-1);
    dialog->ComboBox1->setEditText(QString());
    if (dialog->exec() != QDialog::Accepted)
        return false;
    text = dialog->ComboBox1->currentText();
    if (!fileops::UsableText(text))
        return false;
    fileops::AddToHistory(popfolders, text);
    return true;
}

void TForm1::RunOnSelected(int command, const QString& text)
{
    library::MediaListModel& list = lb();
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
    fileops::RunFileCommand(static_cast<fileops::FileCommand>(command), Dir, lines, selected, text, failed, status);
    for (const int row : selected)
        list.SetLine(row, lines.at(row));
}

void TForm1::MoveInFolder()
{
    QString text;
    if (AskName(InputDlg, text))
        RunOnSelected(static_cast<int>(fileops::FileCommand::MoveInFolder), text);
}

void TForm1::RenameFolder()
{
    // A video from one of the files must not stay open in the player.
    WMP->Stop();
    WMP->Close();
    QString text;
    if (AskName(InputDlg, text))
        RunOnSelected(static_cast<int>(fileops::FileCommand::RenameFolder), text);
}

void TForm1::AddToFilename()
{
    QString text;
    if (AskName(InputDlg2, text))
        RunOnSelected(static_cast<int>(fileops::FileCommand::AddToFilename), text);
}

void TForm1::DeleteSelected()
{
    library::MediaListModel& list = lb();
    const QList<int> selected = SelectedLines();
    for (const int row : selected)
        fileops::SendToRecycleBin(Dir + QLatin1Char('/') + list.Line(row));
    for (auto it = selected.rbegin(); it != selected.rend(); ++it)
        list.RemoveLine(*it);
}

} // namespace orvane::ui
