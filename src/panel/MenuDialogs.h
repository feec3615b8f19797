#pragma once

// The small dialogs of the menu window: the entry editor, the new language's name and code
// page, and the check report shown on "Check" and before a write to the controller.

#include <QDialog>
#include <QString>

#include <optional>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace zyl {

// "Edit": one entry's text, turned into capitals as it is typed, at most 20 characters typed
// (a longer text it opens with is kept and can only get shorter). "OK" is the default button,
// Escape cancels.
class MenuEntryEditor : public QDialog {
    Q_OBJECT
public:
    explicit MenuEntryEditor(const QString& text, QWidget* parent = nullptr);

    [[nodiscard]] QLineEdit* Field() const { return field_; }
    [[nodiscard]] QPushButton* OkButton() const { return ok_; }
    [[nodiscard]] QPushButton* CancelButton() const { return cancel_; }

    // Runs the editor modally; the text "OK" gave, nothing when it was cancelled.
    static std::optional<QString> Edit(const QString& text, QWidget* parent);

private:
    QLineEdit* field_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// "Add language": the name and one of the four code pages ("Standard" chosen at first). The
// window has no close box; "OK" is the default button.
class AddLanguageDialog : public QDialog {
    Q_OBJECT
public:
    explicit AddLanguageDialog(QWidget* parent = nullptr);

    [[nodiscard]] QLineEdit* NameField() const { return name_; }
    [[nodiscard]] QRadioButton* CodePageButton(int codePage) const;
    [[nodiscard]] QPushButton* OkButton() const { return ok_; }
    [[nodiscard]] QPushButton* CancelButton() const { return cancel_; }

    [[nodiscard]] QString Name() const;
    [[nodiscard]] int CodePage() const; // TCodePage

private:
    QLineEdit* name_ = nullptr;
    QRadioButton* pages_[4] = {};
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// The check report as text. Shown on its own it has "Close"; before a write it asks with
// "Write anyway" (accepts) and "Cancel" (rejects, the default).
class MenuCheckDialog : public QDialog {
    Q_OBJECT
public:
    enum class Purpose { Show, BeforeWrite };
    MenuCheckDialog(const QString& report, Purpose purpose, QWidget* parent = nullptr);

    [[nodiscard]] QPlainTextEdit* Report() const { return report_; }
    // "Write anyway" before a write, nothing otherwise.
    [[nodiscard]] QPushButton* WriteButton() const { return write_; }
    // "Cancel" before a write, "Close" otherwise.
    [[nodiscard]] QPushButton* CloseButton() const { return close_; }

private:
    QPlainTextEdit* report_ = nullptr;
    QPushButton* write_ = nullptr;
    QPushButton* close_ = nullptr;
};

} // namespace zyl
