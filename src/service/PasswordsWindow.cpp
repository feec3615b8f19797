#include "service/PasswordsWindow.h"

#include "app/Dialogs.h"
#include "app/GuiHost.h"
#include "panel/CodePage.h"
#include "service/Passwords.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace zyl {

namespace {

constexpr int NameColumn = 0;
constexpr int PasswordColumn = 1;
constexpr int ColumnWidth = 300;

// A slot's characters as the table shows them; zero bytes (a controller's unused places)
// are not shown.
QString ShownText(const std::string& bytes) {
    std::string visible = bytes;
    visible.erase(std::remove(visible.begin(), visible.end(), '\0'), visible.end());
    return FromPcText(visible);
}

} // namespace

PasswordsWindow::PasswordsWindow(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx), working_(ctx.project.passwords),
      typed_(std::size_t(PasswordRowCount)) {
    setWindowTitle(QStringLiteral("Passwords"));
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    table_ = new QTableWidget(PasswordRowCount, 2, this);
    table_->setObjectName(QStringLiteral("PasswordTable"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Passwords")});
    table_->verticalHeader()->hide();
    table_->setColumnWidth(NameColumn, ColumnWidth);
    table_->setColumnWidth(PasswordColumn, ColumnWidth);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    for (int row = 0; row < PasswordRowCount; ++row) {
        auto* name = new QTableWidgetItem(FromPcText(PasswordRowName(row)));
        name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        table_->setItem(row, NameColumn, name);
        table_->setItem(row, PasswordColumn, new QTableWidgetItem);
    }
    const int width = 2 * ColumnWidth + 2 * table_->frameWidth() +
                      table_->verticalScrollBar()->sizeHint().width();
    table_->setFixedWidth(width);
    // Fifteen whole rows under the title row.
    table_->setFixedHeight(table_->horizontalHeader()->sizeHint().height() +
                           15 * table_->rowHeight(0) + 2 * table_->frameWidth());

    read_ = new QPushButton(QStringLiteral("Read"), this);
    send_ = new QPushButton(QStringLiteral("Send"), this);
    close_ = new QPushButton(QStringLiteral("Close"), this);
    read_->setAutoDefault(false);
    send_->setAutoDefault(false);
    close_->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(read_);
    buttons->addWidget(send_);
    buttons->addStretch();
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addLayout(buttons);

    Fill();
    connect(table_, &QTableWidget::cellChanged, this, &PasswordsWindow::CellChanged);
    connect(read_, &QPushButton::clicked, this, &PasswordsWindow::Read);
    connect(send_, &QPushButton::clicked, this, &PasswordsWindow::Send);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);

    layout->setSizeConstraint(QLayout::SetFixedSize);
    CentreOnScreen(*this);
}

void PasswordsWindow::Fill() {
    filling_ = true;
    for (int row = 0; row < PasswordRowCount; ++row)
        table_->item(row, PasswordColumn)->setText(ShownText(PasswordShown(working_, row)));
    filling_ = false;
    std::fill(typed_.begin(), typed_.end(), std::nullopt);
}

void PasswordsWindow::CellChanged(int row, int column) {
    if (filling_ || column != PasswordColumn || row < 0 || row >= PasswordRowCount) return;
    typed_[std::size_t(row)] =
        Utf8ToPc(1250, table_->item(row, PasswordColumn)->text().toStdString());
}

void PasswordsWindow::Read() {
    if (busy_) return;
    busy_ = true;
    read_->setEnabled(false);
    send_->setEnabled(false);
    if (ReadPasswordsFromController(ctx_.access, working_) == Outcome::Ok) Fill();
    read_->setEnabled(true);
    send_->setEnabled(true);
    busy_ = false;
}

void PasswordsWindow::Send() {
    if (busy_) return;
    busy_ = true;
    read_->setEnabled(false);
    send_->setEnabled(false);
    ApplyTypedPasswords(working_, typed_);
    Fill();
    ctx_.project.passwords = working_;
    (void)SendPasswordsToController(ctx_.access, working_);
    read_->setEnabled(true);
    send_->setEnabled(true);
    busy_ = false;
}

void PasswordsWindow::done(int result) {
    // A read or send in progress ends first; its events are not taken while it waits.
    if (busy_) return;
    ctx_.project.passwords = working_;
    QDialog::done(result);
}

void OpenPasswords(AppContext& ctx, QWidget* parent) {
    const ProjectChangeWatch watch(ctx);
    PasswordsWindow window(ctx, parent);
    window.exec();
}

} // namespace zyl
