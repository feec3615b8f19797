#include "panel/MenuWindow.h"

#include "app/Dialogs.h"
#include "core/Paths.h"
#include "editors/EditorWidgets.h"
#include "editors/ToolIcons.h"
#include "panel/CodePage.h"
#include "panel/MenuCheck.h"
#include "panel/MenuCsv.h"
#include "panel/MenuDialogs.h"
#include "panel/MenuFiles.h"
#include "panel/MenuTransfer.h"
#include "project/FileIO.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <vector>

namespace zyl {

namespace {

constexpr std::array<int, MenuWindow::ColumnCount> ColumnWidths = {40, 170, 170, 170, 170};
constexpr int VisibleRows = 20;
constexpr int SelectorWidth = 130;
constexpr int CentralEurope = 1250;

constexpr Qt::WindowFlags ToolWindowFlags =
    Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

constexpr const char* MsgMaxLanguages = "Max languages 16 ";

FileDialogSpec MenuFileDialog(const std::string& folder) {
    return {"Menu|*.mpl", "mpl", folder, true};
}

FileDialogSpec CsvFileDialog(const std::string& folder) {
    return {"CSV|*.csv", "csv", folder, true};
}

// A file's whole contents, as long as a menu text file may be; the error names the file.
FileRead ReadWholeFile(const std::string& path, std::string& bytes) {
    bytes.assign(std::size_t(1) << 16, '\0');
    for (;;) {
        FileRead read = ReadRegularFile(path, std::as_writable_bytes(std::span(bytes)));
        if (read && read.more && bytes.size() > MenuTextFileLimit)
            read.error = "cannot read " + path + ": file too large";
        if (!read || !read.more) {
            bytes.resize(read ? read.size : 0);
            return read;
        }
        const std::size_t next = std::max<std::size_t>(read.fileSize + 1, bytes.size() * 2);
        bytes.assign(std::min(next, MenuTextFileLimit + 1), '\0');
    }
}

QString ShownText(int pcCodePage, std::string_view bytes) {
    return QString::fromStdString(PcToUtf8(pcCodePage, bytes));
}

} // namespace

MenuWindow::MenuWindow(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx), programFolder_(ProgramFolder()),
      languages_(ReadMenuSettings(ProgramFile(MenuSettingsFileName))) {
    setWindowTitle(QStringLiteral("Menu"));
    setWindowFlags(ToolWindowFlags);

    addLanguage_ = new QPushButton(QStringLiteral("Add language"), this);
    readController_ =
        MakeToolButton(ToolIcon::ReadFromController, QStringLiteral("Read from controller"), this);
    writeController_ =
        MakeToolButton(ToolIcon::WriteToController, QStringLiteral("Write to controller"), this);
    readDisk_ = MakeToolButton(ToolIcon::ReadFromDisk, QStringLiteral("Read from disk"), this);
    writeDisk_ = MakeToolButton(ToolIcon::WriteToDisk, QStringLiteral("Write to disk"), this);
    first_ = new QComboBox(this);
    second_ = new QComboBox(this);
    for (QComboBox* box : {first_, second_}) {
        box->setEditable(false);
        box->setFixedWidth(SelectorWidth);
        box->setMaxVisibleItems(MaxMenuLanguageCount);
    }
    check_ = new QPushButton(QStringLiteral("Check"), this);
    export_ = new QPushButton(QStringLiteral("Export CSV\u2026"), this);
    import_ = new QPushButton(QStringLiteral("Import CSV\u2026"), this);
    close_ = new QPushButton(QStringLiteral("Close"), this);
    for (QPushButton* b : {addLanguage_, check_, export_, import_, close_})
        b->setAutoDefault(false);

    view_ = new QTableWidget(0, ColumnCount, this);
    view_->setObjectName(QStringLiteral("MenuTable"));
    view_->setHorizontalHeaderLabels({QStringLiteral("Nr"), QStringLiteral("Polski"),
                                      QStringLiteral("English"), QStringLiteral("Cust 1"),
                                      QStringLiteral("Cust 2")});
    view_->verticalHeader()->hide();
    view_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    view_->horizontalHeader()->setHighlightSections(false);
    view_->horizontalHeader()->setStretchLastSection(true);
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
    for (int c = 0; c < ColumnCount; ++c) view_->setColumnWidth(c, ColumnWidths[std::size_t(c)]);
    view_->setShowGrid(true);
    view_->setSelectionBehavior(QAbstractItemView::SelectItems);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    int width = 2 * view_->frameWidth() + view_->verticalScrollBar()->sizeHint().width();
    for (int w : ColumnWidths) width += w;
    // As wide as the bars above it allow, the last column taking what is left.
    view_->setMinimumWidth(width);
    view_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    view_->setFixedHeight(VisibleRows * view_->verticalHeader()->defaultSectionSize() +
                          view_->horizontalHeader()->sizeHint().height() + 2 * view_->frameWidth());
    view_->installEventFilter(this);
    connect(view_, &QTableWidget::cellDoubleClicked, this, &MenuWindow::EditCell);

    auto* top = new QHBoxLayout;
    top->addWidget(addLanguage_);
    top->addSpacing(8);
    for (QToolButton* b : {readController_, writeController_, readDisk_, writeDisk_})
        top->addWidget(b);
    top->addSpacing(8);
    top->addWidget(first_);
    top->addWidget(second_);
    top->addStretch();
    top->addWidget(check_);
    top->addWidget(export_);
    top->addWidget(import_);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(view_);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(addLanguage_, &QPushButton::clicked, this, &MenuWindow::AddLanguage);
    connect(readController_, &QToolButton::clicked, this, &MenuWindow::ReadFromController);
    connect(writeController_, &QToolButton::clicked, this, &MenuWindow::WriteToController);
    connect(readDisk_, &QToolButton::clicked, this, &MenuWindow::ReadFromDisk);
    connect(writeDisk_, &QToolButton::clicked, this, &MenuWindow::WriteToDisk);
    connect(check_, &QPushButton::clicked, this, &MenuWindow::Check);
    connect(export_, &QPushButton::clicked, this, &MenuWindow::ExportCsv);
    connect(import_, &QPushButton::clicked, this, &MenuWindow::ImportCsv);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    for (QComboBox* box : {first_, second_})
        connect(box, &QComboBox::currentIndexChanged, this, [this] { FillGrid(); });

    FillSelectors();
    FillGrid();
    EnableCommands();
    adjustSize();
    CentreOnScreen(*this);
}

MenuSelection MenuWindow::Selection() const {
    return {first_->currentIndex() + 1, second_->currentIndex() + 1};
}

void MenuWindow::SetMenu(MenuData data, MenuLanguages languages) {
    data_ = std::move(data);
    languages_ = std::move(languages);
    FillSelectors();
    FillGrid();
    EnableCommands();
}

// --- showing ------------------------------------------------------------------------------------

void MenuWindow::FillSelectors() {
    const int count = std::clamp(languages_.count, 0, MaxMenuLanguageCount);
    for (QComboBox* box : {first_, second_}) {
        const QSignalBlocker quiet(box);
        box->clear();
        for (int n = 1; n <= count; ++n)
            box->addItem(FromPc(languages_.languages[std::size_t(n)].name));
    }
    // Items 1 and 2 (languages 2 and 3), or the last there is.
    first_->setCurrentIndex(std::min(1, count - 1));
    second_->setCurrentIndex(std::min(2, count - 1));
}

int MenuWindow::LanguageOf(int column) const {
    switch (column) {
    case ColumnPolish:
        return 0;
    case ColumnEnglish:
        return 1;
    case ColumnCust1:
        return first_->currentIndex() < 0 ? -1 : first_->currentIndex() + 1;
    case ColumnCust2:
        return second_->currentIndex() < 0 ? -1 : second_->currentIndex() + 1;
    default:
        return -1;
    }
}

int MenuWindow::ShownCodePage(int column) const {
    if (column != ColumnCust1 && column != ColumnCust2) return CentralEurope;
    return MenuPcCodePage(languages_, LanguageOf(column));
}

void MenuWindow::FillGrid() {
    view_->setRowCount(int(data_.rows.size()));
    for (int r = 0; r < int(data_.rows.size()); ++r) ShowRow(r);
}

void MenuWindow::ShowRow(int r) {
    const TMenuRow& row = data_.rows[std::size_t(r)];
    const QPalette& palette = view_->palette();
    const QBrush texts = row.nr % 2 != 0 ? QBrush(Qt::white) : palette.brush(QPalette::ToolTipBase);
    for (int c = 0; c < ColumnCount; ++c) {
        QTableWidgetItem* item = view_->item(r, c);
        if (!item) {
            item = new QTableWidgetItem;
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            view_->setItem(r, c, item);
        }
        const int language = LanguageOf(c);
        if (c == ColumnNr)
            item->setText(QString::number(row.nr));
        else if (language < 0)
            item->setText(QString());
        else
            item->setText(ShownText(ShownCodePage(c), row.texts[std::size_t(language)]));
        item->setBackground(c == ColumnNr ? palette.brush(QPalette::Button) : texts);
    }
}

void MenuWindow::EnableCommands() {
    const bool present = data_.present && !busy_;
    for (QWidget* w :
         std::initializer_list<QWidget*>{writeController_, writeDisk_, check_, export_, import_})
        w->setEnabled(present);
    for (QWidget* w : std::initializer_list<QWidget*>{addLanguage_, readController_, readDisk_})
        w->setEnabled(!busy_);
}

void MenuWindow::SetBusy(bool busy) {
    busy_ = busy;
    EnableCommands();
}

// --- editing ------------------------------------------------------------------------------------

void MenuWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::NoModifier) {
        serviceMode_ = true;
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool MenuWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            EditCell(view_->currentRow(), view_->currentColumn());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void MenuWindow::EditCell(int row, int column) {
    if (busy_ || row < 0 || row >= int(data_.rows.size())) return;
    const bool editable = column == ColumnCust1 || column == ColumnCust2 ||
                          (serviceMode_ && (column == ColumnPolish || column == ColumnEnglish));
    const int language = LanguageOf(column);
    if (!editable || language < 0) return;

    // The editor takes Cyrillic for a Cyryllic language from language 2 on.
    const int page = language >= 2 ? MenuPcCodePage(languages_, language) : CentralEurope;
    TMenuRow& entry = data_.rows[std::size_t(row)];
    const QString opened = ShownText(page, entry.texts[std::size_t(language)]);
    const auto typed = MenuEntryEditor::Edit(opened, this);
    if (!typed || *typed == opened) return;
    SetMenuText(entry, language, Utf8ToPc(page, typed->toStdString()));
    ShowRow(row);
}

void MenuWindow::AddLanguage() {
    if (busy_) return;
    if (languages_.count >= MaxMenuLanguageCount) {
        ctx_.host.ShowMessageBox(MsgMaxLanguages);
        return;
    }
    AddLanguageDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted) return;
    const int n = languages_.count + 1;
    MenuLanguage& language = languages_.languages[std::size_t(n)];
    language.codePage = dialog.CodePage();
    language.name = ToPc(dialog.Name());
    languages_.count = n;
    for (TMenuRow& row : data_.rows) SetMenuText(row, n, {});
    for (QComboBox* box : {first_, second_}) box->addItem(FromPc(language.name));
    FillGrid();
}

