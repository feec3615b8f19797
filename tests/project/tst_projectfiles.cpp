#include "project/ProjectFiles.h"
#include "support/RecordingHost.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

using namespace zyl;
using namespace zyl::test;
using zyl::test::RecordingHost;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray ImageBytes(const TProjectImage& image) {
    return QByteArray(reinterpret_cast<const char*>(&image), sizeof image);
}

// A file whose every byte is its offset's low byte, with a marker per block.
QByteArray PatternFile(qsizetype size) {
    QByteArray b(size, '\0');
    for (qsizetype i = 0; i < size; ++i) b[i] = char((i * 7 + 3) & 0xFF);
    return b;
}

std::string S(const QString& s) {
    return s.toStdString();
}

struct Fixture {
    std::unique_ptr<Project> project = std::make_unique<Project>();
    ProjectDocument doc{*project};
    RecordingHost host;
    std::vector<bool> enabled;
    Fixture() {
        doc.enableProjectCommands = [this](bool on) { enabled.push_back(on); };
    }
};

} // namespace

namespace {
// Fails rename number renameFailAt (counted from 1) with EIO.
int renameCalls = 0;
int renameFailAt = 0;
int FailingRename(const char* from, const char* to) {
    if (++renameCalls == renameFailAt) {
        errno = EIO;
        return -1;
    }
    return std::rename(from, to);
}
} // namespace

class TestProjectFiles : public QObject {
    Q_OBJECT
private slots:
    // The block offsets of a current-format file land in the fields of the same name.
    void currentFormatOffsets() {
        QTemporaryDir dir;
        const QString path = dir.filePath("plant.zy2");
        QByteArray file(qsizetype(ProjectImageSize), '\0');
        const auto put32 = [&file](qsizetype at, quint32 v) {
            std::memcpy(file.data() + at, &v, 4);
        };
        put32(104 + 2692, 11);         // program 1 number
        put32(270904 + 2692, 101);     // washing program number
        put32(273612, 21);             // process 1
        put32(275532 + 120, 32);       // washing process 2
        put32(277452 + 91 * 1 + 1, 0); // (inside relay 1, no effect)
        put32(277452 + 92, 42);        // relay 2
        put32(281260 + 128 * 20, 77);  // alarm 21
        file[283964 + 2 * 99] = char(0xF5);
        file[283964 + 2 * 99 + 1] = char(0x01); // setup word 99 = 501
        file[284168 + 264 * 4] = 3;             // analog output 5 name length
        file.replace(284168 + 264 * 4 + 1, 3, "OUT");
        WriteAll(path, file);

        Fixture f;
        QVERIFY(LoadMainFile(*f.project, S(path)));
        const TProjectImage& im = f.project->image;
        QCOMPARE(im.Programs[0].Number, 11);
        QCOMPARE(im.WashingProgram.Number, 101);
        QCOMPARE(im.Processes[0].Number, 21);
        QCOMPARE(im.WashingProcesses[1].Number, 32);
        QCOMPARE(im.Relays[1].Number, 42);
        QCOMPARE(im.Alarms[20].Number, 77);
        QCOMPARE(int(im.Setup.Words[99]), 501);
        QCOMPARE(QString::fromStdString(im.AnalogOutputs[4].Name.Text()), QString("OUT"));
    }

