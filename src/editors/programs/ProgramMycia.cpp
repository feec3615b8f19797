#include "editors/programs/ProgramMycia.h"

#include "editors/EditorWidgets.h"
#include "editors/programs/Programs.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <optional>

namespace zyl {

namespace {

FileDialogSpec ProgramFileDialog(bool save) {
    return {ProgramFileFilter, ProgramFileExtension, "", save};
}

bool IsEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

const QColor EmptyStepText(150, 150, 150);
const QColor UnknownProcessText(170, 0, 0);

// Properties a cell editor carries: its cell, and whether its value has been stored.
constexpr const char* StepProperty = "zylStep";
constexpr const char* ColumnProperty = "zylColumn";
constexpr const char* StoredProperty = "zylStored";

} // namespace

// The steps of the editor's copy as the grid shows them: every cell is read from the copy,
// so a refill shows whatever the copy holds.
class StepTableModel : public QAbstractTableModel {
public:
    StepTableModel(const TProgramRecord& program, const TProjectImage& image, QObject* parent)
        : QAbstractTableModel(parent), program_(program), image_(image) {
        TakeChoices();
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : StepCount;
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : ProgramColumnCount;
    }

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override {
        if (!index.isValid()) return {};
        const TStepRecord& step = program_.Steps[index.row()];
        const int column = index.column();
        switch (role) {
        case Qt::DisplayRole:
            return column == ProcessColumn
                       ? ProcessText(step.ProcessNumber)
                       : QString::fromStdString(StepCellText(step, index.row() + 1, column,
                                                             ProcessTableFor(program_, image_)));
        case Qt::EditRole:
            if (column == ProcessColumn) return ProcessChoiceIndex(step.ProcessNumber);
            return QString::number(StepValue(step, column));
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(column == ProcessColumn
                                           ? Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter)
                                           : Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        case Qt::ForegroundRole:
            if (column == 0) return {};
            if (StepIsEmpty(step)) return EmptyStepText;
            if (column == ProcessColumn && ProcessChoiceIndex(step.ProcessNumber) < 0)
                return UnknownProcessText;
            return {};
        case Qt::BackgroundRole:
            if (column == 0) return QApplication::palette().button();
            return {};
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override {
        if (orientation == Qt::Horizontal && section >= 0 && section < ProgramColumnCount) {
            const ProgramColumn& c = ProgramColumns[std::size_t(section)];
            if (role == Qt::DisplayRole) return QString::fromLatin1(c.heading);
            if (role == Qt::ToolTipRole && section > ProcessColumn)
                return QStringLiteral("%1 to %2").arg(c.low).arg(c.high);
        }
        return QAbstractTableModel::headerData(section, orientation, role);
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid()) return Qt::NoItemFlags;
        const Qt::ItemFlags shown = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        return index.column() == 0 ? shown : shown | Qt::ItemIsEditable;
    }

    // The process list: "No data" and "n - name" for processes 1 to 16 (code page bytes).
    [[nodiscard]] const std::array<std::string, ProcessCount + 1>& Choices() const {
        return choices_;
    }
    [[nodiscard]] QString ProcessText(std::int32_t number) const {
        const int choice = ProcessChoiceIndex(number);
        return FromPc(choice >= 0 ? choices_[std::size_t(choice)]
                                  : ProcessCellText(number, ProcessTableFor(program_, image_)));
    }

    void Refill() {
        TakeChoices();
        emit dataChanged(index(0, 0), index(StepCount - 1, ProgramColumnCount - 1));
    }

private:
    void TakeChoices() { choices_ = ProcessChoices(ProcessTableFor(program_, image_)); }

    const TProgramRecord& program_;
    const TProjectImage& image_;
    std::array<std::string, ProcessCount + 1> choices_;
};

// The cell editors: the process list over the "Name" column, a whole-number field over the
// others. Leaving an editor stores its value once, whichever way it is left.
class StepDelegate : public QStyledItemDelegate {
public:
    using Store = std::function<void(int step, int column, const QVariant& value)>;
    enum class Direction { Next, Previous, Up, Down };
    using Move = std::function<void(Direction)>;

