#pragma once

// What the whole-project write and read windows share: the ten rows (a frame with the row's
// caption, "For transmission?", a bar shown once the row's block starts and the row's result
// text), "Select All" and the one Start/Stop button. Start runs the transfer from a one-shot
// timer; a double click on a row whose block ended with differing fields ("Difference", or
// "Error" of a verified write) lists them in a window. Stop raises the run's stop request and the
// window goes back to idle at once, while the run ends at its next look at the request. Until it
// has returned, neither Start nor "Comparison" can begin another run, and closing the window waits
// for it.

#include "core/AppContext.h"
#include "transfer/ProjectTransfer.h"

#include <QDialog>
#include <QTimer>

#include <array>
#include <memory>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace zyl {

class ProjectRowsWindow : public QDialog {
    Q_OBJECT
public:
    ~ProjectRowsWindow() override;

    // The run between Start and its end for the window: Stop ends this at once.
    [[nodiscard]] bool Running() const { return running_; }
    // A transfer run has begun and not yet returned (also while a stopped run unwinds).
    [[nodiscard]] bool RunInProgress() const { return runInProgress_; }

    [[nodiscard]] QGroupBox* RowFrame(ProjectBlock block) const { return Row(block).frame; }
    [[nodiscard]] QCheckBox* RowBox(ProjectBlock block) const { return Row(block).box; }
    [[nodiscard]] QProgressBar* RowBar(ProjectBlock block) const { return Row(block).bar; }
    [[nodiscard]] QLabel* RowResult(ProjectBlock block) const { return Row(block).result; }
    [[nodiscard]] QPushButton* SelectAllButton() const { return selectAll_; }
    [[nodiscard]] QPushButton* StartButton() const { return start_; }
    // The differing fields the last run found in the row's block (none before a run).
    [[nodiscard]] const std::vector<FieldDifferenceRow>& RowDifferences(ProjectBlock block) const {
        return differences_[std::size_t(RowOf(block))];
    }
    // Lists the row's differing fields in a window of its own; false (and nothing shown) when
    // there are none.
    bool ShowDifferences(ProjectBlock block);

signals:
    // A run has returned (completed or stopped).
    void runEnded(bool completed);

public slots:
    // While a run goes on, closing acts as Stop and the window closes once the run returned.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

    struct Options {
        QString title;
        const char* (*caption)(ProjectBlock); // the rows' captions
        int startDelayMs;                     // from Start to the run
        bool withComparison;                  // the read window's "Comparison" button
        bool startKeepsLastBar;               // Start leaves the last row's bar as it was
    };
    ProjectRowsWindow(AppContext& context, const Options& options, QWidget* parent);

    // The transfer itself, on the window's own access to the controller.
    virtual ProjectRunResult Transfer(ControllerAccess& access, const BlockSelection& blocks,
                                      ProjectRunView& view) = 0;

    [[nodiscard]] QPushButton* ComparisonButtonOrNull() const { return comparison_; }
    // The read window's comparison mode: set by "Comparison", cleared by a run that completes.
    [[nodiscard]] bool ComparisonMode() const { return comparisonMode_; }

private:
    class RunHost;
    class RowsView;
    struct RowWidgets {
        QGroupBox* frame = nullptr;
        QCheckBox* box = nullptr;
        QProgressBar* bar = nullptr;
        QLabel* result = nullptr;
    };

    [[nodiscard]] const RowWidgets& Row(ProjectBlock block) const {
        return rows_[std::size_t(RowOf(block))];
    }
    void StartOrStop();
    void Compare();
    void RunTransfer();
    void UpdateButtons();
    void ShowRowResult(ProjectBlock block, BlockEnd end);

    AppContext& context_;
    Options options_;
    std::unique_ptr<RunHost> host_;
    std::unique_ptr<RowsView> view_;
    std::array<RowWidgets, ProjectBlockCount> rows_{};
    std::array<std::vector<FieldDifferenceRow>, ProjectBlockCount> differences_{};
    QPushButton* selectAll_ = nullptr;
    QPushButton* comparison_ = nullptr;
    QPushButton* start_ = nullptr;
    QTimer startTimer_;

    bool running_ = false;
    bool stopRequested_ = false;
    bool runInProgress_ = false;
    bool comparisonMode_ = false;
    bool closeAfterRun_ = false;
};

} // namespace zyl
