// Arrangement of the main window: the left column with the viewing area over
// the magnifier image, the buttons under it, the group boxes, resizing.
#include "ui/TForm1.h"

#include "ui/PictureSurface.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QDateTime>
#include <QGuiApplication>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>

#include "ui/Splitter.h"

#include <algorithm>

namespace {

// How long after a change of bounds the window manager's frame is waited for.
constexpr qint64 kFrameWaitMs = 3000;

} // namespace

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
    RefinePictureLater();
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
    if (fullScreen_) {
        LayoutFullScreen();
        return;
    }
    // In compact mode the left column fills the narrow window.
    if (PageControl1->isHidden())
        leftWidth_ = std::clamp(FrameWidth() - 8, 100, 1000);
    SetLeftWidth(leftWidth_);
}

void TForm1::LayoutFullScreen()
{
    // The viewing area covers the window; the buttons sit along its bottom.
    const int w = width();
    const int h = height();
    pnIm->setGeometry(0, 0, w, h);
    im2->setGeometry(0, 0, w, h);
    b1->move(0, h - 30);
    b2->move((w - b2->width()) / 2, h - 30);
    b3->move(w - b3->width() - 1, h - 30);
    RefinePictureLater();
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
    ReapplyFrameIfReframed();
}

void TForm1::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    ReapplyFrameIfReframed();
}

void TForm1::ReapplyFrameIfReframed()
{
    // The window manager has framed (or re-framed) the window: its frame, not
    // its inside, takes the wanted rectangle.
    if (QDateTime::currentMSecsSinceEpoch() < frameDeadline_ && FrameMargins() != appliedMargins_)
        ApplyFrameBounds();
}

QMargins TForm1::FrameMargins() const
{
    const QRect frame = frameGeometry();
    const QRect inside = geometry();
    return QMargins(inside.left() - frame.left(), inside.top() - frame.top(), frame.right() - inside.right(),
                    frame.bottom() - inside.bottom());
}

void TForm1::SetFrameBounds(const QRect& frame)
{
    wantedFrame_ = frame;
    frameDeadline_ = QDateTime::currentMSecsSinceEpoch() + kFrameWaitMs;
    ApplyFrameBounds();
    // Some window managers frame the window without a move or resize the
    // program hears of: look again a little later.
    for (int delay : {150, 600, 1500})
        QTimer::singleShot(delay, this, &TForm1::ReapplyFrameIfReframed);
}

void TForm1::ApplyFrameBounds()
{
    if (fullScreen_ || isMaximized())
        return;
    const QMargins margins = FrameMargins();
    appliedMargins_ = margins;
    move(wantedFrame_.topLeft()); // a window's position is that of its frame
    resize(std::max(1, wantedFrame_.width() - margins.left() - margins.right()),
           std::max(1, wantedFrame_.height() - margins.top() - margins.bottom()));
}

void TForm1::SetFrameWidth(int width)
{
    QRect frame = frameGeometry();
    frame.setWidth(width);
    SetFrameBounds(frame);
}

} // namespace orvane::ui
