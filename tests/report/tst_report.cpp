// The commissioning report: what it holds (values as the text dump shows them, empty records
// and steps left out, process names in steps, no passwords), the HTML as well-formed XML with
// its pictures inside, and the PDF read back with pdftotext: the names, step values and
// parameter texts, a table's header on each of its pages, page numbers. Also the File menu's
// export dialog.

#include "report/FilledProject.h"
#include "support/RecordingHost.h"
#include "support/TestFiles.h"

#include "core/AppContext.h"
#include "project/ProjectFiles.h"
#include "report/ExportReportDialog.h"
#include "support/FakeSerialPort.h"
#include "transfer/ProjectRecords.h"
#include "transfer/ProjectText.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using namespace zyl;

namespace {

ReportInfo Info() {
    return {"plant.zy2", "2026-12-11 10:00", "Line 3, hall B\nCommissioned by J. Nowak & co.",
            1250};
}

QStringList Headings(const Report& report) {
    QStringList out;
    for (const ReportSection& s : report.sections) {
        out << QString::fromStdString(s.title);
        for (const ReportPart& p : s.parts)
            if (!p.heading.empty()) out << "  " + QString::fromStdString(p.heading);
    }
    return out;
}

const ReportTable* TableOf(const Report& report, const std::string& title, std::size_t part = 0) {
    for (const ReportSection& s : report.sections)
        if (s.title == title) return s.parts.at(part).table ? &*s.parts.at(part).table : nullptr;
    return nullptr;
}

QString Cell(const ReportTable& table, std::size_t row, const std::string& column) {
    const auto c = std::find(table.columns.begin(), table.columns.end(), column);
    if (c == table.columns.end()) return "(no column " + QString::fromStdString(column) + ")";
    return QString::fromStdString(
        table.rows.at(row).at(std::size_t(c - table.columns.begin())).text);
}

// pdftotext of the pages from first to last (0: to the end).
QString PdfText(const QString& pdf, int first = 1, int last = 0) {
    QStringList args{"-layout", "-f", QString::number(first)};
    if (last) args << "-l" << QString::number(last);
    QProcess p;
    p.start("pdftotext", args << pdf << "-");
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

int PdfPages(const QString& pdf) {
    QProcess p;
    p.start("pdfinfo", {pdf});
    p.waitForFinished(30000);
    const auto m = QRegularExpression("Pages:\\s+(\\d+)").match(p.readAllStandardOutput());
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

} // namespace

class TestReport : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QFAIL("pdftotext (poppler-utils) is needed to read the PDF back");
    }

