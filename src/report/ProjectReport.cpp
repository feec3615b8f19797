#include "report/ProjectReport.h"

#include "editors/programs/Programs.h"
#include "panel/CodePage.h"
#include "project/RecordFields.h"
#include "service/SetupParameters.h"
#include "transfer/FieldDifferences.h"

#include <algorithm>
#include <span>

namespace zyl {

namespace {

using Bytes = std::span<const std::uint8_t>;

// The fields a report shows: values, not raw bytes or the record's own number (the row's
// first column gives its position).
bool Shown(const FieldDesc& f) {
    return f.kind != FieldKind::Bytes && f.kind != FieldKind::Records && f.name != "Number";
}

std::string ElementText(const FieldDesc& f, Bytes record, std::size_t e, int page) {
    const std::string value = FieldValueText(f, record, e);
    if (f.kind == FieldKind::Text) return PcToUtf8(page, value);
    return ShownValue(&f, value, FieldValueMeaning(f, record, e), page);
}

// An array of relay flags (one byte a relay) as the relays that are set ("1, 5, 7"; "2:3" for
// a value other than 1), other arrays as their values one after the other.
std::string CellText(const FieldDesc& f, Bytes record, int page) {
    if (f.count == 1) return ElementText(f, record, 0, page);
    std::string text;
    const bool flags = f.kind == FieldKind::Unsigned && f.elementWidth == 1 && f.count >= 8;
    for (std::size_t e = 0; e < f.count; ++e) {
        const std::string value = FieldValueText(f, record, e);
        if (flags && value == "0") continue;
        if (!text.empty()) text += flags ? ", " : " / ";
        text += flags ? std::to_string(f.firstIndex + e + 1) : ElementText(f, record, e, page);
        if (flags && value != "1") text += ':' + value;
    }
    return flags && text.empty() ? "-" : text;
}

struct Names {
    const char* one;
    const char* many;
};

bool AllZero(Bytes bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; });
}

// A record with none of its shown fields set.
bool Unused(const RecordLayout& layout, Bytes record) {
    return std::all_of(layout.fields.begin(), layout.fields.end(), [&](const FieldDesc& f) {
        return !Shown(f) || AllZero(record.subspan(f.offset, f.width));
    });
}

std::string LeftOut(std::size_t count, const char* one, const char* many) {
    if (count == 0) return {};
    return std::to_string(count) + ' ' + (count == 1 ? one : many) +
           (count == 1 ? " with nothing set is" : " with nothing set are") + " left out.";
}

// One row a record: "No" and the shown fields of its table.
template <class Record>
ReportPart RecordTable(
    std::span<const Record> records, Names what, int page,
    const std::function<void(const FieldDesc&, const Record&, ReportCell&)>& decorate = nullptr) {
    const RecordLayout& layout = LayoutOf<Record>();
    ReportTable table;
    table.columns.push_back("No");
    for (const FieldDesc& f : layout.fields)
        if (Shown(f)) table.columns.emplace_back(f.name);
    std::size_t unused = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Bytes bytes = RecordBytes(records[i]);
        if (Unused(layout, bytes)) {
            ++unused;
            continue;
        }
        std::vector<ReportCell> row{{std::to_string(i + 1), {}}};
        for (const FieldDesc& f : layout.fields) {
            if (!Shown(f)) continue;
            row.push_back({CellText(f, bytes, page), {}});
            if (decorate) decorate(f, records[i], row.back());
        }
        table.rows.push_back(std::move(row));
    }
    ReportPart part;
    part.text = LeftOut(unused, what.one, what.many);
    if (!table.rows.empty()) part.table = std::move(table);
    return part;
}

// A program's steps, the empty ones left out; the process named from the program's table.
ReportPart ProgramPart(const TProgramRecord& program, const std::string& label,
                       const TProjectImage& image, int page) {
    const auto processes = ProcessTableFor(program, image);
    const RecordLayout& layout = LayoutOf<TStepRecord>();
    ReportTable table;
    table.columns.push_back("Step");
    for (const FieldDesc& f : layout.fields)
        if (Shown(f)) table.columns.emplace_back(f.name);
    for (std::size_t s = 0; s < std::size(program.Steps); ++s) {
        const TStepRecord& step = program.Steps[s];
        if (StepIsEmpty(step)) continue;
        const Bytes bytes = RecordBytes(step);
        std::vector<ReportCell> row{{std::to_string(s + 1), {}}};
        for (const FieldDesc& f : layout.fields) {
            if (!Shown(f)) continue;
            std::string text = CellText(f, bytes, page);
            if (f.offset == offsetof(TStepRecord, ProcessNumber)) {
                const std::string name =
                    PcToUtf8(page, ProcessCellText(step.ProcessNumber, processes));
                text = step.ProcessNumber >= 1 && step.ProcessNumber <= ProcessCount
                           ? text + " - " + name
                           : name;
            }
            row.push_back({std::move(text), {}});
        }
        table.rows.push_back(std::move(row));
    }
    ReportPart part;
    const std::string name = PcToUtf8(page, program.Name.Text());
    part.heading = name.empty() ? label : label + ": " + name;
    if (table.rows.empty())
        part.text = "No steps.";
    else
        part.table = std::move(table);
    return part;
}

