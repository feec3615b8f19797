#include "editors/alarms/AlarmList.h"

#include "editors/EditorWidgets.h"
#include "editors/alarms/AlarmEditor.h"
#include "editors/alarms/Alarms.h"
#include "project/BlockFile.h"

namespace zyl {

namespace {

std::vector<RowTableModel::Column> AlarmColumns() {
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    return {{QStringLiteral("No"), Qt::AlignCenter},
            {QStringLiteral("Name"), Qt::AlignLeft | Qt::AlignVCenter},
            {QStringLiteral("Delay time"), right},
            {QStringLiteral("Alarm status"), right},
            {QStringLiteral("Relay logics"), right}};
}

FileDialogSpec AlarmListDialog(bool save) {
    return {AlarmListFileFilter, AlarmListFileExtension, "", save};
}

} // namespace

AlarmListWindow::AlarmListWindow(AppContext& ctx, QWidget* parent)
    : ListWindow(
          ctx.host, QStringLiteral("Alarms"), AlarmColumns(), AlarmCount,
          [this](int row) {
              const auto texts = AlarmRow(row + 1, Alarms()[std::size_t(row)]);
              return std::vector<std::string>(texts.begin(), texts.end());
          },
          AlarmListActions, parent),
      ctx_(ctx) {
    Refill();
    FitToGrid();
}

std::span<TAlarmRecord, AlarmCount> AlarmListWindow::Alarms() {
    return std::span<TAlarmRecord, AlarmCount>(ctx_.project.image.Alarms);
}

void AlarmListWindow::ReadFromController() {
    if (ReadAlarmsFromController(ctx_.access, Alarms()) == Outcome::Ok) Refill();
}

void AlarmListWindow::WriteToController() {
    (void)WriteAlarmsToController(ctx_.access, Alarms());
}

void AlarmListWindow::ReadFromDisk() {
    const auto path = host_.ChooseOpenFile(AlarmListDialog(false));
    if (!path) return;
    if (ReadBlockFile<TAlarmRecord>(*path, Alarms())) Refill();
}

void AlarmListWindow::WriteToDisk() {
    const auto path = host_.ChooseSaveFile(AlarmListDialog(true));
    if (!path) return;
    const FileStatus written = WriteBlockFile<TAlarmRecord>(*path, Alarms());
    if (!written) ShowFileError(host_, written);
}

void AlarmListWindow::EditRow(int row) {
    if (row < 0 || row >= AlarmCount) return;
    TAlarmRecord copy = Alarms()[std::size_t(row)];
    copy.Number = row + 1;
    if (EditAlarm(ctx_, copy, this)) {
        Alarms()[std::size_t(row)] = copy;
        UpdateRow(row);
    }
}

void OpenAlarmList(AppContext& ctx, QWidget* parent) {
    AlarmListWindow list(ctx, parent);
    list.exec();
}

} // namespace zyl
