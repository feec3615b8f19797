// Projects and block files as JSON and back, byte for byte; the walk of their records; the
// diff; the refusals of JSON that does not describe files; the JSON reader itself.

#include "panel/CodePage.h"
#include "project/Json.h"
#include "project/ProjectImage.h"
#include "transfer/ProjectText.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <functional>
#include <random>

using namespace zyl;

Q_DECLARE_METATYPE(zyl::RecordFiles)
Q_DECLARE_METATYPE(std::function<void(QString&)>)

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Random(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    Bytes b(size);
    for (auto& c : b) c = std::uint8_t(random());
    return b;
}

template <class T> void CopyInto(Bytes& bytes, std::size_t offset, const T& value) {
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

RecordFiles FilesOf(const Project& p) {
    RecordFiles f = EmptyRecordFiles(RecordFileKind::Project);
    CopyInto(f.main, 0, p.image);
    CopyInto(*f.passwords, 0, p.passwords);
    CopyInto(*f.pid, 0, p.pid);
    return f;
}

// Every element of every field a different value within its kind and width: integers
// counting up (wrapping within their width), texts "F<n>" with a Polish letter, reals n + 0.25,
// raw bytes counting.
void Fill(const RecordLayout& layout, std::span<std::uint8_t> rec, unsigned& n) {
    for (const FieldDesc& f : layout.fields)
        for (std::size_t e = 0; e < f.count; ++e, ++n) {
            std::uint8_t* at = rec.data() + f.ElementOffset(e);
            switch (f.kind) {
            case FieldKind::Signed:
            case FieldKind::Unsigned:
                for (std::size_t i = 0; i < f.elementWidth; ++i) at[i] = std::uint8_t(n >> (8 * i));
                break;
            case FieldKind::Real: {
                const double d = n + 0.25;
                std::memcpy(at, &d, sizeof d);
                break;
            }
            case FieldKind::Text: {
                const std::string text = Utf8ToPc(1250, "F" + std::to_string(n) + "\xC5\x82")
                                             .substr(0, f.TextCapacity());
                at[0] = std::uint8_t(text.size());
                std::memcpy(at + 1, text.data(), text.size());
                break;
            }
            case FieldKind::Bytes:
                for (std::size_t i = 0; i < f.elementWidth; ++i) at[i] = std::uint8_t(n + i);
                break;
            case FieldKind::Records:
                Fill(*f.records, rec.subspan(f.ElementOffset(e), f.elementWidth), n);
                break;
            }
        }
}

RecordFiles Filled(RecordFiles files) {
    unsigned n = 1;
    for (auto& block : WalkRecords(files).blocks)
        for (auto& record : block.records) Fill(*record.layout, record.bytes, n);
    return files;
}

// Every byte of the files random: texts with junk after them, length bytes beyond the
// capacity, bytes without a character, NaNs, junk in every gap.
RecordFiles Junk(RecordFiles files, unsigned seed) {
    files.main = Random(files.main.size(), seed);
    if (files.passwords) *files.passwords = Random(files.passwords->size(), seed + 1);
    if (files.pid) *files.pid = Random(files.pid->size(), seed + 2);
    return files;
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("missing");
}

QByteArray Q(const Bytes& b) {
    return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
}

void WriteAll(const QString& path, const Bytes& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(Q(bytes));
}

QString ReplaceFirst(QString text, const QString& from, const QString& to) {
    const qsizetype at = text.indexOf(from);
    if (at < 0) qFatal("no %s in the dump", qPrintable(from));
    return text.replace(at, from.size(), to);
}

} // namespace

class TestProjectText : public QObject {
    Q_OBJECT

private slots:
    void jsonBuildsTheSameFiles_data();
    void jsonBuildsTheSameFiles();
    void walkCoversEveryByteOnce_data();
    void walkCoversEveryByteOnce();
    void filesAreReadAndWrittenAsTheyAre();
    void diffListsEachDifferingField();
    void diffOfFilesOfOtherShapes();
    void textDumpIsReadable();
    void badJsonIsRefusedAtItsPlace_data();
    void badJsonIsRefusedAtItsPlace();
    void nameMustFitTheFiles();
    void jsonReader_data();
    void jsonReader();
};

