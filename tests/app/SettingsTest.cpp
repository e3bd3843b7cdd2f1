#include "AppFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>

using namespace orvane;
using orvane::test::AppTest;

TEST(SettingsLists, JoinedListKeepsEveryEmptyPiece)
{
    EXPECT_EQ(ui::SplitList(""), QStringList({""}));
    EXPECT_EQ(ui::SplitList("jpg|"), QStringList({"jpg", ""}));
    EXPECT_EQ(ui::SplitList("a||b"), QStringList({"a", "", "b"}));
    EXPECT_EQ(ui::SplitList("_|...misc|...orig|..notebook"), QStringList({"_", "...misc", "...orig", "..notebook"}));
    EXPECT_EQ(ui::JoinList({}), "");
    EXPECT_EQ(ui::JoinList({"avi", "3gp"}), "avi|3gp");
    EXPECT_EQ(ui::JoinList({""}), "");
}

TEST(SettingsLists, LineListSplitsAtEveryKindOfLineBreak)
{
    EXPECT_EQ(ui::SplitLines(""), QStringList());
    EXPECT_EQ(ui::SplitLines("a\r\nb\r\n"), QStringList({"a", "b"}));
    EXPECT_EQ(ui::SplitLines("a\nb\n"), QStringList({"a", "b"})); // written by another tool
    EXPECT_EQ(ui::SplitLines("a\rb"), QStringList({"a", "b"}));
    EXPECT_EQ(ui::SplitLines("a\n\nb"), QStringList({"a", "", "b"}));
    EXPECT_EQ(ui::JoinLines({"x", "y"}), "x\r\ny\r\n");
}

TEST_F(AppTest, AFirstStartUsesTheDefaultsAndShutDownWritesEveryValueInOrder)
{
    auto& form = Start();
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    // The window's frame fills the work area exactly.
    EXPECT_EQ(form.frameGeometry(), QRect(QPoint(0, 0), work.size()));
    EXPECT_EQ(form.CurrentOptions().colorScheme, 1);
    EXPECT_EQ(form.palette().color(QPalette::Window), QColor(255, 255, 255));
    EXPECT_EQ(form.Library().photoTypes.Items(), QStringList({"jpg", "jpeg"}));
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->tabText(0), "Photo"); // no scan ran
    // Reading created the three keys, empty.
    const QString created = HiveText();
    EXPECT_TRUE(created.startsWith("Windows Registry Editor Version 5.00\n"));
    EXPECT_TRUE(created.contains("[HKEY_CURRENT_USER\\Software\\Kestrin\\Orvane\\Options]"));
    Stop();

    const QString text = HiveText();
    const char* expected[] = {
        "[HKEY_CURRENT_USER\\Software\\Kestrin\\Orvane\\Main]",
        "\"Top\"=dword:00000000", "\"Left\"=dword:00000000", "\"Width\"=dword:", "\"FullWidth\"=dword:",
        "\"Height\"=dword:",
        "[HKEY_CURRENT_USER\\Software\\Kestrin\\Orvane\\Additional]",
        "\"Dir\"=\"\"", "\"TrackBar1\"=dword:00000001", "\"ComboBox1\"=dword:00000000", "\"CheckBox1\"=dword:00000000",
        "\"CheckBox2\"=dword:00000000", "\"CheckBox3\"=dword:00000000", "\"Edit1\"=\"\"", "\"Edit2\"=\"\"",
        "\"Minimize\"=dword:00000000", "\"FileName\"=\"\"", "\"HideList\"=dword:00000000",
        "\"PanelWidth\"=dword:00000101", "\"g1Height\"=dword:00000045", "\"g2Height\"=dword:00000060",
        "\"g3Height\"=dword:00000060", "\"g4Height\"=dword:00000070",
        "[HKEY_CURRENT_USER\\Software\\Kestrin\\Orvane\\Options]",
        "\"bNormal\"=dword:00000000", "\"bHide\"=dword:00000000", "\"bSearch\"=dword:00000001",
        "\"bEmail\"=dword:00000001", "\"bMag\"=dword:00000001", "\"bDestopBG\"=dword:00000001",
        "\"bNotTray\"=dword:00000000", "\"bCaseSens\"=dword:00000000", "\"bDisMag\"=dword:00000000",
        "\"BadFolders\"=\"_|...misc|...orig|..notebook\"", "\"FileTypes\"=\"jpg|jpeg\"",
        "\"VideoFileTypes\"=\"avi|3gp\"", "\"cScheme\"=dword:00000001", "\"ssDelay\"=dword:00001388",
        "\"actPage\"=dword:00000000", "\"aIndex\"=dword:00000000", "\"iFileIndex\"=dword:ffffffff",
        "\"vFileIndex\"=dword:ffffffff", "\"mess\"=\"Hello\r\nFound these great photos using Orvane ",
        "\"popfolders\"=\"\"",
    };
    qsizetype at = 0;
    for (const char* line : expected) {
        const qsizetype found = text.indexOf(QString::fromLatin1(line), at);
        ASSERT_GE(found, 0) << "missing or out of order: " << line << "\n" << text.toStdString();
        at = found;
    }
}