// --- controller ---------------------------------------------------------------------------------

void MenuWindow::ReadFromController() {
    if (busy_) return;
    SetBusy(true);
    const Outcome read = ReadMenuFromController(ctx_.access, data_, languages_, Selection());
    SetBusy(false);
    if (read != Outcome::Ok) return;
    FillGrid();
    EnableCommands();
}

void MenuWindow::WriteToController() {
    if (busy_ || !data_.present) return;
    if (const auto findings = CheckMenu(data_, languages_); !findings.empty()) {
        MenuCheckDialog dialog(QString::fromStdString(MenuCheckReport(findings, data_, languages_)),
                               MenuCheckDialog::Purpose::BeforeWrite, this);
        if (dialog.exec() != QDialog::Accepted) return;
    }
    SetBusy(true);
    (void)WriteMenuToController(ctx_.access, data_, languages_, Selection(), programFolder_);
    SetBusy(false);
}

// --- disk ---------------------------------------------------------------------------------------

void MenuWindow::ReadFromDisk() {
    if (busy_) return;
    const auto path = ctx_.host.ChooseOpenFile(MenuFileDialog(programFolder_));
    if (!path) return;
    const MenuDiskResult read = ReadMenuFromDisk(*path, data_, languages_);
    switch (read.outcome) {
    case MenuDiskOutcome::NoStructure:
        ctx_.host.ShowMessageBox(MsgNoMenuStructure);
        return;
    case MenuDiskOutcome::FileError:
        ShowFileError(ctx_.host, FileStatus{read.error});
        return;
    case MenuDiskOutcome::Ok:
        break;
    }
    FillSelectors();
    FillGrid();
    EnableCommands();
}

