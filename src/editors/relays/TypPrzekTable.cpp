#include "editors/relays/TypPrzekTable.h"

#include "editors/ToolIcons.h"
#include "editors/relays/RelayPictures.h"
#include "editors/relays/Relays.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace zyl {

namespace {

constexpr QSize PickerPictureSize(150, 96);

} // namespace

TypePickerWindow::TypePickerWindow(const QString& title, const std::vector<Choice>& choices,
                                   int perRow, int value, QWidget* parent)
    : QDialog(parent), value_(value), group_(new QButtonGroup(this)),
      closeButton_(MakeToolButton(ToolIcon::Cancel, QStringLiteral("Close"), this)) {
    setWindowTitle(title);
    setModal(true);
    group_->setExclusive(true);

    auto* tools = new QHBoxLayout;
    tools->setContentsMargins(0, 0, 0, 0);
    tools->addWidget(closeButton_);
    tools->addStretch(1);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(4);
    for (int i = 0; i < int(choices.size()); ++i) {
        const Choice& choice = choices[std::size_t(i)];
        auto* heading = new QLabel(choice.heading, this);
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
        heading->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);

        auto* button = new QToolButton(this);
        button->setCheckable(true);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setIcon(QIcon(choice.picture));
        button->setIconSize(choice.picture.size());
        button->setText(choice.text);
        button->setToolTip(choice.heading + QStringLiteral(": ") + choice.text);
        button->setMinimumWidth(choice.picture.width() + 16);
        button->setStyleSheet(QStringLiteral(
            "QToolButton { border: 1px solid #b8bfc8; border-radius: 5px; padding: 5px;"
            " background: #f6f7f9; }"
            "QToolButton:hover { border-color: #5b8fd0; background: #eef4fc; }"
            "QToolButton:checked { border: 2px solid #2f6db5; padding: 4px;"
            " background: #d7e6f8; }"));
        group_->addButton(button, i);

        const int row = (i / perRow) * 2, column = i % perRow;
        grid->addWidget(heading, row, column);
        grid->addWidget(button, row + 1, column);
        grid->setRowMinimumHeight(row, heading->sizeHint().height() + (row > 0 ? 10 : 0));
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 10);
    layout->addLayout(tools);
    layout->addLayout(grid);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    if (QAbstractButton* first = group_->button(0)) first->setChecked(true);
    if (QAbstractButton* current = group_->button(value)) current->setChecked(true);

    connect(group_, &QButtonGroup::idClicked, this, [this](int id) {
        value_ = id;
        chosen_ = true;
        accept();
    });
    connect(closeButton_, &QToolButton::clicked, this, [this] {
        chosen_ = false;
        reject();
    });
}

QAbstractButton* TypePickerWindow::ValueButton(int value) const {
    return group_->button(value);
}

void TypePickerWindow::closeEvent(QCloseEvent* event) {
    chosen_ = true;
    QDialog::closeEvent(event);
}

TFTypPrzekTable::TFTypPrzekTable(int value, QWidget* parent)
    : TypePickerWindow(
          QStringLiteral("Time parameters"),
          [] {
              std::vector<Choice> choices;
              for (int v = 0; v < int(TimeTypeTexts.size()); ++v)
                  choices.push_back({QStringLiteral("Time type %1").arg(v),
                                     QString::fromLatin1(TimeTypeTexts[std::size_t(v)]),
                                     TimeTypePicture(v, PickerPictureSize)});
              return choices;
          }(),
          int(TimeTypeTexts.size()), value, parent) {}

bool PickTimeType(int& value, QWidget* parent) {
    TFTypPrzekTable picker(value, parent);
    picker.exec();
    if (!picker.Chosen()) return false;
    value = picker.Value();
    return true;
}

} // namespace zyl