    void olderFormatCopiesStretches_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("zyp") << "old.zyp";
        QTest::newRow("capital ZY2") << "old.ZY2";
    }
    void olderFormatCopiesStretches() {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        const QByteArray file = PatternFile(qsizetype(OlderProjectImageSize));
        WriteAll(path, file);

        Fixture f;
        std::memset(&f.project->image, 0xEE, sizeof f.project->image);
        QVERIFY(LoadMainFile(*f.project, S(path)));
        const QByteArray im = ImageBytes(f.project->image);
        // Copied: head, programs .. alarms, setup. Kept: alignment, reserved, analog outputs.
        QCOMPARE(im.mid(0, 101), file.mid(0, 101));
        QCOMPARE(im.mid(101, 3), QByteArray(3, '\xEE'));
        for (qsizetype i = 104; i < 283948; ++i) {
            // special-status names are rewritten after loading
            if (i >= 280396 && i < 281260) continue;
            if (im[i] != file[i]) QFAIL(qPrintable(QString("byte %1 differs").arg(i)));
        }
        QCOMPARE(im.mid(283948, 16), QByteArray(16, '\xEE'));
        QCOMPARE(im.mid(283964, 202), file.mid(283964, 202));
        QCOMPARE(im.mid(284166, 2), QByteArray(2, '\xEE'));
        QCOMPARE(im.mid(284168), QByteArray(1320, '\xEE'));
    }

    void shortOlderFileChangesNothing() {
        QTemporaryDir dir;
        const QString path = dir.filePath("short.zyp");
        WriteAll(path, PatternFile(qsizetype(OlderProjectImageSize) - 1));
        Fixture f;
        std::memset(&f.project->image, 0x5A, sizeof f.project->image);
        const QByteArray before = ImageBytes(f.project->image);
        QVERIFY(!LoadMainFile(*f.project, S(path)));
        QCOMPARE(ImageBytes(f.project->image), before);
    }

    void shortCurrentFileEndsOpen() {
        QTemporaryDir dir;
        const QString path = dir.filePath("short.zy2");
        WriteAll(path, QByteArray(1000, '\x11'));
        Fixture f;
        f.host.openChoices.push_back(S(path));
        OpenProject(f.doc, f.host, S(dir.path()));
        QVERIFY(f.doc.fileName.empty());
        QCOMPARE(f.enabled, std::vector<bool>{false});
        // What was read stays in the image.
        QCOMPARE(int(f.project->image.Head[0]), 0x11);
    }

    void fixedNamesAfterOpen() {
        QTemporaryDir dir;
        const QString path = dir.filePath("names.zy2");
        auto source = std::make_unique<TProjectImage>();
        std::memset(source.get(), 0, sizeof *source);
        for (auto& s : source->SpecialStatuses) s.Name.SetText("A much longer name here");
        WriteAll(path, ImageBytes(*source));

        Fixture f;
        f.host.openChoices.push_back(S(path));
        OpenProject(f.doc, f.host, S(dir.path()));
        const char* names[] = {"Stop mode", "Pause mode", "F1", "F2", "F3", "F4"};
        for (int i = 0; i < SpecialStatusCount; ++i) {
            const auto& name = f.project->image.SpecialStatuses[i].Name;
            QCOMPARE(QString::fromStdString(name.Text()), QString(names[i]));
            // Bytes of the old name beyond the new length are unchanged.
            const std::string old = "A much longer name here";
            for (std::size_t k = name.Size(); k < old.size(); ++k) QCOMPARE(name.Chars[k], old[k]);
        }
        QCOMPARE(QString::fromStdString(f.doc.fileName), path);
        QCOMPARE(f.enabled, (std::vector<bool>{false, true}));
    }

    void openThenSaveKeepsHeadAndWritesCurrentFormat() {
        QTemporaryDir dir;
        const QString path = dir.filePath("old.zyp");
        const QByteArray file = PatternFile(qsizetype(OlderProjectImageSize));
        WriteAll(path, file);
        Fixture f;
        f.project->image.AnalogOutputs[0].Value0V = 1234;
        f.host.openChoices.push_back(S(path));
        OpenProject(f.doc, f.host, S(dir.path()));
        QVERIFY(SaveProject(f.doc, f.host, false));
        const QByteArray saved = ReadAll(path);
        QCOMPARE(saved.size(), qsizetype(ProjectImageSize));
        QCOMPARE(saved.left(101), file.left(101));
        TAnalogOutputRecord out;
        std::memcpy(&out, saved.constData() + 284168, sizeof out);
        QCOMPARE(out.Value0V, 1234);
        QCOMPARE(ReadAll(path + "h").size(), qsizetype(550));
        QCOMPARE(ReadAll(path + "pid").size(), qsizetype(1360));
        QVERIFY(!QFile::exists(path + ".tmp~"));
    }

    void sideFiles() {
        QTemporaryDir dir;
        const QString with = dir.filePath("with.zy2");
        const QString without = dir.filePath("without.zy2");
        WriteAll(with, QByteArray(qsizetype(ProjectImageSize), '\0'));
        WriteAll(with + "h", QByteArray(550, 'p'));
        WriteAll(with + "pid", QByteArray(1360, 'q'));
        WriteAll(without, QByteArray(qsizetype(ProjectImageSize), '\0'));
        Fixture f;
        f.host.openChoices.push_back(S(with));
        f.host.openChoices.push_back(S(without));
        OpenProject(f.doc, f.host, S(dir.path()));
        QCOMPARE(int(f.project->passwords.Slots[0].Length), int('p'));
        QCOMPARE(int(f.project->pid[4].Reserved0[0]), int('q'));
        // A project without side files keeps the blocks of the one before.
        OpenProject(f.doc, f.host, S(dir.path()));
        QCOMPARE(QString::fromStdString(f.doc.fileName), without);
        QCOMPARE(int(f.project->passwords.Slots[0].Length), int('p'));
        QCOMPARE(int(f.project->pid[4].Reserved0[0]), int('q'));
    }

    void newProject() {
        QTemporaryDir dir;
        Fixture f;
        // Missing template: modified flag set, nothing else.
        f.project->image.Head[0] = 9;
        NewProject(f.doc, f.host, S(dir.path()));
        QVERIFY(f.doc.modified);
        QVERIFY(f.doc.fileName.empty());
        QVERIFY(f.enabled.empty());
        QCOMPARE(int(f.project->image.Head[0]), 9);

        // The question on leaving a new project; No goes on without saving.
        WriteAll(dir.filePath("default.zy2"), QByteArray(qsizetype(ProjectImageSize), '\0'));
        NewProject(f.doc, f.host, S(dir.path()));
        QCOMPARE(f.host.questions.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(f.host.questions[0]),
                 QString("Should modifications in design be saved?"));
        QCOMPARE(QString::fromStdString(f.doc.fileName), dir.filePath("default.zy2"));
        QCOMPARE(f.project->image.WashingProgram.Number, 101);
        QCOMPARE(QString::fromStdString(f.project->image.SpecialStatuses[1].Name.Text()),
                 QString("Pause mode"));

        // Save after New writes into the template and creates its side files.
        QVERIFY(SaveProject(f.doc, f.host, false));
        QVERIFY(!f.doc.modified);
        QVERIFY(QFile::exists(dir.filePath("default.zy2h")));
        QVERIFY(QFile::exists(dir.filePath("default.zy2pid")));
    }

    void cancelledOpenClearsModifiedFlag() {
        QTemporaryDir dir;
        Fixture f;
        f.doc.modified = true;
        f.doc.fileName = "x";
        OpenProject(f.doc, f.host, S(dir.path())); // question answered No, dialog cancelled
        QVERIFY(!f.doc.modified);
        QVERIFY(f.doc.fileName.empty());
        QCOMPARE(f.enabled, std::vector<bool>{false});
        QCOMPARE(QString::fromStdString(f.host.dialogs[0].filter),
                 QString("Project ZYL|*.zyp;*.zy2"));
        QCOMPARE(QString::fromStdString(f.host.dialogs[0].defaultExtension), QString("zy2"));
    }

    // A save that cannot complete leaves every old file and the modified flag as they were,
    // whichever of the three files fails to land.
    void failedSaveKeepsOldFiles_data() {
        QTest::addColumn<int>("failingRename");
        QTest::newRow("main") << 1;
        QTest::newRow("passwords") << 2;
        QTest::newRow("pid") << 3;
    }
    void failedSaveKeepsOldFiles() {
        QFETCH(int, failingRename);
        QTemporaryDir dir;
        const QString path = dir.filePath("plant.zy2");
        WriteAll(path, QByteArray(qsizetype(ProjectImageSize), 'o'));
        WriteAll(path + "h", QByteArray(550, 'o'));
        WriteAll(path + "pid", QByteArray(1360, 'o'));
        renameCalls = 0;
        renameFailAt = failingRename;
        SetRenameFunctionForTesting(FailingRename);

        Fixture f;
        f.doc.fileName = S(path);
        f.doc.modified = true;
        QVERIFY(!SaveProject(f.doc, f.host, false));
        SetRenameFunctionForTesting(nullptr);
        QVERIFY(f.doc.modified);
        QCOMPARE(ReadAll(path), QByteArray(qsizetype(ProjectImageSize), 'o'));
        QCOMPARE(ReadAll(path + "h"), QByteArray(550, 'o'));
        QCOMPARE(ReadAll(path + "pid"), QByteArray(1360, 'o'));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 3);

        // Save as to an unwritable place keeps the current name too.
        f.host.saveChoices.push_back(S(dir.filePath("missing/dir/p.zy2")));
        QVERIFY(!SaveProject(f.doc, f.host, true));
        QCOMPARE(QString::fromStdString(f.doc.fileName), path);
        QVERIFY(f.doc.modified);
    }

    void overlongNameStaysInsideItsField() {
        TRelayRecord r{};
        std::memset(&r, 'x', sizeof r);
        r.Name.Length = 255;
        QCOMPARE(r.Name.Text().size(), std::size_t(30));
        r.Name.SetText(std::string(100, 'y'));
        QCOMPARE(int(r.Name.Length), 30);
        QCOMPARE(int(r.NameFiller), int('x'));
        QCOMPARE(r.TimeType, 0x78787878);
    }
};

QTEST_GUILESS_MAIN(TestProjectFiles)
#include "tst_projectfiles.moc"
