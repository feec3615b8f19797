#include "core/Paths.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QMap>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>

using namespace zyl;
using zyl::test::ReadFileOrMissing;
using zyl::test::WriteAll;

namespace fs = std::filesystem;

using FileMap = QMap<QString, QByteArray>; // relative path -> bytes

Q_DECLARE_METATYPE(ProgramFolderSource)

namespace {

fs::path Native(const QString& path) {
    return fs::path(QFile::encodeName(path).toStdString());
}

void WriteFiles(const QString& folder, const FileMap& files) {
    for (auto it = files.begin(); it != files.end(); ++it) {
        const QString path = folder + '/' + it.key();
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        WriteAll(path, it.value());
    }
}

// Every regular file under the folder with its bytes.
FileMap ReadFiles(const QString& folder) {
    FileMap files;
    const QDir root(folder);
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(root.relativeFilePath(path), ReadFileOrMissing(path));
    }
    return files;
}

// Sets or removes an environment variable for one scope.
class EnvSetting {
public:
    EnvSetting(const char* name, const QByteArray* value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    ~EnvSetting() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
    EnvSetting(const EnvSetting&) = delete;
    EnvSetting& operator=(const EnvSetting&) = delete;

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

} // namespace

class TestPaths : public QObject {
    Q_OBJECT
private slots:
    // Each row lays out <prefix>/bin (the executable's folder) and, when installed,
    // <prefix>/share/setupzyl; the per-user folder lies elsewhere.
    void programFolderChoice_data() {
        QTest::addColumn<QString>("zylHome");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<bool>("holdsTemplate");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<bool>("hasHome");
        QTest::addColumn<ProgramFolderSource>("source");
        using S = ProgramFolderSource;
        QTest::newRow("ZYL_HOME wins over a folder with the template")
            << "HOME" << true << true << true << true << S::Environment;
        QTest::newRow("ZYL_HOME wins over an installed program")
            << "HOME" << false << false << true << true << S::Environment;
        QTest::newRow("writable build folder")
            << "" << true << false << false << true << S::Executable;
        QTest::newRow("writable folder with the template")
            << "" << true << true << false << true << S::Executable;
        QTest::newRow("read-only portable copy with the template")
            << "" << false << true << false << true << S::Executable;
        QTest::newRow("read-only folder without the template")
            << "" << false << false << false << true << S::PerUser;
        QTest::newRow("installed and read-only")
            << "" << false << false << true << true << S::PerUser;
        // Root can write anywhere, and a staging copy of the installation is writable.
        QTest::newRow("installed and writable")
            << "" << true << false << true << true << S::PerUser;
        QTest::newRow("installed but the template lies beside the executable")
            << "" << false << true << true << true << S::Executable;
        QTest::newRow("read-only without a home folder")
            << "" << false << false << true << false << S::Executable;
    }
    void programFolderChoice() {
        QFETCH(QString, zylHome);
        QFETCH(bool, writable);
        QFETCH(bool, holdsTemplate);
        QFETCH(bool, installed);
        QFETCH(bool, hasHome);
        QFETCH(ProgramFolderSource, source);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString bin = dir.filePath("prefix/bin");
        QVERIFY(QDir().mkpath(bin));
        if (holdsTemplate) WriteAll(bin + "/default.zy2", "template");
        if (installed) WriteFiles(dir.filePath("prefix/share/setupzyl"), {{"default.zy2", "t"}});

        ProgramFolderFacts facts;
        if (!zylHome.isEmpty()) facts.zylHome = dir.filePath(zylHome).toStdString() + "//";
        facts.executableFolder = Native(bin);
        facts.executableFolderWritable = writable;
        facts.installedDataFolder = Native(bin + "/../share/setupzyl");
        if (hasHome) facts.perUserFolder = Native(dir.filePath("user/.local/share/SetupZYL"));

        const ProgramFolderChoice choice = ChooseProgramFolder(facts);
        QCOMPARE(choice.source, source);
        const fs::path expected = source == ProgramFolderSource::Environment
                                      ? Native(dir.filePath(zylHome))
                                  : source == ProgramFolderSource::PerUser ? facts.perUserFolder
                                                                           : facts.executableFolder;
        QCOMPARE(QString::fromStdString(choice.folder.string()),
                 QString::fromStdString(expected.string()));
        // The choice only looks: the per-user folder is made by the seeding.
        QVERIFY(!QFileInfo::exists(dir.filePath("user")));
    }

