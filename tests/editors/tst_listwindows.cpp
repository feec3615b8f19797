// Every list window opens at a size that shows all its columns whole: each cell's text and
// each word of each column title, with no horizontal scrolling, for an empty project and for
// one whose every field is as wide as it gets.

#include "core/AppContext.h"
#include "editors/ListWindow.h"
#include "editors/alarms/AlarmList.h"
#include "editors/analog/Uwyjsciaanalogowe.h"
#include "editors/pid/UlistaPID.h"
#include "editors/processes/Ulistakrokow.h"
#include "editors/programs/ulistaprojektow.h"
#include "editors/relays/Ulistaprzekaznikow.h"
#include "editors/statuses/SpecialStatusList.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingHost.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QTemporaryFile>
#include <QtTest>

#include <cstring>
#include <functional>
#include <memory>

using namespace zyl;

namespace {

using MakeList = std::function<std::unique_ptr<ListWindow>(AppContext&)>;

template <typename Window> MakeList Make() {
    return [](AppContext& ctx) { return std::make_unique<Window>(ctx); };
}

} // namespace

Q_DECLARE_METATYPE(MakeList)

class TestListWindows : public QObject {
    Q_OBJECT
private slots:
    void allColumnsShowAtFirstSize_data() {
        QTest::addColumn<MakeList>("make");
        QTest::addColumn<bool>("wide");
        const std::vector<std::pair<const char*, MakeList>> windows = {
            {"relays", Make<Tflistaprzekaznikow>()},
            {"processes",
             [](AppContext& ctx) -> std::unique_ptr<ListWindow> {
                 return std::make_unique<TfListakrokow>(ctx, false);
             }},
            {"WASHING processes",
             [](AppContext& ctx) -> std::unique_ptr<ListWindow> {
                 return std::make_unique<TfListakrokow>(ctx, true);
             }},
            {"alarms", Make<AlarmListWindow>()},
            {"special statuses", Make<SpecialStatusListWindow>()},
            {"analog outputs", Make<TfListaWyjAnal>()},
            {"PID", Make<Tflistapid>()},
            {"programs", Make<Tflistaprojektow>()},
        };
        for (const auto& [name, make] : windows) {
            QTest::addRow("%s, empty project", name) << make << false;
            QTest::addRow("%s, every field at its widest", name) << make << true;
        }
    }
    void allColumnsShowAtFirstSize() {
        QFETCH(MakeList, make);
        QFETCH(bool, wide);
        test::FakeSerialPort port;
        test::RecordingHost host;
        auto ctx = std::make_unique<AppContext>(port, host);
        // 'W' in every byte: each text at its full length in the widest letter, each number
        // large; lists show what they make of that.
        if (wide) std::memset(static_cast<void*>(&ctx->project), 'W', sizeof(Project));
        NumberProjectRecords(ctx->project.image);

        const std::unique_ptr<ListWindow> list = make(*ctx);
        list->show();
        QVERIFY(QTest::qWaitForWindowExposed(list.get()));
        QApplication::processEvents();
        QTableView& grid = *list->Grid();
        const QAbstractItemView& view = grid; // QTableView hides the cell measure
        QHeaderView& header = *grid.horizontalHeader();

        QVERIFY2(!grid.horizontalScrollBar()->isVisible(),
                 qPrintable(QString("header %1 px, viewport %2 px")
                                .arg(header.length())
                                .arg(grid.viewport()->width())));
        QVERIFY(header.length() <= grid.viewport()->width());
        const int margin =
            2 * header.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &header);
        for (int c = 0; c < header.count(); ++c) {
            const QString title = list->Model()->headerData(c, Qt::Horizontal).toString();
            QVERIFY2(header.sectionSize(c) >= view.sizeHintForColumn(c),
                     qPrintable(QString("%1: %2 px for cells of %3 px")
                                    .arg(title)
                                    .arg(header.sectionSize(c))
                                    .arg(view.sizeHintForColumn(c))));
            for (const QString& word : title.split(' ', Qt::SkipEmptyParts))
                QVERIFY2(header.fontMetrics().horizontalAdvance(word) + margin <=
                             header.sectionSize(c),
                         qPrintable(title));
            // The wrapped title fits the header's height.
            const QRect wrapped =
                header.fontMetrics().boundingRect(QRect(0, 0, header.sectionSize(c) - margin, 1000),
                                                  Qt::AlignCenter | Qt::TextWordWrap, title);
            QVERIFY2(wrapped.height() <= header.height(), qPrintable(title));
        }
    }
};

// Lists are sized for a desktop: give the offscreen screen one, not its default 800 x 800.
int main(int argc, char** argv) {
    QTemporaryFile screens;
    if (qEnvironmentVariable("QT_QPA_PLATFORM").startsWith(QLatin1String("offscreen")) &&
        screens.open()) {
        screens.write(R"({"screens": [{"name": "desktop", "x": 0, "y": 0, "width": 1920,)"
                      R"( "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        screens.flush();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screens.fileName()));
    }
    QApplication app(argc, argv);
    TestListWindows test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_listwindows.moc"
