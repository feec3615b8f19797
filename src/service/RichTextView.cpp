#include "service/RichTextView.h"

#include <QColor>
#include <QList>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>

namespace zyl {

namespace {

constexpr qreal TwipsPerPixel = 15.0; // 1440 twips per inch, 96 pixels per inch

Qt::Alignment AlignmentOf(RichTextAlign align) {
    switch (align) {
    case RichTextAlign::Center:
        return Qt::AlignHCenter;
    case RichTextAlign::Right:
        return Qt::AlignRight;
    case RichTextAlign::Justify:
        return Qt::AlignJustify;
    case RichTextAlign::Left:
        break;
    }
    return Qt::AlignLeft;
}

QTextBlockFormat BlockFormatOf(const RichTextParagraph& paragraph) {
    QTextBlockFormat format;
    format.setAlignment(AlignmentOf(paragraph.align));
    format.setLeftMargin(paragraph.leftIndent / TwipsPerPixel);
    format.setTextIndent(paragraph.firstLineIndent / TwipsPerPixel);
    QList<QTextOption::Tab> tabs;
    for (int stop : paragraph.tabStops)
        tabs.append(QTextOption::Tab(stop / TwipsPerPixel, QTextOption::LeftTab));
    format.setTabPositions(tabs);
    return format;
}

QTextCharFormat CharFormatOf(const RichTextStyle& style) {
    QTextCharFormat format;
    format.setFontWeight(style.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(style.italic);
    format.setFontUnderline(style.underline);
    format.setFontPointSize(style.halfPoints / 2.0);
    if (style.color != AutoColor) format.setForeground(QColor::fromRgb(style.color));
    return format;
}

} // namespace

void FillTextDocument(const RichTextDocument& document, QTextDocument& target) {
    target.clear();
    QTextCursor cursor(&target);
    bool first = true;
    for (const RichTextParagraph& paragraph : document.paragraphs) {
        if (first)
            cursor.setBlockFormat(BlockFormatOf(paragraph));
        else
            cursor.insertBlock(BlockFormatOf(paragraph), CharFormatOf(RichTextStyle{}));
        first = false;
        for (const RichTextRun& run : paragraph.runs) {
            QString text =
                QString::fromUtf8(run.text.data(), static_cast<qsizetype>(run.text.size()));
            text.replace(QLatin1Char('\n'), QChar::LineSeparator);
            cursor.insertText(text, CharFormatOf(run.style));
        }
    }
    target.setModified(false);
}

} // namespace zyl
