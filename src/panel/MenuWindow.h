#pragma once

// The menu window: the operator panel's menu entries in the panel's language, English and the
// two languages chosen in the selectors, read from and written to the controller and to disk,
// with languages added, checked before a write, and exchanged with translators as CSV.
// "Polski" and "English" can be edited only in service mode (F10, until the window closes).

#include "core/AppContext.h"
#include "panel/MenuTable.h"

#include <QDialog>

#include <string>

class QComboBox;
class QPushButton;
class QTableWidget;
class QToolButton;

namespace zyl {

class MenuWindow : public QDialog {
    Q_OBJECT
public:
    enum Column { ColumnNr, ColumnPolish, ColumnEnglish, ColumnCust1, ColumnCust2, ColumnCount };

    explicit MenuWindow(AppContext& ctx, QWidget* parent = nullptr);

    [[nodiscard]] const MenuData& Data() const { return data_; }
    [[nodiscard]] const MenuLanguages& Languages() const { return languages_; }
    // The languages of "Cust 1" and "Cust 2" (0 when a selector has no item).
    [[nodiscard]] MenuSelection Selection() const;
    [[nodiscard]] bool ServiceMode() const { return serviceMode_; }

    [[nodiscard]] QTableWidget* View() const { return view_; }
    [[nodiscard]] QComboBox* FirstSelector() const { return first_; }
    [[nodiscard]] QComboBox* SecondSelector() const { return second_; }
    [[nodiscard]] QPushButton* AddLanguageButton() const { return addLanguage_; }
    [[nodiscard]] QToolButton* ReadControllerButton() const { return readController_; }
    [[nodiscard]] QToolButton* WriteControllerButton() const { return writeController_; }
    [[nodiscard]] QToolButton* ReadDiskButton() const { return readDisk_; }
    [[nodiscard]] QToolButton* WriteDiskButton() const { return writeDisk_; }
    [[nodiscard]] QPushButton* CheckButton() const { return check_; }
    [[nodiscard]] QPushButton* ExportButton() const { return export_; }
    [[nodiscard]] QPushButton* ImportButton() const { return import_; }
    [[nodiscard]] QPushButton* CloseButton() const { return close_; }

    // Takes a menu and its languages as a read from disk would leave them: selectors filled
    // anew on their second and third items, the grid refilled, the buttons enabled by
    // data.present.
    void SetMenu(MenuData data, MenuLanguages languages);

    void AddLanguage();
    void ReadFromController();
    void WriteToController();
    void ReadFromDisk();
    void WriteToDisk();
    void Check();
    void ExportCsv();
    void ImportCsv();
    // Opens the entry editor on a cell when its column may be edited now.
    void EditCell(int row, int column);

public slots:
    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillSelectors();
    void FillGrid();
    void ShowRow(int row);
    void EnableCommands();
    void SetBusy(bool busy);
    // The language a column shows (-1 for "Nr" and for a selector without items).
    [[nodiscard]] int LanguageOf(int column) const;
    // The PC code page in which a column is shown.
    [[nodiscard]] int ShownCodePage(int column) const;

    AppContext& ctx_;
    std::string programFolder_;
    MenuData data_;
    MenuLanguages languages_;
    bool serviceMode_ = false;
    bool busy_ = false;

    QPushButton* addLanguage_ = nullptr;
    QToolButton* readController_ = nullptr;
    QToolButton* writeController_ = nullptr;
    QToolButton* readDisk_ = nullptr;
    QToolButton* writeDisk_ = nullptr;
    QComboBox* first_ = nullptr;
    QComboBox* second_ = nullptr;
    QPushButton* check_ = nullptr;
    QPushButton* export_ = nullptr;
    QPushButton* import_ = nullptr;
    QTableWidget* view_ = nullptr;
    QPushButton* close_ = nullptr;
};

// Opens the menu window modally, created anew; returns when it is closed.
void OpenMenu(AppContext& ctx, QWidget* parent);

} // namespace zyl
