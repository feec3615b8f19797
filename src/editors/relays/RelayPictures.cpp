#include "editors/relays/RelayPictures.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>
#include <initializer_list>
#include <utility>
#include <vector>

namespace zyl {

namespace {

const QColor Ink(0x26, 0x2B, 0x33);
const QColor Guide(0x9A, 0xA3, 0xAE);
const QColor CardBorder(0xC4, 0xCB, 0xD4);
const QColor InputColour(0x4A, 0x5C, 0x73);
const QColor OutputColour(0x1E, 0x8C, 0x45);
const QColor HeatColour(0xC6, 0x3B, 0x2F);
const QColor CoolColour(0x25, 0x6F, 0xC0);
const QColor SetValueColour(0x6B, 0x72, 0x80);

QPixmap BlankPixmap(QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void Prepare(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
}

QFont PixelFont(int pixels, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(6, pixels));
    font.setBold(bold);
    return font;
}

// A white card with a thin border on which the diagrams are drawn.
void Card(QPainter& p, QSize size) {
    p.setPen(QPen(CardBorder, 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1.0, size.height() - 1.0), 4, 4);
}

void Arrowhead(QPainter& p, QPointF tip, QPointF from, double length) {
    const double dx = tip.x() - from.x(), dy = tip.y() - from.y();
    const double d = std::hypot(dx, dy);
    if (d <= 0) return;
    const double ux = dx / d, uy = dy / d;
    const QPointF base(tip.x() - ux * length, tip.y() - uy * length);
    const QPointF side(-uy * length * 0.45, ux * length * 0.45);
    p.save();
    p.setBrush(p.pen().color());
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({tip, base + side, base - side}));
    p.restore();
}

// A dimension line with arrowheads at both ends.
void Dimension(QPainter& p, QPointF a, QPointF b, const QColor& colour, double head) {
    p.save();
    p.setPen(QPen(colour, 1.2));
    p.drawLine(a, b);
    Arrowhead(p, a, b, head);
    Arrowhead(p, b, a, head);
    p.restore();
}

// --- timing diagrams ---------------------------------------------------------------------

// A logic trace: the level changes at the given x fractions, starting low.
struct Trace {
    std::vector<double> edges;
};

void DrawTrace(QPainter& p, const Trace& trace, double left, double right, double high, double low,
               const QColor& colour) {
    QPainterPath path;
    QPainterPath fill;
    bool on = false;
    double x = left;
    path.moveTo(left, low);
    for (double e : trace.edges) {
        const double ex = left + e * (right - left);
        path.lineTo(ex, on ? high : low);
        if (on) fill.addRect(QRectF(QPointF(x, high), QPointF(ex, low)));
        on = !on;
        path.lineTo(ex, on ? high : low);
        x = ex;
    }
    path.lineTo(right, on ? high : low);
    if (on) fill.addRect(QRectF(QPointF(x, high), QPointF(right, low)));
    QColor tint = colour;
    tint.setAlpha(40);
    p.fillPath(fill, tint);
    p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

struct TimeMark {
    double from, to; // x fractions
    const char* label;
};

struct TimingScene {
    Trace input, output;
    std::vector<TimeMark> marks;
    bool outputDisabled = false;
};

TimingScene SceneFor(int type) {
    switch (type) {
    case 0:
        return {{{0.12, 0.80}}, {{}}, {}, true};
    case 1:
        return {{{0.12, 0.80}}, {{0.12, 0.80}}, {}};
    case 2:
        return {{{0.12, 0.80}}, {{0.45, 0.80}}, {{0.12, 0.45, "Ta"}}};
    case 3:
        return {{{0.12, 0.55}}, {{0.12, 0.88}}, {{0.55, 0.88, "Ta"}}};
    case 4:
        return {
            {{0.04, 0.90}}, {{0.04, 0.28, 0.48, 0.72}}, {{0.04, 0.28, "Ta"}, {0.28, 0.48, "Tb"}}};
    case 5:
        return {
            {{0.04, 0.90}}, {{0.26, 0.46, 0.68, 0.88}}, {{0.04, 0.26, "Ta"}, {0.26, 0.46, "Tb"}}};
    default:
        return {};
    }
}

// A time-proportional output: one pulse per period with the given share of it switched on;
// fully switched periods run into each other.
Trace PulseTrain(std::initializer_list<double> duties) {
    Trace trace;
    const double period = 1.0 / double(duties.size());
    double start = 0;
    bool on = false;
    for (double duty : duties) {
        if (!on) trace.edges.push_back(start + 0.002);
        on = true;
        if (duty < 1.0) {
            trace.edges.push_back(start + period * duty);
            on = false;
        }
        start += period;
    }
    return trace;
}

} // namespace

QPixmap RelayPicture(int relayNumber, int size) {
    QPixmap pixmap = BlankPixmap(QSize(size, size));
    QPainter p(&pixmap);
    Prepare(p);
    const double s = size;
    const double pen = std::max(1.0, s / 28.0);

    // Coil: a rectangle with its two leads, the number inside.
    const QRectF coil(s * 0.06, s * 0.24, s * 0.50, s * 0.52);
    const double coilX = coil.center().x();
    p.setPen(QPen(Ink, pen, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(coilX, s * 0.06), QPointF(coilX, coil.top()));
    p.drawLine(QPointF(coilX, coil.bottom()), QPointF(coilX, s * 0.94));
    p.setBrush(QColor(0xFF, 0xE3, 0x94));
    p.setPen(QPen(QColor(0x7A, 0x55, 0x10), pen));
    p.drawRoundedRect(coil, s * 0.04, s * 0.04);
    p.setPen(QColor(0x4A, 0x32, 0x05));
    const QString number = QString::number(relayNumber);
    p.setFont(PixelFont(int(s * (number.size() > 1 ? 0.30 : 0.34)), true));
    p.drawText(coil, Qt::AlignCenter, number);

    // Contact: a normally open switch worked by the coil through the dashed linkage.
    const double cx = s * 0.82;
    p.setPen(QPen(Ink, pen, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(cx, s * 0.06), QPointF(cx, s * 0.34));
    p.drawLine(QPointF(cx, s * 0.66), QPointF(cx, s * 0.94));
    p.drawLine(QPointF(cx, s * 0.66), QPointF(cx - s * 0.15, s * 0.36));
    p.drawLine(QPointF(cx - s * 0.04, s * 0.34), QPointF(cx, s * 0.34));
    QPen dashed(Ink, std::max(1.0, pen * 0.7), Qt::CustomDashLine);
    dashed.setDashPattern({2, 2});
    p.setPen(dashed);
    p.drawLine(QPointF(coil.right(), s * 0.50), QPointF(cx - s * 0.085, s * 0.50));
    p.setPen(Qt::NoPen);
    p.setBrush(Ink);
    const double dot = std::max(1.5, s * 0.035);
    for (QPointF t : {QPointF(coilX, s * 0.06), QPointF(coilX, s * 0.94), QPointF(cx, s * 0.06),
                      QPointF(cx, s * 0.94)})
        p.drawEllipse(t, dot, dot);
    return pixmap;
}

QPixmap TimeTypePicture(int timeType, QSize size) {
    QPixmap pixmap = BlankPixmap(size);
    QPainter p(&pixmap);
    Prepare(p);
    Card(p, size);
    if (timeType < 0 || timeType >= int(TimeTypeTexts.size())) return pixmap;

    const double w = size.width(), h = size.height();
    const TimingScene scene = SceneFor(timeType);
    const double labelWidth = w * 0.20;
    const double left = labelWidth, right = w - w * 0.05;
    const double inHigh = h * 0.12, inLow = h * 0.34;
    const double outHigh = h * 0.48, outLow = h * 0.70;
    const double markY = h * 0.80;

    p.setFont(PixelFont(int(h * 0.12), true));
    p.setPen(InputColour);
    p.drawText(QRectF(0, inHigh, labelWidth - w * 0.03, inLow - inHigh),
               Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("IN"));
    p.setPen(OutputColour);
    p.drawText(QRectF(0, outHigh, labelWidth - w * 0.03, outLow - outHigh),
               Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("OUT"));

    // Guides from the input edges down through the output trace.
    QPen guide(Guide, 1, Qt::DotLine);
    p.setPen(guide);
    for (double e : scene.input.edges) {
        const double x = left + e * (right - left);
        p.drawLine(QPointF(x, inLow), QPointF(x, outLow));
    }
    for (const TimeMark& m : scene.marks)
        for (double e : {m.from, m.to}) {
            const double x = left + e * (right - left);
            p.drawLine(QPointF(x, outLow), QPointF(x, markY + h * 0.04));
        }

    DrawTrace(p, scene.input, left, right, inHigh, inLow, InputColour);
    DrawTrace(p, scene.output, left, right, outHigh, outLow,
              scene.outputDisabled ? Guide : OutputColour);
    if (scene.outputDisabled) {
        // A struck-through output: it never switches on.
        const QPointF c(left + 0.46 * (right - left), (outHigh + outLow) / 2);
        const double r = (outLow - outHigh) * 0.42;
        p.setPen(QPen(HeatColour, 2));
        p.setBrush(Qt::white);
        p.drawEllipse(c, r, r);
        p.drawLine(QPointF(c.x() - r * 0.7, c.y() + r * 0.7),
                   QPointF(c.x() + r * 0.7, c.y() - r * 0.7));
    }

    p.setFont(PixelFont(int(h * 0.13), true));
    for (const TimeMark& m : scene.marks) {
        const double a = left + m.from * (right - left), b = left + m.to * (right - left);
        Dimension(p, QPointF(a + 1, markY), QPointF(b - 1, markY), Ink, h * 0.05);
        p.setPen(Ink);
        p.drawText(QRectF(a - w * 0.05, markY + h * 0.02, b - a + w * 0.10, h * 0.17),
                   Qt::AlignHCenter | Qt::AlignTop, QString::fromLatin1(m.label));
    }
    return pixmap;
}

QPixmap RegulatorTypePicture(int regulatorType, QSize size) {
    QPixmap pixmap = BlankPixmap(size);
    QPainter p(&pixmap);
    Prepare(p);
    Card(p, size);
    if (regulatorType < 0 || regulatorType >= int(RegulatorTypeTexts.size())) return pixmap;

    const double w = size.width(), h = size.height();
    const double left = w * 0.08, right = w * 0.86;
    const double top = h * 0.08, bottom = h * 0.62;
    const double outHigh = h * 0.72, outLow = h * 0.90;
    const double sp = h * 0.30;
    const auto X = [&](double f) { return left + f * (right - left); };

    // Axes of the value plot.
    p.setPen(QPen(Ink, 1.2));
    p.drawLine(QPointF(left, bottom), QPointF(left, top));
    Arrowhead(p, QPointF(left, top - 2), QPointF(left, bottom), h * 0.05);
    p.drawLine(QPointF(left, bottom), QPointF(right, bottom));

    const bool cooling = regulatorType == 2 || regulatorType == 4;
    const QColor curveColour = regulatorType == 0   ? Guide
                               : cooling            ? CoolColour
                               : regulatorType == 5 ? InputColour
                                                    : HeatColour;

    // Hysteresis band around the set value.
    const double band = h * 0.07;
    if (regulatorType == 3 || regulatorType == 4) {
        QColor tint = curveColour;
        tint.setAlpha(30);
        p.fillRect(QRectF(QPointF(left + 1, sp - band), QPointF(right, sp + band)), tint);
    }
    QPen spPen(SetValueColour, 1.2, Qt::DashLine);
    p.setPen(spPen);
    p.drawLine(QPointF(left, sp), QPointF(right, sp));
    p.setFont(PixelFont(int(h * 0.10), true));
    p.drawText(QRectF(right + w * 0.01, sp - h * 0.1, w - right - w * 0.02, h * 0.2),
               Qt::AlignCenter, QStringLiteral("SP"));

    QPainterPath curve;
    Trace output;
    constexpr int Steps = 120;
    switch (regulatorType) {
    case 0:
        curve.moveTo(X(0), h * 0.50);
        for (int i = 1; i <= Steps; ++i) {
            const double f = double(i) / Steps;
            curve.lineTo(X(f), h * 0.50 + std::sin(f * 9) * h * 0.015);
        }
        break;
    case 1:
    case 2: {
        const double start = regulatorType == 1 ? bottom - h * 0.02 : top + h * 0.01;
        curve.moveTo(X(0), start);
        for (int i = 1; i <= Steps; ++i) {
            const double f = double(i) / Steps;
            curve.lineTo(X(f), sp + (start - sp) * std::exp(-f * 4.2));
        }
        // The pulses shorten as the value nears the set value.
        output = PulseTrain({1.0, 1.0, 0.7, 0.5, 0.38, 0.3, 0.26});
        break;
    }
    case 3:
    case 4: {
        // Rises to the top of the band while the output works, then falls to the bottom.
        const double direction = regulatorType == 3 ? 1 : -1;
        const double startY = sp + direction * h * 0.25;
        const double nearY = sp + direction * band, farY = sp - direction * band;
        std::vector<std::pair<double, double>> points = {{0, startY}, {0.30, farY}};
        output.edges.push_back(0.0005);
        double f = 0.30;
        bool working = false; // the output switches off at the far edge
        output.edges.push_back(f);
        while (f < 0.95) {
            f += working ? 0.14 : 0.17;
            points.push_back({std::min(f, 1.0), working ? farY : nearY});
            if (f < 1.0) output.edges.push_back(f);
            working = !working;
        }
        curve.moveTo(X(points[0].first), points[0].second);
        for (std::size_t i = 1; i < points.size(); ++i) {
            const auto [f0, y0] = points[i - 1];
            const auto [f1, y1] = points[i];
            curve.cubicTo(QPointF(X((f0 * 2 + f1) / 3), y0 + (y1 - y0) * 0.55),
                          QPointF(X((f0 + f1 * 2) / 3), y1 - (y1 - y0) * 0.05), QPointF(X(f1), y1));
        }
        break;
    }
    case 5: {
        // A count in steps; the output switches when the count reaches the set value.
        const int counts = 6;
        double y = bottom;
        const double stepY = (bottom - sp) / counts;
        curve.moveTo(X(0), y);
        for (int k = 1; k <= counts; ++k) {
            const double fx = k * 0.11;
            curve.lineTo(X(fx), y);
            y -= stepY;
            curve.lineTo(X(fx), y);
        }
        curve.lineTo(X(1), y);
        output.edges.push_back(counts * 0.11);
        break;
    }
    case 6: {
        const double start = bottom - h * 0.02;
        curve.moveTo(X(0), start);
        for (int i = 1; i <= Steps; ++i) {
            const double f = double(i) / Steps;
            curve.lineTo(X(f), sp + (start - sp) * std::exp(-f * 3.2) * std::cos(f * 13));
        }
        output = PulseTrain({1.0, 0.8, 0.15, 0.25, 0.6, 0.45, 0.42});
        break;
    }
    default:
        break;
    }
    p.setPen(QPen(curveColour, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);

    DrawTrace(p, output, left, right, outHigh, outLow, regulatorType == 0 ? Guide : OutputColour);
    return pixmap;
}

// --- regulator parameter diagram ----------------------------------------------------------

namespace {

// Positions in the diagram's own 440 x 230 frame; scaled to the painted area.
constexpr double AxisX = 34, PlotRight = 300;
constexpr double WindowTop = 48, WindowBottom = 182;
constexpr double UpperTop = 80, WorkY = 115, LowerBottom = 150;
constexpr double SetValueY = 212;
constexpr double BandArrowX = 300, OffsetArrowX = 160, WindowArrowX = 374;
constexpr double FieldW = 58, FieldH = 24;

QRectF FieldRectRaw(RelayValueField field) {
    switch (field) {
    case RelayValueField::UpperHysteresis:
        return {BandArrowX + 6, (UpperTop + WorkY - FieldH) / 2, FieldW, FieldH};
    case RelayValueField::LowerHysteresis:
        return {BandArrowX + 6, (WorkY + LowerBottom - FieldH) / 2, FieldW, FieldH};
    case RelayValueField::Offset:
        return {OffsetArrowX + 8, (WindowBottom + SetValueY - FieldH) / 2 - 1, FieldW, FieldH};
    case RelayValueField::RegulatorWindow:
        return {WindowArrowX + 6, WorkY - FieldH / 2, FieldW, FieldH};
    }
    return {};
}

QTransform DiagramTransform(QRect area) {
    QTransform t;
    t.translate(area.left(), area.top());
    t.scale(area.width() / double(RegulatorDiagramSize.width()),
            area.height() / double(RegulatorDiagramSize.height()));
    return t;
}

} // namespace

QRect RegulatorDiagramFieldRect(RelayValueField field, QRect area) {
    return DiagramTransform(area).mapRect(FieldRectRaw(field)).toRect();
}

void PaintRegulatorDiagram(QPainter& p, QRect area) {
    p.save();
    Prepare(p);
    p.setTransform(DiagramTransform(area), true);
    Card(p, RegulatorDiagramSize);

    const QColor upper(0xF6, 0xD0, 0xCC), lower(0xCF, 0xE0, 0xF7), window(0xFF, 0xF3, 0xC8);
    p.fillRect(QRectF(QPointF(AxisX, WindowTop), QPointF(PlotRight, WindowBottom)), window);
    p.fillRect(QRectF(QPointF(AxisX, UpperTop), QPointF(PlotRight, WorkY)), upper);
    p.fillRect(QRectF(QPointF(AxisX, WorkY), QPointF(PlotRight, LowerBottom)), lower);

    // Extension lines of the window to its dimension.
    QPen thin(Guide, 1, Qt::DotLine);
    p.setPen(thin);
    for (double y : {WindowTop, WindowBottom})
        p.drawLine(QPointF(PlotRight, y), QPointF(WindowArrowX + 5, y));
    for (double y : {UpperTop, LowerBottom})
        p.drawLine(QPointF(PlotRight - 4, y), QPointF(BandArrowX + 4, y));

    // The value axis.
    p.setPen(QPen(Ink, 1.4));
    p.drawLine(QPointF(AxisX, 222), QPointF(AxisX, 14));
    Arrowhead(p, QPointF(AxisX, 10), QPointF(AxisX, 222), 9);

    // Set value and working point.
    p.setPen(QPen(SetValueColour, 1.6, Qt::DashLine));
    p.drawLine(QPointF(AxisX, SetValueY), QPointF(PlotRight, SetValueY));
    p.setPen(QPen(Ink, 2.2));
    p.drawLine(QPointF(AxisX, WorkY), QPointF(PlotRight, WorkY));

    p.setFont(PixelFont(11));
    p.setPen(SetValueColour);
    p.drawText(QRectF(AxisX + 6, SetValueY - 16, 120, 14), Qt::AlignLeft | Qt::AlignBottom,
               QStringLiteral("SP (set value)"));
    p.setPen(Ink);
    p.drawText(QRectF(AxisX + 6, WorkY - 16, 120, 14), Qt::AlignLeft | Qt::AlignBottom,
               QStringLiteral("SP + P5"));
    p.setPen(QColor(0x8A, 0x6D, 0x10));
    p.drawText(QRectF(AxisX + 6, WindowTop + 2, 160, 14), Qt::AlignLeft | Qt::AlignTop,
               QStringLiteral("regulator window"));
    p.setPen(HeatColour.darker(120));
    p.drawText(QRectF(AxisX + 6, UpperTop + 2, 160, 14), Qt::AlignLeft | Qt::AlignTop,
               QStringLiteral("upper hysteresis"));
    p.setPen(CoolColour.darker(120));
    p.drawText(QRectF(AxisX + 6, LowerBottom - 16, 160, 14), Qt::AlignLeft | Qt::AlignBottom,
               QStringLiteral("lower hysteresis"));

    // Dimensions with their parameter names.
    Dimension(p, QPointF(BandArrowX, UpperTop), QPointF(BandArrowX, WorkY), HeatColour.darker(120),
              7);
    Dimension(p, QPointF(BandArrowX, WorkY), QPointF(BandArrowX, LowerBottom),
              CoolColour.darker(120), 7);
    Dimension(p, QPointF(OffsetArrowX, SetValueY), QPointF(OffsetArrowX, WorkY), Ink, 7);
    Dimension(p, QPointF(WindowArrowX, WindowTop), QPointF(WindowArrowX, WindowBottom),
              QColor(0x8A, 0x6D, 0x10), 7);

    p.setFont(PixelFont(12, true));
    const auto name = [&](RelayValueField field, QRectF at, Qt::Alignment align) {
        p.setPen(Ink);
        p.drawText(at, align, QString::fromLatin1(RuleFor(field).label));
    };
    name(RelayValueField::UpperHysteresis, QRectF(BandArrowX - 30, UpperTop, 26, WorkY - UpperTop),
         Qt::AlignRight | Qt::AlignVCenter);
    name(RelayValueField::LowerHysteresis, QRectF(BandArrowX - 30, WorkY, 26, LowerBottom - WorkY),
         Qt::AlignRight | Qt::AlignVCenter);
    const QRectF offsetField = FieldRectRaw(RelayValueField::Offset);
    name(RelayValueField::Offset, QRectF(OffsetArrowX - 30, offsetField.top(), 26, FieldH),
         Qt::AlignRight | Qt::AlignVCenter);
    const QRectF windowField = FieldRectRaw(RelayValueField::RegulatorWindow);
    name(RelayValueField::RegulatorWindow,
         QRectF(windowField.left(), windowField.top() - 20, FieldW, 18),
         Qt::AlignHCenter | Qt::AlignBottom);
    p.restore();
}

} // namespace zyl