    // The user's files are never replaced; what the installation adds later joins them.
    void seeding_data() {
        QTest::addColumn<FileMap>("data");
        QTest::addColumn<FileMap>("before");
        QTest::addColumn<FileMap>("after");
        const FileMap installed{{"default.zy2", "installed template"},
                                {"HELP/1.rtf", "page 1"},
                                {"HELP/7.rtf", "page 7"}};
        QTest::newRow("first start") << installed << FileMap{} << installed;
        QTest::newRow("the user's own files stay") << installed
                                                   << FileMap{{"default.zy2", "my template"},
                                                              {"HELP/7.rtf", "plant page 7"},
                                                              {"ustawienia.ini", "[Parametry]"}}
                                                   << FileMap{{"default.zy2", "my template"},
                                                              {"HELP/1.rtf", "page 1"},
                                                              {"HELP/7.rtf", "plant page 7"},
                                                              {"ustawienia.ini", "[Parametry]"}};
        QTest::newRow("an empty file of the user's stays")
            << installed << FileMap{{"default.zy2", ""}}
            << FileMap{{"default.zy2", ""}, {"HELP/1.rtf", "page 1"}, {"HELP/7.rtf", "page 7"}};
        QTest::newRow("no installed data")
            << FileMap{} << FileMap{{"a.ini", "x"}} << FileMap{{"a.ini", "x"}};
    }
    void seeding() {
        QFETCH(FileMap, data);
        QFETCH(FileMap, before);
        QFETCH(FileMap, after);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString dataFolder = dir.filePath("share/setupzyl");
        // Made two levels deep, as ~/.local/share is missing in a fresh home.
        const QString folder = dir.filePath("home/.local/share/SetupZYL");
        if (!data.isEmpty()) WriteFiles(dataFolder, data);
        if (!before.isEmpty()) WriteFiles(folder, before);

        QCOMPARE(QString::fromStdString(SeedProgramFolder(Native(folder), Native(dataFolder))),
                 QString());
        QCOMPARE(ReadFiles(folder), after);
        // A second start changes nothing, and the installed data stay as they were.
        QCOMPARE(QString::fromStdString(SeedProgramFolder(Native(folder), Native(dataFolder))),
                 QString());
        QCOMPARE(ReadFiles(folder), after);
        if (!data.isEmpty()) QCOMPARE(ReadFiles(dataFolder), data);
    }

    void seedingIntoAFileFails() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        WriteFiles(dir.filePath("share"), {{"default.zy2", "t"}});
        WriteAll(dir.filePath("SetupZYL"), "a file, not a folder");
        const std::string error =
            SeedProgramFolder(Native(dir.filePath("SetupZYL")), Native(dir.filePath("share")));
        QVERIFY2(error.find("SetupZYL") != std::string::npos, error.c_str());
        QCOMPARE(ReadFileOrMissing(dir.filePath("SetupZYL")), QByteArray("a file, not a folder"));
    }

#ifndef _WIN32
    void perUserFolder_data() {
        QTest::addColumn<QByteArray>("xdg"); // "-": unset
        QTest::addColumn<QByteArray>("home");
        QTest::addColumn<QString>("folder");
        QTest::newRow("home") << QByteArray("-") << QByteArray("/home/tech")
                              << "/home/tech/.local/share/SetupZYL";
        QTest::newRow("XDG_DATA_HOME")
            << QByteArray("/data/tech") << QByteArray("/home/tech") << "/data/tech/SetupZYL";
        QTest::newRow("a relative XDG_DATA_HOME is ignored")
            << QByteArray("data") << QByteArray("/home/tech") << "/home/tech/.local/share/SetupZYL";
        QTest::newRow("an empty XDG_DATA_HOME is ignored")
            << QByteArray("") << QByteArray("/home/tech") << "/home/tech/.local/share/SetupZYL";
        QTest::newRow("no home") << QByteArray("-") << QByteArray("-") << "";
    }
    void perUserFolder() {
        QFETCH(QByteArray, xdg);
        QFETCH(QByteArray, home);
        QFETCH(QString, folder);
        const EnvSetting x("XDG_DATA_HOME", xdg == "-" ? nullptr : &xdg);
        const EnvSetting h("HOME", home == "-" ? nullptr : &home);
        QCOMPARE(QString::fromStdString(PerUserFolder().string()), folder);
    }
#endif
};

QTEST_GUILESS_MAIN(TestPaths)
#include "tst_paths.moc"
