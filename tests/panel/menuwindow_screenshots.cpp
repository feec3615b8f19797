// Writes pictures of the menu window and of the check before a write for the documentation:
//   menuwindow_screenshots --screenshots DIR
// Run it under QT_QPA_PLATFORM=offscreen. The menu is a washer's: five groups in Polish,
// English, German and Russian (Cyryllic, its texts in 1251 bytes), German in "Cust 1" and
// Russian in "Cust 2".

#include "core/AppContext.h"
#include "panel/CodePage.h"
#include "panel/MenuCheck.h"
#include "panel/MenuDialogs.h"
#include "panel/MenuStreams.h"
#include "panel/MenuWindow.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingHost.h"
#include "support/Screenshots.h"

#include <QApplication>
#include <QTableWidget>

#include <array>
#include <memory>
#include <string>
#include <vector>

using namespace zyl;

namespace {

struct Entry {
    int group;
    const char* polish; // UTF-8
    const char* english;
    const char* german;
    const char* russian;
};

constexpr std::array<Entry, 16> Entries = {{
    {1, "PROGRAMY", "PROGRAMS", "PROGRAMME", "ПРОГРАММЫ"},
    {1, "START PROGRAMU", "PROGRAM START", "PROGRAMMSTART", "ПУСК ПРОГРАММЫ"},
    {1, "STOP PROGRAMU", "PROGRAM STOP", "PROGRAMMSTOPP", "СТОП ПРОГРАММЫ"},
    {2, "USTAWIENIA", "SETTINGS", "EINSTELLUNGEN", "НАСТРОЙКИ"},
    {2, "JĘZYK", "LANGUAGE", "SPRACHE", "ЯЗЫК"},
    {2, "DATA I CZAS", "DATE AND TIME", "DATUM UND ZEIT", "ДАТА И ВРЕМЯ"},
    {2, "KONTRAST", "CONTRAST", "KONTRAST", "КОНТРАСТ"},
    {3, "SERWIS", "SERVICE", "SERVICE", "СЕРВИС"},
    {3, "HASŁO", "PASSWORD", "PASSWORT", "ПАРОЛЬ"},
    {3, "TEST WYJŚĆ", "OUTPUT TEST", "AUSGANGSTEST", "ТЕСТ ВЫХОДОВ"},
    {3, "LICZNIKI", "COUNTERS", "ZÄHLER", "СЧЁТЧИКИ"},
    {4, "ALARMY", "ALARMS", "ALARME", "АВАРИИ"},
    {4, "HISTORIA ALARMÓW", "ALARM HISTORY", "ALARMHISTORIE", "ИСТОРИЯ АВАРИЙ"},
    {4, "KASUJ ALARMY", "CLEAR ALARMS", "ALARME LÖSCHEN", "СБРОС АВАРИЙ"},
    {5, "TEMPERATURA", "TEMPERATURE", "TEMPERATUR", "ТЕМПЕРАТУРА"},
    {5, "POZIOM WODY", "WATER LEVEL", "WASSERSTAND", "УРОВЕНЬ ВОДЫ"},
}};

MenuLanguages Languages() {
    MenuLanguages languages;
    languages.count = 3;
    languages.languages[1] = {CodePageStandard, "ENGLISH"};
    languages.languages[2] = {CodePagePolish, "DEUTSCH"};
    languages.languages[3] = {CodePageCyrillic, "RUSSIAN"};
    return languages;
}

// The structure of the entries' groups: two leading bytes, count, znak1, znak2 and a spare
// byte a group, then the end mark.
MenuData Menu(const MenuLanguages& languages) {
    std::vector<int> counts;
    for (const Entry& e : Entries) {
        if (std::size_t(e.group) > counts.size()) counts.push_back(0);
        ++counts.back();
    }
    MenuData data;
    data.structure = std::string("\xFF\x00", 2);
    for (int count : counts) data.structure += {char(count), '\x03', '\x01', '\x00'};
    data.structure += std::string("\xFE\x00", 2);
    data.rows = RowsFromStructure(data.structure);
    for (std::size_t r = 0; r < Entries.size(); ++r) {
        const Entry& e = Entries[r];
        TMenuRow& row = data.rows[r];
        const std::array<const char*, 4> texts = {e.polish, e.english, e.german, e.russian};
        for (int n = 0; n < 4; ++n)
            SetMenuText(row, n, Utf8ToPc(MenuPcCodePage(languages, n), texts[std::size_t(n)]));
    }
    data.layout = MenuLayout::Structure;
    data.present = true;
    return data;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const auto folder = test::ScreenshotFolder("menuwindow_screenshots");
    if (!folder) return 2;

    test::FakeSerialPort port;
    test::RecordingHost host;
    auto ctx = std::make_unique<AppContext>(port, host);
    const MenuLanguages languages = Languages();
    MenuData menu = Menu(languages);

    MenuWindow window(*ctx);
    window.SetMenu(menu, languages);
    window.View()->setCurrentCell(9, MenuWindow::ColumnCust2);
    test::SaveShot(window, *folder, "menu-window.png");

    // Translations that the panel would cut or show otherwise.
    SetMenuText(menu.rows[12], 0, Utf8ToPc(1250, "HISTORIA ZDARZEŃ I ALARMÓW"));
    SetMenuText(menu.rows[5], 2, Utf8ToPc(1250, "DATUM UND UHRZEIT EINSTELLEN"));
    SetMenuText(menu.rows[1], 3, Utf8ToPc(1251, "ПУСК ПРОГРАММЫ – СРАЗУ"));
    SetMenuText(menu.rows[14], 3, Utf8ToPc(1251, "ТЕМПЕРАТУРА «ВОДЫ»"));
    const std::string report = MenuCheckReport(CheckMenu(menu, languages), menu, languages);
    MenuCheckDialog check(QString::fromStdString(report), MenuCheckDialog::Purpose::BeforeWrite);
    test::SaveShot(check, *folder, "menu-check.png");
    return 0;
}
