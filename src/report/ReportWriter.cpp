#include "report/ReportWriter.h"

#include "editors/relays/RelayPictures.h"
#include "panel/CodePage.h"

#include <QBuffer>
#include <QDateTime>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextLayout>
#include <QTextOption>
#include <QUrl>

namespace zyl {

namespace {

constexpr QSize PictureSize(96, 62);
// A picture's size on a PDF page.
constexpr QSizeF PictureMm(24, 15.5);

QImage PictureImage(const ReportPicture& picture) {
    const QPixmap pixmap = picture.kind == ReportPicture::Kind::TimeType
                               ? TimeTypePicture(picture.value, PictureSize * 2)
                               : RegulatorTypePicture(picture.value, PictureSize * 2);
    return pixmap.toImage();
}

// The report painted page by page: each section on a new page; a table row never split, the
// table's header row repeated at the top of each page it continues on; the page number at the
// foot of every page.
class PagedReport {
public:
    explicit PagedReport(QPdfWriter& writer)
        : writer_(writer), painter_(&writer),
          page_(writer.pageLayout().paintRectPixels(writer.resolution())),
          dpi_(writer.resolution()) {
        body_ = Font(8, false);
        bold_ = Font(8, true);
        footerHeight_ = LineHeight(body_) * 2;
    }

    // False when the pages could not be painted into the writer's device.
    bool Print(const Report& report) {
        if (!painter_.isActive()) return false;
        y_ = 0;
        Text(report.title, Font(20, true), LineHeight(Font(20, true)) / 2);
        for (const auto& [name, value] : report.facts) {
            const QFont font = Font(11, false);
            painter_.setFont(font);
            painter_.drawText(QPointF(0, y_ + QFontMetricsF(font).ascent()),
                              QString::fromStdString(name));
            painter_.drawText(QPointF(Mm(45), y_ + QFontMetricsF(font).ascent()),
                              QString::fromStdString(value));
            y_ += LineHeight(font) * 1.3;
        }
        if (!report.note.empty()) {
            y_ += LineHeight(body_);
            Text(report.note, Font(11, false), 0);
        }
        for (const ReportSection& section : report.sections) {
            NewPage();
            Text(section.title, Font(14, true), LineHeight(body_) / 2);
            for (const ReportPart& part : section.parts) {
                if (!part.heading.empty()) {
                    const QFont font = Font(10, true);
                    // A heading stays with the table's first rows.
                    if (y_ + LineHeight(font) * 1.5 + 4 * LineHeight(body_) > Bottom()) NewPage();
                    y_ += LineHeight(font) / 2;
                    Text(part.heading, font, LineHeight(font) / 4);
                }
                if (!part.text.empty()) Text(part.text, body_, LineHeight(body_) / 2);
                if (part.table) Table(*part.table);
            }
        }
        Footer();
        return painter_.end();
    }

private:
    QFont Font(double points, bool bold) const {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(points);
        font.setBold(bold);
        return font;
    }
    double LineHeight(const QFont& font) const {
        return QFontMetricsF(font, &writer_).lineSpacing();
    }
    double Mm(double mm) const { return mm * dpi_ / 25.4; }
    double Bottom() const { return page_.height() - footerHeight_; }
    // Cells wrap between words, and inside a word only when it is wider than the cell.
    static QTextOption CellWrap() {
        QTextOption option(Qt::AlignLeft | Qt::AlignTop);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        return option;
    }

    void Footer() {
        painter_.setFont(body_);
        const QRectF foot(0, page_.height() - footerHeight_ / 2, page_.width(), footerHeight_ / 2);
        painter_.drawText(foot, Qt::AlignRight | Qt::AlignBottom, QString::number(pageNumber_));
    }

    void NewPage() {
        Footer();
        writer_.newPage();
        ++pageNumber_;
        y_ = 0;
    }

    // A paragraph (lines by '\n', wrapped at the page's width, continued on the next page
    // where it does not fit), then space below it.
    void Text(const std::string& text, const QFont& font, double after) {
        painter_.setFont(font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        for (const QString& paragraph : QString::fromStdString(text).split(QLatin1Char('\n'))) {
            QTextLayout layout(paragraph, font, &writer_);
            layout.setTextOption(option);
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(page_.width());
                line.setPosition(QPointF(0, 0));
                if (y_ + line.height() > Bottom() && y_ > 0) NewPage();
                line.draw(&painter_, QPointF(0, y_));
                y_ += line.height();
            }
            layout.endLayout();
        }
        y_ += after;
    }

    struct Column {
        double natural = 0; // the widest cell on one line
        double least = 0;   // the widest word
        double width = 0;
    };

    // The room for a cell's text: the column less its padding, at least a character or two.
    double TextWidth(const Column& column) const { return std::max(column.width - Mm(3), Mm(2)); }

