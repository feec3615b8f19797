#include "editors/statuses/SpecialStatusList.h"

#include "editors/EditorWidgets.h"
#include "editors/alarms/AlarmList.h"
#include "editors/statuses/SpecialStatusEditor.h"
#include "editors/statuses/SpecialStatuses.h"
#include "project/BlockFile.h"

namespace zyl {

namespace {

std::vector<RowTableModel::Column> StatusColumns() {
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    return {{QStringLiteral("No"), Qt::AlignCenter},
            {QStringLiteral("Name"), Qt::AlignLeft | Qt::AlignVCenter},
            {QStringLiteral("Switch-off time"), right},
            {QStringLiteral("Relay logics"), right}};
}

FileDialogSpec StatusListDialog(bool save) {
    return {SpecialStatusListFileFilter, SpecialStatusListFileExtension, "", save};
}

} // namespace

SpecialStatusListWindow::SpecialStatusListWindow(AppContext& ctx, QWidget* parent)
    : ListWindow(
          ctx.host, QStringLiteral("Special statuses"), StatusColumns(), SpecialStatusCount,
          [this](int row) {
              const auto texts = SpecialStatusRow(row + 1, Statuses()[std::size_t(row)]);
              return std::vector<std::string>(texts.begin(), texts.end());
          },
          AlarmListActions, parent),
      ctx_(ctx) {
    Refill();
    FitToGrid();
}

std::span<TSpecialStatusRecord, SpecialStatusCount> SpecialStatusListWindow::Statuses() {
    return std::span<TSpecialStatusRecord, SpecialStatusCount>(ctx_.project.image.SpecialStatuses);
}

void SpecialStatusListWindow::ReadFromController() {
    if (ReadSpecialStatusesFromController(ctx_.access, Statuses()) == Outcome::Ok) Refill();
}

void SpecialStatusListWindow::WriteToController() {
    (void)WriteSpecialStatusesToController(ctx_.access, Statuses());
}

void SpecialStatusListWindow::ReadFromDisk() {
    const auto path = host_.ChooseOpenFile(StatusListDialog(false));
    if (!path) return;
    // The names are the file's until the project is loaded again or read from the controller.
    if (ReadBlockFile<TSpecialStatusRecord>(*path, Statuses())) Refill();
}

void SpecialStatusListWindow::WriteToDisk() {
    const auto path = host_.ChooseSaveFile(StatusListDialog(true));
    if (!path) return;
    const FileStatus written = WriteBlockFile<TSpecialStatusRecord>(*path, Statuses());
    if (!written) ShowFileError(host_, written);
}

void SpecialStatusListWindow::EditRow(int row) {
    if (row < 0 || row >= SpecialStatusCount) return;
    TSpecialStatusRecord copy = Statuses()[std::size_t(row)];
    copy.Number = row + 1;
    if (EditSpecialStatus(ctx_, copy, this)) {
        Statuses()[std::size_t(row)] = copy;
        UpdateRow(row);
    }
}

void OpenSpecialStatusList(AppContext& ctx, QWidget* parent) {
    SpecialStatusListWindow list(ctx, parent);
    list.exec();
}

} // namespace zyl
