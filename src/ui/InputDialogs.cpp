#include "ui/InputDialogs.h"

#include "ui/DialogPlacement.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace orvane::ui {

TInputDlgBase::TInputDlgBase(const QString& caption, const QString& label, int width, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(caption);
    setModal(true);
    setFixedSize(width, 93);
    auto* prompt = new QLabel(label, this);
    prompt->setObjectName(QStringLiteral("Label1"));
    prompt->move(8, 9);
    prompt->adjustSize();
    nameBox_ = new QComboBox(this);
    nameBox_->setObjectName(QStringLiteral("ComboBox1"));
    nameBox_->setEditable(true);
    nameBox_->setInsertPolicy(QComboBox::NoInsert);
    // The text is taken exactly as typed: no completion from the history, so
    // Enter is OK at once.
    nameBox_->setCompleter(nullptr);
    nameBox_->setGeometry(8, 32, width - 11, 24);
    nameBox_->setAccessibleName(label);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setGeometry(width - 158, 59, 75, 25);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    cancel->setGeometry(width - 78, 59, 75, 25);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    CentreOnScreen(this);
}

bool TInputDlgBase::Ask(const QStringList& history, QString& text)
{
    nameBox_->clear();
    nameBox_->addItems(history);
    nameBox_->setCurrentIndex(-1);
    nameBox_->setEditText(QString());
    if (exec() != QDialog::Accepted)
        return false;
    text = nameBox_->currentText();
    return true;
}

void TInputDlgBase::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    nameBox_->setFocus();
}

} // namespace orvane::ui
