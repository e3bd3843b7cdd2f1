// Arrangement of the main window: the left column with the viewing area over
// the magnifier image, the buttons under it, the group boxes, resizing, the
// tool bar in both modes and the colour scheme.
#include "ui/TForm1.h"

#include "ui/Splitter.h"

#include <QApplication>
#include <QDateTime>
#include <QGroupBox>
#include <QLabel>
#include <QMoveEvent>
#include <QPushButton>
#include <QResizeEvent>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

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
    const int height = width * 4 / 5; // the viewing area is always 5:4
    PlaceViewingArea(QRect(0, 0, width, height));
    magnifierPanel_->setGeometry(0, 0, width, height + 30);
    magnifierImage_->setGeometry(0, 0, width, height);
    LayoutPanel1();
    RelocateButtons();
    if (windowCreated_) {
        // (Hidden flags, not visibility: the window itself may not be on
        // screen yet.)
        const bool wasShown = !playerWidget_->isHidden();
        playerWidget_->hide();
        playerWidget_->resize(width, height - 1);
        if (wasShown && !viewingArea_->isHidden()) {
            playerWidget_->show();
            playerWidget_->setFocus();
        }
    }
}

void TForm1::RelocateButtons()
{
    const QRect area = viewingArea_->geometry();
    const int top = area.y() + area.height();
    previousButton_->move(area.x(), top);
    backgroundButton_->move(area.x() + (area.width() - backgroundButton_->width()) / 2, top);
    nextButton_->move(area.x() + area.width() - nextButton_->width(), top);
    for (QPushButton* b : {previousButton_, backgroundButton_, nextButton_}) {
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
    for (QGroupBox* group : {searchGroup_, mailGroup_, magnifierGroup_, backgroundGroup_}) {
        if (group->isHidden())
            continue;
        group->setGeometry(4, y, innerWidth, group->height());
        y += group->height();
    }
    groupPanel_->setGeometry(0, magnifierPanel_->height(), leftWidth_, y + 4);
}

void TForm1::SetGroupHeight(QGroupBox* group, int height)
{
    group->resize(group->width(), height);
    LayoutPanel1();
}

void TForm1::ToggleGroup(QGroupBox* group)
{
    // A collapsed box keeps only its caption line.
    const int fullHeight = group == searchGroup_ ? 69 : group == backgroundGroup_ ? 112 : 96;
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
    const int height = body_->height();
    leftColumn_->setGeometry(0, 0, leftWidth_, height);
    splitter_->setGeometry(leftWidth_, 0, 3, height);
    splitter_->setVisible(!fileListColumn_->isHidden());
    fileListColumn_->setGeometry(leftWidth_ + 3, 0, std::max(0, body_->width() - leftWidth_ - 3), height);
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
    if (fileTabs_->isHidden())
        leftWidth_ = std::clamp(FrameBounds().width() - 8, 100, 1000);
    SetLeftWidth(leftWidth_);
}

void TForm1::LayoutFullScreen()
{
    // The viewing area covers the window; the buttons sit along its bottom.
    const int w = width();
    const int h = height();
    PlaceViewingArea(QRect(0, 0, w, h));
    previousButton_->move(0, h - 30);
    backgroundButton_->move((w - backgroundButton_->width()) / 2, h - 30);
    nextButton_->move(w - nextButton_->width() - 1, h - 30);
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

namespace orvane::ui {

void TForm1::LayoutToolButtons(bool compact)
{
    // Captions only with the list shown; the buttons shrink to their
    // pictures without. 90 by 52 pixels, wider where the desktop's font
    // needs it.
    const Qt::ToolButtonStyle style = compact ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextUnderIcon;
    toolBar_->setToolButtonStyle(style);
    for (QToolButton* button : toolButtons_) {
        button->setToolButtonStyle(style);
        button->setMinimumSize(compact ? QSize(32 + 8, 32 + 8) : QSize(90, 52));
        button->setMaximumHeight(compact ? 32 + 8 : 52);
    }
}

} // namespace orvane::ui

namespace orvane::ui {

void TForm1::ApplyColorScheme(int scheme)
{
    QColor window;
    QColor toolBarText;
    switch (scheme) {
    case 0:
        window = QApplication::palette().color(QPalette::Button);
        toolBarText = QApplication::palette().color(QPalette::WindowText);
        break;
    case 1:
        window = QColor(255, 255, 255);
        toolBarText = QColor(0, 0, 0);
        break;
    case 2:
        window = QColor(192, 192, 192);
        toolBarText = QColor(0, 0, 0);
        break;
    default:
        return; // other values leave the colours as they are
    }
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, window);
    setPalette(palette);
    for (QWidget* w : {body_, leftColumn_, magnifierPanel_, groupPanel_, viewingArea_, static_cast<QWidget*>(toolBar_)})
        w->setAutoFillBackground(true);
    if (fullScreen_) {
        QPalette black = viewingArea_->palette();
        black.setColor(QPalette::Window, Qt::black);
        viewingArea_->setPalette(black);
    }
    for (QToolButton* button : toolButtons_) {
        QPalette p = button->palette();
        p.setColor(QPalette::ButtonText, toolBarText);
        p.setColor(QPalette::WindowText, toolBarText);
        button->setPalette(p);
    }
}

} // namespace orvane::ui