void TestProjectText::jsonBuildsTheSameFiles_data() {
    QTest::addColumn<RecordFiles>("files");
    QTest::addColumn<int>("codePage");

    RecordFiles templateFiles = EmptyRecordFiles(RecordFileKind::Project, false, false, false);
    {
        QFile t(QStringLiteral(ZYL_TEMPLATE_PATH));
        QVERIFY2(t.open(QIODevice::ReadOnly), ZYL_TEMPLATE_PATH);
        const QByteArray bytes = t.readAll();
        QCOMPARE(std::size_t(bytes.size()), ProjectImageSize);
        std::memcpy(templateFiles.main.data(), bytes.data(), ProjectImageSize);
    }
    QTest::newRow("template") << templateFiles << 1250;
    QTest::newRow("every field") << Filled(EmptyRecordFiles(RecordFileKind::Project)) << 1250;
    QTest::newRow("every field, 1251") << Filled(EmptyRecordFiles(RecordFileKind::Project)) << 1251;
    QTest::newRow("junk in every byte")
        << Junk(EmptyRecordFiles(RecordFileKind::Project), 1) << 1250;
    QTest::newRow("older image, bytes after each file")
        << Junk(EmptyRecordFiles(RecordFileKind::Project, true, true, true, {1000, 3, 1}), 2)
        << 1250;
    QTest::newRow("passwords file only")
        << Junk(EmptyRecordFiles(RecordFileKind::Project, false, true, false), 3) << 1251;
    for (const char* kind :
         {"setup", "relays", "processes", "process", "alarms", "alarm", "special-statuses",
          "special-status", "programs", "program", "analog-outputs", "pid", "passwords"}) {
        const RecordFiles empty = EmptyRecordFiles(*RecordFileKindFromName(kind));
        QTest::addRow("%s filled", kind) << Filled(empty) << 1250;
        QTest::addRow("%s junk", kind) << Junk(empty, 4) << 1250;
    }
}

void TestProjectText::jsonBuildsTheSameFiles() {
    QFETCH(RecordFiles, files);
    QFETCH(int, codePage);
    const std::string json = DumpRecordJson(files, codePage);
    const RecordFilesBuild built = BuildRecordFiles(json);
    QVERIFY2(built, built.error.c_str());
    QVERIFY(built.files == files);
    QCOMPARE(DumpRecordJson(built.files, codePage), json);
}

void TestProjectText::walkCoversEveryByteOnce_data() {
    QTest::addColumn<RecordFiles>("files");
    QTest::newRow("whole image") << EmptyRecordFiles(RecordFileKind::Project, false, true, true,
                                                     {5, 6, 7});
    QTest::newRow("older image") << EmptyRecordFiles(RecordFileKind::Project, true, true, false);
    QTest::newRow("programs") << EmptyRecordFiles(RecordFileKind::Programs);
}

void TestProjectText::walkCoversEveryByteOnce() {
    QFETCH(RecordFiles, files);
    std::vector<Bytes*> all{&files.main};
    if (files.passwords) all.push_back(&*files.passwords);
    if (files.pid) all.push_back(&*files.pid);
    // Each walked byte counts itself up by one.
    const RecordWalk<std::uint8_t> walk = WalkRecords(files);
    for (const auto& block : walk.blocks)
        for (const auto& record : block.records) {
            QCOMPARE(record.bytes.size(), record.layout->size);
            for (auto& b : record.bytes) ++b;
        }
    for (const auto& u : walk.unnamed)
        for (auto& b : u.bytes) ++b;
    for (const Bytes* file : all)
        QVERIFY(std::all_of(file->begin(), file->end(), [](std::uint8_t b) { return b == 1; }));
}

