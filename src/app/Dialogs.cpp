#include "app/Dialogs.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace zyl {

namespace {

constexpr Qt::WindowFlags DialogFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                        Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint;

// The classic button size, larger only when the caption needs it.
QSize ButtonSize(const QPushButton& button) {
    const QSize hint = button.sizeHint();
    return {std::max(75, hint.width()), std::max(25, hint.height())};
}

QLabel* MakeTextLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->adjustSize();
    return label;
}

} // namespace

MessageBoxLayout MessageBoxGeometry(int labelWidth, int labelHeight, int buttonWidth,
                                    int buttonHeight) {
    MessageBoxLayout g;
    g.width = std::max(labelWidth + 20, buttonWidth + 10);
    g.clientHeight = labelHeight + buttonHeight + 30;
    const int buttonTop = g.clientHeight - buttonHeight - 5;
    g.button = QRect((g.width - buttonWidth) / 2, buttonTop, buttonWidth, buttonHeight);
    g.label = QRect((g.width - labelWidth) / 2, (g.clientHeight - buttonTop) / 2, labelWidth,
                    labelHeight);
    return g;
}

QuestionLayout QuestionGeometry(int labelWidth, int labelHeight, int buttonWidth,
                                int buttonHeight) {
    QuestionLayout g;
    int width = std::max(labelWidth + 20, 2 * buttonWidth + 20);
    g.clientHeight = labelHeight + buttonHeight + 30;
    const int yesLeft = (width - 2 * buttonWidth - 5) / 2;
    const int noLeft = yesLeft + buttonWidth + 5;
    // The width follows from the buttons' left margin.
    width = 2 * yesLeft + 2 * buttonWidth + 6;
    g.width = width;
    const int buttonTop = g.clientHeight - buttonHeight - 5;
    g.yes = QRect(yesLeft, buttonTop, buttonWidth, buttonHeight);
    g.no = QRect(noLeft, buttonTop, buttonWidth, buttonHeight);
    g.label =
        QRect((width - labelWidth) / 2, (g.clientHeight - buttonTop) / 2, labelWidth, labelHeight);
    return g;
}

void CentreOnScreen(QWidget& window) {
    QScreen* screen = window.screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QSize size = window.size();
    window.move(area.center() - QPoint(size.width() / 2, size.height() / 2));
}

MessageBoxDialog::MessageBoxDialog(const QString& text, QWidget* parent)
    : QDialog(parent, DialogFlags) {
    setWindowTitle(QString());
    label_ = MakeTextLabel(text, this);
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->resize(ButtonSize(*ok_));
    ok_->setDefault(true);
    const MessageBoxLayout g =
        MessageBoxGeometry(label_->width(), label_->height(), ok_->width(), ok_->height());
    setFixedSize(g.width, g.clientHeight);
    label_->setGeometry(g.label);
    ok_->setGeometry(g.button);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    CentreOnScreen(*this);
}

QuestionDialog::QuestionDialog(const QString& text, QWidget* parent)
    : QDialog(parent, DialogFlags), answer_(7) {
    setWindowTitle(QString());
    label_ = MakeTextLabel(text, this);
    yes_ = new QPushButton(QStringLiteral("Yes"), this);
    no_ = new QPushButton(QStringLiteral("No"), this);
    const QSize yesSize = ButtonSize(*yes_);
    const QSize noSize = ButtonSize(*no_);
    const int buttonWidth = std::max(yesSize.width(), noSize.width());
    const int buttonHeight = std::max(yesSize.height(), noSize.height());
    const QuestionLayout g =
        QuestionGeometry(label_->width(), label_->height(), buttonWidth, buttonHeight);
    setFixedSize(g.width, g.clientHeight);
    label_->setGeometry(g.label);
    yes_->setGeometry(g.yes);
    no_->setGeometry(g.no);
    connect(yes_, &QPushButton::clicked, this, [this] {
        answer_ = 6;
        accept();
    });
    connect(no_, &QPushButton::clicked, this, [this] {
        answer_ = 7;
        reject();
    });
    yes_->setFocus();
    CentreOnScreen(*this);
}

void ShowMessageBox(const QString& text) {
    MessageBoxDialog dialog(text);
    dialog.exec();
}

int AskYesNo(const QString& text) {
    QuestionDialog dialog(text);
    dialog.exec();
    return dialog.Answer();
}

ProgressWindow::ProgressWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint) {
    setWindowTitle(QString());
    text_ = new QLabel(this);
    text_->setTextFormat(Qt::PlainText);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 1);
    bar_->setValue(0);
    bar_->setTextVisible(true);
    bar_->setFormat(QStringLiteral("%p%"));
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton_->setFixedSize(ButtonSize(*cancelButton_));
    connect(cancelButton_, &QPushButton::clicked, this, [this] { cancel_ = true; });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancelButton_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->setSpacing(8);
    layout->addWidget(text_);
    layout->addWidget(bar_);
    layout->addLayout(buttons);
    setFixedWidth(360);
    adjustSize();
}

void ProgressWindow::ShowProgress(int position, int maximum, const QString& text) {
    // An empty range would turn the bar into a busy indicator.
    const int top = std::max(maximum, 1);
    bar_->setMaximum(top);
    bar_->setValue(std::clamp(position, 0, top));
    text_->setText(text);
    if (isHidden()) {
        adjustSize();
        CentreOnScreen(*this);
        show();
    }
    raise();
    QCoreApplication::processEvents();
}

} // namespace zyl
