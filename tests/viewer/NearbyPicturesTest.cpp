// Work done in slices on the one thread, and pictures decoded ahead with it.
#include "imaging/core/Bitmap.h"
#include "imaging/core/PictureLoader.h"
#include "imaging/registry/PlatformPictureClasses.h"
#include "support/TempTree.h"
#include "support/TestImages.h"
#include "viewer/NearbyPictures.h"
#include "viewer/SlicedTask.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

using namespace orvane;
using viewer::SlicedTask;

TEST(SlicedTask, PausesWhereverItStandsAndGoesOnFromThere)
{
    std::vector<int> done;
    SlicedTask task([&] {
        for (int i = 0; i < 3; ++i) {
            done.push_back(i);
            task.Yield();
        }
    });
    EXPECT_TRUE(done.empty()); // nothing runs before it is resumed
    EXPECT_FALSE(task.Resume());
    EXPECT_EQ(done, std::vector<int>({0}));
    EXPECT_FALSE(task.Resume());
    EXPECT_EQ(done, std::vector<int>({0, 1}));
    task.Finish();
    EXPECT_TRUE(task.Done());
    EXPECT_EQ(done, std::vector<int>({0, 1, 2}));
    EXPECT_FALSE(task.Error());
}

TEST(SlicedTask, ACancelledTaskUnwindsItsStackAndAnErrorIsKeptForTheCaller)
{
    bool released = false;
    int rows = 0;
    {
        SlicedTask task([&] {
            struct Holder {
                bool& released;
                ~Holder() { released = true; }
            } holder{released};
            for (; rows < 1000; ++rows)
                task.PausePoint();
        });
        task.Resume();
        task.Resume();
    } // destroyed while paused
    EXPECT_TRUE(released);
    EXPECT_EQ(rows, 1);

    SlicedTask failing([] { throw std::runtime_error("damaged"); });
    EXPECT_TRUE(failing.Resume());
    ASSERT_TRUE(failing.Error());
    EXPECT_THROW(std::rethrow_exception(failing.Error()), std::runtime_error);
}

TEST(NearbyPictures, APictureDecodedAheadInSlicesIsTheOneADirectDecodeGives)
{
    imaging::RegisterPlatformPictureClasses();
    test::TempTree tree;
    tree.Add("a.jpg", "");
    test::WriteJpeg(tree.Path("a.jpg"), test::RgbImage::Gradient(1600, 1200));
    const QString path = QString::fromStdString(tree.Path("a.jpg"));
    viewer::NearbyPictures nearby;
    const viewer::NearbyPictures::Area area{QSize(500, 400), 1.0};
    // A picture decoded at its full size takes several slices: dropped after
    // the first, while paused deep in the decoder, it unwinds.
    tree.Add("large.jpg", "");
    test::WriteJpeg(tree.Path("large.jpg"), test::RgbImage::Gradient(2400, 1800));
    nearby.DecodeAhead(QString::fromStdString(tree.Path("large.jpg")), {QSize(2400, 1800), 1.0});
    for (int pass = 0; pass < 3; ++pass)
        QCoreApplication::processEvents();
    nearby.DropAhead();
    EXPECT_TRUE(nearby.AheadPath().isEmpty());
    nearby.DecodeAhead(path, area);
    QElapsedTimer waited;
    waited.start();
    while (!nearby.AheadDone() && waited.elapsed() < 5000) {
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(nearby.AheadDone());
    EXPECT_FALSE(nearby.Take(path, {QSize(500, 400), 2.0}).picture) << "made for another screen";
    auto prepared = nearby.Take(path, area);
    const auto ahead = prepared.picture;
    ASSERT_TRUE(ahead);
    auto direct = imaging::TPictureLoader::Instance().CreateFor(tree.Path("a.jpg"));
    direct->SetDecodeCover(500, 400);
    direct->LoadFromFile(tree.Path("a.jpg"));
    ASSERT_EQ(ahead->Width(), direct->Width());
    ASSERT_EQ(ahead->Height(), direct->Height());
    EXPECT_EQ(std::memcmp(ahead->Bits(), direct->Bits(), direct->ImageSize()), 0);
    EXPECT_FALSE(nearby.Take(path, area).picture) << "taken once";
}
