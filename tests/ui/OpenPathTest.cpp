// "Open with": a folder or file given on the command line or dropped on the
// window becomes the root folder (and the file the current one), in place of
// the stored root; a path that cannot be opened is named in a message and
// the stored root stays.
#include "MainWindowFixture.h"

#include <QMimeData>
#include <QUrl>

#include <sys/stat.h>

using namespace orvane;
using orvane::test::MainWindowTest;

namespace {

class OpenPathTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        AddPicture("stored/old.jpg");
        AddPicture("trip/a.jpg");
        AddPicture("trip/b c.jpg");
        AddPicture("trip/d.jpg");
        Change([&](ui::Settings& s) {
            s.rootFolder = Full("stored");
            s.currentFile = Full("stored/old.jpg");
        });
    }
    int Highlighted() { return Lib().PhotoSelection().currentIndex().row(); }
    void Drop(const QList<QUrl>& urls)
    {
        QMimeData data;
        data.setUrls(urls);
        form->OpenDropped(data);
    }
};

} // namespace

TEST_F(OpenPathTest, AFileGivenAtStartIsShownWithItsLineSelectedAndNextStepsInItsFolder)
{
    form->SetPathToOpen(Full("trip/b c.jpg"));
    form->FormCreate();
    EXPECT_EQ(form->RootFolder(), Full("trip"));
    EXPECT_EQ(form->CurrentFile(), Full("trip/b c.jpg"));
    EXPECT_EQ(Lib().PhotoLines().Line(Highlighted()), "b c.jpg");
    EXPECT_TRUE(Status().startsWith(Full("trip/b c.jpg") + "  ("));
    EXPECT_TRUE(fakes->dialogs->errors.isEmpty());
    const QString after = Full("trip/") + Lib().PhotoLines().Line((Highlighted() + 1) % 3);
    form->Run(ui::Command::Next);
    EXPECT_EQ(form->CurrentFile(), after);
}

TEST_F(OpenPathTest, AFolderGivenAtStartIsWalkedAsIfChosenAndShowsItsFirstItem)
{
    form->SetPathToOpen(Full("trip") + "/");
    form->FormCreate();
    EXPECT_EQ(form->RootFolder(), Full("trip"));
    EXPECT_EQ(Lib().PhotoLines().Count(), 3);
    EXPECT_EQ(form->CurrentFile(), Full("trip/") + Lib().PhotoLines().Line(0));
}

TEST_F(OpenPathTest, APathThatCannotBeOpenedIsNamedAndTheStoredRootOpensAsUsual)
{
    tree.Add("pipe", "");
    std::filesystem::remove(tree.Path("pipe"));
    ASSERT_EQ(mkfifo(tree.Path("pipe").c_str(), 0600), 0);
    const QString cases[][2] = {
        {Full("nowhere/-x.jpg"), "there is no such file or folder."},
        {Full("pipe"), "it is neither a file nor a folder."},
        {"/dev/null", "it is neither a file nor a folder."},
    };
    for (const auto& [path, reason] : cases) {
        form = std::make_unique<ui::TForm1>();
        Change([&](ui::Settings& s) {
            s.rootFolder = Full("stored");
            s.currentFile = Full("stored/old.jpg");
        });
        fakes->dialogs->errors.clear();
        form->SetPathToOpen(path);
        form->FormCreate();
        EXPECT_EQ(fakes->dialogs->errors, QStringList({"Cannot open \"" + path + "\": " + reason}));
        EXPECT_EQ(form->RootFolder(), Full("stored"));
        EXPECT_EQ(form->CurrentFile(), Full("stored/old.jpg"));
    }
}

TEST_F(OpenPathTest, ADroppedFileOpensInItsFolderAndADroppedWebAddressIsRefused)
{
    form->FormCreate();
    Drop({QUrl::fromLocalFile(Full("trip/d.jpg"))});
    EXPECT_EQ(form->RootFolder(), Full("trip"));
    EXPECT_EQ(form->CurrentFile(), Full("trip/d.jpg"));
    EXPECT_EQ(Lib().PhotoLines().Line(Highlighted()), "d.jpg");

    Drop({QUrl("https://example.org/x.jpg")});
    EXPECT_EQ(fakes->dialogs->errors,
              QStringList({"Cannot open \"https://example.org/x.jpg\": only files and folders on this computer can "
                           "be opened."}));
    EXPECT_EQ(form->CurrentFile(), Full("trip/d.jpg"));
}