void TestProjectText::filesAreReadAndWrittenAsTheyAre() {
    QTemporaryDir dir;
    // An older ".zyp" with bytes after it and a pid file, but no password file.
    const RecordFiles files =
        Junk(EmptyRecordFiles(RecordFileKind::Project, true, false, true, {9, 0, 0}), 5);
    const QString path = dir.filePath("plant.zyp");
    WriteAll(path, files.main);
    WriteAll(path + "pid", *files.pid);
    const RecordFilesRead read = ReadRecordFiles(path.toStdString());
    QVERIFY2(read, read.error.c_str());
    QVERIFY(read.files == files);

    const RecordFilesBuild built = BuildRecordFiles(DumpRecordJson(read.files, 1250));
    QVERIFY2(built, built.error.c_str());
    const QString out = dir.filePath("copy.zyp");
    QVERIFY(WriteRecordFiles(built.files, out.toStdString()));
    QCOMPARE(ReadAll(out), Q(files.main));
    QCOMPARE(ReadAll(out + "pid"), Q(*files.pid));
    QVERIFY(!QFile::exists(out + "h"));

    // A whole project as saving writes it.
    const RecordFiles whole = Filled(EmptyRecordFiles(RecordFileKind::Project));
    const QString saved = dir.filePath("saved.zy2");
    QVERIFY(WriteRecordFiles(whole, saved.toStdString()));
    QCOMPARE(ReadAll(saved + "h"), Q(*whole.passwords));
    QVERIFY(ReadRecordFiles(saved.toStdString()).files == whole);

    // Short files are refused as loading refuses them; a block file must be whole.
    WriteAll(dir.filePath("short.zy2"), Bytes(OlderProjectImageSize));
    QVERIFY(!ReadRecordFiles(dir.filePath("short.zy2").toStdString()));
    WriteAll(dir.filePath("short.zy2h"), Bytes(549));
    WriteAll(dir.filePath("short.zy2"), Bytes(ProjectImageSize));
    QVERIFY(!ReadRecordFiles(dir.filePath("short.zy2").toStdString()));
    WriteAll(dir.filePath("relays.rlz"), Bytes(sizeof(TProcessRecord) * ProcessCount));
    const RecordFilesRead relays = ReadRecordFiles(dir.filePath("relays.rlz").toStdString());
    QVERIFY(
        QString::fromStdString(relays.error).contains("not the 2944 bytes of 32 relay records"));
}

