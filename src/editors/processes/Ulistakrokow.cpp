#include "editors/processes/Ulistakrokow.h"

#include "editors/EditorWidgets.h"
#include "editors/processes/Processes.h"
#include "editors/processes/StanPrzekaznikow.h"

#include <QHeaderView>
#include <QTableView>

namespace zyl {

namespace {

std::vector<RowTableModel::Column> ProcessColumns() {
    return {{QStringLiteral("No"), Qt::AlignCenter},
            {QStringLiteral("Name"), Qt::AlignLeft | Qt::AlignVCenter}};
}

FileDialogSpec ProcessTableDialog(bool save) {
    return {ProcessTableFileFilter, ProcessTableFileExtension, "", save};
}

} // namespace

TfListakrokow::TfListakrokow(AppContext& ctx, bool washing, QWidget* parent)
    : ListWindow(
          ctx.host, washing ? QStringLiteral("Processes WASHING") : QStringLiteral("Processes"),
          ProcessColumns(), ProcessCount,
          [this](int row) {
              const auto texts = ProcessRow(row + 1, Table()[std::size_t(row)]);
              return std::vector<std::string>(texts.begin(), texts.end());
          },
          ListActions, parent),
      ctx_(ctx), washing_(washing) {
    Refill();
    // Room for a name of 30 characters, and for the whole tool bar.
    QHeaderView* header = Grid()->horizontalHeader();
    header->setStretchLastSection(true);
    const int nameWidth = Grid()->fontMetrics().horizontalAdvance(QString(22, QLatin1Char('M')));
    header->resizeSection(1, std::max(header->sectionSize(1), nameWidth));
    FitToGrid();
    resize(std::max(width(), ToolBar()->sizeHint().width() + 16), height());
}

std::span<TProcessRecord, ProcessCount> TfListakrokow::Table() {
    return ProcessTable(ctx_.project.image, washing_);
}

void TfListakrokow::ReadFromController() {
    // Names, end conditions and relay states stay once both group packets are in, even when
    // the step presets that follow them fail.
    if (ReadProcessesFromController(ctx_.access, ctx_.project.image, washing_).groupsDone) Refill();
}

void TfListakrokow::WriteToController() {
    (void)WriteProcessesToController(ctx_.access, ctx_.project.image, washing_);
}

void TfListakrokow::ReadFromDisk() {
    const auto path = host_.ChooseOpenFile(ProcessTableDialog(false));
    if (!path) return;
    if (ReadProcessTableFile(*path, ctx_.project.image, washing_)) Refill();
}

void TfListakrokow::WriteToDisk() {
    const auto path = host_.ChooseSaveFile(ProcessTableDialog(true));
    if (!path) return;
    const FileStatus written = WriteProcessTableFile(*path, ctx_.project.image, washing_);
    if (!written) ShowFileError(host_, written);
}

void TfListakrokow::EditRow(int row) {
    if (row < 0 || row >= ProcessCount) return;
    TProcessRecord copy = Table()[std::size_t(row)];
    copy.Number = row + 1;
    if (EditProcess(ctx_, copy, washing_, this)) {
        Table()[std::size_t(row)] = copy;
        UpdateRow(row);
    }
}

void OpenProcessList(AppContext& ctx, bool washing, QWidget* parent) {
    TfListakrokow list(ctx, washing, parent);
    list.exec();
}

} // namespace zyl
