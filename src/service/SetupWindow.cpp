#include "service/SetupWindow.h"

#include "app/Dialogs.h"
#include "editors/EditorWidgets.h"
#include "project/FileIO.h"
#include "service/HelpPages.h"
#include "service/HelpViewer.h"
#include "service/PasswordsWindow.h"
#include "service/SetupParameters.h"
#include "service/SetupTransfer.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <array>

namespace zyl {

namespace {

constexpr std::array<int, 3> ColumnWidths = {40, 360, 260};
constexpr int VisibleRows = 24;

constexpr Qt::WindowFlags ToolWindowFlags =
    Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

char LocaleDecimalSeparator() {
    const QString point = QLocale().decimalPoint();
    return point.size() == 1 && point[0].unicode() < 0x80 ? char(point[0].unicode()) : '.';
}

FileDialogSpec SetupFileDialog() {
    FileDialogSpec dialog;
    dialog.filter = SetupFileFilter;
    dialog.defaultExtension = SetupFileExtension;
    return dialog;
}

// The hourglass while the block goes out; the normal cursor is back before any message or
// question the send shows.
class WaitCursorHost : public ForwardingHost {
public:
    explicit WaitCursorHost(Host& outer) : ForwardingHost(outer) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~WaitCursorHost() override { Restore(); }
    WaitCursorHost(const WaitCursorHost&) = delete;
    WaitCursorHost& operator=(const WaitCursorHost&) = delete;

