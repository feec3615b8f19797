#include "app/Dialogs.h"
#include "app/GuiHost.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace zyl;

namespace {

// Runs the action on the next modal dialog as soon as it is on the screen.
void WhenModalShown(std::function<void(QDialog&)> action) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        action(*dialog);
    });
    timer->start();
}

QString LongText() {
    return QStringLiteral("The quick brown fox jumps over the lazy dog while the controller "
                          "waits for its panel to answer the request");
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void messageBoxGeometry_data();
    void messageBoxGeometry();
    void questionGeometry_data();
    void questionGeometry();
    void messageBoxSizesToText_data();
    void messageBoxSizesToText();
    void questionSizesToText_data();
    void questionSizesToText();
    void dialogWindowKind();
    void questionAnswers_data();
    void questionAnswers();
    void messageBoxReturnsOnOk();
    void hostShowsPcTexts();
    void progressCancelKeepsWindow();
    void progressBar_data();
    void progressBar();
    void progressTakesPendingClick();
    void fileFilter_data();
    void fileFilter();
};

void DialogsTest::messageBoxGeometry_data() {
    QTest::addColumn<int>("labelWidth");
    QTest::addColumn<int>("labelHeight");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("clientHeight");
    QTest::addColumn<QRect>("label");
    QTest::addColumn<QRect>("button");
    // Button 75 x 25 in every row.
    QTest::newRow("one word: button width + 10")
        << 30 << 16 << 85 << 71 << QRect(27, 15, 30, 16) << QRect(5, 41, 75, 25);
    QTest::newRow("label + 20 equals button + 10")
        << 65 << 16 << 85 << 71 << QRect(10, 15, 65, 16) << QRect(5, 41, 75, 25);
    QTest::newRow("label left rounds down")
        << 64 << 16 << 85 << 71 << QRect(10, 15, 64, 16) << QRect(5, 41, 75, 25);
    QTest::newRow("long text widens")
        << 301 << 16 << 321 << 71 << QRect(10, 15, 301, 16) << QRect(123, 41, 75, 25);
    QTest::newRow("tall label") << 100 << 40 << 120 << 95 << QRect(10, 15, 100, 40)
                                << QRect(22, 65, 75, 25);
}

void DialogsTest::messageBoxGeometry() {
    QFETCH(int, labelWidth);
    QFETCH(int, labelHeight);
    const MessageBoxLayout g = MessageBoxGeometry(labelWidth, labelHeight, 75, 25);
    QTEST(g.width, "width");
    QTEST(g.clientHeight, "clientHeight");
    QTEST(g.label, "label");
    QTEST(g.button, "button");
}

void DialogsTest::questionGeometry_data() {
    QTest::addColumn<int>("labelWidth");
    QTest::addColumn<int>("width");
    QTest::addColumn<QRect>("label");
    QTest::addColumn<QRect>("yes");
    QTest::addColumn<QRect>("no");
    // Label height 16, buttons 75 x 25: client height 71, buttons at top 41, label at 15.
    QTest::newRow("short: two buttons + 20")
        << 30 << 170 << QRect(70, 15, 30, 16) << QRect(7, 41, 75, 25) << QRect(87, 41, 75, 25);
    QTest::newRow("long, even width")
        << 400 << 420 << QRect(10, 15, 400, 16) << QRect(132, 41, 75, 25) << QRect(212, 41, 75, 25);
    QTest::newRow("long, odd width grows by one")
        << 401 << 422 << QRect(10, 15, 401, 16) << QRect(133, 41, 75, 25) << QRect(213, 41, 75, 25);
}

void DialogsTest::questionGeometry() {
    QFETCH(int, labelWidth);
    const QuestionLayout g = QuestionGeometry(labelWidth, 16, 75, 25);
    QTEST(g.width, "width");
    QCOMPARE(g.clientHeight, 71);
    QTEST(g.label, "label");
    QTEST(g.yes, "yes");
    QTEST(g.no, "no");
}

void DialogsTest::messageBoxSizesToText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("widenedByText");
    QTest::newRow("one word") << QStringLiteral("OK") << false;
    QTest::newRow("long message") << LongText() << true;
}

