#include "MainWindowFixture.h"

#include "ui/Dialogs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGroupBox>
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
        form->Dlg = dialog.get();
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
            (ok ? dialog->OKBtn : dialog->CancelBtn)->click();
        });
        form->tb7Click();
    }
    std::unique_ptr<ui::TDlg> dialog;
};

} // namespace

TEST_F(PreferencesTest, OkCopiesEveryOptionBackAndAppliesIt)
{
    Run([](ui::TDlg& d) {
        d.cb2->setChecked(true);
        d.cb4->setChecked(false); // hide the mail group
        d.cb8->setChecked(true);
        d.Edit2->setText("png");
        d.b1->click();
        d.co1->setCurrentIndex(2);
        d.Edit1->setText("2,500");
        d.Memo1->setPlainText("Hi\nthere");
        d.SetActivePage(5);
    }, true);
    EXPECT_TRUE(form->bHide);
    EXPECT_FALSE(form->bEmail);
    EXPECT_TRUE(form->g2->isHidden());
    EXPECT_TRUE(form->bCaseSens);
    EXPECT_EQ(Lib().FileTypes.Items(), QStringList({"jpg", "jpeg", "png"}));
    EXPECT_EQ(form->cScheme, 2);
    EXPECT_EQ(form->palette().color(QPalette::Window), QColor(192, 192, 192));
    EXPECT_EQ(form->ssDelay, 2500);
    EXPECT_EQ(form->Timer4->interval(), 2500);
    EXPECT_EQ(form->mess, "Hi\r\nthere"); // an edited text keeps CR LF line breaks
    EXPECT_EQ(form->actPage, 5);
    // OK without an edit leaves the stored text exactly as it was.
    form->mess = QStringLiteral("Hello\r\nagain\nand LF alone");
    Run([](ui::TDlg&) {}, true);
    EXPECT_EQ(form->mess, "Hello\r\nagain\nand LF alone");
    // Opening again shows the page left on OK, with the options copied in.
    int page = -1;
    QString delay;
    Run([&](ui::TDlg& d) {
        page = d.PageControl1->currentIndex();
        delay = d.Edit1->text();
    }, false);
    EXPECT_EQ(page, 5);
    EXPECT_EQ(delay, "2500");
}

TEST_F(PreferencesTest, CancelKeepsTheOptionsButStillAppliesThem)
{
    form->bNormal = true;
    form->StayOnTop();
    Run([](ui::TDlg& d) {
        d.cb1->setChecked(false);
        d.co1->setCurrentIndex(2);
        d.SetActivePage(3);
    }, false);
    EXPECT_TRUE(form->bNormal);
    EXPECT_EQ(form->cScheme, 1);
    EXPECT_EQ(form->actPage, 0);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowStaysOnTopHint); // applied again
}

TEST_F(PreferencesTest, DelayTextIsReadLoosely)
{
    struct Case { const char* text; int delay; };
    for (auto c : {Case{"3 s", 3}, Case{"no digits", 0}, Case{"7000", 7000}}) {
        Run([&](ui::TDlg& d) { d.Edit1->setText(c.text); }, true);
        EXPECT_EQ(form->ssDelay, c.delay) << c.text;
    }
}

TEST_F(PreferencesTest, AddIgnoresEmptyTextAndDuplicatesInAnyCaseRemoveTakesTheSelectedLine)
{
    Run([](ui::TDlg& d) {
        d.Edit4->setText("AVI");
        d.Button2->click(); // differs only in case: nothing
        d.Edit4->setText("");
        d.Button2->click();
        d.Edit4->setText("mp4");
        d.Button2->click();
        EXPECT_EQ(d.Edit4->text(), "mp4"); // the entry keeps its text
        d.Button1->click();               // nothing selected: nothing removed
        d.ListBox3->setCurrentRow(0);
        d.Button1->click();
    }, true);
    EXPECT_EQ(Lib().VideoFileTypes.Items(), QStringList({"3gp", "mp4"}));
}

TEST_F(PreferencesTest, TheTreeSwitchesPagesOnceTheDialogWasShown)
{
    // Before the first showing, tree changes switch no page.
    dialog->TreeView1->setCurrentItem(dialog->TreeView1->topLevelItem(4));
    EXPECT_EQ(dialog->PageControl1->currentIndex(), 0);
    int page = -1;
    Run([&](ui::TDlg& d) {
        d.TreeView1->setCurrentItem(d.TreeView1->topLevelItem(6));
        page = d.PageControl1->currentIndex();
    }, true);
    EXPECT_EQ(page, 6);
    EXPECT_EQ(form->actPage, 6);
    QStringList nodes;
    for (int i = 0; i < dialog->TreeView1->topLevelItemCount(); ++i)
        nodes << dialog->TreeView1->topLevelItem(i)->text(0);
    EXPECT_EQ(nodes, QStringList({"General", "View", "Folders", "File Types", "Color scheme", "Slideshow", "E-Mail"}));
}

TEST_F(MainWindowTest, AboutBoxShowsNameAndVersionAndOpensTheWebPage)
{
    ui::TAboutBox about(form.get());
    EXPECT_EQ(about.windowTitle(), "About");
    EXPECT_EQ(about.ProductName->text(), "Orvane");
    EXPECT_TRUE(about.Version->text().startsWith("Version "));
    EXPECT_TRUE(about.Version->text().contains(" build "));
    EXPECT_EQ(ui::GetVersionString("/usr/bin/true"), "");
    EXPECT_EQ(about.Comments->text(), "Use on your own risk");
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(about.Label1, &release);
    EXPECT_EQ(fakes->shell->opened, QStringList({about.Label1->text()}));
}
