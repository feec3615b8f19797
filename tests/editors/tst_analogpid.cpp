// The analog output and PID blocks: the editors' field rules, the ".aou" file and the
// transfers, against a scripted controller.

#include "editors/analog/AnalogOutputs.h"
#include "editors/pid/PidRegulators.h"
#include "link/CommandEncoding.h"
#include "project/BlockFile.h"
#include "project/ProjectImage.h"
#include "support/BlockController.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingHost.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <memory>

using namespace zyl;
using namespace zyl::test;

namespace {

constexpr int AnalogRead = 0x12;
constexpr int PidRead = 0x38;
constexpr std::size_t ReplyData = 245; // after the selector byte: the items and unused bytes

TAnalogOutputRecord Output(int n) {
    TAnalogOutputRecord r{};
    r.Name.SetText("OUT " + std::to_string(n));
    r.OutputType = std::int16_t(n % 3);
    r.MeasurementChannel = std::int16_t(n);
    r.SetValueSource = std::int16_t(n + 10);
    r.Value0V = 100 * n;
    r.Value10V = 9000 + n;
    r.StopSetValue = 10 + n;
    r.PauseSetValue = 20 + n;
    for (int i = 0; i < 4; ++i) r.SpecialSetValues[i] = 1000 * (i + 1) + n;
    r.PidNumber = std::uint8_t(n % 5);
    return r;
}

TPidRecord Regulator(int n) {
    TPidRecord r{};
    r.HeatingCooling = std::int16_t(n % 2);
    r.MeasurementChannel = std::int16_t(n);
    r.SetValueSource = std::int16_t(18 - n);
    r.Sample = 10 + n;
    r.Gain = 1.5 + n;
    r.TimeTi = 100 + n;
    r.TimeTd = 200 + n;
    r.Period = 30 + n;
    return r;
}

template <class Record> QByteArray BytesOf(const Record& r) {
    return QByteArray(reinterpret_cast<const char*>(&r), qsizetype(sizeof r));
}

template <class Item> Bytes Concat(const std::vector<Item>& items) {
    Bytes out;
    for (const Item& item : items) out.insert(out.end(), item.begin(), item.end());
    return out;
}

struct Rig {
    FakeSerialPort port;
    RecordingHost host;
    AppSettings settings;
    FixedLinkControls controls;
    TFkomunikacja link{port};
    ControllerAccess access{link, host, controls, settings};
    BlockController controller;

    explicit Rig(bool module = false) {
        settings.tuning.timeoutStand = 10;
        settings.WaitForPanel = 1;
        settings.PytajOReset = true;
        link.SetTuning(settings.tuning);
        access.moduleMode = module;
        controller.readData[AnalogRead] = ReplyData;
        controller.readData[PidRead] = ReplyData;
        port.respond = [this](const Bytes& req) { return controller(req); };
    }
    // The requests with the given inner letter and code, as a direct request would carry them
    // (a module submit's outer bytes are turned into a direct request's).
    std::vector<Bytes> Sent(int letter, int code) const {
        std::vector<Bytes> found;
        for (Bytes r : port.written) {
            if (r.size() <= 7 || r[5] != letter || r[6] != code) continue;
            if (r[1] == 0x47) {
                r[1] = 0x46;
                r[2] = 0x08;
                r = WithChecksum(Bytes(r.begin(), r.end() - 2));
            }
            found.push_back(r);
        }
        return found;
    }
};

Bytes AnalogWrite(const std::array<TAnalogOutputRecord, 5>& outputs, int codePage) {
    Bytes frame = FromHex("01 46 08 00 B6 47 12 00 AF 00");
    for (const auto& r : outputs) {
        const auto item = EncodeAnalogOutputItem(r, codePage);
        frame.insert(frame.end(), item.begin(), item.end());
    }
    return WithChecksum(frame);
}

} // namespace

