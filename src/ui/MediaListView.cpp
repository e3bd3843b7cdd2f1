#include "ui/MediaListView.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace orvane::ui {

MediaListView::MediaListView(QWidget* parent) : QListView(parent)
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true); // constant-time layout for huge lists
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setLayoutMode(QListView::Batched);
    setBatchSize(1000);
}

void MediaListView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QListView::currentChanged(current, previous);
    if (fromKeyboard_ && current.isValid())
        emit LineClicked();
}

void MediaListView::keyPressEvent(QKeyEvent* event)
{
    fromKeyboard_ = true;
    QListView::keyPressEvent(event);
    fromKeyboard_ = false;
}

void MediaListView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        event->accept(); // the context menu event follows on its own
        return;
    }
    QListView::mousePressEvent(event);
}

void MediaListView::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() == Qt::RightButton)
        return;
    QListView::mouseMoveEvent(event);
}

void MediaListView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton)
        return;
    QListView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid())
        emit LineClicked();
}

} // namespace orvane::ui
