#include "editors/pid/UlistaPID.h"

#include "editors/analog/NumberEdits.h"
#include "editors/pid/PidRegulators.h"
#include "editors/pid/UustawPID.h"

#include <array>

namespace zyl {

namespace {

std::vector<RowTableModel::Column> PidColumns() {
    constexpr std::array<const char*, 9> Titles = {"No",        "Type",    "Measurement channel",
                                                   "Set value", "Sample",  "Gain",
                                                   "Time Ti",   "Time Td", "Period"};
    std::vector<RowTableModel::Column> columns;
    for (const char* title : Titles) columns.push_back({QString::fromLatin1(title)});
    columns[0].alignment = Qt::AlignCenter;
    return columns;
}

} // namespace

Tflistapid::Tflistapid(AppContext& ctx, QWidget* parent)
    : ListWindow(
          ctx.host, QStringLiteral("PID"), PidColumns(), PidCount,
          [this](int row) {
              const auto texts = PidRow(row + 1, Regulators()[std::size_t(row)], separator_);
              return std::vector<std::string>(texts.begin(), texts.end());
          },
          ListActionsWithoutDisk, parent),
      ctx_(ctx), separator_(SystemDecimalSeparator()) {
    Refill();
    FitToGrid();
}

std::span<TPidRecord, PidCount> Tflistapid::Regulators() {
    return std::span<TPidRecord, PidCount>(ctx_.project.pid);
}

void Tflistapid::ReadFromController() {
    if (ReadPidRegulatorsFromController(ctx_.access, Regulators()) == Outcome::Ok) Refill();
}

void Tflistapid::WriteToController() {
    (void)WritePidRegulatorsToController(ctx_.access, Regulators());
}

void Tflistapid::EditRow(int row) {
    if (row < 0 || row >= PidCount) return;
    TPidRecord copy = Regulators()[std::size_t(row)];
    if (EditPidRegulator(ctx_, copy, this)) {
        Regulators()[std::size_t(row)] = copy;
        UpdateRow(row);
    }
}

void OpenPidList(AppContext& ctx, QWidget* parent) {
    Tflistapid list(ctx, parent);
    list.exec();
}

} // namespace zyl
