#pragma once

// The time-type picker, and the picture-button window it shares with the regulator-type
// picker.

#include <QDialog>
#include <QPixmap>
#include <QString>

#include <vector>

class QAbstractButton;
class QButtonGroup;
class QToolButton;

namespace zyl {

// A modal window of picture buttons, one per value and each headed by its heading, of which
// one is pressed: first the value-0 button, then the current value's (a value outside the
// buttons leaves value 0 pressed). A click picks that value and closes; the title-bar close
// box confirms the value unchanged; the "Close" tool button and Escape give up.
class TypePickerWindow : public QDialog {
    Q_OBJECT
public:
    struct Choice {
        QString heading;
        QString text;
        QPixmap picture;
    };

    // The picked value, or the value given at opening.
    [[nodiscard]] int Value() const { return value_; }
    // True after a click on a value or the close box.
    [[nodiscard]] bool Chosen() const { return chosen_; }

    [[nodiscard]] QAbstractButton* ValueButton(int value) const;
    [[nodiscard]] QToolButton* CloseButton() const { return closeButton_; }
    [[nodiscard]] QButtonGroup* Group() const { return group_; }

protected:
    TypePickerWindow(const QString& title, const std::vector<Choice>& choices, int perRow,
                     int value, QWidget* parent);
    void closeEvent(QCloseEvent* event) override;

private:
    int value_;
    bool chosen_ = false;
    QButtonGroup* group_;
    QToolButton* closeButton_;
};

class TFTypPrzekTable : public TypePickerWindow {
    Q_OBJECT
public:
    explicit TFTypPrzekTable(int value, QWidget* parent = nullptr);
};

// Opens the time-type picker with value. True with the clicked value, or with value unchanged
// after the close box; false, value unchanged, after the "Close" tool button.
bool PickTimeType(int& value, QWidget* parent);

} // namespace zyl
