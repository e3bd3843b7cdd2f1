// Arrangement of the main window: the left column with the viewing area over
// the magnifier image, the buttons under it, the group boxes, resizing.
#include "ui/TForm1.h"

#include "ui/PictureSurface.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include "ui/Splitter.h"
#include <QTabWidget>

#include <algorithm>

namespace orvane::ui {

void TForm1::ResizePanels()
{
    if (fullScreen_)
        return;
    const int width = leftWidth_;
    const int height = width * 4 / 5;
    pnIm->setGeometry(0, 0, width, height);
    im2->setGeometry(0, 0, width, height);
    pnMag->setGeometry(0, 0, width, height + 30);
    i1->setGeometry(0, 0, width, height);
    LayoutPanel1();
    RelocateButtons();
    if (windowCreated_) {
        // (Hidden flags, not visibility: the window itself may not be on
        // screen yet.)
        const bool wasShown = !WMPWidget->isHidden();
        WMPWidget->hide();
        WMPWidget->resize(width, height - 1);
        if (wasShown && !pnIm->isHidden()) {
            WMPWidget->show();
            WMPWidget->setFocus();
        }
    }
}

void TForm1::RelocateButtons()
{
    const QRect area = pnIm->geometry();
    const int top = area.y() + area.height();
    b1->move(area.x(), top);
    b2->move(area.x() + (area.width() - b2->width()) / 2, top);
    b3->move(area.x() + area.width() - b3->width(), top);
    for (QPushButton* b : {b1, b2, b3}) {
        b->show();
        b->raise();
    }
}

void TForm1::LayoutPanel1()
{
    // Panel1 follows its content: the shown group boxes one under the other
    // inside a 4-pixel border.
    const int innerWidth = leftWidth_ - 8;
    int y = 4;
    for (QGroupBox* group : {g1, g2, g3, g4}) {
        if (group->isHidden())
            continue;
        group->setGeometry(4, y, innerWidth, group->height());
        y += group->height();
    }
    Panel1->setGeometry(0, pnMag->height(), leftWidth_, y + 4);
}

void TForm1::SetGroupHeight(QGroupBox* group, int height)
{
    group->resize(group->width(), height);
    LayoutPanel1();
}

void TForm1::GroupDblClick(QGroupBox* group, int fullHeight)
{
    SetGroupHeight(group, group->height() == 16 ? fullHeight : 16);
}

void TForm1::SetLeftWidth(int width)
{
    leftWidth_ = std::clamp(width, 100, 1000);
    LayoutBody();
}

void TForm1::LayoutBody()
{
    // The left column on the left edge, the splitter right of it, the file
    // list in the rest of the body.
    const int height = pnBig->height();
    pnLeft->setGeometry(0, 0, leftWidth_, height);
    Splitter1->setGeometry(leftWidth_, 0, 3, height);
    Splitter1->setVisible(!pnRight->isHidden());
    pnRight->setGeometry(leftWidth_ + 3, 0, std::max(0, pnBig->width() - leftWidth_ - 3), height);
    ResizePanels();
}

void TForm1::FormResize()
{
    // The magnifier draws a fresh picture of the new size.
    magSurface_ = QImage();
    // In compact mode the left column fills the narrow window.
    if (!!PageControl1->isHidden() && !fullScreen_)
        leftWidth_ = std::clamp(width() - 8, 100, 1000);
    SetLeftWidth(leftWidth_);
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

} // namespace orvane::ui
