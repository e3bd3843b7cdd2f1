#pragma once
// The lines of one list box: entries relative to the root folder. A model,
// so a list view shows 100,000 lines without one object per line.
#include <QAbstractListModel>
#include <QStringList>

namespace orvane::library {

class MediaListModel : public QAbstractListModel {
    Q_OBJECT
public:
    // tag tells which list this is: 0 photos, 1 videos.
    explicit MediaListModel(int tag, QObject* parent = nullptr) : QAbstractListModel(parent), tag_(tag) {}

    int Tag() const { return tag_; }
    const QStringList& Lines() const { return lines_; }
    int Count() const { return static_cast<int>(lines_.size()); }
    QString Line(int index) const { return lines_.value(index); }

    // Replaces every line at once.
    void SetLines(const QStringList& lines);
    void Append(const QString& line);
    void Clear() { SetLines({}); }
    void SetLine(int index, const QString& text);
    void RemoveLine(int index);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    int tag_;
    QStringList lines_;
};

} // namespace orvane::library
