#include "app/FindControllers.h"

#include "app/GuiHost.h"
#include "core/Settings.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zyl {

namespace {

const QColor ProblemColour(190, 30, 30);

enum Column { ColumnAddress, ColumnBaud, ColumnMode, ColumnVersion, ColumnCount };

QString PortText(AppContext& context) {
    const std::string name = PortNameFor(TLinkParams{context.controls.PortItemIndex(), 6});
    const std::string device = DeviceForPort(context.settings.ports, name);
    QString text = QString::fromStdString(name);
    if (!device.empty() && device != name) text += QStringLiteral(" (%1)").arg(device.c_str());
    return text;
}

QString Plural(int n, const char* one, const char* many) {
    return QString::number(n) + QLatin1Char(' ') + QString::fromLatin1(n == 1 ? one : many);
}

} // namespace

// The scan's host: its progress goes to the dialog's bar, its cancel request is the dialog's
// Cancel; messages and questions go to the program's own host.
class FindControllersDialog::ScanHost : public ForwardingHost {
public:
    ScanHost(FindControllersDialog& dialog, Host& outer) : ForwardingHost(outer), dialog_(dialog) {}

    void ShowProgress(int position, int maximum, const std::string& text) override {
        dialog_.ShowProgress(position, maximum, FromPcText(text));
        ProcessEvents();
    }
    void HideProgress() override {}
    bool CancelRequested() override { return dialog_.cancelRequested_; }
    void ClearCancel() override { dialog_.cancelRequested_ = false; }
    void ProcessEvents() override { QCoreApplication::processEvents(); }

private:
    FindControllersDialog& dialog_;
};

