#include "transfer/ProjectRows.h"

#include "app/GuiHost.h"
#include "editors/EditorWidgets.h"
#include "transfer/FieldDifferencesWindow.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>

namespace zyl {

namespace {

QColor ResultColour(BlockEnd end) {
    switch (end) {
    case BlockEnd::Ok:
        return QColor(0, 128, 0);
    case BlockEnd::Difference:
        return QColor(190, 100, 0);
    default:
        return QColor(190, 30, 30);
    }
}

} // namespace

// The run's host: messages and questions go to the program's host; the stop request is the
// window's own and only Start clears it; progress goes to the rows, through the view.
class ProjectRowsWindow::RunHost : public ForwardingHost {
public:
    RunHost(ProjectRowsWindow& window, Host& outer) : ForwardingHost(outer), window_(window) {}

    void ShowProgress(int, int, const std::string&) override { ProcessEvents(); }
    void HideProgress() override {}
    bool CancelRequested() override { return window_.stopRequested_; }
    void ClearCancel() override {}
    void ProcessEvents() override { QCoreApplication::processEvents(); }

private:
    ProjectRowsWindow& window_;
};

class ProjectRowsWindow::RowsView : public ProjectRunView {
public:
    explicit RowsView(ProjectRowsWindow& window) : window_(window) {}