    void ShowMessageBox(const std::string& text) override {
        Restore();
        ForwardingHost::ShowMessageBox(text);
    }
    void ShowMessageBox(const std::string& text, const std::string& cause) override {
        Restore();
        ForwardingHost::ShowMessageBox(text, cause);
    }
    int AskYesNo(const std::string& text) override {
        Restore();
        return ForwardingHost::AskYesNo(text);
    }

private:
    void Restore() {
        if (waiting_) QApplication::restoreOverrideCursor();
        waiting_ = false;
    }
    bool waiting_ = true;
};

} // namespace

// --- parameter edition dialog -----------------------------------------------------------------

ParameterEditDialog::ParameterEditDialog(int parameterNumber, int value, QWidget* parent)
    : QDialog(parent), n_(parameterNumber), value_(value), separator_(LocaleDecimalSeparator()) {
    setWindowTitle(QStringLiteral("Parameter edition"));
    setWindowFlags(ToolWindowFlags);

    const SetupParameter& p = SetupParameterInfo(n_);
    name_ = new QLabel(FromPc(p.name), this);
    QFont bold = name_->font();
    bold.setBold(true);
    name_->setFont(bold);
    name_->setWordWrap(true);
    name_->setFixedWidth(260);

    QWidget* editor;
    if (p.kind == ParameterKind::Choice) {
        choice_ = new QComboBox(this);
        choice_->setEditable(false);
        for (int v = p.min; v <= p.max; ++v)
            choice_->addItem(QString::fromStdString(SetupValueText(n_, v)));
        choice_->setCurrentIndex(SetupChoiceIndex(n_, value_));
        editor = choice_;
    } else {
        field_ =
            new QLineEdit(QString::fromStdString(SetupFieldText(n_, value_, separator_)), this);
        field_->installEventFilter(this);
        connect(field_, &QLineEdit::editingFinished, this, &ParameterEditDialog::FieldLeft);
        editor = field_;
    }
    editor->setFixedWidth(260);

    help_ = new QToolButton(this);
    help_->setText(QStringLiteral("?"));
    help_->setToolTip(QStringLiteral("Help"));
    help_->setAutoRaise(false);
    help_->setVisible(PathExists(HelpPagePath(n_)));
    connect(help_, &QToolButton::clicked, this, &ParameterEditDialog::OpenHelp);

    save_ = new QPushButton(QStringLiteral("Save"), this);
    close_ = new QPushButton(QStringLiteral("Close"), this);
    save_->setDefault(true);
    close_->setAutoDefault(false);
    connect(save_, &QPushButton::clicked, this, &ParameterEditDialog::Save);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(help_);
    buttons->addStretch();
    buttons->addWidget(save_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(name_);
    layout->addWidget(editor);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    editor->setFocus();
    CentreOnScreen(*this);
}

bool ParameterEditDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == field_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        // Control keys (editing, moving, Enter, Escape) pass; printable ones must fit.
        if (text.size() == 1 && text[0].isPrint() &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
            !SetupFieldTakes(n_, text[0].unicode(), separator_)) {
            QApplication::beep();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ParameterEditDialog::FieldLeft() {
    const auto number = SetupFieldNumber(n_, field_->text().toStdString(), separator_);
    if (!number) return;
    const int clamped = ClampToParameter(n_, *number);
    if (clamped != *number)
        field_->setText(QString::fromStdString(SetupFieldText(n_, clamped, separator_)));
}

void ParameterEditDialog::Save() {
    if (choice_) {
        result_ = SetupValueFromChoice(n_, choice_->currentIndex(), value_);
    } else {
        FieldLeft();
        result_ = SetupValueFromField(n_, field_->text().toStdString(), value_, separator_);
    }
    accept();
}

void ParameterEditDialog::OpenHelp() {
    (void)ShowHelp(n_, HelpPagePath(n_), this);
}

std::optional<int> ParameterEditDialog::Edit(int parameterNumber, int value, QWidget* parent) {
    ParameterEditDialog dialog(parameterNumber, value, parent);
    dialog.exec();
    return dialog.Result();
}

// --- setup window -------------------------------------------------------------------------------

SetupWindow::SetupWindow(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx), working_(ctx.project.image.Setup) {
    setWindowTitle(QStringLiteral("Setup"));
    setWindowFlags(ToolWindowFlags);

    table_ = new QTableWidget(SetupParameterCount, 3, this);
    table_->setObjectName(QStringLiteral("SetupTable"));
    table_->horizontalHeader()->hide();
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int c = 0; c < 3; ++c) table_->setColumnWidth(c, ColumnWidths[std::size_t(c)]);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    for (int n = 1; n <= SetupParameterCount; ++n) {
        table_->setItem(n - 1, 0, new QTableWidgetItem(QString::fromStdString(SetupRowNumber(n))));
        table_->setItem(n - 1, 1, new QTableWidgetItem(FromPc(SetupParameterInfo(n).name)));
        table_->setItem(n - 1, 2, new QTableWidgetItem);
    }
    table_->setFixedWidth(ColumnWidths[0] + ColumnWidths[1] + ColumnWidths[2] +
                          2 * table_->frameWidth() +
                          table_->verticalScrollBar()->sizeHint().width());
    table_->setFixedHeight(VisibleRows * table_->rowHeight(0) + 2 * table_->frameWidth());
    table_->setCurrentCell(0, 0);
    table_->installEventFilter(this);
    connect(table_, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { EditParameter(row + 1); });

    open_ = new QPushButton(QStringLiteral("Open"), this);
    save_ = new QPushButton(QStringLiteral("Save"), this);
    version_ = new QLabel(this);
    passwords_ = new QPushButton(QStringLiteral("Passwords"), this);
    read_ = new QPushButton(QStringLiteral("Read"), this);
    send_ = new QPushButton(QStringLiteral("Send"), this);
    close_ = new QPushButton(QStringLiteral("Close"), this);
    for (QPushButton* b : {open_, save_, passwords_, read_, send_, close_})
        b->setAutoDefault(false);

    auto* bar = new QHBoxLayout;
    bar->addWidget(open_);
    bar->addWidget(save_);
    bar->addSpacing(16);
    bar->addWidget(version_);
    bar->addStretch();
    bar->addWidget(passwords_);
    bar->addWidget(read_);
    bar->addWidget(send_);
    bar->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addLayout(bar);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(open_, &QPushButton::clicked, this, &SetupWindow::OpenFile);
    connect(save_, &QPushButton::clicked, this, &SetupWindow::SaveFile);
    connect(passwords_, &QPushButton::clicked, this, [this] { OpenPasswords(ctx_, this); });
    connect(read_, &QPushButton::clicked, this, &SetupWindow::Read);
    connect(send_, &QPushButton::clicked, this, &SetupWindow::Send);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);

    Fill();
    CentreOnScreen(*this);
}

void SetupWindow::Fill() {
    version_->setText(QString::fromStdString(SetupVersionText(working_)));
    for (int n = 1; n <= SetupParameterCount; ++n) ShowValue(n);
}

void SetupWindow::ShowValue(int n) {
    table_->item(n - 1, 2)->setText(
        QString::fromStdString(SetupValueText(n, SetupWord(working_, n))));
}

void SetupWindow::SetBusy(bool busy) {
    busy_ = busy;
    for (QPushButton* b : {open_, save_, passwords_, read_, send_}) b->setEnabled(!busy);
}

bool SetupWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && table_->currentRow() >= 0) {
            EditParameter(table_->currentRow() + 1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SetupWindow::EditParameter(int n) {
    if (busy_ || n < 1 || n > SetupParameterCount) return;
    const auto value = ParameterEditDialog::Edit(n, SetupWord(working_, n), this);
    if (!value) return;
    StoreSetupWord(working_, n, *value);
    ShowValue(n);
}

void SetupWindow::Read() {
    if (busy_) return;
    SetBusy(true);
    if (ReadSetupFromController(ctx_.access, working_) == Outcome::Ok) Fill();
    SetBusy(false);
}

void SetupWindow::Send() {
    if (busy_) return;
    SetBusy(true);
    ctx_.project.image.Setup = working_;
    {
        WaitCursorHost host(ctx_.host);
        AccessThroughHost through(ctx_.access, host);
        (void)SendSetupToController(through.Access(), working_);
    }
    SetBusy(false);
}

void SetupWindow::OpenFile() {
    if (busy_) return;
    const auto path = ctx_.host.ChooseOpenFile(SetupFileDialog());
    if (path && ReadSetupFile(*path, working_)) Fill();
}

void SetupWindow::SaveFile() {
    if (busy_) return;
    const auto path = ctx_.host.ChooseSaveFile(SetupFileDialog());
    if (!path) return;
    if (const FileStatus written = WriteSetupFile(*path, working_); !written)
        ShowFileError(ctx_.host, written);
}

void SetupWindow::done(int result) {
    // A read or send in progress ends first; its events are not taken while it waits.
    if (busy_) return;
    ctx_.project.image.Setup = working_;
    QDialog::done(result);
}

void OpenSetup(AppContext& ctx, QWidget* parent) {
    const ProjectChangeWatch watch(ctx);
    SetupWindow window(ctx, parent);
    window.exec();
}

} // namespace zyl
