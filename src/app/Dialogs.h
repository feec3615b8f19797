#pragma once

// The message box, the Yes/No question and the progress window: every message, question and
// progress display of the program goes through these, never the toolkit's standard dialogs.
// The two modal dialogs size themselves to their text by the geometry functions below.

#include <QDialog>
#include <QRect>
#include <QString>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace zyl {

// Where the message box puts its parts. The window's size is width x clientHeight.
struct MessageBoxLayout {
    int width = 0;
    int clientHeight = 0;
    QRect label;
    QRect button;
};

// Where the question dialog puts its parts. The window's size is width x clientHeight.
struct QuestionLayout {
    int width = 0;
    int clientHeight = 0;
    QRect label;
    QRect yes;
    QRect no;
};

// The window grows with the label's text and never gets narrower than its button(s) allow;
// all halves are integer divisions.
[[nodiscard]] MessageBoxLayout MessageBoxGeometry(int labelWidth, int labelHeight, int buttonWidth,
                                                  int buttonHeight);
[[nodiscard]] QuestionLayout QuestionGeometry(int labelWidth, int labelHeight, int buttonWidth,
                                              int buttonHeight);

// One line of text with "OK": empty title, always on top, centred on the screen.
class MessageBoxDialog : public QDialog {
    Q_OBJECT
public:
    explicit MessageBoxDialog(const QString& text, QWidget* parent = nullptr);

    [[nodiscard]] QLabel* Label() const { return label_; }
    [[nodiscard]] QPushButton* OkButton() const { return ok_; }

private:
    QLabel* label_;
    QPushButton* ok_;
};

// A question with "Yes" and "No". The answer is 6 for Yes and 7 for No; closing the dialog
// in any other way (close box, Escape) leaves it at 7.
class QuestionDialog : public QDialog {
    Q_OBJECT
public:
    explicit QuestionDialog(const QString& text, QWidget* parent = nullptr);

    [[nodiscard]] int Answer() const { return answer_; }
    [[nodiscard]] QLabel* Label() const { return label_; }
    [[nodiscard]] QPushButton* YesButton() const { return yes_; }
    [[nodiscard]] QPushButton* NoButton() const { return no_; }

private:
    QLabel* label_;
    QPushButton* yes_;
    QPushButton* no_;
    int answer_;
};

// Modal; each call builds its window anew and destroys it afterwards.
void ShowMessageBox(const QString& text);
[[nodiscard]] int AskYesNo(const QString& text);

// The progress window: a one-line text, a bar with its percentage and "Cancel". It lives for
// the whole run and is never modal. Cancel only raises the cancel flag; the caller reads and
// clears the flag and hides the window when its job ends.
class ProgressWindow : public QWidget {
    Q_OBJECT
public:
    explicit ProgressWindow(QWidget* parent = nullptr);

    // Sets the bar (a position beyond the range is drawn at its end) and the text, shows the
    // window when hidden, and lets pending events run so a Cancel click is taken at once.
    void ShowProgress(int position, int maximum, const QString& text);

    [[nodiscard]] bool CancelRequested() const { return cancel_; }
    void ClearCancel() { cancel_ = false; }

    [[nodiscard]] QProgressBar* Bar() const { return bar_; }
    [[nodiscard]] QLabel* TextLabel() const { return text_; }
    [[nodiscard]] QPushButton* CancelButton() const { return cancelButton_; }

private:
    QLabel* text_;
    QProgressBar* bar_;
    QPushButton* cancelButton_;
    bool cancel_ = false;
};

// Moves a top-level window so that it is centred on its screen.
void CentreOnScreen(QWidget& window);

} // namespace zyl