    StepDelegate(const StepTableModel& model, Store store, Move move, QObject* parent)
        : QStyledItemDelegate(parent), model_(model), store_(std::move(store)),
          move_(std::move(move)) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        QWidget* editor = nullptr;
        if (index.column() == ProcessColumn) {
            auto* box = new QComboBox(parent);
            std::array<const char*, ProcessCount + 1> texts{};
            std::transform(model_.Choices().begin(), model_.Choices().end(), texts.begin(),
                           [](const std::string& s) { return s.c_str(); });
            FillList(box, texts, -1);
            editor = box;
        } else if (index.column() > ProcessColumn) {
            auto* edit = new QLineEdit(parent);
            edit->setFrame(false);
            edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            edit->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("-?[0-9]{0,9}")), edit));
            editor = edit;
        }
        if (editor) {
            editor->setProperty(StepProperty, index.row());
            editor->setProperty(ColumnProperty, index.column());
        }
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            box->setCurrentIndex(index.data(Qt::EditRole).toInt()); // -1: nothing selected
        } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            edit->setText(index.data(Qt::EditRole).toString());
            edit->selectAll();
        }
    }

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex&) const override {
        editor->setGeometry(option.rect);
    }

    // The view asks for the value as the editor closes (focus gone elsewhere, another cell).
    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex&) const override {
        if (const auto taken = Take(editor)) store_(taken->step, taken->column, taken->value);
    }

    // Closes the editor, then stores its value: a message about the value then comes with
    // the editor already gone.
    void Leave(QWidget* editor) {
        const auto taken = Take(editor);
        emit closeEditor(editor, QAbstractItemDelegate::NoHint);
        if (taken) store_(taken->step, taken->column, taken->value);
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* editor = qobject_cast<QWidget*>(object);
        if (editor && event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            // Enter and Escape leave the editor on its cell (Escape keeps what was typed), Tab
            // moves on; in the number fields Up and Down move too (in the process list they
            // change the pick).
            if (IsEnter(key) || key == Qt::Key_Escape) {
                Leave(editor);
                return true;
            }
            Direction move{};
            bool moves = true;
            if (key == Qt::Key_Tab)
                move = Direction::Next;
            else if (key == Qt::Key_Backtab)
                move = Direction::Previous;
            else if (key == Qt::Key_Up && qobject_cast<QLineEdit*>(editor))
                move = Direction::Up;
            else if (key == Qt::Key_Down && qobject_cast<QLineEdit*>(editor))
                move = Direction::Down;
            else
                moves = false;
            if (moves) {
                Leave(editor);
                move_(move);
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    struct Taken {
        int step, column;
        QVariant value; // the process list's index (-1: no pick), or the typed text
    };
    // An editor's cell and value, the first time only.
    static std::optional<Taken> Take(QWidget* editor) {
        if (editor->property(StoredProperty).toBool()) return std::nullopt;
        editor->setProperty(StoredProperty, true);
        QVariant value;
        if (auto* box = qobject_cast<QComboBox*>(editor))
            value = box->currentIndex();
        else if (auto* edit = qobject_cast<QLineEdit*>(editor))
            value = edit->text();
        return Taken{editor->property(StepProperty).toInt(),
                     editor->property(ColumnProperty).toInt(), value};
    }

    const StepTableModel& model_;
    Store store_;
    Move move_;
};

// The step grid: arrows and Tab move through the cells; a double click, F2, Enter (on its
// release) or typing open the cell's editor.
class StepGrid : public QTableView {
public:
    StepGrid(StepTableModel* model, StepDelegate::Store store, QWidget* parent)
        : QTableView(parent) {
        setModel(model);
        delegate_ = new StepDelegate(
            *model, std::move(store),
            [this](StepDelegate::Direction direction) { Move(direction); }, this);
        setItemDelegate(delegate_);
        setEditTriggers(DoubleClicked | EditKeyPressed | AnyKeyPressed);
        setSelectionBehavior(SelectItems);
        setSelectionMode(SingleSelection);
        setTabKeyNavigation(true);
        setWordWrap(false);
        setCornerButtonEnabled(false);
        verticalHeader()->hide();
        verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
        horizontalHeader()->setMinimumSectionSize(20);
        horizontalHeader()->setDefaultSectionSize(20); // widened to the contents
        horizontalHeader()->setStretchLastSection(true);
        horizontalHeader()->setHighlightSections(false);
        horizontalHeader()->setSectionsClickable(false);
        horizontalHeader()->setDefaultAlignment(
            Qt::Alignment::fromInt(Qt::AlignCenter | Qt::TextWordWrap));
        setCurrentIndex(model->index(0, ProcessColumn));
    }

    [[nodiscard]] QWidget* OpenEditor() const {
        return state() == EditingState ? indexWidget(currentIndex()) : nullptr;
    }
    // Leaves an open editor as Enter does.
    void FinishEditing() {
        if (QWidget* editor = OpenEditor()) delegate_->Leave(editor);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (state() != EditingState) {
            if (IsEnter(event->key())) {
                enterPressed_ = true; // the editor opens when it is released
                event->accept();
                return;
            }
            if (event->key() == Qt::Key_Escape) {
                // A second Escape after leaving a cell editor must not close the window and
                // lose the program's edits: "Cancel" and the close box do that.
                event->accept();
                return;
            }
        }
        QTableView::keyPressEvent(event);
    }

    void keyReleaseEvent(QKeyEvent* event) override {
        if (IsEnter(event->key()) && !event->isAutoRepeat()) {
            // Only an Enter pressed on the grid: the one that closed a cell editor stays there.
            const bool open = enterPressed_ && state() != EditingState;
            enterPressed_ = false;
            if (open) edit(currentIndex(), AllEditTriggers, nullptr);
            event->accept();
            return;
        }
        QTableView::keyReleaseEvent(event);
    }

private:
    void Move(StepDelegate::Direction direction) {
        static constexpr CursorAction Actions[] = {MoveNext, MovePrevious, MoveUp, MoveDown};
        setCurrentIndex(moveCursor(Actions[int(direction)], Qt::NoModifier));
    }

    StepDelegate* delegate_;
    bool enterPressed_ = false;
};

TFProgramMycia::TFProgramMycia(AppContext& ctx, const TProgramRecord& record, QWidget* parent)
    : RecordEditor(ctx.host, QStringLiteral("Programs"), RecordEditorActionsWithCancel, parent),
      ctx_(ctx), record_(record) {
    nameEdit_ = new QLineEdit(this);
    nameEdit_->setFixedWidth(nameEdit_->fontMetrics().horizontalAdvance(QString(16, 'W')));
    auto* nameLabel = new QLabel(QStringLiteral("Name"), this);
    nameLabel->setBuddy(nameEdit_);
    if (IsWashingProgram(record_)) {
        nameEdit_->setEnabled(false);
        QPalette palette = nameEdit_->palette();
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            palette.setColor(group, QPalette::Base, palette.color(group, QPalette::Button));
        nameEdit_->setPalette(palette);
    }
    connect(nameEdit_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!showing_) SetProgramName(record_, ToPc(text));
    });
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(nameLabel);
    nameRow->addWidget(nameEdit_);
    nameRow->addStretch(1);

    model_ = new StepTableModel(record_, ctx_.project.image, this);
    grid_ = new StepGrid(
        model_,
        [this](int step, int column, const QVariant& value) { StoreCell(step, column, value); },
        this);

    Body()->addLayout(nameRow);
    Body()->addWidget(grid_, 1);
    // Unlike the other record editors this one can be resized (the grid scrolls).
    layout()->setSizeConstraint(QLayout::SetDefaultConstraint);

    ShowRecord();
    FitWindow();
    grid_->setFocus();
}

