#include "editors/EditorWidgets.h"

#include "panel/CodePage.h"

#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QValidator>

#include <algorithm>

namespace zyl {

namespace {

class NameLengthValidator : public QValidator {
public:
    NameLengthValidator(QLineEdit* edit, int limit)
        : QValidator(edit), limit_(limit), length_(edit->text().size()) {
        QObject::connect(edit, &QLineEdit::textChanged, this,
                         [this](const QString& text) { length_ = text.size(); });
    }
    State validate(QString& input, int&) const override {
        return input.size() <= std::max<qsizetype>(limit_, length_) ? Acceptable : Invalid;
    }

private:
    int limit_;
    qsizetype length_; // of the text last accepted
};

} // namespace

QString FromPc(std::string_view bytes) {
    return QString::fromStdString(PcToUtf8(1250, bytes));
}

std::string ToPc(const QString& text) {
    return Utf8ToPc(1250, text.toStdString());
}

void SetLimitedName(QLineEdit* edit, std::string_view name, int typingLimit) {
    edit->setValidator(nullptr);
    edit->setText(FromPc(name));
    edit->setValidator(new NameLengthValidator(edit, typingLimit));
}

void FillList(QComboBox* box, std::span<const char* const> texts, int index) {
    box->clear();
    for (const char* text : texts) box->addItem(FromPc(text));
    box->setMaxVisibleItems(int(texts.size()));
    box->setCurrentIndex(index);
}

QGroupBox* Frame(const QString& title, QWidget* content, QWidget* parent) {
    auto* frame = new QGroupBox(title, parent);
    auto* layout = new QHBoxLayout(frame);
    layout->addWidget(content);
    return frame;
}

void ShowFileError(Host& host, const FileStatus& status) {
    host.ShowMessageBox(ToPc(QFile::decodeName(status.error.c_str())));
}

} // namespace zyl