void TestProjectText::diffListsEachDifferingField() {
    auto left = std::make_unique<Project>();
    left->image.Relays[2].Name.SetText("PUMP");
    auto right = std::make_unique<Project>(*left);
    Project& r = *right;
    r.image.Setup.Words[7] = 1;                   // a choice: both values' texts
    r.image.Setup.Words[27] = -5;                 // tenths
    r.image.Setup.Words[75] = 7;                  // a parameter without a name or a value text
    r.image.Relays[2].Name.SetText("POMPA \xB3"); // "ł" in 1250
    // The channel's list follows the regulator type of its own side.
    r.image.Relays[2].RegulatorType = 6;
    r.image.Relays[2].MeasurementChannel = 1;
    r.image.Relays[2].Offset = 25;
    r.image.Relays[3].Name.Chars[29] = 'x'; // beyond the text: only its bytes differ
    r.image.Processes[1].EndCondition = -3;
    r.image.WashingProcesses[0].RelayStates[4] = 1;
    r.image.Alarms[20].DelayTime = 30;
    r.image.Alarms[20].AlarmStatus = 2;
    r.image.SpecialStatuses[5].Unused96[0] = 2;
    r.image.Programs[11].Steps[3].Temperature = 40;
    r.image.WashingProgram.Number = 101;
    r.image.AnalogOutputs[4].Gain = 1.5;
    r.pid[1].Period = 0.25;
    r.passwords.Slots[7].SetText("1234");
    r.image.Head[5] = 0xFF;

    const RecordFilesDiff diff = DiffRecordFiles(FilesOf(*left), FilesOf(r), 1250);
    QVERIFY(diff);
    QByteArray nameBytes(31, '\0');
    QByteArray changed = nameBytes;
    changed[30] = 'x';
    const QStringList expected = {
        "Setup: Words[7] (F07 Temperature unit): 0 (0 -  Celsius) -> 1 (1 -  Fahrenheit)",
        "Setup: Words[27] (F27 TEMP. CORRECTION): 0 (0.0) -> -5 (-0.5)",
        "Setup: Words[75] (F75): 0 -> 7",
        "Relay 3: Name: \"PUMP\" -> \"POMPA ł\"",
        "Relay 3: Regulator type: 0 (Control off) -> 6 (PID)",
        "Relay 3: Measurement channel: 0 (1.temperature) -> 1 (1 - PID 2)",
        "Relay 3: Offset: 0 (0.0) -> 25 (2.5)",
        "Relay 4: Name: " + nameBytes.toHex(' ').toUpper() + " -> " + changed.toHex(' ').toUpper(),
        "Process 2: End condition: 0 (0\u00A0\u00A0 time longer than preset) -> -3",
        "WASHING process 1: Relay states[4]: 0 -> 1",
        "Alarm 21: Delay time: 0 -> 30",
        "Alarm 21: Alarm status: 0 (0 - Alarm disabled !) -> 2 (2 - Alarm not interrupting the "
        "process)",
        "Special status 6: Unused 96: " + QByteArray(32, '\0').toHex(' ').toUpper() + " -> 02" +
            QByteArray(31, '\0').toHex(' ').toUpper().prepend(' '),
        "Program 12: Steps[3].Temperature: 0 -> 40",
        "Program WASHING: Number: 0 -> 101",
        "Analog output 5: Gain: 0 -> 1.5",
        "PID 2: Period: 0 -> 0.25",
        "Passwords: Slots[7]: \"\" -> \"1234\"",
        "Head[5]: 00 -> FF",
    };
    QStringList lines;
    for (const FieldDifferenceRow& row : diff.rows)
        lines << QString::fromStdString(DifferenceLine(row));
    QCOMPARE(lines, expected);
    QVERIFY(DiffRecordFiles(FilesOf(r), FilesOf(r), 1250).rows.empty());
}

void TestProjectText::diffOfFilesOfOtherShapes() {
    const RecordFiles full =
        EmptyRecordFiles(RecordFileKind::Project, false, true, true, {0, 2, 0});
    const RecordFiles older = EmptyRecordFiles(RecordFileKind::Project, true, true, false);
    QStringList lines;
    for (const FieldDifferenceRow& row : DiffRecordFiles(full, older, 1250).rows)
        lines << QString::fromStdString(DifferenceLine(row));
    QCOMPARE(lines, QStringList({"Analog OUT: present -> missing", "PID: present -> missing",
                                 "Passwords file after the block: 2 bytes -> 0 bytes"}));
    const RecordFilesDiff kinds =
        DiffRecordFiles(EmptyRecordFiles(RecordFileKind::Relays),
                        EmptyRecordFiles(RecordFileKind::Processes), 1250);
    QVERIFY(!kinds);
    QCOMPARE(kinds.error, std::string("a relays file and a processes file are not compared"));
}

void TestProjectText::textDumpIsReadable() {
    auto p = std::make_unique<Project>();
    p->image.Relays[2].Name.SetText("POMPA \xB3");
    p->image.Programs[0].Steps[1].Temperature = 40;
    p->image.Relays[0].Reserved76[15] = 0xAB;
    const QString text = QString::fromStdString(DumpRecordText(FilesOf(*p), 1250, "plant.zy2"));
    QVERIFY(text.startsWith("# plant.zy2: project, texts in code page 1250; program steps"));
    QVERIFY(text.contains("\nRelays / Relay 3 / Name = \"POMPA ł\"\n"));
    QVERIFY(text.contains("\nPrograms / Program 1 / Steps[1].Temperature = 40\n"));
    QVERIFY(text.contains("\nRelays / Relay 1 / Reserved 76 = 00 00 00 00 00 00 00 00 00 00 00 00 "
                          "00 00 00 AB\n"));
    QVERIFY(text.contains("\nSetup / Words[100] = 0\n"));
    // Empty steps and raw bytes that are all zero are left out.
    QVERIFY(!text.contains("Steps[0]"));
    QVERIFY(!text.contains("Program 2 / Steps"));
    QVERIFY(!text.contains("Relay 2 / Reserved 76"));
}

