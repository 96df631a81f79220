#include "gui/ToolBarIcons.h"

#include <QColor>
#include <QFont>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPixmap>
#include <QPolygonF>
#include <QRectF>
#include <utility>

namespace kalvo {

namespace {

// Every picture is drawn on a 32 × 32 grid and scaled to the size asked for.
constexpr qreal gridSize = 32.0;

const QColor outline(0x40, 0x40, 0x40);

void drawCalendarPage(QPainter& painter, const QRectF& page) {
    painter.setPen(QPen(outline, 1.0));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(page, 1.5, 1.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xc6, 0x28, 0x28));
    painter.drawRect(QRectF(page.left() + 0.5, page.top() + 0.5, page.width() - 1.0, 5.0));
    painter.setBrush(QColor(0xb0, 0xbe, 0xc5));
    const qreal cell = (page.width() - 4.0) / 4.0;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 4; ++column) {
            painter.drawRect(QRectF(page.left() + 2.0 + column * cell,
                                    page.top() + 8.0 + row * (cell + 1.0), cell - 1.5, cell - 1.0));
        }
    }
}

void drawEditEvent(QPainter& painter) {
    drawCalendarPage(painter, QRectF(2.5, 3.5, 20.0, 22.0));
    painter.save();
    painter.translate(20.0, 20.0);
    painter.rotate(-45.0);
    painter.setPen(QPen(outline, 0.8));
    painter.setBrush(QColor(0xf4, 0xc4, 0x30));
    painter.drawRect(QRectF(-7.0, -2.6, 15.0, 5.2));
    painter.setBrush(QColor(0xe5, 0x73, 0x73));
    painter.drawRect(QRectF(8.0, -2.6, 3.0, 5.2));
    painter.setBrush(QColor(0xf1, 0xd9, 0xb5));
    painter.drawPolygon(QPolygonF({QPointF(-7.0, -2.6), QPointF(-12.0, 0.0), QPointF(-7.0, 2.6)}));
    painter.setBrush(outline);
    painter.drawPolygon(
        QPolygonF({QPointF(-10.3, -0.9), QPointF(-12.0, 0.0), QPointF(-10.3, 0.9)}));
    painter.restore();
}

void drawAppointmentType(QPainter& painter) {
    painter.setPen(QPen(outline, 1.5));
    painter.drawLine(QPointF(8.0, 11.0), QPointF(8.0, 26.5));
    painter.drawLine(QPointF(8.0, 16.5), QPointF(16.0, 16.5));
    painter.drawLine(QPointF(8.0, 26.5), QPointF(16.0, 26.5));
    painter.setPen(QPen(outline, 0.8));
    painter.setBrush(QColor(0x00, 0x80, 0x00));  // the colour a new type gets
    painter.drawRoundedRect(QRectF(2.5, 2.5, 14.0, 9.0), 2.0, 2.0);
    painter.setBrush(QColor(0x1e, 0x88, 0xe5));
    painter.drawRoundedRect(QRectF(15.5, 12.5, 14.0, 8.0), 2.0, 2.0);
    painter.setBrush(QColor(0xfb, 0x8c, 0x00));
    painter.drawRoundedRect(QRectF(15.5, 22.5, 14.0, 8.0), 2.0, 2.0);
}

void drawChart(QPainter& painter) {
    const QRectF pie(3.0, 5.0, 24.0, 24.0);
    painter.setPen(QPen(Qt::white, 1.0));
    painter.setBrush(QColor(0x00, 0x80, 0x00));
    painter.drawPie(pie, 90 * 16, 200 * 16);
    painter.setBrush(QColor(0x1e, 0x88, 0xe5));
    painter.drawPie(pie, 290 * 16, 110 * 16);
    // The last slice stands out from the pie, as a highlighted slice does in the chart.
    painter.setBrush(QColor(0xfb, 0x8c, 0x00));
    painter.drawPie(pie.translated(2.5, -2.5), 40 * 16, 50 * 16);
}

