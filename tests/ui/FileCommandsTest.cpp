#include "MainWindowFixture.h"

#include "ui/Dialogs.h"

#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include <filesystem>

using namespace orvane;
using orvane::test::MainWindowTest;

namespace {

class FileCommandsTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        input = std::make_unique<ui::TInputDlg>(form.get());
        input2 = std::make_unique<ui::TInputDlg2>(form.get());
        form->InputDlg = input.get();
        form->InputDlg2 = input2.get();
    }
    void TearDown() override
    {
        input.reset();
        input2.reset();
        MainWindowTest::TearDown();
    }
    void Select(std::initializer_list<int> rows)
    {
        auto& selection = Lib().Selection1();
        selection.clearSelection();
        for (int row : rows)
            selection.select(Lib().ListBox1().index(row), QItemSelectionModel::Select);
    }
    // Answers the next input dialog with text (or Cancel when ok is false).
    void Answer(ui::TInputDlgBase* dialog, const QString& text, bool ok = true)
    {
        QTimer::singleShot(0, dialog, [dialog, text, ok] {
            seenHistory.clear();
            for (int i = 0; i < dialog->ComboBox1->count(); ++i)
                seenHistory << dialog->ComboBox1->itemText(i);
            dialog->ComboBox1->setEditText(text);
            (ok ? dialog->OKBtn : dialog->CancelBtn)->click();
        });
    }
    static inline QStringList seenHistory;
    std::unique_ptr<ui::TInputDlg> input;
    std::unique_ptr<ui::TInputDlg2> input2;
};

} // namespace

TEST_F(FileCommandsTest, TheMenuShowsItsItemsOnlyWithASelection)
{
    AddPicture("a.jpg");
    ChooseRoot();
    Select({});
    form->PopupMenu2Popup();
    EXPECT_FALSE(form->MoveInFolder1->isVisible());
    EXPECT_FALSE(form->Delete1->isVisible());
    Select({0});
    form->PopupMenu2Popup();
    EXPECT_TRUE(form->MoveInFolder1->isVisible());
    EXPECT_TRUE(form->ChangeAFolder1->isVisible());
    EXPECT_TRUE(form->AddToFileName1->isVisible());
    EXPECT_TRUE(form->Delete1->isVisible());
}

TEST_F(FileCommandsTest, MoveInFolderMovesTheSelectedFilesAndRemembersTheName)
{
    AddPicture("a.jpg");
    AddPicture("b.jpg");
    AddPicture("c.jpg");
    ChooseRoot();
    const QStringList before = Lib().ListBox1().Lines();
    Select({0, 2});
    form->popfolders = {"holiday"};
    Answer(input.get(), "best");
    form->MoveInFolder();
    EXPECT_EQ(seenHistory, QStringList({"holiday"}));
    EXPECT_EQ(form->popfolders, QStringList({"holiday", "best"}));
    EXPECT_EQ(Lib().ListBox1().Line(0), "best/" + before[0]);
    EXPECT_EQ(Lib().ListBox1().Line(1), before[1]);
    EXPECT_EQ(Lib().ListBox1().Line(2), "best/" + before[2]);
    EXPECT_TRUE(std::filesystem::exists(tree.Path("best/" + before[0].toStdString())));
    EXPECT_EQ(form->PageControl1->tabText(0), "Photos (3)"); // captions are not updated
}

TEST_F(FileCommandsTest, CancelAndBlankTextsChangeNothing)
{
    AddPicture("a.jpg");
    ChooseRoot();
    Select({0});
    Answer(input.get(), "best", false);
    form->MoveInFolder();
    Answer(input.get(), "   ");
    form->MoveInFolder();
    EXPECT_EQ(Lib().ListBox1().Line(0), "a.jpg");
    EXPECT_TRUE(form->popfolders.isEmpty());
}

TEST_F(FileCommandsTest, AFailedRenameSaysCannotRenameOncePerLine)
{
    AddPicture("a.jpg");
    AddPicture("a sea.jpg");
    ChooseRoot();
    const int row = static_cast<int>(Lib().ListBox1().Lines().indexOf("a.jpg"));
    Select({row});
    Answer(input2.get(), "sea");
    form->AddToFilename();
    EXPECT_EQ(fakes->dialogs->informations, QStringList({"Cannot rename"}));
    EXPECT_EQ(Lib().ListBox1().Line(row), "a.jpg");
    EXPECT_TRUE(std::filesystem::exists(tree.Path("a.jpg")));
}

TEST_F(FileCommandsTest, ChangeAFolderStopsThePlayerEvenWhenCancelled)
{
    tree.Add("v/clip.avi");
    ChooseRoot();
    form->PageControl1->setCurrentIndex(1);
    Player().calls.clear();
    Answer(input.get(), "x", false);
    form->RenameFolder();
    EXPECT_EQ(Player().calls, QStringList({"stop", "close"}));
}

TEST_F(FileCommandsTest, SendToRecycleBinTrashesTheFilesAndRemovesTheirLines)
{
    AddPicture("a.jpg");
    AddPicture("b.jpg");
    ChooseRoot();
    const QString kept = Lib().ListBox1().Line(1);
    const QString gone = Lib().ListBox1().Line(0);
    Select({0});
    form->SendToRecycleBin1->trigger();
    EXPECT_EQ(Lib().ListBox1().Lines(), QStringList({kept}));
    EXPECT_FALSE(std::filesystem::exists(tree.Path(gone.toStdString())));
    const auto trash = std::filesystem::path(std::getenv("HOME")) / ".local/share/Trash/files";
    EXPECT_TRUE(std::filesystem::exists(trash / gone.toStdString()));
}
