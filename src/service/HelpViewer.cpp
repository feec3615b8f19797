#include "service/HelpViewer.h"

#include "app/Dialogs.h"
#include "service/RichTextView.h"

#include <QFile>
#include <QKeyEvent>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

namespace zyl {

namespace {

bool ClosesViewer(const QKeyEvent& key) {
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter || key.key() == Qt::Key_Escape;
}

} // namespace

HelpViewer::HelpViewer(int parameterNumber, const RichTextDocument& page, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("F%1").arg(parameterNumber, 2, 10, QLatin1Char('0')));
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);
    setSizeGripEnabled(false);

    text_ = new QTextEdit(this);
    text_->setObjectName(QStringLiteral("HelpText"));
    text_->setReadOnly(true);
    text_->setFrameShape(QFrame::NoFrame);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard |
                                   Qt::LinksAccessibleByMouse);
    FillTextDocument(page, *text_->document());
    text_->moveCursor(QTextCursor::Start);
    text_->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(text_);

    resize(696, 480);
    CentreOnScreen(*this);
}

void HelpViewer::keyPressEvent(QKeyEvent* event) {
    if (ClosesViewer(*event)) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool HelpViewer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == text_ && event->type() == QEvent::KeyPress &&
        ClosesViewer(*static_cast<QKeyEvent*>(event))) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool ShowHelp(int parameterNumber, const std::string& path, QWidget* parent) {
    QFile file(QString::fromStdString(path));
    if (!file.exists() || !file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.readAll();
    file.close();
    HelpViewer viewer(
        parameterNumber,
        ReadRichText(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))),
        parent);
    viewer.exec();
    return true;
}

} // namespace zyl
