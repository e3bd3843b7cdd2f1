#include "MainWindowFixture.h"

#include "ui/InputDialogs.h"

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
        form->SetDialogs({nullptr, nullptr, input.get(), input2.get()});
    }
    void TearDown() override
    {
        input.reset();
        input2.reset();
        MainWindowTest::TearDown();
    }
    void Select(std::initializer_list<int> rows)
    {
        auto& selection = Lib().PhotoSelection();
        selection.clearSelection();
        for (int row : rows)
            selection.select(Lib().PhotoLines().index(row), QItemSelectionModel::Select);
    }
    // Answers the next input dialog with text (or Cancel when ok is false).
    void Answer(ui::TInputDlgBase* dialog, const QString& text, bool ok = true)
    {
        QTimer::singleShot(0, dialog, [dialog, text, ok] {
            seenHistory.clear();
            auto* names = dialog->findChild<QComboBox*>("ComboBox1");
            for (int i = 0; i < names->count(); ++i)
                seenHistory << names->itemText(i);
            names->setEditText(text);
            dialog->findChild<QPushButton*>(ok ? "OKBtn" : "CancelBtn")->click();
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
    emit Find<QMenu>("PopupMenu2")->aboutToShow();
    EXPECT_FALSE(form->Action(ui::Command::MoveInFolder)->isVisible());
    EXPECT_FALSE(DeleteMenu()->isVisible());
    Select({0});
    emit Find<QMenu>("PopupMenu2")->aboutToShow();
    EXPECT_TRUE(form->Action(ui::Command::MoveInFolder)->isVisible());
    EXPECT_TRUE(form->Action(ui::Command::RenameFolder)->isVisible());
    EXPECT_TRUE(form->Action(ui::Command::AddToFileName)->isVisible());
    EXPECT_TRUE(DeleteMenu()->isVisible());
}

TEST_F(FileCommandsTest, MoveInFolderMovesTheSelectedFilesAndRemembersTheName)
{
    AddPicture("a.jpg");
    AddPicture("b.jpg");
    AddPicture("c.jpg");
    ChooseRoot();
    const QStringList before = Lib().PhotoLines().Lines();
    Select({0, 2});
    Change([&](ui::Settings& s) { s.nameHistory = {"holiday"}; });
    Answer(input.get(), "best");
    form->Run(ui::Command::MoveInFolder);
    EXPECT_EQ(seenHistory, QStringList({"holiday"}));
    EXPECT_EQ(form->CurrentSettings().nameHistory, QStringList({"holiday", "best"}));
    EXPECT_EQ(Lib().PhotoLines().Line(0), "best/" + before[0]);
    EXPECT_EQ(Lib().PhotoLines().Line(1), before[1]);
    EXPECT_EQ(Lib().PhotoLines().Line(2), "best/" + before[2]);
    EXPECT_TRUE(std::filesystem::exists(tree.Path("best/" + before[0].toStdString())));
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->tabText(0), "Photos (3)"); // captions are not updated
}

TEST_F(FileCommandsTest, CancelAndBlankTextsChangeNothing)
{
    AddPicture("a.jpg");
    ChooseRoot();
    Select({0});
    Answer(input.get(), "best", false);
    form->Run(ui::Command::MoveInFolder);
    Answer(input.get(), "   ");
    form->Run(ui::Command::MoveInFolder);
    EXPECT_EQ(Lib().PhotoLines().Line(0), "a.jpg");
    EXPECT_TRUE(form->CurrentSettings().nameHistory.isEmpty());
}

TEST_F(FileCommandsTest, AFailedRenameSaysCannotRenameOncePerLine)
{
    AddPicture("a.jpg");
    AddPicture("a sea.jpg");
    ChooseRoot();
    const int row = static_cast<int>(Lib().PhotoLines().Lines().indexOf("a.jpg"));
    Select({row});
    Answer(input2.get(), "sea");
    form->Run(ui::Command::AddToFileName);
    EXPECT_EQ(fakes->dialogs->informations, QStringList({"Cannot rename"}));
    EXPECT_EQ(Lib().PhotoLines().Line(row), "a.jpg");
    EXPECT_TRUE(std::filesystem::exists(tree.Path("a.jpg")));
}

TEST_F(FileCommandsTest, ChangeAFolderStopsThePlayerEvenWhenCancelled)
{
    tree.Add("v/clip.avi");
    ChooseRoot();
    Find<QTabWidget>("PageControl1")->setCurrentIndex(1);
    Player().calls.clear();
    Answer(input.get(), "x", false);
    form->Run(ui::Command::RenameFolder);
    EXPECT_EQ(Player().calls, QStringList({"stop", "close"}));
}

TEST_F(FileCommandsTest, SendToRecycleBinTrashesTheFilesAndRemovesTheirLines)
{
    AddPicture("a.jpg");
    AddPicture("b.jpg");
    ChooseRoot();
    const QString kept = Lib().PhotoLines().Line(1);
    const QString gone = Lib().PhotoLines().Line(0);
    Select({0});
    form->Action(ui::Command::SendToRecycleBin)->trigger();
    EXPECT_EQ(Lib().PhotoLines().Lines(), QStringList({kept}));
    EXPECT_FALSE(std::filesystem::exists(tree.Path(gone.toStdString())));
    const auto trash = std::filesystem::path(std::getenv("HOME")) / ".local/share/Trash/files";
    EXPECT_TRUE(std::filesystem::exists(trash / gone.toStdString()));
}