class TestAnalogPid : public QObject {
    Q_OBJECT
private slots:
    // A whole-number field holds 0 to 9999 whatever is typed: a value beyond a bound becomes
    // that bound, however many digits it has; a text that is no whole number is 0.
    void wholeNumberField_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("-5") << "-5" << 0;
        QTest::newRow("12000") << "12000" << 9999;
        QTest::newRow("bounds") << "9999" << 9999;
        QTest::newRow("signed") << "+17" << 17;
        QTest::newRow("beyond 64 bits") << "123456789012345678901234567890" << 9999;
        QTest::newRow("beyond 64 bits, negative") << "-123456789012345678901234567890" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("sign alone") << "-" << 0;
        QTest::newRow("sign after the digits") << "12-" << 0;
    }
    void wholeNumberField() {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(FieldValue(text.toStdString()), value);
    }

    void wholeNumberFieldTakesDigitsAndSigns() {
        QVERIFY(WholeNumberInputAllowed("+-0123456789"));
        QVERIFY(!WholeNumberInputAllowed("1.5"));
        QVERIFY(!WholeNumberInputAllowed("1,5"));
        QVERIFY(!WholeNumberInputAllowed("1e3"));
        QVERIFY(!WholeNumberInputAllowed(" 1"));
    }

    // Reals are shown and read with the system's decimal separator; a number written with
    // another separator is not taken for one, and the text shown reads back as the same value.
    void realFields_data() {
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("number");
        QTest::addColumn<double>("value");
        QTest::newRow("comma") << ","
                               << "1,25" << true << 1.25;
        QTest::newRow("comma, negative with exponent") << ","
                                                       << "-1,5e2" << true << -150.0;
        QTest::newRow("point under a comma locale") << ","
                                                    << "1.25" << false << 0.0;
        QTest::newRow("point") << "."
                               << "1.25" << true << 1.25;
        QTest::newRow("comma under a point locale") << "."
                                                    << "1,25" << false << 0.0;
        QTest::newRow("empty") << ","
                               << "" << false << 0.0;
        QTest::newRow("two separators") << ","
                                        << "1,2,5" << false << 0.0;
    }
    void realFields() {
        QFETCH(QString, separator);
        QFETCH(QString, text);
        QFETCH(bool, number);
        QFETCH(double, value);
        const std::string sep = separator.toStdString();
        const auto parsed = ParseReal(text.toStdString(), sep);
        QCOMPARE(parsed.has_value(), number);
        QCOMPARE(RealFieldValue(text.toStdString(), sep), value);
        if (number) QCOMPARE(*ParseReal(FormatReal(value, sep), sep), value);
    }

    void realFieldsShowTheShortestText_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("comma");
        QTest::newRow("gain read back") << 12 / 10.0 << "1,2";
        QTest::newRow("whole") << 2.0 << "2";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("large") << 100000.0 << "100000";
        QTest::newRow("needs 17 digits") << 0.1 + 0.2 << "0,30000000000000004";
    }
    void realFieldsShowTheShortestText() {
        QFETCH(double, value);
        QFETCH(QString, comma);
        QCOMPARE(QString::fromStdString(FormatReal(value, ",")), comma);
        QCOMPARE(RealFieldValue(FormatReal(value, ","), ","), value);
        QVERIFY(RealInputAllowed(FormatReal(value, ","), ","));
    }

    void realFieldTakesOneSeparator() {
        QVERIFY(RealInputAllowed("-1,5e+3", ","));
        QVERIFY(!RealInputAllowed("1,5,", ","));
        QVERIFY(!RealInputAllowed("1.5", ","));
        QVERIFY(RealInputAllowed("1.5", "."));
        QVERIFY(!RealInputAllowed("1x", "."));
    }

    // The analog output editor shows every whole number within 0 to 9999 and stores what it
    // shows; the hidden sample goes through the same rule after rounding halves to even.
    void analogEditorBoundsAndSample_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<double>("sample");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("saved");
        QTest::addColumn<double>("savedSample");
        QTest::newRow("-5, sample 2.6") << -5 << 2.6 << "0" << 0 << 3.0;
        QTest::newRow("12000, sample 12.5") << 12000 << 12.5 << "9999" << 9999 << 12.0;
        QTest::newRow("within, sample 13.5") << 4321 << 13.5 << "4321" << 4321 << 14.0;
        QTest::newRow("sample out of range") << 0 << 123456.0 << "0" << 0 << 9999.0;
        QTest::newRow("negative sample") << 9999 << -0.6 << "9999" << 9999 << 0.0;
    }
    void analogEditorBoundsAndSample() {
        QFETCH(int, stored);
        QFETCH(double, sample);
        QFETCH(QString, shown);
        QFETCH(int, saved);
        QFETCH(double, savedSample);
        TAnalogOutputRecord r = Output(2);
        r.Value0V = r.Value10V = r.StopSetValue = r.PauseSetValue = stored;
        for (auto& v : r.SpecialSetValues) v = stored;
        r.Sample = sample;
        const AnalogOutputEditorValues v = AnalogOutputEditorValuesFor(r, ",");
        for (const std::string* text : {&v.value0V, &v.value10V, &v.stopValue, &v.pauseValue,
                                        &v.specialValues[0], &v.specialValues[3]})
            QCOMPARE(QString::fromStdString(*text), shown);
        ApplyAnalogOutputEditor(v, r, ",");
        QCOMPARE(r.Value0V, saved);
        QCOMPARE(r.Value10V, saved);
        QCOMPARE(r.StopSetValue, saved);
        QCOMPARE(r.PauseSetValue, saved);
        for (auto value : r.SpecialSetValues) QCOMPARE(value, saved);
        QCOMPARE(r.Sample, savedSample);
    }

    // "Save" keeps the hidden gain, Ti and Td as they were, and the name as typed (not folded,
    // up to 100 characters).
    void analogEditorKeepsHiddenRealsAndName() {
        TAnalogOutputRecord r = Output(1);
        r.Gain = 0.1 + 0.2;
        r.TimeTi = 1.25;
        r.TimeTd = -7.5;
        const TAnalogOutputRecord before = r;
        AnalogOutputEditorValues v = AnalogOutputEditorValuesFor(r, ",");
        QCOMPARE(QString::fromStdString(v.timeTi), QString("1,25"));
        v.name = "\xA3\xF3\x9F " + std::string(120, 'x');
        ApplyAnalogOutputEditor(v, r, ",");
        QCOMPARE(r.Gain, before.Gain);
        QCOMPARE(r.TimeTi, 1.25);
        QCOMPARE(r.TimeTd, -7.5);
        QCOMPARE(QByteArray::fromStdString(r.Name.Text()),
                 QByteArray("\xA3\xF3\x9F ") + QByteArray(96, 'x'));
    }

    // A list shows nothing for a stored value outside it (the wire carries any byte); "Save"
    // then keeps that value instead of storing -1 (0xFF in the PID number). A pick stores its
    // index: "4. PID 4" is index 3.
    void analogListsKeepUnlistedValues_data() {
        QTest::addColumn<int>("pick"); // the index picked in every list, -1 for none
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("setValue");
        QTest::addColumn<int>("pid");
        QTest::newRow("nothing selected") << -1 << 7 << 12 << 25 << 9;
        QTest::newRow("first entries") << 0 << 0 << 0 << 0 << 0;
        QTest::newRow("\"4. PID 4\"") << 3 << 7 << 3 << 3 << 3;
    }
    void analogListsKeepUnlistedValues() {
        QFETCH(int, pick);
        QFETCH(int, type);
        QFETCH(int, channel);
        QFETCH(int, setValue);
        QFETCH(int, pid);
        TAnalogOutputRecord r = Output(1);
        r.OutputType = 7;
        r.MeasurementChannel = 12;
        r.SetValueSource = 25;
        r.PidNumber = 9;
        AnalogOutputEditorValues v = AnalogOutputEditorValuesFor(r, ",");
        QCOMPARE(v.typeIndex, -1);
        QCOMPARE(v.channelIndex, -1);
        QCOMPARE(v.setValueIndex, -1);
        QCOMPARE(v.pidIndex, -1);
        v.typeIndex = pick < int(OutputTypeList.size()) ? pick : -1;
        v.channelIndex = v.setValueIndex = v.pidIndex = pick;
        ApplyAnalogOutputEditor(v, r, ",");
        QCOMPARE(int(r.OutputType), type);
        QCOMPARE(int(r.MeasurementChannel), channel);
        QCOMPARE(int(r.SetValueSource), setValue);
        QCOMPARE(int(r.PidNumber), pid);
        QCOMPARE(int(EncodeAnalogOutputItem(r, 0)[17]), pid);
        QCOMPARE(QString(PidNumberList[3]), QString("4. PID 4"));
    }

    void pidListsKeepUnlistedValues_data() {
        QTest::addColumn<int>("pick");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("setValue");
        QTest::newRow("nothing selected") << -1 << 2 << 10 << 19;
        QTest::newRow("picked") << 1 << 1 << 1 << 1;
    }
    void pidListsKeepUnlistedValues() {
        QFETCH(int, pick);
        QFETCH(int, type);
        QFETCH(int, channel);
        QFETCH(int, setValue);
        TPidRecord r = Regulator(0);
        r.HeatingCooling = 2;
        r.MeasurementChannel = 10;
        r.SetValueSource = 19;
        PidEditorValues v = PidEditorValuesFor(r, ".");
        QCOMPARE(v.typeIndex, -1);
        QCOMPARE(v.channelIndex, -1);
        QCOMPARE(v.setValueIndex, -1);
        v.typeIndex = v.channelIndex = v.setValueIndex = pick;
        ApplyPidEditor(v, r, ".");
        QCOMPARE(int(r.HeatingCooling), type);
        QCOMPARE(int(r.MeasurementChannel), channel);
        QCOMPARE(int(r.SetValueSource), setValue);
    }

    // The PID editor: the sample shown rounded halves to even and held to 0 to 9999, the
    // reals with the system's separator; a real that is not a number stores 0.
    void pidEditorFields_data() {
        QTest::addColumn<double>("sample");
        QTest::addColumn<QString>("shownSample");
        QTest::addColumn<QString>("typedSample");
        QTest::addColumn<QString>("typedGain");
        QTest::addColumn<double>("sampleSaved");
        QTest::addColumn<double>("gainSaved");
        QTest::newRow("12.5 shown as 12") << 12.5 << "12"
                                          << "12"
                                          << "1,25" << 12.0 << 1.25;
        QTest::newRow("12000 typed") << 3.0 << "3"
                                     << "12000"
                                     << "-0,5" << 9999.0 << -0.5;
        QTest::newRow("gain not a number") << 0.0 << "0"
                                           << "7"
                                           << "1.5" << 7.0 << 0.0;
        QTest::newRow("stored beyond the range") << 1e12 << "9999"
                                                 << "9999"
                                                 << "2" << 9999.0 << 2.0;
    }
    void pidEditorFields() {
        QFETCH(double, sample);
        QFETCH(QString, shownSample);
        QFETCH(QString, typedSample);
        QFETCH(QString, typedGain);
        QFETCH(double, sampleSaved);
        QFETCH(double, gainSaved);
        TPidRecord r = Regulator(3);
        r.Sample = sample;
        r.Gain = 1.2;
        r.Period = 2.5;
        PidEditorValues v = PidEditorValuesFor(r, ",");
        QCOMPARE(QString::fromStdString(v.sample), shownSample);
        QCOMPARE(QString::fromStdString(v.gain), QString("1,2"));
        QCOMPARE(QString::fromStdString(v.period), QString("2,5"));
        v.sample = typedSample.toStdString();
        v.gain = typedGain.toStdString();
        ApplyPidEditor(v, r, ",");
        QCOMPARE(r.Sample, sampleSaved);
        QCOMPARE(r.Gain, gainSaved);
        QCOMPARE(r.Period, 2.5);
        QCOMPARE(r.TimeTi, 103.0);
    }

    // The PID block goes out in one exchange carrying the gain in tenths and the rest as whole
    // numbers, rounded halves to even: a gain of 1.25 is 00 00 00 0C and reads back as 1.2, a
    // period of 2.5 as 2. The read replaces the five regulators; the write offers the reset.
    void pidTransfer_data() {
        QTest::addColumn<bool>("module");
        QTest::newRow("direct") << false;
        QTest::newRow("module") << true;
    }
    void pidTransfer() {
        QFETCH(bool, module);
        Rig rig(module);
        std::array<TPidRecord, PidCount> block{};
        for (int i = 0; i < PidCount; ++i) block[std::size_t(i)] = Regulator(i);
        block[0].Gain = 1.25;
        block[0].Period = 2.5;
        block[1].Sample = 12.5;
        block[1].TimeTd = 3.5;
        QCOMPARE(WritePidRegulatorsToController(rig.access, block), Outcome::Ok);
        QVERIFY(rig.host.messages.empty());
        QCOMPARE(rig.host.questions, std::vector<std::string>{"Reset device?"});
        QVERIFY(rig.access.resetPending);
        const auto writes = rig.Sent(0x47, 0x38);
        QCOMPARE(writes.size(), std::size_t(1));
        const Bytes& w = writes[0];
        QCOMPARE(w.size(), std::size_t(127));
        QCOMPARE(ToHex(Bytes(w.begin(), w.begin() + 10)), QString("01 46 08 00 7F 47 38 00 78 00"));
        // Regulator 1: heating, channel 0, set value 18, sample 10, gain 12, Ti 100, Td 200,
        // period 2.
        QCOMPARE(ToHex(Bytes(w.begin() + 10, w.begin() + 33)),
                 QString("00 00 12 00 00 00 0A 00 00 00 0C 00 00 00 64 00 00 00 C8 00 00 00 02"));
        // Regulator 2: sample 12, Td 4 (halves to even).
        QCOMPARE(ToHex(Bytes(w.begin() + 36, w.begin() + 40)), QString("00 00 00 0C"));
        QCOMPARE(ToHex(Bytes(w.begin() + 48, w.begin() + 52)), QString("00 00 00 04"));
        std::vector<std::array<std::uint8_t, PidItemSize>> items;
        for (const auto& r : block) items.push_back(EncodePidItem(r));
        QCOMPARE(ToHex(Bytes(w.begin() + 10, w.end() - 2)), ToHex(Concat(items)));

        std::array<TPidRecord, PidCount> back{};
        std::memset(back.data(), 0x5A, sizeof back);
        QCOMPARE(ReadPidRegulatorsFromController(rig.access, back), Outcome::Ok);
        QVERIFY(rig.host.messages.empty());
        QCOMPARE(back[0].Gain, 1.2);
        QCOMPARE(back[0].Period, 2.0);
        QCOMPARE(back[1].Sample, 12.0);
        QCOMPARE(back[1].TimeTd, 4.0);
        QCOMPARE(back[4].Gain, 5.5);
        QCOMPARE(int(back[4].SetValueSource), 14);
        QCOMPARE(int(back[3].HeatingCooling), 1);
        QCOMPARE(BytesOf(back[2].Reserved0), QByteArray(102, '\0'));
    }

    // The five analog outputs go out in one exchange: 0x00 and five 34-byte items. A read
    // replaces them whole: the sample, gain, Ti and Td, which do not travel, read as 0.
    void analogTransfer_data() {
        QTest::addColumn<bool>("module");
        QTest::newRow("direct") << false;
        QTest::newRow("module") << true;
    }
    void analogTransfer() {
        QFETCH(bool, module);
        Rig rig(module);
        std::array<TAnalogOutputRecord, AnalogOutputCount> block{};
        for (int i = 0; i < AnalogOutputCount; ++i) block[std::size_t(i)] = Output(i + 1);
        QCOMPARE(WriteAnalogOutputsToController(rig.access, block), Outcome::Ok);
        QCOMPARE(rig.host.questions, std::vector<std::string>{"Reset device?"});
        const auto writes = rig.Sent(0x47, 0x12);
        QCOMPARE(writes.size(), std::size_t(1));
        QCOMPARE(ToHex(writes[0]), ToHex(AnalogWrite(block, rig.link.codePage)));
        // Output 1's values on the wire, pinned: type 1, channel 1, set value 11, PID 1,
        // 0 V 100, 10 V 9001.
        QCOMPARE(ToHex(Bytes(writes[0].begin() + 24, writes[0].begin() + 32)),
                 QString("01 01 0B 01 00 64 23 29"));

        std::array<TAnalogOutputRecord, AnalogOutputCount> back{};
        for (auto& r : back) {
            std::memset(&r, 0x5A, sizeof r);
            r.Sample = r.Gain = r.TimeTi = r.TimeTd = 7.5;
        }
        QCOMPARE(ReadAnalogOutputsFromController(rig.access, back), Outcome::Ok);
        QVERIFY(rig.host.messages.empty());
        for (int i = 0; i < AnalogOutputCount; ++i) {
            const TAnalogOutputRecord& r = back[std::size_t(i)];
            const auto got = EncodeAnalogOutputItem(r, 0);
            const auto sent = EncodeAnalogOutputItem(block[std::size_t(i)], 0);
            QCOMPARE(ToHex(Bytes(got.begin(), got.end())), ToHex(Bytes(sent.begin(), sent.end())));
            QCOMPARE(r.Sample, 0.0);
            QCOMPARE(r.Gain, 0.0);
            QCOMPARE(r.TimeTi, 0.0);
            QCOMPARE(r.TimeTd, 0.0);
            QCOMPARE(BytesOf(r.Reserved177), QByteArray(87, '\0'));
        }
    }

    // A read that fails leaves the block as it was; its messages follow the block's rules:
    // "No communication" for a failed exchange and for a read's panel wait that ends not
    // ready, nothing for a write's. A controller in RUN refuses a module write before it is
    // sent. Every write offers the reset.
    void failures_data() {
        QTest::addColumn<bool>("pid");
        QTest::addColumn<bool>("write");
        QTest::addColumn<bool>("module");
        QTest::addColumn<QString>("fault"); // silent, not ready, run
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QStringList>("messages");
        const QStringList noCommunication{"No communication"};
        for (bool pid : {false, true}) {
            const char* block = pid ? "PID" : "analog";
            QTest::addRow("%s read, no reply", block)
                << pid << false << false << "silent" << int(Outcome::NoCommunication)
                << noCommunication;
            QTest::addRow("%s read, panel never ready", block)
                << pid << false << true << "not ready" << int(Outcome::NoCommunication)
                << noCommunication;
            QTest::addRow("%s write, no reply", block)
                << pid << true << false << "silent" << int(Outcome::NoCommunication)
                << noCommunication;
            QTest::addRow("%s write, panel never ready", block)
                << pid << true << true << "not ready" << int(Outcome::NoCommunication)
                << QStringList{};
            QTest::addRow("%s write in RUN", block)
                << pid << true << true << "run" << int(Outcome::NotStopped)
                << QStringList{"Controller must be in STOP mode"};
        }
    }
    void failures() {
        QFETCH(bool, pid);
        QFETCH(bool, write);
        QFETCH(bool, module);
        QFETCH(QString, fault);
        QFETCH(int, outcome);
        QFETCH(QStringList, messages);
        Rig rig(module);
        if (fault == "silent") rig.controller.silent = [](const Bytes&) { return true; };
        if (fault == "not ready") rig.controller.panelReady = false;
        if (fault == "run") rig.controller.mode = 2;
        std::array<TAnalogOutputRecord, AnalogOutputCount> outputs{};
        std::array<TPidRecord, PidCount> regulators{};
        for (int i = 0; i < 5; ++i) {
            outputs[std::size_t(i)] = Output(i);
            regulators[std::size_t(i)] = Regulator(i);
        }
        const auto outputsBefore = outputs;
        const auto regulatorsBefore = regulators;
        Outcome got;
        if (pid)
            got = write ? WritePidRegulatorsToController(rig.access, regulators)
                        : ReadPidRegulatorsFromController(rig.access, regulators);
        else
            got = write ? WriteAnalogOutputsToController(rig.access, outputs)
                        : ReadAnalogOutputsFromController(rig.access, outputs);
        QCOMPARE(int(got), outcome);
        QStringList shown;
        for (const auto& m : rig.host.messages) shown << QString::fromStdString(m);
        QCOMPARE(shown, messages);
        QVERIFY(!rig.host.progressVisible);
        QCOMPARE(rig.host.questions.size(), std::size_t(write ? 1 : 0));
        QCOMPARE(BytesOf(outputs), BytesOf(outputsBefore));
        QCOMPARE(BytesOf(regulators), BytesOf(regulatorsBefore));
        if (fault == "run") QCOMPARE(rig.port.written.size(), std::size_t(1)); // the status read
    }

    // An ".aou" file fills outputs 1, 2, ... up to 5. The outputs are the image's last block:
    // the records beyond the fifth never reach what lies after it (the PID side block and the
    // passwords of the project).
    void aouFile_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("applied");
        QTest::newRow("2 records") << 2 << 2;
        QTest::newRow("5 records") << 5 << 5;
        QTest::newRow("7 records") << 7 << 5;
    }
    void aouFile() {
        QFETCH(int, records);
        QFETCH(int, applied);
        QTemporaryDir dir;
        const QString path = dir.filePath("outputs.aou");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            for (int i = 0; i < records; ++i) f.write(BytesOf(Output(i + 1)));
        }
        auto project = std::make_unique<Project>();
        std::memset(static_cast<void*>(project.get()), 0x5A, sizeof(Project));
        const auto before = std::make_unique<Project>(*project);
        const BlockFileRead read = ReadBlockFile<TAnalogOutputRecord>(
            path.toStdString(), std::span(project->image.AnalogOutputs));
        QCOMPARE(read.records, applied);
        QCOMPARE(read.beyond, records > AnalogOutputCount);
        for (int i = 0; i < AnalogOutputCount; ++i)
            QCOMPARE(BytesOf(project->image.AnalogOutputs[i]),
                     i < applied ? BytesOf(Output(i + 1))
                                 : BytesOf(before->image.AnalogOutputs[i]));
        const auto* now = reinterpret_cast<const char*>(project.get());
        const auto* was = reinterpret_cast<const char*>(before.get());
        const std::size_t start = offsetof(Project, image) + offsetof(TProjectImage, AnalogOutputs);
        const std::size_t end = start + sizeof project->image.AnalogOutputs;
        QCOMPARE(end, offsetof(Project, image) + sizeof(TProjectImage));
        QCOMPARE(QByteArray(now, qsizetype(start)), QByteArray(was, qsizetype(start)));
        QCOMPARE(QByteArray(now + end, qsizetype(sizeof(Project) - end)),
                 QByteArray(was + end, qsizetype(sizeof(Project) - end)));
    }
};

QTEST_GUILESS_MAIN(TestAnalogPid)
#include "tst_analogpid.moc"
