#include "editors/RowTableModel.h"

#include "panel/CodePage.h"

namespace zyl {

RowTableModel::RowTableModel(std::vector<Column> columns, int rows, RowSource source,
                             QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)), rows_(rows),
      source_(std::move(source)), texts_(std::size_t(rows)) {}

int RowTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int RowTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant RowTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) return Text(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(columns_[std::size_t(index.column())].alignment);
    return {};
}

QVariant RowTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < int(columns_.size()))
        return columns_[std::size_t(section)].title;
    return QAbstractTableModel::headerData(section, orientation, role);
}

void RowTableModel::Refill() {
    beginResetModel();
    for (int r = 0; r < rows_; ++r) {
        QStringList row;
        for (const std::string& text : source_(r))
            row << QString::fromStdString(PcToUtf8(1250, text));
        texts_[std::size_t(r)] = row;
    }
    endResetModel();
}

void RowTableModel::UpdateRow(int row) {
    if (row < 0 || row >= rows_) return;
    QStringList texts;
    for (const std::string& text : source_(row))
        texts << QString::fromStdString(PcToUtf8(1250, text));
    texts_[std::size_t(row)] = texts;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

QString RowTableModel::Text(int row, int column) const {
    if (row < 0 || row >= rows_) return {};
    const QStringList& texts = texts_[std::size_t(row)];
    return column >= 0 && column < texts.size() ? texts[column] : QString();
}

} // namespace zyl