void drawHelp(QPainter& painter) {
    painter.setPen(QPen(QColor(0x15, 0x4a, 0x8a), 1.0));
    painter.setBrush(QColor(0x2a, 0x6e, 0xbb));
    painter.drawEllipse(QRectF(2.5, 2.5, 27.0, 27.0));
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(21);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(2.5, 3.0, 27.0, 27.0), Qt::AlignCenter, QStringLiteral("?"));
}

void drawExit(QPainter& painter) {
    painter.setPen(QPen(outline, 1.0));
    painter.setBrush(QColor(0x3a, 0x3a, 0x3a));
    painter.drawRect(QRectF(3.5, 3.5, 14.0, 25.0));
    painter.setBrush(QColor(0xb0, 0x7a, 0x45));
    painter.drawPolygon(QPolygonF(
        {QPointF(3.5, 3.5), QPointF(11.0, 6.0), QPointF(11.0, 31.0), QPointF(3.5, 28.5)}));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xf4, 0xc4, 0x30));
    painter.drawEllipse(QRectF(8.0, 16.5, 2.0, 2.0));
    painter.setPen(QPen(outline, 0.8));
    painter.setBrush(QColor(0x2e, 0x9e, 0x44));
    painter.drawPolygon(QPolygonF({QPointF(14.0, 14.0), QPointF(22.0, 14.0), QPointF(22.0, 9.0),
                                   QPointF(30.5, 16.5), QPointF(22.0, 24.0), QPointF(22.0, 19.0),
                                   QPointF(14.0, 19.0)}));
}

void drawBackup(QPainter& painter) {
    // A database cylinder with a copy arrow turning round it.
    const QColor body(0x4f, 0x81, 0xbd);
    painter.setPen(QPen(outline, 0.8));
    painter.setBrush(body);
    QPainterPath cylinder;
    cylinder.moveTo(3.0, 8.0);
    cylinder.lineTo(3.0, 25.0);
    cylinder.arcTo(QRectF(3.0, 21.0, 18.0, 8.0), 180.0, 180.0);
    cylinder.lineTo(21.0, 8.0);
    cylinder.closeSubpath();
    painter.drawPath(cylinder);
    painter.setBrush(body.lighter(140));
    painter.drawEllipse(QRectF(3.0, 4.0, 18.0, 8.0));
    painter.setPen(QPen(body.lighter(140), 1.0));
    painter.drawArc(QRectF(3.0, 12.0, 18.0, 8.0), 180 * 16, 180 * 16);

    painter.setPen(QPen(Qt::white, 5.0, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    const QRectF turn(15.0, 15.0, 13.0, 13.0);
    painter.drawArc(turn, 100 * 16, 270 * 16);
    const QColor arrow(0x2e, 0x9e, 0x44);
    painter.setPen(QPen(arrow, 2.6, Qt::SolidLine, Qt::FlatCap));
    painter.drawArc(turn, 100 * 16, 270 * 16);
    painter.setPen(QPen(outline, 0.5));
    painter.setBrush(arrow);
    painter.drawPolygon(QPolygonF({QPointF(19.0, 11.5), QPointF(25.0, 15.5), QPointF(19.0, 19.5)}));
}

void drawDeleteEvent(QPainter& painter) {
    drawCalendarPage(painter, QRectF(2.5, 3.5, 20.0, 22.0));
    for (const auto& [colour, width] :
         {std::pair{QColor(Qt::white), 7.0}, std::pair{QColor(0xd3, 0x2f, 0x2f), 4.0}}) {
        painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(16.0, 16.0), QPointF(28.0, 28.0));
        painter.drawLine(QPointF(28.0, 16.0), QPointF(16.0, 28.0));
    }
}

void drawPrint(QPainter& painter) {
    painter.setPen(QPen(outline, 0.8));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(8.5, 3.5, 15.0, 11.0));  // the sheet going in
    painter.setBrush(QColor(0x90, 0x9a, 0xa4));
    painter.drawRoundedRect(QRectF(2.5, 12.5, 27.0, 11.0), 2.0, 2.0);
    painter.setBrush(QColor(0x2e, 0x9e, 0x44));
    painter.drawEllipse(QRectF(24.0, 15.0, 3.0, 3.0));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(8.5, 20.5, 15.0, 9.0));  // the printed sheet
    painter.setPen(QPen(outline, 1.0));
    painter.drawLine(QPointF(11.0, 24.0), QPointF(21.0, 24.0));
    painter.drawLine(QPointF(11.0, 27.0), QPointF(18.0, 27.0));
}

