#include "ui/AboutBox.h"

#include "fileops/MainFunctions.h"
#include "ui/DialogPlacement.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace orvane::ui {

namespace {

const char* const kWebPage = "https://orvane.org/";

QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, int left, int top, const char* style)
{
    auto* label = new QLabel(text, parent);
    if (name)
        label->setObjectName(QLatin1String(name));
    if (style)
        label->setStyleSheet(QLatin1String(style));
    label->move(left, top);
    label->adjustSize();
    return label;
}

} // namespace

QString GetVersionString(const QString& path)
{
    if (path.isEmpty() || path != QCoreApplication::applicationFilePath())
        return {};
    return QStringLiteral("%1.%2.%3 build %4")
        .arg(ORVANE_VERSION_MAJOR)
        .arg(ORVANE_VERSION_MINOR)
        .arg(ORVANE_VERSION_PATCH)
        .arg(ORVANE_VERSION_TWEAK);
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setModal(true);
    setFixedSize(298, 213);
    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setGeometry(8, 8, 281, 161);
    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setGeometry(8, 8, 48, 48);
    icon->setScaledContents(true);
    icon->setPixmap(QApplication::windowIcon().pixmap(48, 48));
    productName_ = AddLabel(panel, "ProductName", QStringLiteral("Orvane"), 88, 16,
                            "font-weight: bold; color: palette(highlight);");
    productName_->setCursor(Qt::PointingHandCursor);
    AddLabel(panel, "Version", QStringLiteral("Version ") + GetVersionString(QCoreApplication::applicationFilePath()),
             88, 40, "font-weight: bold;");
    AddLabel(panel, nullptr, QStringLiteral("Written by the Orvane developers"), 8, 80, nullptr);
    webPage_ = AddLabel(panel, "Label1", QLatin1String(kWebPage), 8, 104,
                        "font-weight: bold; text-decoration: underline; color: blue;");
    webPage_->setCursor(Qt::PointingHandCursor);
    auto* comments = new QLabel(QStringLiteral("Use on your own risk"), panel);
    comments->setObjectName(QStringLiteral("Comments"));
    comments->setWordWrap(true);
    comments->setGeometry(8, 136, 265, 20);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setGeometry(111, 180, 75, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    // Clicks on the name and on the link open the web page.
    productName_->installEventFilter(this);
    webPage_->installEventFilter(this);
    CentreOnScreen(this);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == productName_)
            fileops::ShellOpen(this, QLatin1String(kWebPage));
        else if (watched == webPage_)
            fileops::ShellOpen(this, webPage_->text());
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace orvane::ui
