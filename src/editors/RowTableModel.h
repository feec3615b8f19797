#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

namespace zyl {

// A read-only grid over a block: each row's texts come from the source as PC code page 1250
// bytes and are kept until the row is refilled.
class RowTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using RowSource = std::function<std::vector<std::string>(int row)>;
    struct Column {
        QString title;
        Qt::Alignment alignment = Qt::AlignRight | Qt::AlignVCenter;
    };

    RowTableModel(std::vector<Column> columns, int rows, RowSource source,
                  QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    void Refill();
    void UpdateRow(int row);
    [[nodiscard]] QString Text(int row, int column) const;

private:
    std::vector<Column> columns_;
    int rows_;
    RowSource source_;
    std::vector<QStringList> texts_;
};

} // namespace zyl