void MenuWindow::WriteToDisk() {
    if (busy_ || !data_.present) return;
    const auto path = ctx_.host.ChooseSaveFile(MenuFileDialog(programFolder_));
    if (!path) return;
    if (const FileStatus written = WriteMenuToDisk(*path, data_, languages_); !written)
        ShowFileError(ctx_.host, written);
}

// --- translators --------------------------------------------------------------------------------

void MenuWindow::Check() {
    if (busy_ || !data_.present) return;
    const std::string report = MenuCheckReport(CheckMenu(data_, languages_), data_, languages_);
    MenuCheckDialog dialog(QString::fromStdString(report), MenuCheckDialog::Purpose::Show, this);
    dialog.exec();
}

void MenuWindow::ExportCsv() {
    if (busy_ || !data_.present) return;
    const auto path = ctx_.host.ChooseSaveFile(CsvFileDialog(programFolder_));
    if (!path) return;
    const std::string csv = ExportMenuCsv(data_, languages_);
    if (const FileStatus written = WriteFileAtomically(*path, std::as_bytes(std::span(csv)));
        !written)
        ShowFileError(ctx_.host, written);
}

void MenuWindow::ImportCsv() {
    if (busy_ || !data_.present) return;
    const auto path = ctx_.host.ChooseOpenFile(CsvFileDialog(programFolder_));
    if (!path) return;
    std::string csv;
    if (const FileRead read = ReadWholeFile(*path, csv); !read) {
        ShowFileError(ctx_.host, FileStatus{read.error});
        return;
    }
    const MenuCsvImport imported = ImportMenuCsv(csv, data_, languages_);
    if (!imported) {
        ctx_.host.ShowMessageBox(Utf8ToPc(CentralEurope, imported.error));
        return;
    }
    FillGrid();
    ctx_.host.ShowMessageBox("Cells changed: " + std::to_string(imported.changedCells));
}

void MenuWindow::done(int result) {
    // A transfer in progress ends first; its events are not taken while it waits.
    if (busy_) return;
    QDialog::done(result);
}

void OpenMenu(AppContext& ctx, QWidget* parent) {
    MenuWindow window(ctx, parent);
    window.exec();
}

} // namespace zyl
