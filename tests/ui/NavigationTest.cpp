#include "MainWindowFixture.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QToolButton>

using namespace orvane;
using orvane::test::MainWindowTest;

namespace {

class NavigationTest : public MainWindowTest {
protected:
    // Five pictures directly in the root, in the order the scan found them.
    void FivePictures()
    {
        for (int i = 0; i < 5; ++i)
            AddPicture("p" + std::to_string(i) + ".jpg", 10 + i, 8);
        ChooseRoot();
        lines = Lib().ListBox1().Lines();
        ASSERT_EQ(lines.size(), 5);
    }
    QString Line(int i) const { return Root() + "/" + lines[i]; }
    int Highlighted() { return Lib().Selection1().currentIndex().row(); }
    QStringList lines;
};

} // namespace

TEST_F(NavigationTest, ChoosingARootFillsBothTabsAndShowsTheFirstItem)
{
    AddPicture("a.jpg", 64, 48);
    AddPicture("2005/trip/b.jpg");
    tree.Add("clip.avi");
    tree.Add("notes.txt");
    EXPECT_EQ(form->PageControl1->tabText(0), "Photo");
    EXPECT_EQ(form->PageControl1->tabText(1), "Video");
    ChooseRoot();
    EXPECT_EQ(form->PageControl1->tabText(0), "Photos (2)");
    EXPECT_EQ(form->PageControl1->tabText(1), "Videos (1)");
    EXPECT_EQ(Lib().ListBox2().Lines(), QStringList({"clip.avi"}));
    const QString first = Lib().ListBox1().Line(0);
    EXPECT_EQ(form->FileName, Root() + "/" + first);
    EXPECT_EQ(form->windowTitle(), first + " - Orvane");
    EXPECT_TRUE(Status().startsWith(form->FileName + "  ("));
    EXPECT_EQ(Lib().iFileIndex, 0);
    EXPECT_EQ(fakes->dialogs->folderTitles, QStringList({"Select a folder"}));
}

TEST_F(NavigationTest, CancellingTheFolderDialogChangesNothing)
{
    FivePictures();
    form->ShortNext();
    const QString shown = form->FileName;
    form->SelectDir(); // no answer scripted: Cancel
    EXPECT_EQ(form->FileName, shown);
    EXPECT_EQ(Lib().iFileIndex, 1);
    EXPECT_EQ(form->Dir, Root());
}

TEST_F(NavigationTest, SteppingWrapsAtBothEnds)
{
    FivePictures();
    Lib().SetFileIndex(4, 0);
    form->ShortNext();
    EXPECT_EQ(Lib().iFileIndex, 0);
    EXPECT_EQ(form->FileName, Line(0));
    EXPECT_EQ(Highlighted(), 0);
    form->ShortPrev();
    EXPECT_EQ(Lib().iFileIndex, 4);
    EXPECT_EQ(form->FileName, Line(4));
    EXPECT_EQ(Highlighted(), 4);
}

TEST_F(NavigationTest, FromNoPositionNextGoesToTheFirstAndPreviousToTheLastLine)
{
    FivePictures();
    Lib().iFileIndex = -1;
    form->ShortPrev();
    EXPECT_EQ(form->FileName, Line(4));
    Lib().iFileIndex = -1;
    form->ShortNext();
    EXPECT_EQ(form->FileName, Line(0));
}

TEST_F(NavigationTest, PositionBeyondAShortenedListWrapsToTheFirstOrLastLine)
{
    FivePictures();
    Lib().SetFileIndex(4, 0);
    Lib().ListBox1().SetLines(lines.mid(0, 2)); // a search left two lines
    form->ShortNext();
    EXPECT_EQ(form->FileName, Line(0));
    Lib().iFileIndex = 4;
    form->ShortPrev();
    EXPECT_EQ(form->FileName, Line(1));
}