TEST_F(AppTest, ARoundTripRestoresTheWindowTheListsAndThePositions)
{
    AddPicture("a.jpg");
    AddPicture("b.jpg");
    tree.Add("v.avi");
    {
        auto& form = Start();
        form.setGeometry(40, 50, 900, 600);
        Change([&](ui::Settings& s) { s.rootFolder = Root(); });
        form.ReadDir();
        Find<QTabWidget>("PageControl1")->setCurrentIndex(1);
        form.Library().SetFileIndex(1, 0);
        form.Library().ShortNext(); // shows the video, position 0 of the video list
        Find<QSlider>("TrackBar1")->setValue(4);
        Find<QComboBox>("ComboBox1")->setCurrentIndex(2);
        Find<QCheckBox>("cb1")->setChecked(true);
        Find<QCheckBox>("cb3")->setChecked(true);
        Find<QLineEdit>("e2")->setText("me@example.org");
        form.SetLeftWidth(300);
        Change([&](ui::Settings& s) {
            s.caseSensitiveSearch = true;
            s.slideShowDelay = 1234;
            s.nameHistory = QStringList({"holiday", "2005"});
            s.fileTypes = QStringList({"jpg", "jpeg", "PNG"});
            s.mailGroupHeight = 16;
        });
        form.SetParams();
        Stop();
    }
    auto& form = Start();
    EXPECT_EQ(form.RootFolder(), Root());
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->currentIndex(), 1);
    EXPECT_EQ(form.Library().photoIndex, 1);
    EXPECT_EQ(form.Library().videoIndex, 0);
    EXPECT_EQ(form.CurrentFile(), Root() + "/v.avi");
    EXPECT_EQ(Find<QSlider>("TrackBar1")->value(), 4);
    EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentIndex(), 2);
    EXPECT_EQ(Find<QTimer>("Timer2")->interval(), 600000);
    EXPECT_TRUE(Find<QCheckBox>("cb1")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>("cb3")->isChecked());
    EXPECT_EQ(Find<QLineEdit>("e2")->text(), "me@example.org");
    EXPECT_TRUE(form.CurrentOptions().caseSensitiveSearch);
    EXPECT_EQ(Find<QTimer>("Timer4")->interval(), 1234);
    EXPECT_EQ(form.CurrentSettings().nameHistory, QStringList({"holiday", "2005"}));
    EXPECT_EQ(form.Library().photoTypes.Items(), QStringList({"jpg", "jpeg", "PNG"}));
    EXPECT_EQ(form.LeftWidth(), 300);
    EXPECT_EQ(Find<QGroupBox>("g2")->height(), 16);
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->tabText(0), "Photos (2)");
    EXPECT_EQ(form.Library().PhotoSelection().currentIndex().row(), 1);
}

TEST_F(AppTest, AValueOfTheWrongTypeStopsTheReadingWithItsName)
{
    Write(app::kAdditionalKey, "TrackBar1", QString("five"));
    Write(app::kAdditionalKey, "Dir", Root());
    auto window = std::make_unique<ui::TForm1>();
    window->OnGetSettings = app::GetSettings;
    try {
        window->FormCreate();
        ADD_FAILURE() << "no error";
    } catch (const platform::ERegistryException& error) {
        EXPECT_STREQ(error.what(), "Invalid data type for 'TrackBar1'");
    }
    EXPECT_EQ(window->RootFolder(), Root());  // read before the bad value
    EXPECT_EQ(test::FindControl<QTabWidget>(*window, "PageControl1")->tabText(0), "Photo"); // the scan was skipped
    EXPECT_FALSE(window->WindowCreated());
}