void DialogsTest::messageBoxSizesToText() {
    QFETCH(QString, text);
    QFETCH(bool, widenedByText);
    MessageBoxDialog dialog(text);
    const QLabel& label = *dialog.Label();
    const QPushButton& ok = *dialog.OkButton();
    // The label shows the whole text on one line.
    QVERIFY(label.width() >= label.fontMetrics().horizontalAdvance(text));
    QCOMPARE(dialog.width(), widenedByText ? label.width() + 20 : ok.width() + 10);
    const MessageBoxLayout g =
        MessageBoxGeometry(label.width(), label.height(), ok.width(), ok.height());
    QCOMPARE(dialog.size(), QSize(g.width, g.clientHeight));
    QCOMPARE(label.geometry(), g.label);
    QCOMPARE(ok.geometry(), g.button);
}

void DialogsTest::questionSizesToText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("widenedByText");
    QTest::newRow("short question") << QStringLiteral("Reset?") << false;
    QTest::newRow("long question") << LongText() << true;
}

void DialogsTest::questionSizesToText() {
    QFETCH(QString, text);
    QFETCH(bool, widenedByText);
    QuestionDialog dialog(text);
    const QRect yes = dialog.YesButton()->geometry();
    const QRect no = dialog.NoButton()->geometry();
    const QRect label = dialog.Label()->geometry();
    QCOMPARE(yes.size(), no.size());
    QCOMPARE(yes.top(), no.top());
    QCOMPARE(no.left() - (yes.left() + yes.width()), 5);
    // Centred: the margins left and right of the pair differ by one pixel at most.
    const int leftMargin = yes.left();
    const int rightMargin = dialog.width() - (no.left() + no.width());
    QVERIFY2(qAbs(leftMargin - rightMargin) <= 1,
             qPrintable(QStringLiteral("%1 vs %2").arg(leftMargin).arg(rightMargin)));
    QVERIFY(qAbs(label.left() - (dialog.width() - label.right() - 1)) <= 1);
    QVERIFY(label.bottom() < yes.top());
    if (widenedByText)
        QVERIFY(dialog.width() >= label.width() + 20 && dialog.width() > 2 * yes.width() + 21);
    else
        QVERIFY(dialog.width() <= 2 * yes.width() + 21);
}

void DialogsTest::dialogWindowKind() {
    MessageBoxDialog message(QStringLiteral("Operation completed"));
    QuestionDialog question(QStringLiteral("Reset device?"));
    for (QDialog* dialog : {static_cast<QDialog*>(&message), static_cast<QDialog*>(&question)}) {
        QVERIFY(dialog->windowTitle().isEmpty());
        QVERIFY(dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY((dialog->geometry().center() - screen.center()).manhattanLength() <= 2);
    }
}

void DialogsTest::questionAnswers_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("answer");
    QTest::newRow("Yes") << QStringLiteral("yes") << 6;
    QTest::newRow("No") << QStringLiteral("no") << 7;
    QTest::newRow("close box") << QStringLiteral("close") << 7;
    QTest::newRow("Escape") << QStringLiteral("escape") << 7;
}

void DialogsTest::questionAnswers() {
    QFETCH(QString, how);
    WhenModalShown([how](QDialog& dialog) {
        auto& question = static_cast<QuestionDialog&>(dialog);
        if (how == QLatin1String("yes"))
            question.YesButton()->click();
        else if (how == QLatin1String("no"))
            question.NoButton()->click();
        else if (how == QLatin1String("close"))
            question.close();
        else
            QTest::keyClick(&question, Qt::Key_Escape);
    });
    QTEST(AskYesNo(QStringLiteral("Reset device?")), "answer");
    QVERIFY(!QApplication::activeModalWidget());
}

void DialogsTest::messageBoxReturnsOnOk() {
    QString shown;
    WhenModalShown([&shown](QDialog& dialog) {
        auto& box = static_cast<MessageBoxDialog&>(dialog);
        shown = box.Label()->text();
        box.OkButton()->click();
    });
    ShowMessageBox(QStringLiteral("No communication"));
    QCOMPARE(shown, QStringLiteral("No communication"));
    QVERIFY(!QApplication::activeModalWidget());
}