    // The sections in the order a technician reads them; only used programs, each with its
    // steps (empty ones left out, process names from the program's own table); values as the
    // text dump shows them; no passwords anywhere.
    void reportHoldsTheBlocks() {
        const auto project = test::FilledProject();
        const Report report = BuildProjectReport(*project, Info());
        QCOMPARE(Headings(report),
                 QStringList({"Programs", "  Program 1: COTTON 60", "  Program 12: WOOL 30 łącznie",
                              "  Program WASHING: WASHING", "Processes", "Processes WASHING",
                              "Relays", "Alarms", "Special statuses", "Analog outputs",
                              "PID regulators", "Setup parameters"}));
        QCOMPARE(report.facts.at(2),
                 (std::pair<std::string, std::string>{"Program version", "v.501"}));

        const ReportTable& cotton = *TableOf(report, "Programs", 0);
        QCOMPARE(cotton.rows.size(), std::size_t(5));
        QCOMPARE(Cell(cotton, 4, "Step"), QString("7"));
        QCOMPARE(Cell(cotton, 1, "Process"), QString("2 - HEATING"));
        QCOMPARE(Cell(cotton, 4, "Process"), QString("5 - SPIN ŁÓDŹ"));
        QCOMPARE(Cell(cotton, 1, "Temperature"), QString("60"));
        QCOMPARE(Cell(cotton, 1, "Minutes"), QString("12"));
        const ReportTable& washing = *TableOf(report, "Programs", 2);
        QCOMPARE(Cell(washing, 0, "Process"), QString("1 - PRE-RINSE"));

        const ReportTable& processes = *TableOf(report, "Processes");
        QCOMPARE(processes.rows.size(), std::size_t(5));
        QCOMPARE(Cell(processes, 2, "End condition"), QString("2 (2\u00A0\u00A0free)"));
        QCOMPARE(Cell(processes, 1, "Relay states"), QString("2, 9"));
        QCOMPARE(Cell(processes, 3, "Step presets"), QString("30 / 0 / 0 / 0 / 0"));

        const ReportTable& relays = *TableOf(report, "Relays");
        QCOMPARE(relays.rows.size(), std::size_t(RelayCount));
        QCOMPARE(Cell(relays, 2, "Time type"), QString("2 (Switching on with delay)"));
        QCOMPARE(Cell(relays, 6, "Regulator type"), QString("6 (PID)"));
        QCOMPARE(Cell(relays, 6, "Measurement channel"), QString("1 (1 - PID 2)"));
        QCOMPARE(Cell(relays, 0, "Offset"), QString("25 (2.5)"));
        const auto picture = relays.rows[2][2].picture;
        QVERIFY(picture && *picture == (ReportPicture{ReportPicture::Kind::TimeType, 2}));

        const ReportTable& alarms = *TableOf(report, "Alarms");
        QCOMPARE(alarms.rows.size(), std::size_t(2));
        QCOMPARE(Cell(alarms, 0, "Relay outputs"), QString("1, 4"));
        QCOMPARE(Cell(alarms, 1, "Relay outputs"), QString("-"));

        const ReportTable& setup = *TableOf(report, "Setup parameters");
        QCOMPARE(setup.rows.size(), std::size_t(97));
        QCOMPARE(Cell(setup, 6, "Parameter"), QString("F07"));
        QCOMPARE(Cell(setup, 6, "Name"), QString("Temperature unit"));
        QCOMPARE(Cell(setup, 6, "Value"), QString("1 (1 -  Fahrenheit)"));
        QCOMPARE(Cell(setup, 26, "Value"), QString("-5 (-0.5)"));

        // Every setup value is the text dump's for the same word.
        const std::string dump = DumpRecordText(ProjectRecordFiles(*project), 1250, "x");
        for (std::size_t row = 0; row < setup.rows.size(); ++row) {
            const QString line =
                QString("Setup / Words[%1] (%2) = %3\n")
                    .arg(row + 1)
                    .arg(QString::fromStdString(
                        setup.rows[row][0].text +
                        (setup.rows[row][1].text.empty() ? "" : " " + setup.rows[row][1].text)))
                    .arg(Cell(setup, row, "Value"));
            QVERIFY2(QString::fromStdString(dump).contains(line), qPrintable(line));
        }
        const std::string html = ReportHtml(report, [](const ReportPicture&) {
            return ReportPictureSource{"x.png", 1, 1};
        });
        QVERIFY(html.find("SECRET1") == std::string::npos);
    }

