#include "ui/components/StatusIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tw::ui {
namespace {

QPixmap Draw(StatusImage image, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 16.0, size / 16.0);
    const QColor colours[] = {QColor(128, 128, 128), QColor(40, 150, 60), QColor(40, 100, 200),
                              QColor(200, 40, 40), QColor(220, 150, 20)};
    painter.setPen(Qt::NoPen);
    painter.setBrush(colours[static_cast<int>(image)]);
    painter.drawEllipse(QRectF(1, 1, 14, 14));
    QPen mark(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(mark);
    painter.setBrush(Qt::NoBrush);
    switch (image) {
        case StatusImage::Untracked: {
            QFont font;
            font.setPixelSize(11);
            font.setBold(true);
            painter.setFont(font);
            painter.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, "?");
            break;
        }
        case StatusImage::Good:
            painter.drawPolyline(QPolygonF({{4.5, 8.5}, {7, 11}, {11.5, 5.5}}));
            break;
        case StatusImage::External:
            painter.drawLine(QPointF(5, 11), QPointF(11, 5));
            painter.drawPolyline(QPolygonF({{6.5, 5}, {11, 5}, {11, 9.5}}));
            break;
        case StatusImage::Broken:
            painter.drawLine(QPointF(5, 5), QPointF(11, 11));
            painter.drawLine(QPointF(11, 5), QPointF(5, 11));
            break;
        case StatusImage::Ignored:
            painter.drawLine(QPointF(4.5, 8), QPointF(11.5, 8));
            break;
    }
    return pixmap;
}

}  // namespace

QIcon StatusIcon(StatusImage image) {
    QIcon icon;
    for (int size : {16, 32}) icon.addPixmap(Draw(image, size));
    return icon;
}

}  // namespace tw::ui
