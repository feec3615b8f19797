#pragma once

// The help viewer: one parameter's help page, read-only, in a modal tool window.

#include "service/RichText.h"

#include <QDialog>

#include <string>

class QTextEdit;

namespace zyl {

class HelpViewer : public QDialog {
    Q_OBJECT
public:
    // Titled "F" and the parameter number in two digits; 696 by 480, centred on the screen.
    HelpViewer(int parameterNumber, const RichTextDocument& page, QWidget* parent = nullptr);

    [[nodiscard]] QTextEdit* Text() const { return text_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTextEdit* text_;
};

// Shows the help page of a setup parameter from the file at path and returns when its window
// closes. A file that does not exist or cannot be read opens nothing; the result says whether
// the window was shown.
bool ShowHelp(int parameterNumber, const std::string& path, QWidget* parent = nullptr);

} // namespace zyl