void DialogsTest::hostShowsPcTexts() {
    // Code page 1250: 0xB9 is a-ogonek, 0x9C s-acute.
    GuiHost host;
    QString shown;
    WhenModalShown([&shown](QDialog& dialog) {
        auto& question = static_cast<QuestionDialog&>(dialog);
        shown = question.Label()->text();
        question.YesButton()->click();
    });
    QCOMPARE(host.AskYesNo("Zapis\xB9\x9C?"), AnswerYes);
    QCOMPARE(shown, QStringLiteral("Zapis\u0105\u015B?"));
}

void DialogsTest::progressCancelKeepsWindow() {
    ProgressWindow progress;
    GuiHost host(&progress);
    host.ShowProgress(1, 10, "Relays");
    QVERIFY(progress.isVisible());
    QVERIFY(!host.CancelRequested());
    QTest::mouseClick(progress.CancelButton(), Qt::LeftButton);
    QVERIFY(host.CancelRequested());
    QVERIFY(progress.isVisible());
    host.ShowProgress(2, 10, "Relays");
    QVERIFY(host.CancelRequested());
    host.ClearCancel();
    QVERIFY(!host.CancelRequested());
    host.HideProgress();
    QVERIFY(!progress.isVisible());
}

void DialogsTest::progressBar_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("percent");
    QTest::newRow("half") << 5 << 10 << 50;
    QTest::newRow("at maximum") << 10 << 10 << 100;
    QTest::newRow("beyond maximum: full bar") << 15 << 10 << 100;
    QTest::newRow("far beyond after a smaller maximum") << 300 << 7 << 100;
    QTest::newRow("below zero: empty bar") << -3 << 10 << 0;
    QTest::newRow("empty range: empty bar, not a busy bar") << 0 << 0 << 0;
}

void DialogsTest::progressBar() {
    QFETCH(int, position);
    QFETCH(int, maximum);
    QFETCH(int, percent);
    ProgressWindow progress;
    progress.ShowProgress(3, 100, QStringLiteral("Programs"));
    progress.ShowProgress(position, maximum, QStringLiteral("Alarms"));
    const QProgressBar& bar = *progress.Bar();
    QVERIFY(bar.maximum() > bar.minimum());
    QCOMPARE((bar.value() - bar.minimum()) * 100 / (bar.maximum() - bar.minimum()), percent);
    QCOMPARE(bar.text(), QString::number(percent) + QLatin1Char('%'));
    QCOMPARE(progress.TextLabel()->text(), QStringLiteral("Alarms"));
    QVERIFY(progress.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(progress.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
}

void DialogsTest::progressTakesPendingClick() {
    ProgressWindow progress;
    progress.ShowProgress(0, 4, QStringLiteral("Processes"));
    QMetaObject::invokeMethod(progress.CancelButton(), &QPushButton::click, Qt::QueuedConnection);
    QVERIFY(!progress.CancelRequested());
    progress.ShowProgress(1, 4, QStringLiteral("Processes"));
    QVERIFY(progress.CancelRequested());
}

void DialogsTest::fileFilter_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one pattern") << "ZYL|*.rlz"
                                 << "ZYL (*.rlz)";
    QTest::newRow("two patterns") << "Project ZYL|*.zyp;*.zy2"
                                  << "Project ZYL (*.zyp *.zy2)";
    QTest::newRow("two filters") << "ZYL|*.plz|ZYL WASHING|*.p1z"
                                 << "ZYL (*.plz);;ZYL WASHING (*.p1z)";
    QTest::newRow("description without patterns") << "ZYL"
                                                  << "";
    QTest::newRow("empty") << ""
                           << "";
}

void DialogsTest::fileFilter() {
    QFETCH(QString, filter);
    QTEST(ToolkitFileFilter(filter.toStdString()), "expected");
}

QTEST_MAIN(DialogsTest)
#include "tst_dialogs.moc"
