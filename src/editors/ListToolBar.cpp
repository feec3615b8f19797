#include "editors/ListToolBar.h"

#include "panel/CodePage.h"

#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include <exception>

namespace zyl {

namespace {

const QColor Outline(0x2E, 0x34, 0x3D);
const QColor ReadArrow(0x1E, 0x8C, 0x45);
const QColor WriteArrow(0xD9, 0x6C, 0x06);

// A block arrow along the icon's middle, pointing left (into the program) or right.
void DrawArrow(QPainter& p, double s, bool pointsRight, const QColor& colour) {
    const double y = s * 0.5, half = s * 0.13, head = s * 0.24;
    const double tail = s * 0.04, tip = s * 0.46;
    QPainterPath path;
    if (pointsRight) {
        path.moveTo(tail, y - half * 0.55);
        path.lineTo(tip - head, y - half * 0.55);
        path.lineTo(tip - head, y - half * 1.45);
        path.lineTo(tip, y);
        path.lineTo(tip - head, y + half * 1.45);
        path.lineTo(tip - head, y + half * 0.55);
        path.lineTo(tail, y + half * 0.55);
    } else {
        path.moveTo(tip, y - half * 0.55);
        path.lineTo(tail + head, y - half * 0.55);
        path.lineTo(tail + head, y - half * 1.45);
        path.lineTo(tail, y);
        path.lineTo(tail + head, y + half * 1.45);
        path.lineTo(tail + head, y + half * 0.55);
        path.lineTo(tip, y + half * 0.55);
    }
    path.closeSubpath();
    p.setPen(QPen(colour.darker(140), std::max(1.0, s / 32.0)));
    p.setBrush(colour);
    p.drawPath(path);
}

// The controller: a grey case with a display and two keys, on the right half.
void DrawController(QPainter& p, double s) {
    const QRectF body(s * 0.48, s * 0.14, s * 0.48, s * 0.72);
    p.setPen(QPen(Outline, std::max(1.0, s / 32.0)));
    p.setBrush(QColor(0x8E, 0x99, 0xA6));
    p.drawRoundedRect(body, s * 0.05, s * 0.05);
    p.setBrush(QColor(0x9B, 0xE0, 0x8F));
    p.drawRect(
        QRectF(body.left() + s * 0.07, body.top() + s * 0.08, body.width() - s * 0.14, s * 0.20));
    p.setBrush(QColor(0x3B, 0x42, 0x4C));
    const double key = s * 0.09;
    p.drawEllipse(QRectF(body.left() + s * 0.09, body.bottom() - s * 0.24, key, key));
    p.drawEllipse(QRectF(body.right() - s * 0.09 - key, body.bottom() - s * 0.24, key, key));
}

// A floppy disk on the right half.
void DrawDisk(QPainter& p, double s) {
    const QRectF body(s * 0.48, s * 0.14, s * 0.48, s * 0.72);
    QPainterPath outline;
    outline.moveTo(body.topLeft());
    outline.lineTo(body.right() - s * 0.09, body.top());
    outline.lineTo(body.right(), body.top() + s * 0.09);
    outline.lineTo(body.bottomRight());
    outline.lineTo(body.bottomLeft());
    outline.closeSubpath();
    p.setPen(QPen(Outline, std::max(1.0, s / 32.0)));
    p.setBrush(QColor(0x2F, 0x6D, 0xB5));
    p.drawPath(outline);
    p.setBrush(QColor(0xD5, 0xDB, 0xE2));
    p.drawRect(QRectF(body.left() + s * 0.10, body.top(), s * 0.24, s * 0.20));
    p.setBrush(QColor(0x2F, 0x6D, 0xB5).darker(130));
    p.drawRect(QRectF(body.left() + s * 0.25, body.top() + s * 0.03, s * 0.06, s * 0.13));
    p.setBrush(Qt::white);
    p.drawRect(
        QRectF(body.left() + s * 0.07, body.top() + s * 0.36, body.width() - s * 0.14, s * 0.30));
}

void DrawPencil(QPainter& p, double s) {
    p.save();
    p.translate(s * 0.5, s * 0.5);
    p.rotate(-45);
    const double len = s * 0.78, w = s * 0.20;
    const double x0 = -len / 2;
    p.setPen(QPen(Outline, std::max(1.0, s / 32.0)));
    p.setBrush(QColor(0xF2, 0xB1, 0x34));
    p.drawRect(QRectF(x0 + len * 0.22, -w / 2, len * 0.62, w));
    p.setBrush(QColor(0xE8, 0x84, 0x8A));
    p.drawRect(QRectF(x0 + len * 0.84, -w / 2, len * 0.16, w));
    QPainterPath tip;
    tip.moveTo(x0, 0);
    tip.lineTo(x0 + len * 0.22, -w / 2);
    tip.lineTo(x0 + len * 0.22, w / 2);
    tip.closeSubpath();
    p.setBrush(QColor(0xF5, 0xDE, 0xB3));
    p.drawPath(tip);
    QPainterPath lead;
    lead.moveTo(x0, 0);
    lead.lineTo(x0 + len * 0.08, -w * 0.18);
    lead.lineTo(x0 + len * 0.08, w * 0.18);
    lead.closeSubpath();
    p.setBrush(Outline);
    p.drawPath(lead);
    p.restore();
}

void DrawCheck(QPainter& p, double s) {
    QPen pen(QColor(0x1E, 0x8C, 0x45), s * 0.16, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(s * 0.16, s * 0.52);
    path.lineTo(s * 0.40, s * 0.76);
    path.lineTo(s * 0.84, s * 0.24);
    p.drawPath(path);
}

void DrawCross(QPainter& p, double s) {
    QPen pen(QColor(0xC6, 0x3B, 0x2F), s * 0.15, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    p.drawLine(QPointF(s * 0.22, s * 0.22), QPointF(s * 0.78, s * 0.78));
    p.drawLine(QPointF(s * 0.78, s * 0.22), QPointF(s * 0.22, s * 0.78));
}

QPixmap IconPixmap(ToolIcon icon, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    switch (icon) {
    case ToolIcon::ReadFromController:
        DrawController(p, s);
        DrawArrow(p, s, false, ReadArrow);
        break;
    case ToolIcon::WriteToController:
        DrawController(p, s);
        DrawArrow(p, s, true, WriteArrow);
        break;
    case ToolIcon::ReadFromDisk:
        DrawDisk(p, s);
        DrawArrow(p, s, false, ReadArrow);
        break;
    case ToolIcon::WriteToDisk:
        DrawDisk(p, s);
        DrawArrow(p, s, true, WriteArrow);
        break;
    case ToolIcon::Edit:
        DrawPencil(p, s);
        break;
    case ToolIcon::Save:
        DrawCheck(p, s);
        break;
    case ToolIcon::Cancel:
        DrawCross(p, s);
        break;
    }
    return pixmap;
}

constexpr ToolIcon IconOf(ListAction action) {
    switch (action) {
    case ListAction::ReadFromController:
        return ToolIcon::ReadFromController;
    case ListAction::WriteToController:
        return ToolIcon::WriteToController;
    case ListAction::ReadFromDisk:
        return ToolIcon::ReadFromDisk;
    case ListAction::WriteToDisk:
        return ToolIcon::WriteToDisk;
    case ListAction::Edit:
        return ToolIcon::Edit;
    case ListAction::Save:
        return ToolIcon::Save;
    }
    return ToolIcon::Save;
}

constexpr bool IsDiskAction(ListAction action) {
    return action == ListAction::ReadFromDisk || action == ListAction::WriteToDisk;
}

} // namespace

QIcon DrawnToolIcon(ToolIcon icon) {
    QIcon result;
    for (int size : {16, 24, 32, 48, 64}) result.addPixmap(IconPixmap(icon, size));
    return result;
}

QToolButton* MakeToolButton(ToolIcon icon, const QString& hint, QWidget* parent, bool withText) {
    auto* button = new QToolButton(parent);
    button->setIcon(DrawnToolIcon(icon));
    button->setIconSize(QSize(28, 28));
    button->setAutoRaise(true);
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    button->setText(hint);
    button->setToolButtonStyle(withText ? Qt::ToolButtonTextBesideIcon : Qt::ToolButtonIconOnly);
    return button;
}

ListToolBar::ListToolBar(bool withDiskButtons, QWidget* parent) : QToolBar(parent) {
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(28, 28));
    for (int i = 0; i < int(ListActionHints.size()); ++i) {
        const auto action = static_cast<ListAction>(i);
        if (IsDiskAction(action) && !withDiskButtons) continue;
        if (action == ListAction::ReadFromDisk || action == ListAction::Edit) addSeparator();
        QToolButton* button = MakeToolButton(
            IconOf(action), QString::fromLatin1(ListActionHints[std::size_t(i)]), this);
        addWidget(button);
        buttons_[std::size_t(i)] = button;
        connect(button, &QToolButton::clicked, this,
                [this, action] { emit actionTriggered(action); });
    }
}

QToolButton* ListToolBar::Button(ListAction action) const {
    return buttons_[static_cast<std::size_t>(action)];
}

void RunUserAction(Host& host, const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& e) {
        host.ShowMessageBox(Utf8ToPc(1250, e.what()));
    }
}

// --- RowTableModel -------------------------------------------------------------------------

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

// --- ListWindow ----------------------------------------------------------------------------

ListWindow::ListWindow(Host& host, const QString& title, std::vector<RowTableModel::Column> columns,
                       int rows, RowTableModel::RowSource source, bool withDiskButtons,
                       QWidget* parent)
    : QDialog(parent), host_(host), toolBar_(new ListToolBar(withDiskButtons, this)),
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

    connect(toolBar_, &ListToolBar::actionTriggered, this, &ListWindow::Trigger);
    connect(grid_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) RunUserAction(host_, [this, row = index.row()] { EditRow(row); });
    });
}

int ListWindow::SelectedRow() const {
    const QModelIndex current = grid_->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void ListWindow::Trigger(ListAction action) {
    RunUserAction(host_, [this, action] {
        switch (action) {
        case ListAction::ReadFromController:
            ReadFromController();
            break;
        case ListAction::WriteToController:
            WriteToController();
            break;
        case ListAction::ReadFromDisk:
            ReadFromDisk();
            break;
        case ListAction::WriteToDisk:
            WriteToDisk();
            break;
        case ListAction::Edit:
            EditSelected();
            break;
        case ListAction::Save:
            accept();
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