    std::vector<Column> Columns(const ReportTable& table) const {
        const QFontMetricsF body(body_, &writer_), bold(bold_, &writer_);
        const double pad = Mm(3), picture = Mm(PictureMm.width());
        std::vector<Column> columns(table.columns.size());
        const auto measure = [&](Column& c, const QString& text, const QFontMetricsF& m) {
            c.natural = std::max(c.natural, m.horizontalAdvance(text) + pad);
            for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                c.least = std::max(c.least, std::min(m.horizontalAdvance(word) + pad, Mm(28)));
        };
        for (std::size_t c = 0; c < columns.size(); ++c)
            measure(columns[c], QString::fromStdString(table.columns[c]), bold);
        for (const auto& row : table.rows)
            for (std::size_t c = 0; c < columns.size() && c < row.size(); ++c) {
                measure(columns[c], QString::fromStdString(row[c].text), body);
                if (row[c].picture) columns[c].least = std::max(columns[c].least, picture + pad);
            }
        double natural = 0, least = 0;
        for (Column& c : columns) {
            c.natural = std::min(std::max(c.natural, c.least), page_.width() * 0.4);
            natural += c.natural;
            least += c.least;
        }
        const double width = page_.width();
        for (Column& c : columns) {
            if (natural <= width)
                c.width = c.natural;
            else if (least < width)
                c.width = c.least + (c.natural - c.least) * (width - least) / (natural - least);
            else
                c.width = c.least * width / least;
        }
        return columns;
    }

    double RowHeight(const std::vector<Column>& columns, const std::vector<ReportCell>& cells,
                     const QFont& font) {
        painter_.setFont(font);
        double height = 0;
        for (std::size_t c = 0; c < columns.size() && c < cells.size(); ++c) {
            const QRectF box(0, 0, TextWidth(columns[c]), 1e6);
            double h = painter_.boundingRect(box, QString::fromStdString(cells[c].text), CellWrap())
                           .height();
            if (cells[c].picture) h += Mm(PictureMm.height()) + Mm(1);
            height = std::max(height, h);
        }
        return height + Mm(2);
    }

    void Row(const std::vector<Column>& columns, const std::vector<ReportCell>& cells,
             const QFont& font, double height, bool header) {
        double x = 0;
        painter_.setFont(font);
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const QRectF cell(x, y_, columns[c].width, height);
            // A row taller than a page is cut at the page's foot rather than drawn over it.
            painter_.save();
            painter_.setClipRect(cell.intersected(QRectF(0, 0, page_.width(), Bottom())));
            if (header) painter_.fillRect(cell, QColor(228, 228, 228));
            painter_.setPen(QPen(QColor(128, 128, 128), Mm(0.2)));
            painter_.drawRect(cell);
            painter_.setPen(Qt::black);
            double top = y_ + Mm(1);
            if (c < cells.size()) {
                if (cells[c].picture) {
                    const QRectF target(x + Mm(1.5), top, Mm(PictureMm.width()),
                                        Mm(PictureMm.height()));
                    painter_.drawImage(target, PictureImage(*cells[c].picture));
                    top += target.height() + Mm(1);
                }
                painter_.drawText(QRectF(x + Mm(1.5), top, TextWidth(columns[c]), height),
                                  QString::fromStdString(cells[c].text), CellWrap());
            }
            painter_.restore();
            x += columns[c].width;
        }
        y_ += height;
    }

    void Table(const ReportTable& table) {
        const std::vector<Column> columns = Columns(table);
        std::vector<ReportCell> header;
        for (const std::string& c : table.columns) header.push_back({c, {}});
        const double headerHeight = RowHeight(columns, header, bold_);
        bool headed = false;
        for (const auto& row : table.rows) {
            const double height = RowHeight(columns, row, body_);
            if (headed && y_ + height > Bottom()) {
                NewPage();
                headed = false;
            }
            if (!headed) {
                if (y_ + headerHeight + height > Bottom() && y_ > 0) NewPage();
                Row(columns, header, bold_, headerHeight, true);
                headed = true;
            }
            Row(columns, row, body_, height, false);
        }
        y_ += LineHeight(body_);
    }

    QPdfWriter& writer_;
    QPainter painter_;
    QRectF page_;
    double dpi_;
    QFont body_, bold_;
    double footerHeight_ = 0;
    double y_ = 0;
    int pageNumber_ = 1;
};

std::string WriteFile(const std::string& path, const std::function<bool(QSaveFile&)>& write) {
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly) || !write(file) || !file.commit())
        return "The report could not be saved as " + path + ": " + file.errorString().toStdString();
    return {};
}

} // namespace

std::string WriteReport(const Report& report, ReportFormat format, const std::string& path) {
    if (format == ReportFormat::Html) {
        const std::string html = ReportHtml(report, [](const ReportPicture& picture) {
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            PictureImage(picture).save(&buffer, "PNG");
            return ReportPictureSource{"data:image/png;base64," + png.toBase64().toStdString(),
                                       PictureSize.width(), PictureSize.height()};
        });
        return WriteFile(path, [&](QSaveFile& file) {
            return file.write(html.data(), qint64(html.size())) == qint64(html.size());
        });
    }
    return WriteFile(path, [&](QSaveFile& file) {
        QPdfWriter writer(&file);
        writer.setTitle(QString::fromStdString(report.title));
        writer.setCreator(QStringLiteral("SetupZYL"));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Landscape);
        writer.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
        writer.setResolution(300);
        return PagedReport(writer).Print(report);
    });
}

Report ReportOfOpenProject(const AppContext& context, const std::string& note) {
    const std::string& file = context.document.fileName;
    ReportInfo info;
    info.projectFile = file.empty()
                           ? "(not saved)"
                           : QFileInfo(QString::fromStdString(file)).fileName().toStdString();
    info.date =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")).toStdString();
    info.note = note;
    info.pcCodePage = PcCodePageFor(context.link.codePage);
    return BuildProjectReport(context.project, info);
}

} // namespace zyl
