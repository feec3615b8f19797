#include "panel/MenuCheck.h"

#include "panel/CodePage.h"
#include "panel/MenuStreams.h"

#include <algorithm>
#include <string_view>

namespace zyl {

namespace {

constexpr int LanguageNamePcPage = 1250;

std::string_view WithoutTrailingBlanks(std::string_view text) {
    const std::size_t last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

std::string LanguageName(const MenuLanguages& languages, int language) {
    if (language == 0) return "Polski";
    return PcToUtf8(LanguageNamePcPage,
                    languages.languages[static_cast<std::size_t>(language)].name);
}

std::string CodePageName(int codePage) {
    return codePage >= 0 && codePage < static_cast<int>(CodePageNames.size())
               ? CodePageNames[static_cast<std::size_t>(codePage)]
               : "?";
}

} // namespace

std::vector<MenuFinding> CheckMenu(const MenuData& data, const MenuLanguages& languages) {
    std::vector<MenuFinding> findings;
    const int count = std::clamp(languages.count, 0, MaxMenuLanguageCount);
    const int first = data.layout == MenuLayout::Predefined ? 1 : 0;
    for (int language = first; language <= count; ++language) {
        const int codePage = MenuTransferCodePage(data.layout, languages, language);
        for (std::size_t r = 0; r < data.rows.size(); ++r) {
            const std::string& text = data.rows[r].texts[static_cast<std::size_t>(language)];
            const std::string_view measured = WithoutTrailingBlanks(text);
            MenuFinding finding;
            finding.row = static_cast<int>(r);
            finding.language = language;
            finding.text = text;
            if (measured.size() > MenuTextPanelSize) {
                finding.kind = MenuFinding::Kind::TooLong;
                finding.shownAs = measured.substr(0, MenuTextPanelSize);
                finding.lost = measured.substr(MenuTextPanelSize);
                findings.push_back(finding);
            }
            // Each character the panel gets and gives back otherwise, once per text.
            std::string seen;
            for (const char c : measured.substr(0, MenuTextPanelSize)) {
                // The structure layout sends a no-break space as a blank on purpose.
                if (data.layout == MenuLayout::Structure && c == '\xA0') continue;
                if (seen.find(c) != std::string::npos) continue;
                const std::string one(1, c);
                const std::string back =
                    FromControllerText(codePage, ToControllerText(codePage, one));
                if (back == one) continue;
                seen.push_back(c);
                finding.kind = MenuFinding::Kind::NotCarried;
                finding.lost = one;
                finding.shownAs = back;
                findings.push_back(finding);
            }
        }
    }
    return findings;
}

std::string MenuCheckReport(const std::vector<MenuFinding>& findings, const MenuData& data,
                            const MenuLanguages& languages) {
    if (findings.empty()) return "No findings\n";
    std::string report;
    int language = -1;
    for (const MenuFinding& f : findings) {
        const int pcPage = MenuPcCodePage(languages, f.language);
        const auto utf8 = [pcPage](std::string_view bytes) { return PcToUtf8(pcPage, bytes); };
        if (f.language != language) {
            language = f.language;
            if (!report.empty()) report += "\n";
            report += LanguageName(languages, language) + " (" +
                      CodePageName(MenuTransferCodePage(data.layout, languages, language)) + "):\n";
        }
        report += "  row " + std::to_string(f.row + 1);
        if (f.row >= 0 && static_cast<std::size_t>(f.row) < data.rows.size())
            report +=
                " (group " + std::to_string(data.rows[static_cast<std::size_t>(f.row)].nr) + ")";
        report += ": \"" + utf8(WithoutTrailingBlanks(f.text)) + "\" ";
        if (f.kind == MenuFinding::Kind::TooLong) {
            report += "has " + std::to_string(WithoutTrailingBlanks(f.text).size()) +
                      " characters; the panel shows " + std::to_string(MenuTextPanelSize) + ": \"" +
                      utf8(f.shownAs) + "\"\n";
        } else {
            report += "- \"" + utf8(f.lost) + "\" cannot be shown with " +
                      CodePageName(MenuTransferCodePage(data.layout, languages, f.language)) +
                      "; the panel shows " +
                      (f.shownAs.empty() ? std::string("nothing in its place")
                                         : "\"" + utf8(f.shownAs) + "\" instead") +
                      "\n";
        }
    }
    return report;
}

} // namespace zyl