TEST_F(NavigationTest, ShuffleHistoryStepsBackWithoutMovingTheHighlight)
{
    FivePictures();
    // Ordinary steps fill the history too.
    form->ShortNext(); // line 1 (line 0 was shown by the folder choice)
    form->ShortNext(); // line 2
    form->ShortNext(); // line 3
    form->cb3->setChecked(true);
    const int highlighted = Highlighted();
    form->ShortPrev();
    EXPECT_EQ(form->FileName, Line(2));
    form->ShortPrev();
    EXPECT_EQ(form->FileName, Line(1));
    form->ShortPrev();
    EXPECT_EQ(form->FileName, Line(0));
    EXPECT_EQ(Highlighted(), highlighted);
    EXPECT_EQ(Lib().iFileIndex, 3);
    form->ShortPrev(); // the history holds only the empty start entry now
    form->ShortPrev(); // and now nothing
    EXPECT_TRUE(Lib().ShuffleHistory.isEmpty());
    EXPECT_EQ(form->FileName, Line(0));
}

TEST_F(NavigationTest, ShuffleDrawsLinesOfTheActiveList)
{
    FivePictures();
    form->cb3->setChecked(true);
    for (int i = 0; i < 20; ++i) {
        form->ShortNext();
        EXPECT_TRUE(lines.contains(form->FileName.mid(Root().size() + 1)));
        EXPECT_EQ(Root() + "/" + lines[Lib().iFileIndex], form->FileName);
    }
}

TEST_F(NavigationTest, SteppingInOneTabLeavesTheOtherTabsPosition)
{
    FivePictures();
    tree.Add("v1.avi");
    tree.Add("v2.avi");
    form->ReadDir();
    Lib().SetFileIndex(1, 1);
    form->PageControl1->setCurrentIndex(0);
    form->ShortNext();
    form->ShortNext();
    EXPECT_EQ(Lib().vFileIndex, 1);
    form->PageControl1->setCurrentIndex(1);
    form->ShortNext();
    EXPECT_EQ(Lib().vFileIndex, 0);
    EXPECT_EQ(Player().calls.last(), "play");
}

TEST_F(NavigationTest, SteppingOnAnEmptyListDoesNothing)
{
    ChooseRoot(); // an empty folder
    EXPECT_EQ(form->PageControl1->tabText(0), "Photos (0)");
    form->ShortNext();
    form->ShortPrev();
    EXPECT_TRUE(Lib().ShuffleHistory.isEmpty());
    EXPECT_TRUE(form->FileName.isEmpty());
}

TEST_F(NavigationTest, ClickingALineShowsItAndRecordsThePosition)
{
    FivePictures();
    Lib().Selection1().setCurrentIndex(Lib().ListBox1().index(3), QItemSelectionModel::ClearAndSelect);
    Lib().ListBoxClick(Lib().ListBox1());
    EXPECT_EQ(form->FileName, Line(3));
    EXPECT_EQ(Lib().iFileIndex, 3);
}

TEST_F(NavigationTest, ArrowKeysStepOnlyInCompactMode)
{
    FivePictures();
    const QString shown = form->FileName;
    form->activateWindow();
    form->setFocus();
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &right);
    EXPECT_EQ(form->FileName, shown);
    form->SwitchListBox(true);
    ASSERT_FALSE(form->PageControl1->isVisible());
    QCoreApplication::sendEvent(form.get(), &right);
    EXPECT_EQ(form->FileName, Line(1));
    EXPECT_EQ(Lib().iFileIndex, 1);
    QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &left);
    EXPECT_EQ(form->FileName, Line(0));
}

TEST_F(NavigationTest, ToolBarAndMenuCommandsStep)
{
    FivePictures();
    form->tb10->click();
    EXPECT_EQ(form->FileName, Line(1));
    form->GoNext1->trigger();
    EXPECT_EQ(form->FileName, Line(2));
    form->tb9->click();
    EXPECT_EQ(form->FileName, Line(1));
    form->GoPrevious1->trigger();
    EXPECT_EQ(form->FileName, Line(0));
}

TEST_F(NavigationTest, ASecondScanAskedForDuringAScanIsRefused)
{
    AddPicture("a/1.jpg");
    AddPicture("b/2.jpg");
    form->Dir = Root();
    int refused = 0;
    // Ask for a rescan from inside the running walk's message pump.
    QTimer::singleShot(0, form.get(), [&] { refused += Lib().ReadDir() ? 0 : 1; });
    ASSERT_TRUE(Lib().ReadDir());
    EXPECT_EQ(refused, 1);
    EXPECT_EQ(Lib().PhotoList.size(), 2);
}
