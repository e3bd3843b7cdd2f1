#pragma once
// A list box of the file list: a multi-select list view over a media list
// model. A click on a line, or moving the highlight with the keyboard,
// reports the line like a click. The right button only opens the pop-up
// menu: the file commands work on the lines already selected, so it never
// changes the selection.
#include <QListView>

namespace orvane::ui {

class MediaListView : public QListView {
    Q_OBJECT
public:
    explicit MediaListView(QWidget* parent = nullptr);

signals:
    void LineClicked();

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool fromKeyboard_ = false;
};

} // namespace orvane::ui
