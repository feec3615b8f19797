#include "service/HelpPages.h"

#include "core/Paths.h"
#include "service/SetupParameters.h"

#include <cstdio>

namespace zyl {

namespace {

constexpr int LabelColumn = 1800; // twips: where the values of "Kind:" and "Range:" start
constexpr std::uint32_t NoteColor = 0x606060;

RichTextParagraph Line(std::vector<RichTextRun> runs, int leftIndent = 0) {
    RichTextParagraph p;
    p.runs = std::move(runs);
    p.leftIndent = leftIndent;
    return p;
}

RichTextParagraph LabelLine(const char* label, const std::string& value) {
    RichTextStyle bold;
    bold.bold = true;
    RichTextParagraph p = Line({{label, bold}, {"\t" + value, {}}});
    p.tabStops = {LabelColumn};
    return p;
}

std::string Number(int n) {
    char text[8];
    std::snprintf(text, sizeof text, "F%02d", n);
    return text;
}

} // namespace

std::string HelpPagePath(int parameterNumber) {
    return ProgramFile(std::string("HELP") + PathSeparator + std::to_string(parameterNumber) +
                       ".rtf");
}

bool HasGeneratedHelpPage(int parameterNumber) {
    return parameterNumber >= 1 && parameterNumber <= SetupParameterCount &&
           *SetupParameterInfo(parameterNumber).name != '\0';
}

RichTextDocument GeneratedHelpPage(int n) {
    const SetupParameter& p = SetupParameterInfo(n);
    RichTextDocument page;

    RichTextStyle title;
    title.bold = true;
    title.halfPoints = 32;
    page.paragraphs.push_back(Line({{Number(n) + "  " + p.name, title}}));
    page.paragraphs.push_back(Line({}));

    switch (p.kind) {
    case ParameterKind::Choice:
        page.paragraphs.push_back(LabelLine("Kind:", "a choice of two values"));
        break;
    case ParameterKind::Tenths:
        page.paragraphs.push_back(LabelLine("Kind:", "a number with one decimal"));
        break;
    case ParameterKind::Integer:
        page.paragraphs.push_back(LabelLine("Kind:", "a whole number"));
        break;
    }
    // Shown units: a choice is its index, tenths carry their decimal.
    const auto shown = [&](int value) {
        return p.kind == ParameterKind::Tenths ? SetupValueText(n, value) : std::to_string(value);
    };
    page.paragraphs.push_back(LabelLine("Range:", shown(p.min) + " to " + shown(p.max)));
    if (p.kind == ParameterKind::Choice) {
        RichTextStyle bold;
        bold.bold = true;
        page.paragraphs.push_back(Line({{"Values:", bold}}));
        for (int v = p.min; v <= p.max; ++v)
            page.paragraphs.push_back(Line({{SetupValueText(n, v), {}}}, LabelColumn));
    }
    if (p.kind == ParameterKind::Tenths)
        page.paragraphs.push_back(
            Line({{"The controller holds the value in tenths (" + std::to_string(p.min) + " to " +
                       std::to_string(p.max) + ").",
                   {}}}));

    RichTextStyle note;
    note.italic = true;
    note.halfPoints = 18;
    note.color = NoteColor;
    page.paragraphs.push_back(Line({}));
    page.paragraphs.push_back(Line({{"A page of the plant's own under the same file name "
                                     "replaces this one.",
                                     note}}));
    return page;
}

} // namespace zyl
