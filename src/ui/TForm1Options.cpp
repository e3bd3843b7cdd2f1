// The options of the main window: the Preferences dialog and the apply step.
#include "ui/Dialogs.h"
#include "ui/TForm1.h"

#include "fileops/StringFunctions.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

namespace orvane::ui {

void TForm1::tb7Click()
{
    if (!Dlg)
        return;
    TDlg& d = *Dlg;
    d.cb1->setChecked(bNormal);
    d.cb2->setChecked(bHide);
    d.cb3->setChecked(bSearch);
    d.cb4->setChecked(bEmail);
    d.cb5->setChecked(bMag);
    d.cb6->setChecked(bDestopBG);
    d.cb7->setChecked(bNotTray);
    d.cb8->setChecked(bCaseSens);
    d.cb9->setChecked(bDisMag);
    TDlg::SetLines(d.ListBox1, library_->BadFolders.Items());
    TDlg::SetLines(d.ListBox2, library_->FileTypes.Items());
    TDlg::SetLines(d.ListBox3, library_->VideoFileTypes.Items());
    d.co1->setCurrentIndex(cScheme >= 0 && cScheme <= 2 ? cScheme : -1);
    d.Edit1->setText(fileops::IntToText(ssDelay));
    d.SetActivePage(actPage);
    d.Memo1->setPlainText(mess);
    const QString shownMess = d.Memo1->toPlainText();
    if (d.exec() == QDialog::Accepted) {
        bNormal = d.cb1->isChecked();
        bHide = d.cb2->isChecked();
        bSearch = d.cb3->isChecked();
        bEmail = d.cb4->isChecked();
        bMag = d.cb5->isChecked();
        bDestopBG = d.cb6->isChecked();
        bNotTray = d.cb7->isChecked();
        bCaseSens = d.cb8->isChecked();
        bDisMag = d.cb9->isChecked();
        library_->BadFolders.Assign(TDlg::Lines(d.ListBox1));
        library_->FileTypes.Assign(TDlg::Lines(d.ListBox2));
        library_->VideoFileTypes.Assign(TDlg::Lines(d.ListBox3));
        cScheme = d.co1->currentIndex();
        ssDelay = static_cast<int>(fileops::ParseLooseInteger(d.Edit1->text()));
        actPage = d.ActivePage();
        // The memo hands its lines back with LF alone: an unedited text
        // keeps the stored one as it was, an edited one gets CR LF.
        const QString edited = d.Memo1->toPlainText();
        if (edited != shownMess)
            mess = QString(edited).replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    }
    SetParams();
}

void TForm1::tb8Click()
{
    if (AboutBox)
        AboutBox->exec();
}

void TForm1::SetParams()
{
    if (bNormal)
        StayNormal();
    g4->setVisible(bDestopBG);
    g3->setVisible(bMag);
    g2->setVisible(bEmail);
    g1->setVisible(bSearch);
    ApplyColorScheme(cScheme);
    ResizePanels();
    if (ssDelay > 0)
        Timer4->setInterval(ssDelay);
    else
        Timer4->stop(); // an interval of 0 stops the timer
}

} // namespace orvane::ui
