#include "editors/ListWindow.h"

#include "panel/CodePage.h"

#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include <exception>

namespace zyl {

void RunUserAction(Host& host, const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& e) {
        host.ShowMessageBox(Utf8ToPc(1250, e.what()));
    }
}

ListWindow::ListWindow(Host& host, const QString& title, std::vector<RowTableModel::Column> columns,
                       int rows, RowTableModel::RowSource source,
                       std::span<const EditorAction> actions, QWidget* parent)
    : QDialog(parent), host_(host), toolBar_(new EditorToolBar(actions, this)),
      grid_(new QTableView(this)),
      model_(new RowTableModel(std::move(columns), rows, std::move(source), this)) {
    setWindowTitle(title);
    setModal(true);

    grid_->setModel(model_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setAlternatingRowColors(true);
    grid_->setWordWrap(false);
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 8);
    grid_->horizontalHeader()->setHighlightSections(false);
    grid_->horizontalHeader()->setDefaultAlignment(
        Qt::Alignment::fromInt(Qt::AlignCenter | Qt::TextWordWrap));
    grid_->horizontalHeader()->setStretchLastSection(false);
    grid_->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(2);
    layout->addWidget(toolBar_);
    layout->addWidget(grid_, 1);

    connect(toolBar_, &EditorToolBar::actionTriggered, this, &ListWindow::Trigger);
    connect(grid_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) RunUserAction(host_, [this, row = index.row()] { EditRow(row); });
    });
}

int ListWindow::SelectedRow() const {
    const QModelIndex current = grid_->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void ListWindow::Trigger(EditorAction action) {
    RunUserAction(host_, [this, action] {
        switch (action) {
        case EditorAction::ReadFromController:
            ReadFromController();
            break;
        case EditorAction::WriteToController:
            WriteToController();
            break;
        case EditorAction::ReadFromDisk:
            ReadFromDisk();
            break;
        case EditorAction::WriteToDisk:
            WriteToDisk();
            break;
        case EditorAction::Edit:
            EditSelected();
            break;
        case EditorAction::Save:
            accept();
            break;
        case EditorAction::Cancel:
            break;
        }
    });
}

void ListWindow::EditSelected() {
    const int row = SelectedRow();
    if (row >= 0) EditRow(row);
}

void ListWindow::Refill() {
    const int row = SelectedRow();
    model_->Refill();
    grid_->selectRow(row >= 0 ? row : 0);
    // New contents (names read from a file or the controller) widen their columns.
    QHeaderView* header = grid_->horizontalHeader();
    const QFontMetrics cellMetrics(grid_->font());
    for (int c = 0; c < model_->columnCount(); ++c) {
        int contentWidth = 0;
        for (int r = 0; r < model_->rowCount(); ++r)
            contentWidth =
                std::max(contentWidth, cellMetrics.horizontalAdvance(model_->Text(r, c)));
        if (contentWidth + 16 > header->sectionSize(c)) header->resizeSection(c, contentWidth + 16);
    }
}

void ListWindow::UpdateRow(int row) {
    model_->UpdateRow(row);
}

QSize ListWindow::FitColumns() {
    // Long titles wrap at their blanks, so a column is as wide as its contents or its widest
    // title word.
    QHeaderView* header = grid_->horizontalHeader();
    const QFontMetrics titleMetrics(header->font());
    const QFontMetrics cellMetrics(grid_->font());
    int headerHeight = 0;
    int width = grid_->frameWidth() * 2 + grid_->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < model_->columnCount(); ++c) {
        const QString title = model_->headerData(c, Qt::Horizontal).toString();
        int titleWidth = 0;
        for (const QString& word : title.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            titleWidth = std::max(titleWidth, titleMetrics.horizontalAdvance(word));
        int contentWidth = 0;
        for (int r = 0; r < model_->rowCount(); ++r)
            contentWidth =
                std::max(contentWidth, cellMetrics.horizontalAdvance(model_->Text(r, c)));
        const int section = std::max(contentWidth + 16, titleWidth + 18);
        header->resizeSection(c, section);
        width += section;
        const QRect wrapped = titleMetrics.boundingRect(QRect(0, 0, section - 10, 1000),
                                                        Qt::AlignCenter | Qt::TextWordWrap, title);
        headerHeight = std::max(headerHeight, wrapped.height() + 10);
    }
    header->setFixedHeight(headerHeight);
    const int rowsShown = std::min(model_->rowCount(), 20);
    int height = headerHeight + grid_->frameWidth() * 2 +
                 rowsShown * grid_->verticalHeader()->defaultSectionSize();
    const QMargins m = layout()->contentsMargins();
    width += m.left() + m.right();
    height += m.top() + m.bottom() + layout()->spacing() + toolBar_->sizeHint().height();
    return {width, height};
}

void ListWindow::FitToGrid() {
    QSize size = FitColumns();
    if (const QScreen* screen = QApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        size = size.boundedTo(QSize(available.width() - 40, available.height() - 80));
    }
    resize(size);
}

bool ListWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_ && event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !key->isAutoRepeat()) {
            RunUserAction(host_, [this] { EditSelected(); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace zyl
