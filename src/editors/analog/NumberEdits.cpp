#include "editors/analog/NumberEdits.h"

#include "editors/EditorWidgets.h"
#include "editors/analog/AnalogOutputs.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QValidator>

#include <functional>

namespace zyl {

namespace {

// Accepts the texts a rule allows and refuses every other keystroke.
class CharacterValidator : public QValidator {
public:
    CharacterValidator(std::function<bool(const std::string&)> allowed, QObject* parent)
        : QValidator(parent), allowed_(std::move(allowed)) {}
    State validate(QString& input, int&) const override {
        return allowed_(ToPc(input)) ? Acceptable : Invalid;
    }

private:
    std::function<bool(const std::string&)> allowed_;
};

int FieldWidth(const QLineEdit* edit, int characters) {
    return edit->fontMetrics().horizontalAdvance(QString(characters, '0')) + 16;
}

} // namespace

std::string SystemDecimalSeparator() {
    const std::string separator = ToPc(QLocale::system().decimalPoint());
    return separator.empty() ? std::string(".") : separator;
}

WholeNumberEdit::WholeNumberEdit(QWidget* parent) : QLineEdit(parent) {
    setValidator(new CharacterValidator(
        [](const std::string& text) { return WholeNumberInputAllowed(text); }, this));
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setFixedWidth(FieldWidth(this, 6));
    connect(this, &QLineEdit::editingFinished, this, &WholeNumberEdit::Bound);
}

void WholeNumberEdit::Show(const std::string& text) {
    setText(QString::number(FieldValue(text)));
}

std::string WholeNumberEdit::Text() const {
    return ToPc(text());
}

void WholeNumberEdit::Bound() {
    const QString bounded = QString::number(FieldValue(Text()));
    if (bounded != text()) setText(bounded);
}

RealNumberEdit::RealNumberEdit(const std::string& separator, QWidget* parent) : QLineEdit(parent) {
    setValidator(new CharacterValidator(
        [separator](const std::string& text) { return RealInputAllowed(text, separator); }, this));
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setFixedWidth(FieldWidth(this, 12));
}

void RealNumberEdit::Show(const std::string& text) {
    setText(FromPc(text));
}

std::string RealNumberEdit::Text() const {
    return ToPc(text());
}

FieldFrame::FieldFrame(QWidget* parent, const QString& title)
    : box_(new QGroupBox(title, parent)), grid_(new QGridLayout(box_)) {
    grid_->setHorizontalSpacing(10);
    grid_->setColumnStretch(1, 1);
}

void FieldFrame::AddRow(const char* label, QWidget* field) {
    auto* text = new QLabel(QString::fromLatin1(label), box_);
    text->setBuddy(field);
    grid_->addWidget(text, rows_, 0);
    grid_->addWidget(field, rows_, 1);
    ++rows_;
}

} // namespace zyl
