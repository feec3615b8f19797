#include "panel/MenuDialogs.h"

#include "app/Dialogs.h"
#include "panel/CodePage.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QValidator>

#include <algorithm>

namespace zyl {

namespace {

constexpr int EntryTypingLimit = 20;
constexpr int LanguageNameLimit = 100;

constexpr Qt::WindowFlags ToolWindowFlags =
    Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
constexpr Qt::WindowFlags NoCloseBoxFlags =
    Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

// Capitals on every edit, the cursor where it was; at most limit characters, or as many as
// the field last held when it opened with more.
class CapitalsValidator : public QValidator {
public:
    CapitalsValidator(QLineEdit* edit, int limit)
        : QValidator(edit), limit_(limit), length_(edit->text().size()) {
        QObject::connect(edit, &QLineEdit::textChanged, this,
                         [this](const QString& text) { length_ = text.size(); });
    }
    State validate(QString& input, int& position) const override {
        input = input.toUpper();
        position = std::min<int>(position, int(input.size()));
        return input.size() <= std::max<qsizetype>(limit_, length_) ? Acceptable : Invalid;
    }

private:
    int limit_;
    qsizetype length_;
};

// "OK" (the default, Enter) accepts the dialog and "Cancel" (Escape) rejects it.
void AddOkCancel(QDialog& dialog, QPushButton*& ok, QPushButton*& cancel) {
    ok = new QPushButton(QStringLiteral("OK"), &dialog);
    cancel = new QPushButton(QStringLiteral("Cancel"), &dialog);
    ok->setDefault(true);
    cancel->setAutoDefault(false);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
}

QHBoxLayout* ButtonRow(std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton* b : buttons) row->addWidget(b);
    return row;
}

} // namespace

// --- entry editor -------------------------------------------------------------------------------

MenuEntryEditor::MenuEntryEditor(const QString& text, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Edit"));
    setWindowFlags(ToolWindowFlags);

    field_ = new QLineEdit(this);
    field_->setText(text);
    field_->setValidator(new CapitalsValidator(field_, EntryTypingLimit));
    field_->setMinimumWidth(field_->fontMetrics().horizontalAdvance(QLatin1Char('W')) *
                            (EntryTypingLimit + 2));
    field_->selectAll();

    AddOkCancel(*this, ok_, cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(field_);
    layout->addLayout(ButtonRow({ok_, cancel_}));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    field_->setFocus();
    adjustSize();
    CentreOnScreen(*this);
}

std::optional<QString> MenuEntryEditor::Edit(const QString& text, QWidget* parent) {
    MenuEntryEditor editor(text, parent);
    if (editor.exec() != QDialog::Accepted) return std::nullopt;
    return editor.Field()->text();
}

// --- add language -------------------------------------------------------------------------------

AddLanguageDialog::AddLanguageDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Add language"));
    setWindowFlags(NoCloseBoxFlags);

    auto* label = new QLabel(QStringLiteral("Nazwa j\u0119zyka"), this);
    name_ = new QLineEdit(this);
    name_->setMaxLength(LanguageNameLimit);
    name_->setMinimumWidth(240);
    label->setBuddy(name_);

    auto* group = new QGroupBox(QStringLiteral("Code page"), this);
    auto* pages = new QVBoxLayout(group);
    for (std::size_t p = 0; p < CodePageNames.size(); ++p) {
        pages_[p] = new QRadioButton(QString::fromLatin1(CodePageNames[p]), group);
        pages->addWidget(pages_[p]);
    }
    pages_[0]->setChecked(true);

    AddOkCancel(*this, ok_, cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(name_);
    layout->addWidget(group);
    layout->addLayout(ButtonRow({ok_, cancel_}));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    name_->setFocus();
    adjustSize();
    CentreOnScreen(*this);
}

QRadioButton* AddLanguageDialog::CodePageButton(int codePage) const {
    return codePage >= 0 && codePage < 4 ? pages_[codePage] : nullptr;
}

QString AddLanguageDialog::Name() const {
    return name_->text();
}

int AddLanguageDialog::CodePage() const {
    for (int p = 0; p < 4; ++p)
        if (pages_[p]->isChecked()) return p;
    return CodePageStandard;
}

// --- check report -------------------------------------------------------------------------------

MenuCheckDialog::MenuCheckDialog(const QString& report, Purpose purpose, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Check"));
    setWindowFlags(ToolWindowFlags);

    report_ = new QPlainTextEdit(report, this);
    report_->setReadOnly(true);
    report_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    report_->setMinimumSize(780, 280);

    if (purpose == Purpose::BeforeWrite) {
        write_ = new QPushButton(QStringLiteral("Write anyway"), this);
        close_ = new QPushButton(QStringLiteral("Cancel"), this);
        write_->setAutoDefault(false);
        connect(write_, &QPushButton::clicked, this, &QDialog::accept);
    } else {
        close_ = new QPushButton(QStringLiteral("Close"), this);
    }
    close_->setDefault(true);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(report_);
    layout->addLayout(write_ ? ButtonRow({write_, close_}) : ButtonRow({close_}));
    close_->setFocus();
    adjustSize();
    CentreOnScreen(*this);
}

} // namespace zyl
