#pragma once

// The number fields of the analog output and PID editors (whole numbers held to 0 to 9999,
// reals shown and read with the system's decimal separator) and the frame that lines up
// their labels.

#include <QLineEdit>

#include <string>

class QGridLayout;
class QGroupBox;

namespace zyl {

// The system's decimal separator as PC code page bytes ("." when it has none there).
[[nodiscard]] std::string SystemDecimalSeparator();

// A whole-number field: takes digits and signs only, and shows a value outside 0 to 9999 as
// the nearer bound, both when it is set and when the field is left.
class WholeNumberEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit WholeNumberEdit(QWidget* parent = nullptr);
    // Shows a field's text (PC code page bytes) brought into 0 to 9999.
    void Show(const std::string& text);
    // The text as the core reads it.
    [[nodiscard]] std::string Text() const;

private:
    void Bound();
};

// A real-number field with the system's decimal separator: takes digits, signs, exponent
// letters and one separator.
class RealNumberEdit : public QLineEdit {
    Q_OBJECT
public:
    RealNumberEdit(const std::string& separator, QWidget* parent = nullptr);
    void Show(const std::string& text);
    [[nodiscard]] std::string Text() const;
};

// A frame of labelled fields, one a row, the labels lined up on the left.
class FieldFrame {
public:
    explicit FieldFrame(QWidget* parent, const QString& title = {});
    // Adds a row: the label (ASCII) and its field.
    template <class Field> Field* Add(const char* label, Field* field) {
        AddRow(label, field);
        return field;
    }
    [[nodiscard]] QGroupBox* Box() const { return box_; }

private:
    void AddRow(const char* label, QWidget* field);

    QGroupBox* box_;
    QGridLayout* grid_;
    int rows_ = 0;
};

} // namespace zyl