void TestProjectText::badJsonIsRefusedAtItsPlace_data() {
    QTest::addColumn<std::function<void(QString&)>>("edit");
    QTest::addColumn<QString>("error");
    using Edit = std::function<void(QString&)>;
    auto replace = [](QString from, QString to) -> Edit {
        return [=](QString& json) { json = ReplaceFirst(json, from, to); };
    };
    QTest::newRow("not JSON") << replace("\"kind\": ", "\"kind\" ")
                              << "line 3, column 10: expected ':'";
    QTest::newRow("trailing comma") << replace("\"code page\": 1250,", "\"code page\": 1250,,")
                                    << "line 4, column 21: expected a key in quotes";
    QTest::newRow("twice a key") << replace("\"format\": 1,", "\"format\": 1, \"format\": 1,")
                                 << "line 2, column 16: the key \"format\" appears twice";
    QTest::newRow("missing block")
        << replace("\"relays\":", "\"relay\":") << "the top level: \"relays\" is missing";
    QTest::newRow("missing field") << replace("\"Ta\": 0,", "") << "relays[0]: \"Ta\" is missing";
    QTest::newRow("unknown key") << replace("\"Ta\": 0,", "\"Ta\": 0, \"Tc\": 0,")
                                 << "relays[0]: unknown key \"Tc\"";
    QTest::newRow("unknown top key") << replace("\"format\": 1,", "\"format\": 1, \"x\": 1,")
                                     << "the top level: unknown key \"x\"";
    QTest::newRow("number as text") << replace("\"Ta\": 0", "\"Ta\": \"0\"")
                                    << "relays[0].Ta: expected a number, found a string";
    QTest::newRow("text as number") << replace("\"Name\": \"\"", "\"Name\": 5")
                                    << "relays[0].Name: expected a string, found a number";
    QTest::newRow("fraction") << replace("\"Ta\": 0", "\"Ta\": 0.5")
                              << "relays[0].Ta: 0.5 is not a whole number";
    QTest::newRow("out of range, one byte")
        << replace("\"Measurement channel\": 0", "\"Measurement channel\": 256")
        << "relays[0].Measurement channel: 256 is out of range 0..255";
    QTest::newRow("out of range, signed")
        << replace("\"Time type\": 0", "\"Time type\": -2147483649")
        << "relays[0].Time type: -2147483649 is out of range -2147483648..2147483647";
    QTest::newRow("text too long")
        << replace("\"Name\": \"\"", "\"Name\": \"" + QString(31, 'x') + "\"")
        << "relays[0].Name: the text is 31 characters long, longer than the 30 of the field";
    QTest::newRow("not in the code page") << replace("\"Name\": \"\"", "\"Name\": \"\u4E2D\"")
                                          << "relays[0].Name: \"\u4E2D\" holds a character that "
                                             "code page 1250 does not";
    QTest::newRow("raw bytes of another size")
        << replace("\"Filler 35\": \"00\"", "\"Filler 35\": \"00 00\"")
        << "relays[0].Filler 35: 2 bytes where the place "
           "holds 1";
    QTest::newRow("hex and text disagree")
        << replace("\"Name\": \"\"", "\"Name\": {\"value\": \"A\", \"hex\": \"" +
                                         QByteArray(31, '\0').toHex(' ') + "\"}")
        << "relays[0].Name.value: the text differs from what its hex holds (\"\")";
    QTest::newRow("a record too few") << Edit([](QString& json) {
        const qsizetype last = json.lastIndexOf("    {\n      \"Number\"");
        json = json.left(last - 2) + "\n  ],\n  \"unnamed\": {}\n}\n";
    }) << "relays: 31 records where the block holds 32";
    QTest::newRow("another block's records")
        << replace("\"kind\": \"relays\"", "\"kind\": \"alarms\"")
        << "the top level: \"alarms\" is missing";
    QTest::newRow("other format") << replace("\"format\": 1", "\"format\": 2")
                                  << "format: this program reads format 1, not 2";
}