    void RowStarted(ProjectBlock block, int maximum) override {
        const RowWidgets& row = window_.Row(block);
        row.bar->setRange(0, std::max(maximum, 1));
        row.bar->setValue(0);
        row.bar->show();
        row.result->clear();
    }
    void RowProgress(ProjectBlock block, int position) override {
        QProgressBar* bar = window_.Row(block).bar;
        bar->setValue(std::clamp(position, bar->minimum(), bar->maximum()));
    }
    void RowEnded(ProjectBlock block, BlockEnd end) override { window_.ShowRowResult(block, end); }

private:
    ProjectRowsWindow& window_;
};

ProjectRowsWindow::ProjectRowsWindow(AppContext& context, const Options& options, QWidget* parent)
    : QDialog(parent), context_(context), options_(options),
      host_(std::make_unique<RunHost>(*this, context.host)),
      view_(std::make_unique<RowsView>(*this)) {
    setWindowTitle(options_.title);

    auto* rowsLayout = new QVBoxLayout;
    rowsLayout->setSpacing(4);
    QFont resultFont = font();
    resultFont.setBold(true);
    const int resultWidth =
        QFontMetrics(resultFont).horizontalAdvance(FromPc(RowResultText(BlockEnd::Difference))) + 8;
    for (const ProjectBlock block : ProjectBlocks) {
        RowWidgets& row = rows_[std::size_t(RowOf(block))];
        row.frame = new QGroupBox(FromPc(options_.caption(block)), this);
        row.box = new QCheckBox(QStringLiteral("For transmission?"), row.frame);
        row.bar = new QProgressBar(row.frame);
        row.bar->setTextVisible(false);
        row.bar->setFixedWidth(220);
        // A hidden bar keeps its place, so the result texts stay in one column.
        QSizePolicy keep = row.bar->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        row.bar->setSizePolicy(keep);
        row.bar->hide();
        row.result = new QLabel(row.frame);
        row.result->setMinimumWidth(resultWidth);
        row.result->setFont(resultFont);
        keep = row.result->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        row.result->setSizePolicy(keep);

        auto* line = new QHBoxLayout(row.frame);
        line->setContentsMargins(8, 2, 8, 4);
        line->addWidget(row.box);
        line->addStretch(1);
        line->addWidget(row.bar);
        line->addSpacing(12);
        line->addWidget(row.result);
        rowsLayout->addWidget(row.frame);
        row.frame->installEventFilter(this);
        row.result->installEventFilter(this);
    }

    selectAll_ = new QPushButton(QStringLiteral("Select All"), this);
    if (options_.withComparison) comparison_ = new QPushButton(QStringLiteral("Comparison"), this);
    start_ = new QPushButton(QStringLiteral("Start"), this);
    // Wide enough for either caption, so the button does not change size.
    start_->setMinimumWidth(
        std::max(start_->sizeHint().width(),
                 fontMetrics().horizontalAdvance(QStringLiteral("Start  Stop")) + 24));
    start_->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(selectAll_);
    buttons->addStretch(1);
    if (comparison_) buttons->addWidget(comparison_);
    buttons->addWidget(start_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(rowsLayout);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    startTimer_.setSingleShot(true);
    startTimer_.setInterval(options_.startDelayMs);
    connect(&startTimer_, &QTimer::timeout, this, [this] { RunTransfer(); });
    connect(selectAll_, &QPushButton::clicked, this, [this] {
        for (const RowWidgets& row : rows_) row.box->setChecked(true);
    });
    connect(start_, &QPushButton::clicked, this, [this] { StartOrStop(); });
    if (comparison_) connect(comparison_, &QPushButton::clicked, this, [this] { Compare(); });
}

ProjectRowsWindow::~ProjectRowsWindow() = default;

void ProjectRowsWindow::StartOrStop() {
    if (!running_ && runInProgress_) return; // a stopped run is still unwinding
    for (const ProjectBlock block : ProjectBlocks) {
        const RowWidgets& row = Row(block);
        row.result->clear();
        row.result->setToolTip({});
        row.result->unsetCursor();
        differences_[std::size_t(RowOf(block))].clear();
        if (!(options_.startKeepsLastBar && block == ProjectBlocks.back())) row.bar->hide();
    }
    if (!running_) {
        stopRequested_ = false;
        start_->setText(QStringLiteral("Stop"));
        running_ = true;
        startTimer_.start();
    } else {
        stopRequested_ = true;
        start_->setText(QStringLiteral("Start"));
        for (const RowWidgets& row : rows_) {
            row.bar->hide();
            row.result->hide();
        }
        running_ = false;
        // Stopped before the run began: nothing is sent at all.
        startTimer_.stop();
    }
    UpdateButtons();
}

void ProjectRowsWindow::Compare() {
    if (running_ || runInProgress_) return;
    comparisonMode_ = true;
    StartOrStop();
}

void ProjectRowsWindow::RunTransfer() {
    if (!running_ || runInProgress_) return;
    BlockSelection blocks{};
    for (const ProjectBlock block : ProjectBlocks)
        blocks[std::size_t(RowOf(block))] = Row(block).box->isChecked();

    runInProgress_ = true;
    UpdateButtons();
    // The program's host holds other input off while it lets events run; this window (its
    // Stop, its close box) stays live.
    auto* gui = dynamic_cast<GuiHost*>(&context_.host);
    if (gui) gui->AllowDuringOperations(this);
    ProjectRunResult result;
    try {
        const ProjectChangeWatch watch(context_);
        AccessThroughHost through(context_.access, *host_);
        result = Transfer(through.Access(), blocks, *view_);
    } catch (const std::exception& e) {
        result.stopped = true;
        context_.host.ShowMessageBox(e.what());
    }
    if (gui) gui->DisallowDuringOperations(this);
    runInProgress_ = false;
    // A stopped run's rows show nothing, so they offer no differences either.
    for (const ProjectBlock block : ProjectBlocks) {
        const std::size_t i = std::size_t(RowOf(block));
        if (result.stopped) continue;
        differences_[i] = std::move(result.differences[i]);
        if (differences_[i].empty()) continue;
        QLabel* label = Row(block).result;
        label->setToolTip(QStringLiteral("Double-click to see the differing fields"));
        label->setCursor(Qt::PointingHandCursor);
    }

    if (result.completed) {
        start_->setText(QStringLiteral("Start"));
        running_ = false;
        comparisonMode_ = false;
    } else if (running_) {
        // Ended without Stop (an error): back to idle as after a Stop.
        start_->setText(QStringLiteral("Start"));
        running_ = false;
    }
    UpdateButtons();
    emit runEnded(result.completed);
    if (closeAfterRun_) QDialog::reject();
}

void ProjectRowsWindow::UpdateButtons() {
    const bool busy = running_ || runInProgress_;
    start_->setEnabled(running_ || !runInProgress_);
    selectAll_->setEnabled(!busy);
    for (const RowWidgets& row : rows_) row.box->setEnabled(!busy);
    if (comparison_) comparison_->setEnabled(!busy && !comparisonMode_);
}

void ProjectRowsWindow::ShowRowResult(ProjectBlock block, BlockEnd end) {
    QLabel* label = Row(block).result;
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ResultColour(end));
    label->setPalette(palette);
    label->setText(FromPc(RowResultText(end)));
}

bool ProjectRowsWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick)
        for (const ProjectBlock block : ProjectBlocks)
            if ((watched == Row(block).frame || watched == Row(block).result) &&
                ShowDifferences(block))
                return true;
    return QDialog::eventFilter(watched, event);
}

bool ProjectRowsWindow::ShowDifferences(ProjectBlock block) {
    const std::vector<FieldDifferenceRow>& rows = RowDifferences(block);
    if (rows.empty() || runInProgress_) return false;
    auto* window = new FieldDifferencesWindow(
        {QStringLiteral("Differing fields"),
         FromPc(options_.caption(block)) + QStringLiteral(": ") + DifferenceCount(rows.size()),
         QStringLiteral("Project"), QStringLiteral("Controller")},
        rows, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return true;
}

void ProjectRowsWindow::reject() {
    if (running_ || runInProgress_) {
        if (running_) StartOrStop();
        if (runInProgress_) {
            closeAfterRun_ = true;
            return;
        }
    }
    QDialog::reject();
}

} // namespace zyl
