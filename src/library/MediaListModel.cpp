#include "library/MediaListModel.h"

namespace orvane::library {

void MediaListModel::SetLines(const QStringList& lines)
{
    beginResetModel();
    lines_ = lines;
    endResetModel();
}

void MediaListModel::Append(const QString& line)
{
    const int row = Count();
    beginInsertRows(QModelIndex(), row, row);
    lines_.append(line);
    endInsertRows();
}

void MediaListModel::SetLine(int index, const QString& text)
{
    if (index < 0 || index >= Count())
        return;
    lines_[index] = text;
    const QModelIndex changed = this->index(index);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

void MediaListModel::RemoveLine(int index)
{
    if (index < 0 || index >= Count())
        return;
    beginRemoveRows(QModelIndex(), index, index);
    lines_.removeAt(index);
    endRemoveRows();
}

int MediaListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Count();
}

QVariant MediaListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= Count())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return lines_.at(index.row());
    return {};
}

} // namespace orvane::library