QTableView* TFProgramMycia::Grid() const {
    return grid_;
}

QWidget* TFProgramMycia::CellEditor() const {
    return grid_->OpenEditor();
}

void TFProgramMycia::ShowRecord() {
    showing_ = true;
    SetLimitedName(nameEdit_, record_.Name.Text(), ProgramNameTypingLimit);
    showing_ = false;
    model_->Refill();
    FitColumns();
}

void TFProgramMycia::TakeControls() {
    // The name is stored as it is typed; an open cell editor is left as Enter leaves it.
    grid_->FinishEditing();
}

void TFProgramMycia::StoreCell(int step, int column, const QVariant& value) {
    if (step < 0 || step >= StepCount) return;
    TStepRecord& s = record_.Steps[step];
    std::optional<std::string> message;
    if (column == ProcessColumn)
        ApplyProcessChoice(s, value.toInt());
    else
        message = ApplyStepValue(s, column, ToPc(value.toString()));
    model_->Refill();
    if (message) host_.ShowMessageBox(*message);
}

void TFProgramMycia::ReadFromController() {
    grid_->FinishEditing();
    if (ReadProgramFromController(ctx_.access, record_) == Outcome::Ok) ShowRecord();
}

void TFProgramMycia::WriteToController() {
    (void)WriteProgramToController(ctx_.access, record_);
    model_->Refill();
}

