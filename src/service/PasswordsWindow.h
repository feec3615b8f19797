#pragma once

// The passwords window: the 37 passwords of the project's password block in a table, typed
// in place, read from the controller and sent to it. It works on a working copy of the block
// that reaches the project at "Send" and when the window closes.

#include "core/AppContext.h"
#include "project/Records.h"

#include <QDialog>

#include <optional>
#include <string>
#include <vector>

class QPushButton;
class QTableWidget;

namespace zyl {

class PasswordsWindow : public QDialog {
    Q_OBJECT
public:
    explicit PasswordsWindow(AppContext& ctx, QWidget* parent = nullptr);

    [[nodiscard]] const TPasswordBlock& Working() const { return working_; }
    [[nodiscard]] QTableWidget* Table() const { return table_; }
    [[nodiscard]] QPushButton* ReadButton() const { return read_; }
    [[nodiscard]] QPushButton* SendButton() const { return send_; }
    [[nodiscard]] QPushButton* CloseButton() const { return close_; }

    void Read();
    void Send();

public slots:
    void done(int result) override;

private:
    // Shows the working copy; no row counts as typed into afterwards.
    void Fill();
    void CellChanged(int row, int column);

    AppContext& ctx_;
    TPasswordBlock working_;
    // What the user typed into each row since the table was last filled (bytes of code page
    // 1250); rows without an entry keep their slot's bytes when sent.
    std::vector<std::optional<std::string>> typed_;
    bool filling_ = false;
    bool busy_ = false;

    QTableWidget* table_ = nullptr;
    QPushButton* read_ = nullptr;
    QPushButton* send_ = nullptr;
    QPushButton* close_ = nullptr;
};

// Opens the passwords window modally, created anew; returns when it is closed.
void OpenPasswords(AppContext& ctx, QWidget* parent);

} // namespace zyl