// A curved arrow turning back to the left; redo is its mirror image.
void drawUndo(QPainter& painter) {
    const QColor arrow(0x2e, 0x6f, 0xb7);
    painter.setPen(QPen(arrow, 3.2, Qt::SolidLine, Qt::FlatCap));
    painter.setBrush(Qt::NoBrush);
    QPainterPath turn;
    turn.moveTo(9.0, 12.0);
    turn.lineTo(19.0, 12.0);
    turn.cubicTo(31.0, 12.0, 31.0, 27.0, 19.0, 27.0);
    turn.lineTo(12.0, 27.0);
    painter.drawPath(turn);
    painter.setPen(QPen(outline, 0.8));
    painter.setBrush(arrow);
    painter.drawPolygon(QPolygonF({QPointF(2.0, 12.0), QPointF(11.0, 5.0), QPointF(11.0, 19.0)}));
}

void drawRedo(QPainter& painter) {
    painter.translate(32.0, 0.0);
    painter.scale(-1.0, 1.0);
    drawUndo(painter);
}

using DrawPicture = void (*)(QPainter&);

DrawPicture drawingOf(ToolBarPicture picture) {
    switch (picture) {
        case ToolBarPicture::EditEvent:
            return drawEditEvent;
        case ToolBarPicture::AppointmentType:
            return drawAppointmentType;
        case ToolBarPicture::Chart:
            return drawChart;
        case ToolBarPicture::Help:
            return drawHelp;
        case ToolBarPicture::Exit:
            return drawExit;
        case ToolBarPicture::Backup:
            return drawBackup;
        case ToolBarPicture::DeleteEvent:
            return drawDeleteEvent;
        case ToolBarPicture::Print:
            return drawPrint;
        case ToolBarPicture::Undo:
            return drawUndo;
        case ToolBarPicture::Redo:
            return drawRedo;
    }
    return drawHelp;
}

class DrawnIconEngine final : public QIconEngine {
public:
    explicit DrawnIconEngine(DrawPicture draw) : draw_(draw) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::TextAntialiasing);
            painter.scale(size.width() / gridSize, size.height() / gridSize);
            draw_(painter);
        }
        if (mode == QIcon::Disabled) {
            greyOut(image);
        }
        return QPixmap::fromImage(image);
    }

    QIconEngine* clone() const override { return new DrawnIconEngine(draw_); }

    QString key() const override { return QStringLiteral("KalvoDrawnIcon"); }

private:
    static void greyOut(QImage& image) {
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = qUnpremultiply(line[x]);
                const int grey = qGray(pixel);
                line[x] = qPremultiply(qRgba(grey, grey, grey, qAlpha(pixel) / 2));
            }
        }
    }

    DrawPicture draw_;
};

}  // namespace

const char* themeIconName(ToolBarPicture picture) {
    switch (picture) {
        case ToolBarPicture::EditEvent:
            return "document-edit";
        case ToolBarPicture::AppointmentType:
            return "view-list-tree";
        case ToolBarPicture::Chart:
            return "office-chart-pie";
        case ToolBarPicture::Help:
            return "help-contents";
        case ToolBarPicture::Exit:
            return "application-exit";
        case ToolBarPicture::Backup:
            return "document-save";
        case ToolBarPicture::DeleteEvent:
            return "edit-delete";
        case ToolBarPicture::Print:
            return "document-print";
        case ToolBarPicture::Undo:
            return "edit-undo";
        case ToolBarPicture::Redo:
            return "edit-redo";
    }
    return "";
}

QIcon drawnToolBarIcon(ToolBarPicture picture) {
    return QIcon(new DrawnIconEngine(drawingOf(picture)));
}

QIcon toolBarIcon(ToolBarPicture picture) {
    return QIcon::fromTheme(QString::fromLatin1(themeIconName(picture)), drawnToolBarIcon(picture));
}

}  // namespace kalvo