void TestProjectText::badJsonIsRefusedAtItsPlace() {
    QFETCH(std::function<void(QString&)>, edit);
    QFETCH(QString, error);
    QString json =
        QString::fromStdString(DumpRecordJson(EmptyRecordFiles(RecordFileKind::Relays), 1250));
    edit(json);
    const RecordFilesBuild built = BuildRecordFiles(json.toStdString());
    QVERIFY(!built);
    QVERIFY2(QString::fromStdString(built.error).startsWith(error), built.error.c_str());
}

void TestProjectText::nameMustFitTheFiles() {
    const RecordFiles relays = EmptyRecordFiles(RecordFileKind::Relays);
    QCOMPARE(NameMismatch(relays, "/t/a.rlz"), std::string());
    QCOMPARE(NameMismatch(relays, "/t/a.klz"), std::string("/t/a.klz is no name for a relays "
                                                           "file (.rlz)"));
    QCOMPARE(NameMismatch(EmptyRecordFiles(RecordFileKind::Pid), "/t/a.zy2pid"), std::string());
    const RecordFiles older = EmptyRecordFiles(RecordFileKind::Project, true);
    QCOMPARE(NameMismatch(older, "/t/a.zyp"), std::string());
    QVERIFY(!NameMismatch(older, "/t/a.zy2").empty());
    QVERIFY(!NameMismatch(EmptyRecordFiles(RecordFileKind::Project), "/t/a.zy2h").empty());
}

void TestProjectText::jsonReader_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("result"); // the string read, or the error
    QTest::newRow("escapes") << QByteArray(R"("a\"\\\/\b\f\n\r\tz")") << "a\"\\/\b\f\n\r\tz";
    QTest::newRow("surrogate pair") << QByteArray(R"("\ud83d\ude00")") << "\U0001F600";
    QTest::newRow("lone low surrogate")
        << QByteArray(R"("\ude00")") << "line 1, column 8: a lone low surrogate";
    QTest::newRow("high surrogate alone")
        << QByteArray(R"("\ud83dx")") << "line 1, column 8: a high surrogate without";
    QTest::newRow("control character")
        << QByteArray("\"a\tb\"") << "line 1, column 3: a control character";
    QTest::newRow("not UTF-8") << QByteArray("\n \"a\xC3\"")
                               << "line 2, column 4: the text is "
                                  "not UTF-8";
    QTest::newRow("leading zero") << QByteArray("[01]") << "line 1, column 3: a number must not";
    QTest::newRow("bare minus") << QByteArray("-") << "line 1, column 2: expected a digit";
    QTest::newRow("after the value") << QByteArray("{} x") << "line 1, column 4: text after";
    QTest::newRow("unclosed") << QByteArray("[1,") << "line 1, column 4: unexpected end";
    QTest::newRow("deep") << QByteArray(33, '[') + QByteArray(33, ']')
                          << "line 1, column 33: nested deeper than 32 levels";
    QTest::newRow("deep enough") << QByteArray("[[[[\"x\"]]]]") << "x";
}

void TestProjectText::jsonReader() {
    QFETCH(QByteArray, text);
    QFETCH(QString, result);
    const JsonParse parsed =
        ParseJson(std::string_view(text.constData(), std::size_t(text.size())));
    if (!parsed) {
        QVERIFY2(QString::fromStdString(parsed.error).startsWith(result), parsed.error.c_str());
        return;
    }
    const JsonValue* v = &parsed.value;
    while (v->type == JsonValue::Type::Array) v = &v->items.at(0);
    QCOMPARE(QString::fromStdString(v->text), result);
    // Written back, the string reads the same.
    std::string written;
    AppendJsonString(written, v->text);
    QCOMPARE(ParseJson(written).value.text, v->text);
}

QTEST_APPLESS_MAIN(TestProjectText)
#include "tst_projecttext.moc"
