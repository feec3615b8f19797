#pragma once

// Small pieces every record editor's window uses: texts between the records' code page 1250
// bytes and the widgets, the name field that takes a limited number of typed characters, and
// the fixed lists.

#include "core/Host.h"
#include "project/FileIO.h"

#include <QString>

#include <span>
#include <string>
#include <string_view>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QWidget;

namespace zyl {

[[nodiscard]] QString FromPc(std::string_view bytes);
[[nodiscard]] std::string ToPc(const QString& text);

// Shows a stored name and lets the user type at most typingLimit characters. A longer stored
// name is kept as it is and can only get shorter.
void SetLimitedName(QLineEdit* edit, std::string_view name, int typingLimit);

// Fills a drop-down list with texts of code page 1250, all shown at once when it opens, and
// selects index (-1 selects nothing: a stored value outside the list).
void FillList(QComboBox* box, std::span<const char* const> texts, int index);

// A titled frame around one control, as the record editors lay out their fields.
[[nodiscard]] QGroupBox* Frame(const QString& title, QWidget* content, QWidget* parent);

// Shows a file error in a message box (its path in the file system's encoding).
void ShowFileError(Host& host, const FileStatus& status);

} // namespace zyl
