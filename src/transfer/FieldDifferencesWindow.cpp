#include "transfer/FieldDifferencesWindow.h"

#include "core/Paths.h"
#include "panel/CodePage.h"
#include "transfer/ProjectText.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zyl {

QString DifferenceCount(std::size_t rows) {
    if (rows == 0) return QStringLiteral("No differences");
    return rows == 1 ? QStringLiteral("1 field differs")
                     : QStringLiteral("%1 fields differ").arg(rows);
}

FieldDifferencesWindow::FieldDifferencesWindow(const Captions& captions,
                                               std::vector<FieldDifferenceRow> rows,
                                               QWidget* parent)
    : QDialog(parent), rows_(std::move(rows)) {
    setWindowTitle(captions.title);
    heading_ = new QLabel(captions.heading, this);
    QFont bold = heading_->font();
    bold.setBold(true);
    heading_->setFont(bold);

    table_ = new QTableWidget(int(rows_.size()), 4, this);
    table_->setHorizontalHeaderLabels(
        {QStringLiteral("Record"), QStringLiteral("Field"), captions.left, captions.right});
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 8);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setAlternatingRowColors(true);
    table_->setWordWrap(false);
    for (int r = 0; r < int(rows_.size()); ++r) {
        const FieldDifferenceRow& row = rows_[std::size_t(r)];
        const std::string* cells[] = {&row.record, &row.field, &row.left, &row.right};
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(*cells[c]));
            item->setToolTip(item->text());
            table_->setItem(r, c, item);
        }
    }
    table_->resizeColumnsToContents();
    // Long values (raw stretches in hex) are cut at a readable width; the tooltip has them whole.
    for (int c = 0; c < 4; ++c) table_->setColumnWidth(c, std::min(table_->columnWidth(c), 360));
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    table_->setCurrentCell(-1, -1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* copy = buttons->addButton(QStringLiteral("Copy"), QDialogButtonBox::ActionRole);
    copy->setEnabled(!rows_.empty());
    connect(copy, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(RowsAsText()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addWidget(table_, 1);
    layout->addWidget(buttons);

    int width = 0;
    for (int c = 0; c < 4; ++c) width += table_->columnWidth(c);
    resize(std::clamp(width + 60, 520, 1100),
           std::clamp(int(rows_.size()) * (table_->fontMetrics().height() + 8) + 120, 220, 640));
}

QString FieldDifferencesWindow::RowsAsText() const {
    QString text;
    for (const FieldDifferenceRow& row : rows_)
        text += QString::fromStdString(DifferenceLine(row)) + '\n';
    return text;
}

FieldDifferencesWindow* OpenFileComparison(AppContext& context, QWidget* parent) {
    const std::string& open = context.document.fileName;
    const std::string folder = open.empty()
                                   ? ProgramFolder()
                                   : QFileInfo(QString::fromStdString(open)).path().toStdString();
    const auto chosen =
        context.host.ChooseOpenFile({"Project ZYL|*.zyp;*.zy2", "zy2", folder, false});
    if (!chosen) return nullptr;
    const RecordFilesDiff diff =
        DiffProjectWithFile(context.project, *chosen, PcCodePageFor(context.link.codePage));
    if (!diff) {
        context.host.ShowMessageBox("The project could not be compared with the file", diff.error);
        return nullptr;
    }
    const QString mine = open.empty() ? QStringLiteral("This project")
                                      : QFileInfo(QString::fromStdString(open)).fileName();
    const QString other = QFileInfo(QString::fromStdString(*chosen)).fileName();
    auto* window =
        new FieldDifferencesWindow({QStringLiteral("Compare with file"),
                                    mine + QStringLiteral(" and ") + other + QStringLiteral(": ") +
                                        DifferenceCount(diff.rows.size()),
                                    mine, other},
                                   diff.rows, parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

} // namespace zyl
