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
        lines = Lib().PhotoLines().Lines();
        ASSERT_EQ(lines.size(), 5);
    }
    QString Line(int i) const { return Root() + "/" + lines[i]; }
    int Highlighted() { return Lib().PhotoSelection().currentIndex().row(); }
    QStringList lines;
};

} // namespace

TEST_F(NavigationTest, ChoosingARootFillsBothTabsAndShowsTheFirstItem)
{
    AddPicture("a.jpg", 64, 48);
    AddPicture("2005/trip/b.jpg");
    tree.Add("clip.avi");
    tree.Add("notes.txt");
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->tabText(0), "Photo");
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->tabText(1), "Video");
    ChooseRoot();
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->tabText(0), "Photos (2)");
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->tabText(1), "Videos (1)");
    EXPECT_EQ(Lib().VideoLines().Lines(), QStringList({"clip.avi"}));
    const QString first = Lib().PhotoLines().Line(0);
    EXPECT_EQ(form->CurrentFile(), Root() + "/" + first);
    EXPECT_EQ(form->windowTitle(), first + " - Orvane");
    EXPECT_TRUE(Status().startsWith(form->CurrentFile() + "  ("));
    EXPECT_EQ(Lib().photoIndex, 0);
    EXPECT_EQ(fakes->dialogs->folderTitles, QStringList({"Select a folder"}));
}

TEST_F(NavigationTest, CancellingTheFolderDialogChangesNothing)
{
    FivePictures();
    Lib().ShortNext();
    const QString shown = form->CurrentFile();
    form->Run(ui::Command::SelectFolder); // no answer scripted: Cancel
    EXPECT_EQ(form->CurrentFile(), shown);
    EXPECT_EQ(Lib().photoIndex, 1);
    EXPECT_EQ(form->RootFolder(), Root());
}

TEST_F(NavigationTest, SteppingWrapsAtBothEnds)
{
    FivePictures();
    Lib().SetFileIndex(4, 0);
    Lib().ShortNext();
    EXPECT_EQ(Lib().photoIndex, 0);
    EXPECT_EQ(form->CurrentFile(), Line(0));
    EXPECT_EQ(Highlighted(), 0);
    Lib().ShortPrev();
    EXPECT_EQ(Lib().photoIndex, 4);
    EXPECT_EQ(form->CurrentFile(), Line(4));
    EXPECT_EQ(Highlighted(), 4);
}

TEST_F(NavigationTest, FromNoPositionNextGoesToTheFirstAndPreviousToTheLastLine)
{
    FivePictures();
    Lib().photoIndex = -1;
    Lib().ShortPrev();
    EXPECT_EQ(form->CurrentFile(), Line(4));
    Lib().photoIndex = -1;
    Lib().ShortNext();
    EXPECT_EQ(form->CurrentFile(), Line(0));
}

TEST_F(NavigationTest, PositionBeyondAShortenedListWrapsToTheFirstOrLastLine)
{
    FivePictures();
    Lib().SetFileIndex(4, 0);
    Lib().PhotoLines().SetLines(lines.mid(0, 2)); // a search left two lines
    Lib().ShortNext();
    EXPECT_EQ(form->CurrentFile(), Line(0));
    Lib().photoIndex = 4;
    Lib().ShortPrev();
    EXPECT_EQ(form->CurrentFile(), Line(1));
}

TEST_F(NavigationTest, ShuffleHistoryStepsBackWithoutMovingTheHighlight)
{
    FivePictures();
    // Ordinary steps fill the history too.
    Lib().ShortNext(); // line 1 (line 0 was shown by the folder choice)
    Lib().ShortNext(); // line 2
    Lib().ShortNext(); // line 3
    Find<QCheckBox>("cb3")->setChecked(true);
    const int highlighted = Highlighted();
    Lib().ShortPrev();
    EXPECT_EQ(form->CurrentFile(), Line(2));
    Lib().ShortPrev();
    EXPECT_EQ(form->CurrentFile(), Line(1));
    Lib().ShortPrev();
    EXPECT_EQ(form->CurrentFile(), Line(0));
    EXPECT_EQ(Highlighted(), highlighted);
    EXPECT_EQ(Lib().photoIndex, 3);
    Lib().ShortPrev(); // the history holds only the empty start entry now
    Lib().ShortPrev(); // and now nothing
    EXPECT_TRUE(Lib().shuffleHistory.isEmpty());
    EXPECT_EQ(form->CurrentFile(), Line(0));
}