FindControllersDialog::FindControllersDialog(AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context), host_(std::make_unique<ScanHost>(*this, context.host)) {
    setWindowTitle(QStringLiteral("Find controllers"));

    // What to scan.
    auto* scanGroup = new QGroupBox(QStringLiteral("Scan"), this);
    rate9600_ = new QCheckBox(QStringLiteral("9600"), scanGroup);
    rate19200_ = new QCheckBox(QStringLiteral("19200"), scanGroup);
    rate9600_->setChecked(true);
    rate19200_->setChecked(true);
    auto* rates = new QHBoxLayout;
    rates->addWidget(rate9600_);
    rates->addWidget(rate19200_);
    rates->addStretch(1);

    firstAddress_ = new QSpinBox(scanGroup);
    lastAddress_ = new QSpinBox(scanGroup);
    for (QSpinBox* edit : {firstAddress_, lastAddress_})
        edit->setRange(ScanLowestAddress, ScanHighestAddress);
    firstAddress_->setValue(ScanLowestAddress);
    lastAddress_->setValue(ScanHighestAddress);
    auto* addresses = new QHBoxLayout;
    addresses->addWidget(firstAddress_);
    addresses->addWidget(new QLabel(QStringLiteral("to"), scanGroup));
    addresses->addWidget(lastAddress_);
    addresses->addStretch(1);

    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    form->addRow(QStringLiteral("Baud rates"), rates);
    form->addRow(QStringLiteral("Addresses"), addresses);
    form->addRow(QStringLiteral("Port"), new QLabel(PortText(context_), scanGroup));
    form->addRow(QStringLiteral("Requests"),
                 new QLabel(context_.access.moduleMode
                                ? QStringLiteral("through the communication module")
                                : QStringLiteral("direct"),
                            scanGroup));

    start_ = new QPushButton(QStringLiteral("Start"), scanGroup);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), scanGroup);
    bar_ = new QProgressBar(scanGroup);
    bar_->setRange(0, 1);
    bar_->setValue(0);
    bar_->setFormat(QStringLiteral("%p%"));
    auto* run = new QHBoxLayout;
    run->addWidget(start_);
    run->addWidget(bar_, 1);
    run->addWidget(cancel_);

    status_ = new QLabel(scanGroup);
    status_->setTextFormat(Qt::PlainText);
    status_->setWordWrap(true);

    auto* scanLayout = new QVBoxLayout(scanGroup);
    scanLayout->addLayout(form);
    scanLayout->addSpacing(4);
    scanLayout->addLayout(run);
    scanLayout->addWidget(status_);

    // What answered.
    auto* foundGroup = new QGroupBox(QStringLiteral("Controllers found"), this);
    list_ = new QTableWidget(0, ColumnCount, foundGroup);
    list_->setHorizontalHeaderLabels({QStringLiteral("Address"), QStringLiteral("Baud rate"),
                                      QStringLiteral("Mode"), QStringLiteral("Version")});
    list_->verticalHeader()->hide();
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setAlternatingRowColors(true);
    list_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    list_->setMinimumHeight(list_->horizontalHeader()->sizeHint().height() +
                            6 * list_->verticalHeader()->defaultSectionSize() + 4);
    auto* foundLayout = new QVBoxLayout(foundGroup);
    foundLayout->addWidget(list_);

    use_ = new QPushButton(QStringLiteral("Use"), this);
    use_->setToolTip(QStringLiteral("Set the main window's address, baud rate and mode"));
    close_ = new QPushButton(QStringLiteral("Close"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(use_);
    buttons->addWidget(close_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scanGroup);
    layout->addWidget(foundGroup, 1);
    layout->addLayout(buttons);

    connect(start_, &QPushButton::clicked, this, [this] { StartScan(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { cancelRequested_ = true; });
    connect(use_, &QPushButton::clicked, this, [this] { UseSelected(); });
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    connect(list_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (scanning_) return;
        list_->selectRow(row);
        UseSelected();
    });
    connect(list_, &QTableWidget::itemSelectionChanged, this, [this] { UpdateButtons(); });
    for (QCheckBox* box : {rate9600_, rate19200_})
        connect(box, &QCheckBox::toggled, this, [this] { ShowPlanProblem(); });
    for (QSpinBox* edit : {firstAddress_, lastAddress_})
        connect(edit, &QSpinBox::valueChanged, this, [this] { ShowPlanProblem(); });

    ShowPlanProblem();
    resize(460, sizeHint().height());
}

FindControllersDialog::~FindControllersDialog() = default;

ScanPlan FindControllersDialog::Plan() const {
    ScanPlan plan;
    plan.baudRates.clear();
    if (rate9600_->isChecked()) plan.baudRates.push_back(9600);
    if (rate19200_->isChecked()) plan.baudRates.push_back(19200);
    plan.firstAddress = firstAddress_->value();
    plan.lastAddress = lastAddress_->value();
    return plan;
}

void FindControllersDialog::SetStatus(const QString& text, bool problem) {
    QPalette palette = status_->palette();
    palette.setColor(QPalette::WindowText,
                     problem ? ProblemColour : this->palette().color(QPalette::WindowText));
    status_->setPalette(palette);
    status_->setText(text);
}

void FindControllersDialog::ShowPlanProblem() {
    const ScanPlan plan = Plan();
    if (const std::string error = ScanPlanError(plan); !error.empty()) {
        QString text = QString::fromStdString(error);
        text[0] = text[0].toUpper();
        SetStatus(text, true);
    } else {
        const int addresses = plan.lastAddress - plan.firstAddress + 1;
        SetStatus(Plural(ScanAttemptCount(plan), "request", "requests") +
                      QStringLiteral(": one to each of ") +
                      Plural(addresses, "address", "addresses") + QStringLiteral(" at ") +
                      Plural(int(plan.baudRates.size()), "baud rate", "baud rates") +
                      QLatin1Char('.'),
                  false);
    }
    UpdateButtons();
}

void FindControllersDialog::UpdateButtons() {
    const bool idle = !scanning_;
    start_->setEnabled(idle && ScanPlanError(Plan()).empty());
    cancel_->setEnabled(scanning_);
    for (QWidget* w : std::initializer_list<QWidget*>{rate9600_, rate19200_, firstAddress_,
                                                      lastAddress_, close_})
        w->setEnabled(idle);
    const bool canUse = idle && !list_->selectedItems().isEmpty();
    use_->setEnabled(canUse);
    use_->setDefault(canUse);
    start_->setDefault(!canUse);
}

void FindControllersDialog::AddRow(const FoundController& controller) {
    found_.push_back(controller);
    const int row = list_->rowCount();
    list_->insertRow(row);
    const QString cells[ColumnCount] = {
        QString::number(controller.address), QString::number(controller.baud),
        controller.module ? QStringLiteral("module") : QStringLiteral("direct"),
        controller.version ? QString::number(*controller.version) : QStringLiteral("unknown")};
    for (int c = 0; c < ColumnCount; ++c) {
        auto* item = new QTableWidgetItem(cells[c]);
        item->setTextAlignment(Qt::AlignCenter);
        list_->setItem(row, c, item);
    }
    if (row == 0) list_->selectRow(0);
}

void FindControllersDialog::ShowProgress(int position, int maximum, const QString& text) {
    bar_->setMaximum(std::max(maximum, 1));
    bar_->setValue(std::clamp(position, 0, bar_->maximum()));
    if (!text.isEmpty()) SetStatus(QStringLiteral("Asking address ") + text, false);
}

void FindControllersDialog::StartScan() {
    const ScanPlan plan = Plan();
    if (scanning_ || !ScanPlanError(plan).empty()) return;
    found_.clear();
    list_->setRowCount(0);
    scanning_ = true;
    cancelRequested_ = false;
    UpdateButtons();
    cancel_->setFocus();

    // The program's host holds other input off while it lets events run; Cancel stays live.
    auto* gui = dynamic_cast<GuiHost*>(&context_.host);
    if (gui) gui->AllowDuringOperations(cancel_);
    ScanResult result;
    try {
        result = ScanForControllers(context_.access, plan, *host_,
                                    [this](const FoundController& c) { AddRow(c); });
    } catch (...) {
        if (gui) gui->DisallowDuringOperations(cancel_);
        scanning_ = false;
        UpdateButtons();
        throw;
    }
    if (gui) gui->DisallowDuringOperations(cancel_);

    scanning_ = false;
    ShowOutcome(result);
    UpdateButtons();
    if (closeAfterScan_) QDialog::reject();
}

void FindControllersDialog::ShowOutcome(const ScanResult& result) {
    const int n = int(result.found.size());
    const QString found = n == 0
                              ? QStringLiteral("no controller found")
                              : Plural(n, "controller", "controllers") + QStringLiteral(" found");
    switch (result.outcome) {
    case Outcome::Ok:
        bar_->setValue(bar_->maximum());
        if (n == 0)
            SetStatus(QStringLiteral("No controller answered."), true);
        else
            SetStatus(Plural(n, "controller", "controllers") +
                          QStringLiteral(" found: double-click one, or choose it and press Use."),
                      false);
        break;
    case Outcome::Cancelled:
        bar_->setValue(result.attempts);
        SetStatus(QStringLiteral("Cancelled after %1 of %2 requests; ")
                          .arg(result.attempts)
                          .arg(bar_->maximum()) +
                      found + QLatin1Char('.'),
                  false);
        break;
    default:
        SetStatus(QStringLiteral("No communication: ") + FromPcText(result.cause), true);
        break;
    }
}

void FindControllersDialog::UseSelected() {
    if (scanning_) return;
    const QList<QTableWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty()) return;
    const int row = selected.front()->row();
    if (row < 0 || row >= int(found_.size())) return;
    chosen_ = found_[std::size_t(row)];
    accept();
}

void FindControllersDialog::reject() {
    if (scanning_) {
        cancelRequested_ = true;
        closeAfterScan_ = true;
        return;
    }
    QDialog::reject();
}

} // namespace zyl
