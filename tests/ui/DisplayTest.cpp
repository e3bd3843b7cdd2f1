#include "MainWindowFixture.h"

#include "platform/Application.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QElapsedTimer>
#include <QToolButton>

#include "viewer/FitGeometry.h"

using namespace orvane;
using orvane::test::MainWindowTest;

namespace {

class DisplayTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        Change([&](ui::Settings& s) { s.rootFolder = Root(); });
    }
    bool Show(const std::string& relative) { return form->SetThis(Full(relative), false); }
    QWidget* PlayerWidget() { return Find<QWidget>("WMP"); }
};

} // namespace

TEST_F(DisplayTest, APictureShowsWithItsSizeAndBecomesTheCurrentFile)
{
    AddPicture("2005/a.jpg", 640, 480);
    ASSERT_TRUE(Show("2005/a.jpg"));
    EXPECT_EQ(Status(), Full("2005/a.jpg") + "  (640x480)");
    EXPECT_EQ(form->windowTitle(), "2005/a.jpg - Orvane");
    EXPECT_EQ(Find<ui::PictureSurface>("im2")->toolTip(), "2005/a.jpg - Orvane");
    EXPECT_EQ(form->CurrentFile(), Full("2005/a.jpg"));
    ASSERT_TRUE(Shown());
    // Decoded at half size, which still covers the 257 x 205 viewing area.
    EXPECT_EQ(Shown()->Width(), 320);
    EXPECT_EQ(Shown()->SourceWidth(), 640);
    // On screen: red grows from the left edge to the right one.
    const QImage painted = Find<ui::PictureSurface>("im2")->grab().toImage();
    const int middle = painted.height() / 2;
    EXPECT_LT(qRed(painted.pixel(6, middle)), 40);
    EXPECT_GT(qRed(painted.pixel(painted.width() - 6, middle)), 215);
    EXPECT_EQ(Player().calls.mid(0, 2), QStringList({"stop", "close"}));
    EXPECT_FALSE(PlayerWidget()->isVisible());
}

TEST_F(DisplayTest, AMissingFileStopsThePlayerAndChangesNothingElse)
{
    AddPicture("a.jpg");
    tree.Add("clip.avi");
    ASSERT_TRUE(Show("a.jpg"));
    ASSERT_TRUE(Show("clip.avi"));
    const QString title = form->windowTitle();
    const QString status = Status();
    const auto picture = Shown();
    Player().calls.clear();
    EXPECT_FALSE(Show("gone.jpg"));
    EXPECT_EQ(Player().calls, QStringList({"stop", "close"}));
    EXPECT_EQ(form->windowTitle(), title);
    EXPECT_EQ(Status(), status);
    EXPECT_EQ(form->CurrentFile(), Full("clip.avi"));
    EXPECT_EQ(Shown(), picture);
}

TEST_F(DisplayTest, AVideoPlaysOverThePictureWhichStaysUnderneath)
{
    AddPicture("a.jpg");
    tree.Add("Clip.AVI");
    ASSERT_TRUE(Show("a.jpg"));
    const auto picture = Shown();
    Player().calls.clear();
    ASSERT_TRUE(Show("Clip.AVI"));
    EXPECT_EQ(Player().calls, QStringList({"stop", "close", "url " + Full("Clip.AVI"), "play"}));
    EXPECT_TRUE(PlayerWidget()->isVisible());
    EXPECT_EQ(Shown(), picture);
    EXPECT_EQ(Status(), Full("Clip.AVI"));
    EXPECT_EQ(form->windowTitle(), "Clip.AVI - Orvane");
    // A picture after the video hides the player.
    ASSERT_TRUE(Show("a.jpg"));
    EXPECT_FALSE(PlayerWidget()->isVisible());
}

TEST_F(DisplayTest, AFileOnBothListsIsPlayedAsAVideo)
{
    tree.Add("both.avi");
    form->Library().photoTypes.Add("avi");
    ASSERT_TRUE(Show("both.avi"));
    EXPECT_TRUE(PlayerWidget()->isVisible());
}

TEST_F(DisplayTest, PlayerFailuresAreSwallowedAndTheStepCompletes)
{
    tree.Add("broken.avi");
    Player().failOnPlay = true;
    ASSERT_TRUE(Show("broken.avi"));
    EXPECT_EQ(form->CurrentFile(), Full("broken.avi"));
    EXPECT_EQ(form->windowTitle(), "broken.avi - Orvane");
    EXPECT_TRUE(fakes->dialogs->errors.isEmpty());
}

