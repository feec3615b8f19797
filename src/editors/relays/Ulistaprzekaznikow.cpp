#include "editors/relays/Ulistaprzekaznikow.h"

#include "editors/EditorWidgets.h"
#include "editors/relays/EditParPrzek.h"
#include "editors/relays/Relays.h"
#include "panel/CodePage.h"
#include "project/BlockFile.h"

#include <QFile>

#include <array>

namespace zyl {

namespace {

std::vector<RowTableModel::Column> RelayColumns() {
    constexpr std::array<const char*, 12> Titles = {"No",
                                                    "Name",
                                                    "Time type",
                                                    "Time Ta",
                                                    "Time Tb",
                                                    "Regulator type",
                                                    "Measurement channel",
                                                    "Set value",
                                                    "Offset",
                                                    "Regulator window",
                                                    "Lower hysteresis",
                                                    "Upper hysteresis"};
    std::vector<RowTableModel::Column> columns;
    for (std::size_t c = 0; c < Titles.size(); ++c)
        columns.push_back(
            {QString::fromLatin1(Titles[c]),
             c == 1 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter});
    columns[0].alignment = Qt::AlignCenter;
    return columns;
}

FileDialogSpec RelayFileDialog(bool save) {
    FileDialogSpec dialog;
    dialog.filter = RelayFileFilter;
    dialog.defaultExtension = RelayFileExtension;
    dialog.overwritePrompt = save;
    return dialog;
}

} // namespace

Tflistaprzekaznikow::Tflistaprzekaznikow(AppContext& ctx, QWidget* parent)
    : ListWindow(
          ctx.host, QStringLiteral("Relays"), RelayColumns(), RelayCount,
          [this](int row) {
              const auto texts = RelayRow(row + 1, Relays()[std::size_t(row)]);
              return std::vector<std::string>(texts.begin(), texts.end());
          },
          ListActions, parent),
      ctx_(ctx) {
    Refill();
    FitToGrid();
}

std::span<TRelayRecord, RelayCount> Tflistaprzekaznikow::Relays() {
    return std::span<TRelayRecord, RelayCount>(ctx_.project.image.Relays);
}

void Tflistaprzekaznikow::ReadFromController() {
    if (ReadRelaysFromController(ctx_.access, Relays()) == Outcome::Ok) Refill();
}

void Tflistaprzekaznikow::WriteToController() {
    (void)WriteRelaysToController(ctx_.access, Relays());
}

void Tflistaprzekaznikow::ReadFromDisk() {
    const auto path = host_.ChooseOpenFile(RelayFileDialog(false));
    if (!path) return;
    if (ReadBlockFile<TRelayRecord>(*path, Relays())) Refill();
}

void Tflistaprzekaznikow::WriteToDisk() {
    const auto path = host_.ChooseSaveFile(RelayFileDialog(true));
    if (!path) return;
    const FileStatus written = WriteBlockFile<TRelayRecord>(*path, Relays());
    if (!written) ShowFileError(host_, written);
}

void Tflistaprzekaznikow::EditRow(int row) {
    if (row < 0 || row >= RelayCount) return;
    TRelayRecord copy = Relays()[std::size_t(row)];
    copy.Number = row + 1;
    if (EditRelay(ctx_, copy, this)) {
        Relays()[std::size_t(row)] = copy;
        UpdateRow(row);
    }
}

void OpenRelayList(AppContext& ctx, QWidget* parent) {
    Tflistaprzekaznikow list(ctx, parent);
    list.exec();
}

} // namespace zyl
