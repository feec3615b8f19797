#include "editors/programs/ulistaprojektow.h"

#include "editors/EditorWidgets.h"
#include "editors/programs/ProgramMycia.h"
#include "editors/programs/Programs.h"
#include "project/BlockFile.h"

#include <QHeaderView>
#include <QTableView>

namespace zyl {

namespace {

std::vector<RowTableModel::Column> ProgramListColumns() {
    return {{QStringLiteral("No"), Qt::AlignCenter},
            {QStringLiteral("Name"), Qt::AlignLeft | Qt::AlignVCenter}};
}

FileDialogSpec ProgramListDialog(bool save) {
    return {ProgramListFileFilter, ProgramListFileExtension, "", save};
}

} // namespace

Tflistaprojektow::Tflistaprojektow(AppContext& ctx, QWidget* parent)
    : ListWindow(
          ctx.host, QStringLiteral("Programs"), ProgramListColumns(), ListedProgramCount,
          [this](int row) {
              const auto texts = ProgramRow(row + 1, Programs()[std::size_t(row)]);
              return std::vector<std::string>(texts.begin(), texts.end());
          },
          ListActions, parent),
      ctx_(ctx) {
    Refill();
    // Room for a name of 20 characters, and for the whole tool bar.
    QHeaderView* header = Grid()->horizontalHeader();
    header->setStretchLastSection(true);
    const int nameWidth = Grid()->fontMetrics().horizontalAdvance(QString(16, QLatin1Char('M')));
    header->resizeSection(1, std::max(header->sectionSize(1), nameWidth));
    FitToGrid();
    resize(std::max(width(), ToolBar()->sizeHint().width() + 16), height());
}

std::span<TProgramRecord, ProgramCount> Tflistaprojektow::Programs() {
    return std::span<TProgramRecord, ProgramCount>(ctx_.project.image.Programs);
}

void Tflistaprojektow::ReadFromController() {
    // Programs read before a failure stay in the project: the list shows them either way.
    (void)ReadProgramsFromController(ctx_.access, Programs());
    Refill();
}

void Tflistaprojektow::WriteToController() {
    (void)WriteProgramsToController(ctx_.access, Programs());
}

void Tflistaprojektow::ReadFromDisk() {
    const auto path = host_.ChooseOpenFile(ProgramListDialog(false));
    if (!path) return;
    // Programs 1 to 99 only: records beyond the 99th reach neither program 100 nor the
    // WASHING program after it.
    if (ReadBlockFile<TProgramRecord>(*path, Programs().first<ListedProgramCount>())) Refill();
}

void Tflistaprojektow::WriteToDisk() {
    const auto path = host_.ChooseSaveFile(ProgramListDialog(true));
    if (!path) return;
    const FileStatus written = WriteBlockFile<TProgramRecord>(
        *path, std::span<const TProgramRecord>(Programs().first<ListedProgramCount>()));
    if (!written) ShowFileError(host_, written);
}

void Tflistaprojektow::EditRow(int row) {
    if (row < 0 || row >= ListedProgramCount) return;
    TProgramRecord copy = Programs()[std::size_t(row)];
    copy.Number = row + 1;
    if (EditProgram(ctx_, copy, this)) {
        Programs()[std::size_t(row)] = copy;
        UpdateRow(row);
    }
}

void OpenProgramList(AppContext& ctx, QWidget* parent) {
    Tflistaprojektow list(ctx, parent);
    list.exec();
}

} // namespace zyl