TEST_F(DisplayTest, ADamagedPictureRaisesItsErrorAndKeepsThePreviousOneOnScreen)
{
    AddPicture("good.jpg", 20, 10);
    tree.Add("bad.jpg", "this is not a picture");
    ASSERT_TRUE(Show("good.jpg"));
    const auto picture = Shown();
    const QString status = Status();
    EXPECT_THROW(Show("bad.jpg"), std::exception);
    EXPECT_EQ(Shown(), picture);
    EXPECT_EQ(form->CurrentFile(), Full("good.jpg"));
    EXPECT_EQ(form->windowTitle(), "good.jpg - Orvane");
}

TEST_F(DisplayTest, ErrorsOfClickedCommandsReachTheGeneralErrorBoxAndTheProgramGoesOn)
{
    // Extension on the photo list but served by no picture class.
    tree.Add("odd.xyz", "data");
    form->Library().photoTypes.Add("xyz");
    fakes->dialogs->folderAnswers.push_back(Root());
    // Through the event system, as a user's click arrives.
    const QPoint centre(Find<QToolButton>("tb1")->width() / 2, Find<QToolButton>("tb1")->height() / 2);
    QMouseEvent press(QEvent::MouseButtonPress, centre, Find<QToolButton>("tb1")->mapToGlobal(centre), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, Find<QToolButton>("tb1")->mapToGlobal(centre), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Find<QToolButton>("tb1"), &press);
    QCoreApplication::sendEvent(Find<QToolButton>("tb1"), &release);
    ASSERT_EQ(fakes->dialogs->errors, QStringList({"Unknown picture file extension (.xyz)"}));
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->tabText(0), "Photos (1)");
    EXPECT_TRUE(form->CurrentFile().isEmpty());
}

TEST_F(DisplayTest, ProgressTextsReachTheStatusLineWhileDecoding)
{
    AddPicture("a.jpg", 64, 256);
    emit form->Display().Progress(viewer::ProgressText(0, 0, false, "Preparing..."));
    EXPECT_EQ(Status(), "Starting percent done: 0 Preparing...");
    emit form->Display().Progress(viewer::ProgressText(1, 50, true, ""));
    EXPECT_EQ(Status(), "Running percent done: 50 (Redrawing) ");
    ASSERT_TRUE(Show("a.jpg"));
    EXPECT_EQ(Status(), Full("a.jpg") + "  (64x256)");
}

TEST_F(DisplayTest, MiddleButtonOpensTheCurrentFileInItsProgram)
{
    AddPicture("a.jpg");
    ASSERT_TRUE(Show("a.jpg"));
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::MiddleButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(Find<ui::PictureSurface>("im2"), &release);
    EXPECT_EQ(fakes->shell->opened, QStringList({Full("a.jpg")}));
}

TEST_F(DisplayTest, DoubleClickOnThePlayerTogglesOnlyThePlayersFullScreen)
{
    tree.Add("clip.avi");
    ASSERT_TRUE(Show("clip.avi"));
    emit Player().DoubleClicked();
    EXPECT_TRUE(Player().fullScreen);
    EXPECT_FALSE(form->FullScreenMode());
    emit Player().DoubleClicked();
    EXPECT_FALSE(Player().fullScreen);
}

TEST_F(DisplayTest, LayoutGivesAFiveByFourViewingAreaWithTheButtonsUnderIt)
{
    form->SetLeftWidth(300);
    EXPECT_EQ(Find<QWidget>("pnIm")->geometry(), QRect(0, 0, 300, 240));
    EXPECT_EQ(Find<QWidget>("pnMag")->height(), 270);
    EXPECT_EQ(Find<QPushButton>("b1")->pos(), QPoint(0, 240));
    EXPECT_EQ(Find<QPushButton>("b2")->pos(), QPoint(137, 240));
    EXPECT_EQ(Find<QPushButton>("b3")->pos(), QPoint(275, 240));
    form->SetLeftWidth(50); // never narrower than 100
    EXPECT_EQ(Find<QWidget>("pnIm")->width(), 100);
}

