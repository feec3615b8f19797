#include "editors/analog/Uwyjsciaanalogowe.h"

#include "editors/EditorWidgets.h"
#include "editors/analog/AnalogOutputs.h"
#include "editors/analog/UkonfigWyjsc.h"
#include "project/BlockFile.h"

#include <array>

namespace zyl {

namespace {

std::vector<RowTableModel::Column> AnalogOutputColumns() {
    constexpr std::array<const char*, 10> Titles = {
        "No",   "Name",  "Type", "Measurement channel", "Set value", "0 V", "10 V",
        "Stop", "Pause", "PID"};
    std::vector<RowTableModel::Column> columns;
    for (const char* title : Titles) columns.push_back({QString::fromLatin1(title)});
    columns[0].alignment = Qt::AlignCenter;
    columns[1].alignment = Qt::AlignLeft | Qt::AlignVCenter;
    return columns;
}

FileDialogSpec AnalogOutputFileDialog(bool save) {
    return {AnalogOutputFileFilter, AnalogOutputFileExtension, "", save};
}

} // namespace

TfListaWyjAnal::TfListaWyjAnal(AppContext& ctx, QWidget* parent)
    : ListWindow(
          ctx.host, QStringLiteral("Analog OUT"), AnalogOutputColumns(), AnalogOutputCount,
          [this](int row) {
              const auto texts = AnalogOutputRow(row + 1, Outputs()[std::size_t(row)]);
              return std::vector<std::string>(texts.begin(), texts.end());
          },
          ListActions, parent),
      ctx_(ctx) {
    Refill();
    FitToGrid();
}

std::span<TAnalogOutputRecord, AnalogOutputCount> TfListaWyjAnal::Outputs() {
    return std::span<TAnalogOutputRecord, AnalogOutputCount>(ctx_.project.image.AnalogOutputs);
}

void TfListaWyjAnal::ReadFromController() {
    if (ReadAnalogOutputsFromController(ctx_.access, Outputs()) == Outcome::Ok) Refill();
}

void TfListaWyjAnal::WriteToController() {
    (void)WriteAnalogOutputsToController(ctx_.access, Outputs());
}

void TfListaWyjAnal::ReadFromDisk() {
    const auto path = host_.ChooseOpenFile(AnalogOutputFileDialog(false));
    if (!path) return;
    if (ReadBlockFile<TAnalogOutputRecord>(*path, Outputs())) Refill();
}

void TfListaWyjAnal::WriteToDisk() {
    const auto path = host_.ChooseSaveFile(AnalogOutputFileDialog(true));
    if (!path) return;
    const FileStatus written = WriteBlockFile<TAnalogOutputRecord>(*path, Outputs());
    if (!written) ShowFileError(host_, written);
}

void TfListaWyjAnal::EditRow(int row) {
    if (row < 0 || row >= AnalogOutputCount) return;
    TAnalogOutputRecord copy = Outputs()[std::size_t(row)];
    if (EditAnalogOutput(ctx_, copy, this)) {
        Outputs()[std::size_t(row)] = copy;
        UpdateRow(row);
    }
}

void OpenAnalogOutputList(AppContext& ctx, QWidget* parent) {
    TfListaWyjAnal list(ctx, parent);
    list.exec();
}

} // namespace zyl