bool ProgramUsed(const TProgramRecord& program) {
    if (!program.Name.Text().empty()) return true;
    return std::any_of(std::begin(program.Steps), std::end(program.Steps),
                       [](const TStepRecord& s) { return !StepIsEmpty(s); });
}

ReportSection Programs(const TProjectImage& image, int page) {
    ReportSection section{"Programs", {}};
    std::size_t unused = 0;
    for (int i = 0; i < ListedProgramCount; ++i) {
        if (!ProgramUsed(image.Programs[i])) {
            ++unused;
            continue;
        }
        section.parts.push_back(
            ProgramPart(image.Programs[i], "Program " + std::to_string(i + 1), image, page));
    }
    section.parts.push_back(ProgramPart(image.WashingProgram, "Program WASHING", image, page));
    if (unused != 0)
        section.parts.push_back(
            {{}, std::to_string(unused) + " programs without a name or steps are left out.", {}});
    return section;
}

ReportSection Setup(const TSetupBlock& setup, int page) {
    const Bytes bytes = RecordBytes(setup);
    ReportTable table;
    table.columns = {"Parameter", "Name", "Value"};
    for (const FieldDesc& f : LayoutOf<TSetupBlock>().fields)
        for (std::size_t e = 0; e < f.count; ++e) {
            const std::size_t word = f.firstIndex + e;
            if (word < 1 || word > std::size_t(SetupParameterCount)) continue;
            const std::string name = PcToUtf8(1250, FieldElementName(f, e));
            const std::size_t blank = name.find(' ');
            table.rows.push_back({{name.substr(0, blank), {}},
                                  {blank == std::string::npos ? "" : name.substr(blank + 1), {}},
                                  {ElementText(f, bytes, e, page), {}}});
        }
    ReportSection section{"Setup parameters", {}};
    section.parts.push_back({{}, {}, std::move(table)});
    return section;
}

template <class Record>
ReportSection
Block(const char* title, std::span<const Record> records, Names what, int page,
      const std::function<void(const FieldDesc&, const Record&, ReportCell&)>& decorate = nullptr) {
    ReportSection section{title, {}};
    section.parts.push_back(RecordTable<Record>(records, what, page, decorate));
    return section;
}

} // namespace

Report BuildProjectReport(const Project& project, const ReportInfo& info) {
    const TProjectImage& image = project.image;
    const int page = info.pcCodePage;
    Report report;
    report.title = ReportTitle;
    report.facts = {{"Project", info.projectFile},
                    {"Date", info.date},
                    {"Program version", SetupVersionText(image.Setup)},
                    {"Texts", "code page " + std::to_string(page)}};
    report.note = info.note;

    report.sections.push_back(Programs(image, page));
    report.sections.push_back(
        Block<TProcessRecord>("Processes", image.Processes, {"process", "processes"}, page));
    report.sections.push_back(Block<TProcessRecord>("Processes WASHING", image.WashingProcesses,
                                                    {"process", "processes"}, page));
    report.sections.push_back(Block<TRelayRecord>(
        "Relays", image.Relays, {"relay", "relays"}, page,
        [](const FieldDesc& f, const TRelayRecord& r, ReportCell& cell) {
            if (f.offset == offsetof(TRelayRecord, TimeType))
                cell.picture = ReportPicture{ReportPicture::Kind::TimeType, r.TimeType};
            if (f.offset == offsetof(TRelayRecord, RegulatorType))
                cell.picture = ReportPicture{ReportPicture::Kind::RegulatorType, r.RegulatorType};
        }));
    report.sections.push_back(
        Block<TAlarmRecord>("Alarms", image.Alarms, {"alarm", "alarms"}, page));
    report.sections.push_back(Block<TSpecialStatusRecord>(
        "Special statuses", image.SpecialStatuses, {"special status", "special statuses"}, page));
    report.sections.push_back(Block<TAnalogOutputRecord>(
        "Analog outputs", image.AnalogOutputs, {"analog output", "analog outputs"}, page));
    report.sections.push_back(Block<TPidRecord>("PID regulators", project.pid,
                                                {"PID regulator", "PID regulators"}, page));
    report.sections.push_back(Setup(image.Setup, page));
    return report;
}

} // namespace zyl