TEST_F(AppTest, RemovingEveryPictureExtensionStoresAnEmptyStringThatReadsBackAsOneEmptyItem)
{
    {
        auto& form = Start();
        form.Library().photoTypes.Assign({});
        Stop();
    }
    EXPECT_TRUE(HiveText().contains("\"FileTypes\"=\"\"\n"));
    auto& form = Start();
    EXPECT_EQ(form.Library().photoTypes.Items(), QStringList({""}));
}

TEST_F(AppTest, CompactModeIsEnteredAgainAtStartKeepingTheStoredWidth)
{
    Write(app::kAdditionalKey, "HideList", 1);
    Write(app::kMainKey, "Width", 300);
    Write(app::kMainKey, "FullWidth", 1000);
    Write(app::kMainKey, "Height", 600);
    auto& form = Start();
    EXPECT_TRUE(Find<QTabWidget>("PageControl1")->isHidden());
    EXPECT_EQ(form.frameGeometry().size(), QSize(300, 600));
    EXPECT_EQ(form.CurrentSettings().fullWidth, 1000);
    // A stored size comes back as it was.
    Stop();
    const QString text = HiveText();
    EXPECT_TRUE(text.contains("\"Width\"=dword:0000012c")) << text.toStdString();
    EXPECT_TRUE(text.contains("\"Height\"=dword:00000258")) << text.toStdString();
}

TEST_F(AppTest, AStoredTabOtherThanPhotosOrVideosLeavesNoTabActive)
{
    struct Case {
        int stored;
        int active;         // the tab shown, -1 for none
        bool videoCommands; // the commands act on the video list
    };
    for (const Case c : {Case{1, 1, true}, Case{0, 0, false}, Case{5, -1, true}, Case{-3, -1, true}}) {
        Write(app::kOptionsKey, "aIndex", c.stored);
        auto& form = Start();
        EXPECT_EQ(form.ActiveTab(), c.active) << c.stored;
        EXPECT_EQ(Find<QTabWidget>("PageControl1")->currentWidget() == Find<QWidget>("TabSheet1") ||
                      Find<QTabWidget>("PageControl1")->currentWidget() == Find<QWidget>("TabSheet2"),
                  c.active >= 0)
            << c.stored;
        EXPECT_EQ(&form.Library().ActiveLines() == &form.Library().VideoLines(), c.videoCommands) << c.stored;
        Stop();
    }
}

TEST_F(AppTest, OutOfRangeChoicesLeaveTheBoxEmptyAndTheTimerAlone)
{
    Write(app::kAdditionalKey, "ComboBox1", 7);
    Write(app::kOptionsKey, "cScheme", 9);
    Start();
    EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentIndex(), -1);
    EXPECT_EQ(Find<QTimer>("Timer2")->interval(), 10000);
}

TEST_F(AppTest, HiddenGroupsCloseTheirGap)
{
    Write(app::kOptionsKey, "bEmail", 0);
    Start();
    EXPECT_TRUE(Find<QGroupBox>("g2")->isHidden());
    EXPECT_EQ(Find<QGroupBox>("g3")->y(), Find<QGroupBox>("g1")->y() + Find<QGroupBox>("g1")->height());
}

TEST_F(AppTest, ADamagedSettingsFileIsKeptAsideAndTheProgramStartsWithDefaults)
{
    const QString hive = platform::TRegistry::UserHivePath();
    std::filesystem::create_directories(std::filesystem::path(hive.toStdString()).parent_path());
    {
        QFile file(hive);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Kestrin\\Orvane\\Main]\n"
                   "\"Top\"=dword:zz\n");
    }
    const QString message = app::CheckSettingsFile();
    ASSERT_FALSE(message.isEmpty());
    EXPECT_TRUE(message.contains(hive)) << message.toStdString();
    // The damaged file is still there under another name, byte for byte.
    const auto folder = std::filesystem::path(hive.toStdString()).parent_path();
    int kept = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().rfind("user.reg.damaged", 0) == 0) {
            ++kept;
            QFile file(QString::fromStdString(entry.path().string()));
            file.open(QIODevice::ReadOnly);
            EXPECT_TRUE(file.readAll().contains("dword:zz"));
        }
    EXPECT_EQ(kept, 1);
    auto& form = Start();
    EXPECT_EQ(form.CurrentOptions().colorScheme, 1);
    EXPECT_TRUE(app::CheckSettingsFile().isEmpty());
}
