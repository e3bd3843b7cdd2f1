#include "MainWindowFixture.h"

#include "ui/AboutBox.h"
#include "ui/PreferencesDialog.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

using namespace orvane;
using orvane::test::MainWindowTest;

namespace {

class PreferencesTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        dialog = std::make_unique<ui::TDlg>(form.get());
        form->SetDialogs({dialog.get()});
    }
    void TearDown() override
    {
        dialog.reset();
        MainWindowTest::TearDown();
    }
    // Opens the dialog, lets edit() change it while it is shown, then
    // presses OK or Cancel.
    void Run(const std::function<void(ui::TDlg&)>& edit, bool ok)
    {
        QTimer::singleShot(0, dialog.get(), [this, edit, ok] {
            edit(*dialog);
            (ok ? dialog->findChild<QPushButton*>("OKBtn") : dialog->findChild<QPushButton*>("CancelBtn"))->click();
        });
        form->Run(ui::Command::Preferences);
    }
    std::unique_ptr<ui::TDlg> dialog;
};

} // namespace

TEST_F(PreferencesTest, OkCopiesEveryOptionBackAndAppliesIt)
{
    Run([](ui::TDlg& d) {
        d.findChild<QCheckBox*>("cb2")->setChecked(true);
        d.findChild<QCheckBox*>("cb4")->setChecked(false); // hide the mail group
        d.findChild<QCheckBox*>("cb8")->setChecked(true);
        d.findChild<QLineEdit*>("Edit2")->setText("png");
        d.findChild<QPushButton*>("b1")->click();
        d.findChild<QComboBox*>("co1")->setCurrentIndex(2);
        d.findChild<QLineEdit*>("Edit1")->setText("2,500");
        d.findChild<QPlainTextEdit*>("Memo1")->setPlainText("Hi\nthere");
        d.SetActivePage(5);
    }, true);
    EXPECT_TRUE(form->CurrentOptions().hideFullScreenButtons);
    EXPECT_FALSE(form->CurrentOptions().showMail);
    EXPECT_TRUE(Find<QGroupBox>("g2")->isHidden());
    EXPECT_TRUE(form->CurrentOptions().caseSensitiveSearch);
    EXPECT_EQ(Lib().photoTypes.Items(), QStringList({"jpg", "jpeg", "png"}));
    EXPECT_EQ(form->CurrentOptions().colorScheme, 2);
    EXPECT_EQ(form->palette().color(QPalette::Window), QColor(192, 192, 192));
    EXPECT_EQ(form->CurrentOptions().slideShowDelay, 2500);
    EXPECT_EQ(Find<QTimer>("Timer4")->interval(), 2500);
    EXPECT_EQ(form->CurrentOptions().mailText, "Hi\r\nthere"); // an edited text keeps CR LF line breaks
    EXPECT_EQ(form->CurrentOptions().preferencesPage, 5);
    // OK without an edit leaves the stored text exactly as it was.
    Change([&](ui::Settings& s) { s.mailText = QStringLiteral("Hello\r\nagain\nand LF alone"); });
    Run([](ui::TDlg&) {}, true);
    EXPECT_EQ(form->CurrentOptions().mailText, "Hello\r\nagain\nand LF alone");
    // Opening again shows the page left on OK, with the options copied in.
    int page = -1;
    QString delay;
    Run([&](ui::TDlg& d) {
        page = d.findChild<QStackedWidget*>("PageControl1")->currentIndex();
        delay = d.findChild<QLineEdit*>("Edit1")->text();
    }, false);
    EXPECT_EQ(page, 5);
    EXPECT_EQ(delay, "2500");
}

TEST_F(PreferencesTest, CancelKeepsTheOptionsButStillAppliesThem)
{
    form->SwitchListBox(true); // compact mode: topmost
    ASSERT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    Change([&](ui::Settings& s) { s.noAlwaysOnTop = true; });
    Run([](ui::TDlg& d) {
        d.findChild<QCheckBox*>("cb1")->setChecked(false);
        d.findChild<QComboBox*>("co1")->setCurrentIndex(2);
        d.SetActivePage(3);
    }, false);
    EXPECT_TRUE(form->CurrentOptions().noAlwaysOnTop);
    EXPECT_EQ(form->CurrentOptions().colorScheme, 1);
    EXPECT_EQ(form->CurrentOptions().preferencesPage, 0);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowStaysOnTopHint); // applied again
}