    // The HTML parses as XML; markup in texts and note is escaped; a control byte in a name does
    // not break it; the pictures are inside the file.
    void htmlIsWellFormed() {
        auto project = test::FilledProject();
        project->image.Relays[4].Name.SetText("A<B & \"C\" \x01");
        QTemporaryDir dir;
        const QString path = dir.filePath("report.html");
        QCOMPARE(WriteReport(BuildProjectReport(*project, Info()), ReportFormat::Html,
                             path.toStdString()),
                 std::string());
        const QByteArray html = test::ReadFileOrMissing(path);
        QXmlStreamReader xml(html);
        int images = 0, dataImages = 0, tables = 0;
        QStringList texts;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == u"img") {
                ++images;
                if (xml.attributes().value("src").startsWith(u"data:image/png;base64,"))
                    ++dataImages;
            }
            if (xml.isStartElement() && xml.name() == u"table") ++tables;
            if (xml.isCharacters()) texts << xml.text().toString();
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(images, 2 * RelayCount);
        QCOMPARE(dataImages, images);
        QVERIFY(tables >= 10);
        const QString all = texts.join("");
        QVERIFY(all.contains("A<B & \"C\" \uFFFD"));
        QVERIFY(all.contains("Commissioned by J. Nowak & co."));
    }

    // The PDF of the template and of a filled project: what pdftotext reads back, the relay
    // table's header on each page it runs over, and the page numbers.
    void pdfReadsBack_data() {
        QTest::addColumn<bool>("filled");
        QTest::newRow("template") << false;
        QTest::newRow("filled") << true;
    }
    void pdfReadsBack() {
        QFETCH(bool, filled);
        auto project = filled ? test::FilledProject() : std::make_unique<Project>();
        if (!filled) {
            QVERIFY(LoadMainFile(*project, ZYL_TEMPLATE_PATH));
        }
        QTemporaryDir dir;
        const QString pdf = dir.filePath("report.pdf");
        QCOMPARE(
            WriteReport(BuildProjectReport(*project, Info()), ReportFormat::Pdf, pdf.toStdString()),
            std::string());
        const QString text = PdfText(pdf);
        const int pages = PdfPages(pdf);
        QVERIFY(pages >= 10);
        for (const char* expected : {"Commissioning report", "plant.zy2", "v.501", "Line 3, hall B",
                                     "Setup parameters", "Temperature unit"})
            QVERIFY2(text.contains(expected), expected);
        if (!filled) {
            QVERIFY(text.contains("99 programs without a name or steps are left out."));
            return;
        }
        for (const char* expected :
             {"COTTON 60", "WOOL 30 łącznie", "5 - SPIN ŁÓDŹ", "DOOR OPEN", "PRE-RINSE",
              "1 (Relay active)", "Fahrenheit", "-5 (-0.5)", "1 (1 - PID 2)"})
            QVERIFY2(text.contains(expected), expected);
        QVERIFY(!text.contains("SECRET1"));
        // The relay table runs over more than one page, its header on each.
        int relayPages = 0;
        for (int page = 1; page <= pages; ++page) {
            const QString one = PdfText(pdf, page, page);
            QVERIFY2(QRegularExpression(QString("(^|\\s)%1\\s*$").arg(page)).match(one).hasMatch(),
                     qPrintable(QString("page %1 has no number at its foot").arg(page)));
            if (one.contains("RELAY ")) {
                ++relayPages;
                QVERIFY2(one.contains("Regulator type") && one.contains("Time type"),
                         qPrintable(QString("page %1 lacks the relay header").arg(page)));
            }
        }
        QVERIFY2(relayPages >= 2, qPrintable(QString::number(relayPages)));
    }

    // A note longer than the title page goes on over the next page, none of it lost.
    void longNoteRunsOn() {
        ReportInfo info = Info();
        info.note.clear();
        for (int line = 1; line <= 90; ++line)
            info.note += "Note line " + std::to_string(line) + "\n";
        info.note += "Last line of the note";
        QTemporaryDir dir;
        const QString pdf = dir.filePath("report.pdf");
        QCOMPARE(
            WriteReport(BuildProjectReport(Project{}, info), ReportFormat::Pdf, pdf.toStdString()),
            std::string());
        QVERIFY(PdfText(pdf, 1, 1).contains("Note line 1\n"));
        int last = 0;
        for (int page = 1; page <= PdfPages(pdf) && last == 0; ++page)
            if (PdfText(pdf, page, page).contains("Last line of the note")) last = page;
        QVERIFY2(last > 1, qPrintable(QString::number(last)));
        const QString noted = PdfText(pdf, 1, last);
        for (int line = 1; line <= 90; ++line)
            QVERIFY(noted.contains(QString("Note line %1\n").arg(line)));
        QVERIFY(PdfText(pdf, last + 1, last + 1).contains("Programs"));
    }

    // A file that cannot be written is said so, and nothing is left behind.
    void unwritableTarget() {
        QTemporaryDir dir;
        const std::string path = dir.filePath("missing/report.pdf").toStdString();
        const std::string error =
            WriteReport(BuildProjectReport(Project{}, Info()), ReportFormat::Pdf, path);
        QVERIFY2(QString::fromStdString(error).contains("missing/report.pdf"), error.c_str());
        QVERIFY(!QFileInfo::exists(QString::fromStdString(path)));
    }

    // File > "Export report…": the note goes onto the title page; each button asks where to
    // save and says where the report went; a cancelled choice writes nothing.
    void exportDialog() {
        test::FakeSerialPort port;
        test::RecordingHost host;
        auto context = std::make_unique<AppContext>(port, host);
        context->project = *test::FilledProject();
        QTemporaryDir dir;
        context->document.fileName = dir.filePath("plant.zy2").toStdString();
        ExportReportDialog dialog(*context);
        dialog.NoteEdit()->setPlainText("Hall B");
        host.saveChoices = {dir.filePath("out.pdf").toStdString(),
                            dir.filePath("out.html").toStdString()};
        QTest::mouseClick(dialog.PdfButton(), Qt::LeftButton);
        QCOMPARE(host.dialogs.back().initialFolder, dir.path().toStdString());
        QVERIFY(dialog.ResultLabel()->text().endsWith("out.pdf"));
        QTest::mouseClick(dialog.HtmlButton(), Qt::LeftButton);
        QVERIFY(dialog.ResultLabel()->text().endsWith("out.html"));
        QVERIFY(PdfText(dir.filePath("out.pdf"), 1, 1).contains("Hall B"));
        QVERIFY(test::ReadFileOrMissing(dir.filePath("out.html")).contains("Hall B"));
        QTest::mouseClick(dialog.PdfButton(), Qt::LeftButton); // cancelled
        QVERIFY(host.messages.empty());
    }
};

QTEST_MAIN(TestReport)
#include "tst_report.moc"