TEST_F(NavigationTest, ShuffleDrawsLinesOfTheActiveList)
{
    FivePictures();
    Find<QCheckBox>("cb3")->setChecked(true);
    for (int i = 0; i < 20; ++i) {
        Lib().ShortNext();
        EXPECT_TRUE(lines.contains(form->CurrentFile().mid(Root().size() + 1)));
        EXPECT_EQ(Root() + "/" + lines[Lib().photoIndex], form->CurrentFile());
    }
}

TEST_F(NavigationTest, SteppingInOneTabLeavesTheOtherTabsPosition)
{
    FivePictures();
    tree.Add("v1.avi");
    tree.Add("v2.avi");
    form->ReadDir();
    Lib().SetFileIndex(1, 1);
    Find<QTabWidget>("PageControl1")->setCurrentIndex(0);
    Lib().ShortNext();
    Lib().ShortNext();
    EXPECT_EQ(Lib().videoIndex, 1);
    Find<QTabWidget>("PageControl1")->setCurrentIndex(1);
    Lib().ShortNext();
    EXPECT_EQ(Lib().videoIndex, 0);
    EXPECT_EQ(Player().calls.last(), "play");
}

TEST_F(NavigationTest, SteppingOnAnEmptyListDoesNothing)
{
    ChooseRoot(); // an empty folder
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->tabText(0), "Photos (0)");
    Lib().ShortNext();
    Lib().ShortPrev();
    EXPECT_TRUE(Lib().shuffleHistory.isEmpty());
    EXPECT_TRUE(form->CurrentFile().isEmpty());
}

TEST_F(NavigationTest, ClickingALineShowsItAndRecordsThePosition)
{
    FivePictures();
    Lib().PhotoSelection().setCurrentIndex(Lib().PhotoLines().index(3), QItemSelectionModel::ClearAndSelect);
    Lib().ListBoxClick(Lib().PhotoLines());
    EXPECT_EQ(form->CurrentFile(), Line(3));
    EXPECT_EQ(Lib().photoIndex, 3);
}

TEST_F(NavigationTest, ArrowKeysStepOnlyInCompactMode)
{
    FivePictures();
    const QString shown = form->CurrentFile();
    form->activateWindow();
    form->setFocus();
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &right);
    EXPECT_EQ(form->CurrentFile(), shown);
    form->SwitchListBox(true);
    ASSERT_FALSE(Find<QTabWidget>("PageControl1")->isVisible());
    QCoreApplication::sendEvent(form.get(), &right);
    EXPECT_EQ(form->CurrentFile(), Line(1));
    EXPECT_EQ(Lib().photoIndex, 1);
    QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &left);
    EXPECT_EQ(form->CurrentFile(), Line(0));
}

TEST_F(NavigationTest, ToolBarAndMenuCommandsStep)
{
    FivePictures();
    Find<QToolButton>("tb10")->click();
    EXPECT_EQ(form->CurrentFile(), Line(1));
    form->Action(ui::Command::Next)->trigger();
    EXPECT_EQ(form->CurrentFile(), Line(2));
    Find<QToolButton>("tb9")->click();
    EXPECT_EQ(form->CurrentFile(), Line(1));
    form->Action(ui::Command::Previous)->trigger();
    EXPECT_EQ(form->CurrentFile(), Line(0));
}

TEST_F(NavigationTest, ASecondScanAskedForDuringAScanIsRefused)
{
    AddPicture("a/1.jpg");
    AddPicture("b/2.jpg");
    Change([&](ui::Settings& s) { s.rootFolder = Root(); });
    int refused = 0;
    // Ask for a rescan from inside the running walk's message pump.
    QTimer::singleShot(0, form.get(), [&] { refused += Lib().ReadDir() ? 0 : 1; });
    ASSERT_TRUE(Lib().ReadDir());
    EXPECT_EQ(refused, 1);
    EXPECT_EQ(Lib().scannedPhotos.size(), 2);
}
