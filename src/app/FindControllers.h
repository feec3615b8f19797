#pragma once

// Project > "Find controllers...": the baud rates and address range to scan, Start, a
// progress bar with Cancel, and the controllers that answered. Choosing one (double click or
// "Use") closes the dialog accepted with that controller in Chosen(); the main window then
// takes over its address, baud rate and mode.

#include "core/AppContext.h"
#include "core/ControllerScan.h"

#include <QDialog>

#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace zyl {

class FindControllersDialog : public QDialog {
    Q_OBJECT
public:
    explicit FindControllersDialog(AppContext& context, QWidget* parent = nullptr);
    ~FindControllersDialog() override;

    // Scans the plan the controls describe; returns when the scan has ended.
    void StartScan();
    [[nodiscard]] bool Scanning() const { return scanning_; }
    // The plan the controls describe (it may be refused: ScanPlanError).
    [[nodiscard]] ScanPlan Plan() const;
    [[nodiscard]] const std::vector<FoundController>& Found() const { return found_; }
    [[nodiscard]] const std::optional<FoundController>& Chosen() const { return chosen_; }

    [[nodiscard]] QCheckBox* Rate9600Box() const { return rate9600_; }
    [[nodiscard]] QCheckBox* Rate19200Box() const { return rate19200_; }
    [[nodiscard]] QSpinBox* FirstAddressEdit() const { return firstAddress_; }
    [[nodiscard]] QSpinBox* LastAddressEdit() const { return lastAddress_; }
    [[nodiscard]] QPushButton* StartButton() const { return start_; }
    [[nodiscard]] QPushButton* CancelButton() const { return cancel_; }
    [[nodiscard]] QProgressBar* Bar() const { return bar_; }
    [[nodiscard]] QLabel* StatusLabel() const { return status_; }
    [[nodiscard]] QTableWidget* List() const { return list_; }
    [[nodiscard]] QPushButton* UseButton() const { return use_; }
    [[nodiscard]] QPushButton* CloseButton() const { return close_; }

public slots:
    // While a scan runs, closing the dialog cancels it and closes once it has ended.
    void reject() override;

private:
    class ScanHost;

    void UpdateButtons();
    void ShowPlanProblem();
    void AddRow(const FoundController& controller);
    void ShowProgress(int position, int maximum, const QString& text);
    void ShowOutcome(const ScanResult& result);
    void UseSelected();
    void SetStatus(const QString& text, bool problem);

    AppContext& context_;
    std::unique_ptr<ScanHost> host_;
    std::vector<FoundController> found_;
    std::optional<FoundController> chosen_;
    bool scanning_ = false;
    bool cancelRequested_ = false;
    bool closeAfterScan_ = false;

    QCheckBox* rate9600_ = nullptr;
    QCheckBox* rate19200_ = nullptr;
    QSpinBox* firstAddress_ = nullptr;
    QSpinBox* lastAddress_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QLabel* status_ = nullptr;
    QTableWidget* list_ = nullptr;
    QPushButton* use_ = nullptr;
    QPushButton* close_ = nullptr;
};

} // namespace zyl
