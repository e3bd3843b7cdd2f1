#include "AppFixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

using namespace orvane;
using orvane::test::AppTest;

namespace {

class SearchTest : public AppTest {
protected:
    ui::TForm1& Scanned()
    {
        for (const char* name : {"2005/trip/IMG_0001.JPG", "2005/beach.jpg", "home/Кошка.jpg", "home/Été.jpg",
                                 "home/a b.jpg", "jp.jpeg"})
            AddPicture(name);
        tree.Add("2005/trip/clip.avi");
        auto& form = Start();
        Change([&](ui::Settings& s) { s.rootFolder = Root(); });
        form.ReadDir();
        return form;
    }
    QStringList Photos() { QStringList l = form->Library().PhotoLines().Lines(); l.sort(); return l; }
    void Search(const QString& text)
    {
        Find<QLineEdit>("e1")->setText(text);
        emit Find<QLineEdit>("e1")->returnPressed();
    }
};

} // namespace

TEST_F(SearchTest, ShortTextsMatchExactCaseLongerOnesIgnoreIt)
{
    Scanned();
    Search("jp");
    // Two characters match with their case: not IMG_0001.JPG.
    EXPECT_EQ(Photos(), QStringList({"2005/beach.jpg", "home/a b.jpg", QString::fromUtf8("home/Été.jpg"),
                                     QString::fromUtf8("home/Кошка.jpg"), "jp.jpeg"}));
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->tabText(0), "Photos (found: 5)");
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->tabText(1), "Videos (found: 0)");
    Search("jpg");
    EXPECT_EQ(Photos().size(), 5); // all but jp.jpeg
    EXPECT_TRUE(Photos().contains("2005/trip/IMG_0001.JPG"));
    Change([&](ui::Settings& s) { s.caseSensitiveSearch = true; });
    Search("jpg");
    EXPECT_FALSE(Photos().contains("2005/trip/IMG_0001.JPG"));
}

TEST_F(SearchTest, FolderNamesAndLettersBeyondAsciiMatch)
{
    Scanned();
    Search("TRIP");
    EXPECT_EQ(Photos(), QStringList({"2005/trip/IMG_0001.JPG"}));
    EXPECT_EQ(form->Library().VideoLines().Lines(), QStringList({"2005/trip/clip.avi"}));
    Search(QString::fromUtf8("КОШ"));
    EXPECT_EQ(Photos(), QStringList({QString::fromUtf8("home/Кошка.jpg")}));
    Search(QString::fromUtf8("été"));
    EXPECT_EQ(Photos(), QStringList({QString::fromUtf8("home/Été.jpg")}));
}

TEST_F(SearchTest, SpacesAreTakenAsTyped)
{
    Scanned();
    Search("a ");
    EXPECT_EQ(Photos(), QStringList({"home/a b.jpg"}));
    Search("   ");
    EXPECT_TRUE(Photos().isEmpty());
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->tabText(0), "Photos (found: 0)");
}

TEST_F(SearchTest, ClearingTheTextRestoresBothListsWithoutFound)
{
    Scanned();
    Search("beach");
    Search("");
    EXPECT_EQ(Photos().size(), 6);
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->tabText(0), "Photos (6)");
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->tabText(1), "Videos (1)");
}

TEST_F(SearchTest, TheRescanButtonFindsNewFilesEnterDoesNot)
{
    Scanned();
    Search("beach");
    tree.Add("2006/beach2.jpg");
    Search("beach");
    EXPECT_EQ(Photos().size(), 1);
    Find<QPushButton>("Button8")->click();
    EXPECT_EQ(Photos(), QStringList({"2005/beach.jpg", "2006/beach2.jpg"}));
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->tabText(0), "Photos (found: 2)");
}

TEST_F(SearchTest, SearchKeepsPositionsAndTheNextStepGoesBeyond)
{
    auto& f = Scanned();
    f.Library().SetFileIndex(4, 0);
    const QString shown = f.CurrentFile();
    Search("beach");
    EXPECT_EQ(f.Library().photoIndex, 4);
    EXPECT_EQ(f.CurrentFile(), shown);
    f.Library().ShortNext();
    EXPECT_EQ(f.CurrentFile(), Root() + "/2005/beach.jpg");
}

TEST_F(SearchTest, AStoredSearchTextWithoutARootFolderFindsNothing)
{
    Write(app::kAdditionalKey, "Edit1", QString("beach"));
    Start();
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->tabText(0), "Photos (found: 0)");
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->tabText(1), "Videos (found: 0)");
}

TEST_F(SearchTest, AStoredSearchIsRunAgainAtStart)
{
    Scanned();
    Find<QLineEdit>("e1")->setText("beach");
    Stop();
    auto& f = Start();
    EXPECT_EQ(f.Library().PhotoLines().Lines(), QStringList({"2005/beach.jpg"}));
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->tabText(0), "Photos (found: 1)");
}

TEST_F(SearchTest, LettersWhoseLowerCaseIsLongerStillMatch)
{
    // "İ" lower-cases to two characters, which shifts the joined text.
    for (const char* name : {"İstanbul/kapı.jpg", "ankara/kale.jpg"})
        tree.Add(name);
    auto& f = Start();
    Change([&](ui::Settings& s) { s.rootFolder = Root(); });
    f.ReadDir();
    Search("kale");
    EXPECT_EQ(Photos(), QStringList({"ankara/kale.jpg"}));
    Search(QString::fromUtf8("İSTANBUL"));
    EXPECT_EQ(Photos(), QStringList({QString::fromUtf8("İstanbul/kapı.jpg")}));
}