void TFProgramMycia::ReadFromDisk() {
    grid_->FinishEditing();
    if (LoadRecordFile(record_, ProgramFileDialog(false))) ShowRecord();
}

void TFProgramMycia::WriteToDisk() {
    SaveRecordFile(record_, ProgramFileDialog(true));
}

void TFProgramMycia::FitColumns() {
    // Each column is as wide as its widest text: the cells, the range's bounds, the process
    // list (with room for its arrow), or the widest word of its heading, which wraps.
    QHeaderView* header = grid_->horizontalHeader();
    const QFontMetrics titleMetrics(header->font());
    const QFontMetrics cellMetrics(grid_->font());
    int headerHeight = 0;
    for (int c = 0; c < ProgramColumnCount; ++c) {
        const ProgramColumn& column = ProgramColumns[std::size_t(c)];
        const QString title = QString::fromLatin1(column.heading);
        int titleWidth = 0;
        for (const QString& word : title.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            titleWidth = std::max(titleWidth, titleMetrics.horizontalAdvance(word));
        int contentWidth = 0;
        for (int r = 0; r < StepCount; ++r)
            contentWidth = std::max(
                contentWidth, cellMetrics.horizontalAdvance(model_->index(r, c).data().toString()));
        if (c == ProcessColumn) {
            for (const std::string& choice : model_->Choices())
                contentWidth =
                    std::max(contentWidth, cellMetrics.horizontalAdvance(FromPc(choice)) + 28);
        } else if (c > ProcessColumn) {
            for (int bound : {column.low, column.high})
                contentWidth =
                    std::max(contentWidth, cellMetrics.horizontalAdvance(QString::number(bound)));
        }
        const int section = std::max({contentWidth + 16, titleWidth + 18, header->sectionSize(c)});
        header->resizeSection(c, section);
        const QRect wrapped = titleMetrics.boundingRect(QRect(0, 0, section - 10, 1000),
                                                        Qt::AlignCenter | Qt::TextWordWrap, title);
        headerHeight = std::max(headerHeight, wrapped.height() + 10);
    }
    header->setFixedHeight(headerHeight);
}

void TFProgramMycia::FitWindow() {
    // Room for every column and all 30 steps, within the screen.
    const int frame = grid_->frameWidth() * 2;
    const QSize gridSize(grid_->horizontalHeader()->length() + frame +
                             grid_->verticalScrollBar()->sizeHint().width(),
                         grid_->horizontalHeader()->height() + frame +
                             StepCount * grid_->verticalHeader()->defaultSectionSize());
    const QSize layoutSize = layout()->sizeHint();
    const QMargins margins = layout()->contentsMargins();
    QSize size(std::max(layoutSize.width(), gridSize.width() + margins.left() + margins.right()),
               layoutSize.height() - grid_->sizeHint().height() + gridSize.height());
    if (const QScreen* screen = QApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        size = size.boundedTo(QSize(available.width() - 40, available.height() - 80));
    }
    resize(size);
}

bool EditProgram(AppContext& ctx, TProgramRecord& record, QWidget* parent) {
    TFProgramMycia editor(ctx, record, parent);
    if (editor.exec() != QDialog::Accepted) return false;
    record = editor.Record();
    return true;
}

} // namespace zyl
