#include "service/HelpViewer.h"
#include "service/RichText.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

using namespace zyl;

namespace {

RichTextDocument Page(const char* text) {
    RichTextParagraph paragraph;
    paragraph.runs.push_back({text, {}});
    RichTextDocument page;
    page.paragraphs.push_back(paragraph);
    return page;
}

QList<QWidget*> VisibleWindows() {
    QList<QWidget*> shown;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) shown << w;
    return shown;
}

} // namespace

class TestHelpViewer : public QObject {
    Q_OBJECT

private slots:
    // Through ShowHelp as the parameter dialog calls it: the window that opens is modal, titled
    // after the parameter, a resizable tool window with only a close box, 696 by 480, and
    // shows the file's text; Escape closes it and ShowHelp returns.
    void opensTheFile_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("title");
        QTest::newRow("one digit") << 3 << QStringLiteral("F03");
        QTest::newRow("two digits") << 72 << QStringLiteral("F72");
    }
    void opensTheFile() {
        QFETCH(int, n);
        QFETCH(QString, title);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("%1.rtf").arg(n));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0\\fcharset238 A;}}\\b Zak\\'b3ad\\b0 "
                   "ka\\par}");
        file.close();

        QString seenTitle, seenText;
        QSize seenSize;
        Qt::WindowFlags seenFlags;
        bool seenModal = false, seenReadOnly = false;
        QTimer::singleShot(0, [&] {
            auto* viewer = qobject_cast<HelpViewer*>(QApplication::activeModalWidget());
            if (!viewer) return;
            seenTitle = viewer->windowTitle();
            seenSize = viewer->size();
            seenFlags = viewer->windowFlags();
            seenModal = viewer->isModal();
            seenReadOnly = viewer->Text()->isReadOnly();
            seenText = viewer->Text()->toPlainText();
            QTest::keyClick(viewer->Text(), Qt::Key_Escape);
        });
        QVERIFY(ShowHelp(n, path.toStdString(), nullptr));
        QCOMPARE(seenTitle, title);
        QCOMPARE(seenSize, QSize(696, 480));
        QVERIFY(seenModal);
        QVERIFY(seenReadOnly);
        QCOMPARE(seenText, QStringLiteral("Zakładka"));
        QVERIFY(seenFlags.testFlag(Qt::Tool));
        QVERIFY(seenFlags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!seenFlags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!seenFlags.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(!seenFlags.testFlag(Qt::WindowContextHelpButtonHint));
        QVERIFY(VisibleWindows().isEmpty());
    }

    // A file that is missing, or gone by the time the button is pressed, opens nothing.
    void missingFileOpensNothing() {
        QTemporaryDir dir;
        const QString gone = dir.filePath(QStringLiteral("7.rtf"));
        QFile file(gone);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(QFile::remove(gone));
        bool opened = false;
        QTimer::singleShot(0, [&] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                opened = true;
                w->close();
            }
        });
        QVERIFY(!ShowHelp(7, gone.toStdString(), nullptr));
        QVERIFY(!ShowHelp(7, dir.filePath(QStringLiteral("none/7.rtf")).toStdString(), nullptr));
        QCoreApplication::processEvents();
        QVERIFY(!opened);
        QVERIFY(VisibleWindows().isEmpty());
    }

    void keysClose_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("onText");
        QTest::newRow("Return, text") << int(Qt::Key_Return) << true;
        QTest::newRow("Enter, text") << int(Qt::Key_Enter) << true;
        QTest::newRow("Escape, text") << int(Qt::Key_Escape) << true;
        QTest::newRow("Return, window") << int(Qt::Key_Return) << false;
        QTest::newRow("Enter, window") << int(Qt::Key_Enter) << false;
        QTest::newRow("Escape, window") << int(Qt::Key_Escape) << false;
    }
    void keysClose() {
        QFETCH(int, key);
        QFETCH(bool, onText);
        HelpViewer viewer(3, Page("text"));
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        QWidget* target = onText ? static_cast<QWidget*>(viewer.Text()) : &viewer;
        QTest::keyClick(target, Qt::Key(key));
        QVERIFY(!viewer.isVisible());
    }

    void otherKeysKeepItOpen() {
        HelpViewer viewer(3, Page("text"));
        viewer.show();
        QTest::keyClick(viewer.Text(), Qt::Key_Space);
        QTest::keyClick(viewer.Text(), Qt::Key_Down);
        QVERIFY(viewer.isVisible());
    }

    // Typing, deleting, pasting and cutting change nothing.
    void typingChangesNothing() {
        HelpViewer viewer(3, Page("Help text"));
        viewer.show();
        QTextEdit* text = viewer.Text();
        text->setFocus();
        QApplication::clipboard()->setText(QStringLiteral("pasted"));
        QTest::keyClicks(text, QStringLiteral("typed"));
        text->selectAll();
        QTest::keyClick(text, Qt::Key_Delete);
        QTest::keyClick(text, Qt::Key_Backspace);
        QTest::keyClick(text, Qt::Key_X, Qt::ControlModifier);
        QTest::keyClick(text, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(text, Qt::Key_Tab);
        QCOMPARE(text->toPlainText(), QStringLiteral("Help text"));
        QVERIFY(!text->document()->isModified());
        QVERIFY(viewer.isVisible());
    }

    // The text covers the whole client area, also after the window grows.
    void textFillsTheWindow() {
        HelpViewer viewer(3, Page("text"));
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        QCOMPARE(viewer.Text()->geometry(), viewer.rect());
        QCOMPARE(viewer.Text()->frameWidth(), 0);
        viewer.resize(900, 700);
        QCoreApplication::processEvents();
        QCOMPARE(viewer.Text()->geometry(), viewer.rect());
    }
};

QTEST_MAIN(TestHelpViewer)
#include "tst_helpviewer.moc"
