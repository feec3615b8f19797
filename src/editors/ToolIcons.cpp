#include "editors/ToolIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolButton>

#include <algorithm>

namespace zyl {

namespace {

const QColor Outline(0x2E, 0x34, 0x3D);
const QColor ReadArrow(0x1E, 0x8C, 0x45);
const QColor WriteArrow(0xD9, 0x6C, 0x06);

// A block arrow along the icon's middle, pointing left (into the program) or right.
void DrawArrow(QPainter& p, double s, bool pointsRight, const QColor& colour) {
    const double y = s * 0.5, half = s * 0.13, head = s * 0.24;
    const double tail = s * 0.04, tip = s * 0.46;
    QPainterPath path;
    if (pointsRight) {
        path.moveTo(tail, y - half * 0.55);
        path.lineTo(tip - head, y - half * 0.55);
        path.lineTo(tip - head, y - half * 1.45);
        path.lineTo(tip, y);
        path.lineTo(tip - head, y + half * 1.45);
        path.lineTo(tip - head, y + half * 0.55);
        path.lineTo(tail, y + half * 0.55);
    } else {
        path.moveTo(tip, y - half * 0.55);
        path.lineTo(tail + head, y - half * 0.55);
        path.lineTo(tail + head, y - half * 1.45);
        path.lineTo(tail, y);
        path.lineTo(tail + head, y + half * 1.45);
        path.lineTo(tail + head, y + half * 0.55);
        path.lineTo(tip, y + half * 0.55);
    }
    path.closeSubpath();
    p.setPen(QPen(colour.darker(140), std::max(1.0, s / 32.0)));
    p.setBrush(colour);
    p.drawPath(path);
}

// The controller: a grey case with a display and two keys, on the right half.
void DrawController(QPainter& p, double s) {
    const QRectF body(s * 0.48, s * 0.14, s * 0.48, s * 0.72);
    p.setPen(QPen(Outline, std::max(1.0, s / 32.0)));
    p.setBrush(QColor(0x8E, 0x99, 0xA6));
    p.drawRoundedRect(body, s * 0.05, s * 0.05);
    p.setBrush(QColor(0x9B, 0xE0, 0x8F));
    p.drawRect(
        QRectF(body.left() + s * 0.07, body.top() + s * 0.08, body.width() - s * 0.14, s * 0.20));
    p.setBrush(QColor(0x3B, 0x42, 0x4C));
    const double key = s * 0.09;
    p.drawEllipse(QRectF(body.left() + s * 0.09, body.bottom() - s * 0.24, key, key));
    p.drawEllipse(QRectF(body.right() - s * 0.09 - key, body.bottom() - s * 0.24, key, key));
}

// A floppy disk on the right half.
void DrawDisk(QPainter& p, double s) {
    const QRectF body(s * 0.48, s * 0.14, s * 0.48, s * 0.72);
    QPainterPath outline;
    outline.moveTo(body.topLeft());
    outline.lineTo(body.right() - s * 0.09, body.top());
    outline.lineTo(body.right(), body.top() + s * 0.09);
    outline.lineTo(body.bottomRight());
    outline.lineTo(body.bottomLeft());
    outline.closeSubpath();
    p.setPen(QPen(Outline, std::max(1.0, s / 32.0)));
    p.setBrush(QColor(0x2F, 0x6D, 0xB5));
    p.drawPath(outline);
    p.setBrush(QColor(0xD5, 0xDB, 0xE2));
    p.drawRect(QRectF(body.left() + s * 0.10, body.top(), s * 0.24, s * 0.20));
    p.setBrush(QColor(0x2F, 0x6D, 0xB5).darker(130));
    p.drawRect(QRectF(body.left() + s * 0.25, body.top() + s * 0.03, s * 0.06, s * 0.13));
    p.setBrush(Qt::white);
    p.drawRect(
        QRectF(body.left() + s * 0.07, body.top() + s * 0.36, body.width() - s * 0.14, s * 0.30));
}

void DrawPencil(QPainter& p, double s) {
    p.save();
    p.translate(s * 0.5, s * 0.5);
    p.rotate(-45);
    const double len = s * 0.78, w = s * 0.20;
    const double x0 = -len / 2;
    p.setPen(QPen(Outline, std::max(1.0, s / 32.0)));
    p.setBrush(QColor(0xF2, 0xB1, 0x34));
    p.drawRect(QRectF(x0 + len * 0.22, -w / 2, len * 0.62, w));
    p.setBrush(QColor(0xE8, 0x84, 0x8A));
    p.drawRect(QRectF(x0 + len * 0.84, -w / 2, len * 0.16, w));
    QPainterPath tip;
    tip.moveTo(x0, 0);
    tip.lineTo(x0 + len * 0.22, -w / 2);
    tip.lineTo(x0 + len * 0.22, w / 2);
    tip.closeSubpath();
    p.setBrush(QColor(0xF5, 0xDE, 0xB3));
    p.drawPath(tip);
    QPainterPath lead;
    lead.moveTo(x0, 0);
    lead.lineTo(x0 + len * 0.08, -w * 0.18);
    lead.lineTo(x0 + len * 0.08, w * 0.18);
    lead.closeSubpath();
    p.setBrush(Outline);
    p.drawPath(lead);
    p.restore();
}

void DrawCheck(QPainter& p, double s) {
    QPen pen(QColor(0x1E, 0x8C, 0x45), s * 0.16, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(s * 0.16, s * 0.52);
    path.lineTo(s * 0.40, s * 0.76);
    path.lineTo(s * 0.84, s * 0.24);
    p.drawPath(path);
}

void DrawCross(QPainter& p, double s) {
    QPen pen(QColor(0xC6, 0x3B, 0x2F), s * 0.15, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    p.drawLine(QPointF(s * 0.22, s * 0.22), QPointF(s * 0.78, s * 0.78));
    p.drawLine(QPointF(s * 0.78, s * 0.22), QPointF(s * 0.22, s * 0.78));
}

QPixmap IconPixmap(ToolIcon icon, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    switch (icon) {
    case ToolIcon::ReadFromController:
        DrawController(p, s);
        DrawArrow(p, s, false, ReadArrow);
        break;
    case ToolIcon::WriteToController:
        DrawController(p, s);
        DrawArrow(p, s, true, WriteArrow);
        break;
    case ToolIcon::ReadFromDisk:
        DrawDisk(p, s);
        DrawArrow(p, s, false, ReadArrow);
        break;
    case ToolIcon::WriteToDisk:
        DrawDisk(p, s);
        DrawArrow(p, s, true, WriteArrow);
        break;
    case ToolIcon::Edit:
        DrawPencil(p, s);
        break;
    case ToolIcon::Save:
        DrawCheck(p, s);
        break;
    case ToolIcon::Cancel:
        DrawCross(p, s);
        break;
    }
    return pixmap;
}

} // namespace

QIcon DrawnToolIcon(ToolIcon icon) {
    QIcon result;
    for (int size : {16, 24, 32, 48, 64}) result.addPixmap(IconPixmap(icon, size));
    return result;
}

QToolButton* MakeToolButton(ToolIcon icon, const QString& hint, QWidget* parent, bool withText) {
    auto* button = new QToolButton(parent);
    button->setIcon(DrawnToolIcon(icon));
    button->setIconSize(QSize(28, 28));
    button->setAutoRaise(true);
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    button->setText(hint);
    button->setToolButtonStyle(withText ? Qt::ToolButtonTextBesideIcon : Qt::ToolButtonIconOnly);
    return button;
}

} // namespace zyl
