// The next picture decoded ahead while the program is idle: the step to it
// shows it as every step does, without decoding; what changes what comes
// next, the file itself or the viewing area's size drops the work ahead.
#include "MainWindowFixture.h"

#include "viewer/FitGeometry.h"
#include "viewer/ItemDisplay.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>

using namespace orvane;
using orvane::test::MainWindowTest;

namespace {

class DecodeAheadTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
            AddPicture(name, 1600, 1200);
        ChooseRoot(); // shows the first line
    }
    // The full path of a line of the photo list (in the order of the walk).
    QString Line(int line) { return Full(Lib().PhotoLines().Line(line).toStdString()); }
    const viewer::NearbyPictures& Nearby() { return form->Display().Nearby(); }
    // Idle until the picture ahead is decoded; its path.
    QString Idle()
    {
        QElapsedTimer waited;
        waited.start();
        do
            QCoreApplication::processEvents();
        while (!Nearby().AheadDone() && waited.elapsed() < 5000);
        return Nearby().AheadDone() ? Nearby().AheadPath() : QString();
    }
    // Runs a command and says how many progress texts it showed.
    int CountingProgress(ui::Command command)
    {
        int texts = 0;
        const auto counting = QObject::connect(&form->Display(), &viewer::ItemDisplay::Progress, [&] { ++texts; });
        form->Run(command);
        QObject::disconnect(counting);
        return texts;
    }
    int StepCountingProgress() { return CountingProgress(ui::Command::Next); }
};

} // namespace

TEST_F(DecodeAheadTest, TheStepToAPictureDecodedAheadShowsItLikeAnyStepWithoutDecoding)
{
    ASSERT_EQ(form->CurrentFile(), Line(0));
    ASSERT_EQ(Idle(), Line(1));
    EXPECT_EQ(StepCountingProgress(), 0);
    EXPECT_EQ(form->CurrentFile(), Line(1));
    EXPECT_EQ(Status(), Line(1) + "  (1600x1200)");
    EXPECT_EQ(form->windowTitle(), Lib().PhotoLines().Line(1) + " - Orvane");
    EXPECT_EQ(Lib().PhotoSelection().currentIndex().row(), 1);
    // Back: the picture shown before is still at hand.
    EXPECT_EQ(CountingProgress(ui::Command::Previous), 0);
    EXPECT_EQ(form->CurrentFile(), Line(0));
    // And forward again: that is now the one shown before.
    EXPECT_EQ(StepCountingProgress(), 0);
    EXPECT_EQ(form->CurrentFile(), Line(1));
}

TEST_F(DecodeAheadTest, ShuffleStepsToThePickDrawnAhead)
{
    Find<QCheckBox>("cb3")->setChecked(true);
    for (int step = 0; step < 4; ++step) {
        const QString ahead = Idle();
        ASSERT_FALSE(ahead.isEmpty());
        EXPECT_EQ(StepCountingProgress(), 0);
        EXPECT_EQ(form->CurrentFile(), ahead);
    }
}

TEST_F(DecodeAheadTest, ASearchAChangedFileOrANewAreaSizeIsNeverShownFromStaleWork)
{
    ASSERT_EQ(Idle(), Line(1));
    Find<QLineEdit>("e1")->setText("d.jpg");
    form->Run(ui::Command::Search);
    EXPECT_EQ(Idle(), Full("d.jpg"));

    // The file ahead is replaced by another picture: the step shows the new one.
    test::WriteJpeg(tree.Path("d.jpg"), test::RgbImage::Gradient(800, 600));
    form->Run(ui::Command::Next);
    EXPECT_EQ(Status(), Full("d.jpg") + "  (800x600)");

    // Full screen: the picture ahead is decoded again for the larger area.
    Find<QLineEdit>("e1")->setText("");
    form->Run(ui::Command::Search);
    form->Run(ui::Command::FullScreen);
    const QString ahead = Idle();
    ASSERT_FALSE(ahead.isEmpty());
    form->Run(ui::Command::Next);
    const QRect fitted = viewer::FitCentered(QSize(1600, 1200), Find<ui::PictureSurface>("im2")->size());
    EXPECT_GE(Shown()->Width(), fitted.width());
}