TEST_F(PreferencesTest, DelayTextIsReadLoosely)
{
    struct Case { const char* text; int delay; };
    for (auto c : {Case{"3 s", 3}, Case{"no digits", 0}, Case{"7000", 7000}}) {
        Run([&](ui::TDlg& d) { d.findChild<QLineEdit*>("Edit1")->setText(c.text); }, true);
        EXPECT_EQ(form->CurrentOptions().slideShowDelay, c.delay) << c.text;
    }
}

TEST_F(PreferencesTest, AddIgnoresEmptyTextAndDuplicatesInAnyCaseRemoveTakesTheSelectedLine)
{
    Run([](ui::TDlg& d) {
        d.findChild<QLineEdit*>("Edit4")->setText("AVI");
        d.findChild<QPushButton*>("Button2")->click(); // differs only in case: nothing
        d.findChild<QLineEdit*>("Edit4")->setText("");
        d.findChild<QPushButton*>("Button2")->click();
        d.findChild<QLineEdit*>("Edit4")->setText("mp4");
        d.findChild<QPushButton*>("Button2")->click();
        EXPECT_EQ(d.findChild<QLineEdit*>("Edit4")->text(), "mp4"); // the entry keeps its text
        d.findChild<QPushButton*>("Button1")->click();               // nothing selected: nothing removed
        d.findChild<QListWidget*>("ListBox3")->setCurrentRow(0);
        d.findChild<QPushButton*>("Button1")->click();
    }, true);
    EXPECT_EQ(Lib().videoTypes.Items(), QStringList({"3gp", "mp4"}));
}

TEST_F(PreferencesTest, TheTreeSwitchesPagesOnceTheDialogWasShown)
{
    // Before the first showing, tree changes switch no page.
    dialog->findChild<QTreeWidget*>("TreeView1")->setCurrentItem(dialog->findChild<QTreeWidget*>("TreeView1")->topLevelItem(4));
    EXPECT_EQ(dialog->findChild<QStackedWidget*>("PageControl1")->currentIndex(), 0);
    int page = -1;
    Run([&](ui::TDlg& d) {
        d.findChild<QTreeWidget*>("TreeView1")->setCurrentItem(d.findChild<QTreeWidget*>("TreeView1")->topLevelItem(6));
        page = d.findChild<QStackedWidget*>("PageControl1")->currentIndex();
    }, true);
    EXPECT_EQ(page, 6);
    EXPECT_EQ(form->CurrentOptions().preferencesPage, 6);
    QStringList nodes;
    for (int i = 0; i < dialog->findChild<QTreeWidget*>("TreeView1")->topLevelItemCount(); ++i)
        nodes << dialog->findChild<QTreeWidget*>("TreeView1")->topLevelItem(i)->text(0);
    EXPECT_EQ(nodes, QStringList({"General", "View", "Folders", "File Types", "Color scheme", "Slideshow", "E-Mail"}));
}

TEST_F(MainWindowTest, AboutBoxShowsNameAndVersionAndOpensTheWebPage)
{
    ui::TAboutBox about(form.get());
    EXPECT_EQ(about.windowTitle(), "About");
    EXPECT_EQ(about.findChild<QLabel*>("ProductName")->text(), "Orvane");
    EXPECT_TRUE(about.findChild<QLabel*>("Version")->text().startsWith("Version "));
    EXPECT_TRUE(about.findChild<QLabel*>("Version")->text().contains(" build "));
    EXPECT_EQ(ui::GetVersionString("/usr/bin/true"), "");
    EXPECT_EQ(about.findChild<QLabel*>("Comments")->text(), "Use on your own risk");
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(about.findChild<QLabel*>("Label1"), &release);
    EXPECT_EQ(fakes->shell->opened, QStringList({about.findChild<QLabel*>("Label1")->text()}));
}