TEST_F(DisplayTest, AVideoShownBeforeTheWindowAppearsStaysVisibleThroughLayout)
{
    // As at start-up: the stored current file is shown while the window is
    // created, before it is on screen.
    tree.Add("clip.avi");
    form.reset();
    form = std::make_unique<ui::TForm1>();
    Change([&](ui::Settings& s) { s.rootFolder = Root(); });
    Change([&](ui::Settings& s) { s.currentFile = Full("clip.avi"); });
    form->FormCreate();
    form->show();
    form->resize(900, 700);
    form->SetLeftWidth(320);
    EXPECT_TRUE(Find<QWidget>("WMP")->isVisible());
    EXPECT_EQ(Find<QWidget>("WMP")->size(), QSize(320, 255));
}

TEST_F(DisplayTest, AJpegDecodesAtTheSizeItIsSeenAndAgainWhenTheAreaGrows)
{
    AddPicture("big.jpg", 1600, 1200);
    ASSERT_TRUE(Show("big.jpg"));
    EXPECT_EQ(Status(), Full("big.jpg") + "  (1600x1200)");
    EXPECT_EQ(Shown()->Width(), 400); // a quarter covers 257 x 205
    EXPECT_EQ(Shown()->Height(), 300);
    const QString status = Status();
    form->Run(ui::Command::FullScreen);
    const QSize screen = Find<ui::PictureSurface>("im2")->size();
    QElapsedTimer waited;
    waited.start();
    while (Shown()->Width() == 400 && waited.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    const auto sharper = Shown();
    const QRect fitted = viewer::FitCentered(QSize(1600, 1200), screen);
    EXPECT_GE(sharper->Width(), fitted.width());
    EXPECT_GE(sharper->Height(), fitted.height());
    EXPECT_EQ(sharper->SourceWidth(), 1600);
    EXPECT_EQ(Status(), status); // decoded again quietly
    EXPECT_EQ(form->windowTitle(), "big.jpg - Orvane");
}

TEST_F(DisplayTest, APortraitPhotoShowsUprightWithItsUprightSize)
{
    // Stored 240 x 120, red left and blue right, with EXIF orientation 6:
    // upright it is 120 x 240, red on top.
    test::RgbImage halves{240, 120, std::vector<uint8_t>(240 * 120 * 3)};
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 240; ++x) {
            uint8_t* p = &halves.rgb[(size_t(y) * 240 + x) * 3];
            p[0] = x < 120 ? 255 : 0;
            p[2] = x < 120 ? 0 : 255;
        }
    tree.Add("portrait.jpg", "");
    test::WriteJpeg(tree.Path("portrait.jpg"), halves, 95, false, test::ExifApp1(6));
    ASSERT_TRUE(Show("portrait.jpg"));
    EXPECT_EQ(Status(), Full("portrait.jpg") + "  (120x240)");
    EXPECT_EQ(form->Display().PictureSize(), QSize(120, 240));
    const QImage painted = Find<ui::PictureSurface>("im2")->grab().toImage();
    const QRect upright = viewer::FitCentered(QSize(120, 240), painted.size());
    const QRgb top = painted.pixel(upright.center().x(), upright.top() + upright.height() / 4);
    const QRgb bottom = painted.pixel(upright.center().x(), upright.bottom() - upright.height() / 4);
    EXPECT_GT(qRed(top), 200);
    EXPECT_LT(qBlue(top), 60);
    EXPECT_GT(qBlue(bottom), 200);
    EXPECT_LT(qRed(bottom), 60);
}

TEST_F(DisplayTest, APhotoWithAColourProfileShowsInItsColours)
{
    // Stored red, in a profile that says stored red is green.
    test::RgbImage red{64, 48, {}};
    for (int i = 0; i < 64 * 48; ++i)
        red.rgb.insert(red.rgb.end(), {255, 0, 0});
    tree.Add("profiled.jpg", "");
    test::WriteJpeg(tree.Path("profiled.jpg"), red, 95, false, {}, test::SwappedRedGreenProfile());
    ASSERT_TRUE(Show("profiled.jpg"));
    const QImage painted = Find<ui::PictureSurface>("im2")->grab().toImage();
    const QRgb centre = painted.pixel(painted.rect().center());
    EXPECT_GT(qGreen(centre), 200);
    EXPECT_LT(qRed(centre), 60);
}
