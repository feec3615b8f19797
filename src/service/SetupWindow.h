#pragma once

// The setup window: the parameters F01 to F97 of the project's setup block with their names
// and values, edited one at a time in the parameter edition dialog, read from the controller,
// sent to it, and opened from and saved to ".zys" files. It works on a working copy of the
// block that reaches the project at "Send" and whenever the window closes.

#include "core/AppContext.h"
#include "project/Records.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QToolButton;

namespace zyl {

// One parameter's value: a list for a choice parameter, else a number field (with one
// decimal for a tenths parameter). "Save" is the default button, "Close" takes Escape; the
// help button shows only when the parameter's help page exists.
class ParameterEditDialog : public QDialog {
    Q_OBJECT
public:
    ParameterEditDialog(int parameterNumber, int value, QWidget* parent = nullptr);

    // The value "Save" gave; nothing when the dialog was closed otherwise.
    [[nodiscard]] std::optional<int> Result() const { return result_; }

    [[nodiscard]] QLabel* NameLabel() const { return name_; }
    [[nodiscard]] QComboBox* ChoiceList() const { return choice_; } // choice parameters
    [[nodiscard]] QLineEdit* Field() const { return field_; }       // the others
    [[nodiscard]] QToolButton* HelpButton() const { return help_; }
    [[nodiscard]] QPushButton* SaveButton() const { return save_; }
    [[nodiscard]] QPushButton* CloseButton() const { return close_; }

    // Runs the dialog modally; the value "Save" gave.
    static std::optional<int> Edit(int parameterNumber, int value, QWidget* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Save();
    void FieldLeft();
    void OpenHelp();

    int n_;
    int value_;
    char separator_;
    std::optional<int> result_;

    QLabel* name_ = nullptr;
    QComboBox* choice_ = nullptr;
    QLineEdit* field_ = nullptr;
    QToolButton* help_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* close_ = nullptr;
};

class SetupWindow : public QDialog {
    Q_OBJECT
public:
    explicit SetupWindow(AppContext& ctx, QWidget* parent = nullptr);

    [[nodiscard]] const TSetupBlock& Working() const { return working_; }
    [[nodiscard]] QTableWidget* Table() const { return table_; }
    [[nodiscard]] QLabel* VersionLabel() const { return version_; }
    [[nodiscard]] QPushButton* OpenButton() const { return open_; }
    [[nodiscard]] QPushButton* SaveButton() const { return save_; }
    [[nodiscard]] QPushButton* PasswordsButton() const { return passwords_; }
    [[nodiscard]] QPushButton* ReadButton() const { return read_; }
    [[nodiscard]] QPushButton* SendButton() const { return send_; }
    [[nodiscard]] QPushButton* CloseButton() const { return close_; }

    void Read();
    void Send();
    void OpenFile();
    void SaveFile();
    // Opens the parameter edition dialog for parameter n (1 to 97).
    void EditParameter(int n);

public slots:
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fill();
    void ShowValue(int n);
    void SetBusy(bool busy);

    AppContext& ctx_;
    TSetupBlock working_;
    bool busy_ = false;

    QTableWidget* table_ = nullptr;
    QLabel* version_ = nullptr;
    QPushButton* open_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* passwords_ = nullptr;
    QPushButton* read_ = nullptr;
    QPushButton* send_ = nullptr;
    QPushButton* close_ = nullptr;
};

// Opens the setup window modally, created anew; returns when it is closed.
void OpenSetup(AppContext& ctx, QWidget* parent);

} // namespace zyl
