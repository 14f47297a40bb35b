#include "gui/res/pictures.h"

#include <QBitmap>
#include <QDirIterator>
#include <QPainter>
#include <QPolygonF>

#include "core/res/resource_ids.h"
#include "gui/res/menu_resources.h"

namespace res {

namespace {

// Pictures are drawn in a 16-pixel cell each; the painter is translated to the cell.
using Painter = QPainter;

const QColor kInk(32, 32, 32);
const QColor kBlue(30, 90, 170);
const QColor kLightBlue(150, 190, 235);
const QColor kWood(176, 128, 64);
const QColor kWoodDark(120, 80, 32);
const QColor kBrass(220, 190, 60);
const QColor kPaper(250, 250, 250);
const QColor kRed(200, 40, 40);
const QColor kGreen(30, 140, 60);

void DrawConnect(Painter& p) {
    // A plug going into a socket.
    p.setPen(kInk);
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(9, 3, 5, 9);  // socket
    p.setBrush(kBrass);
    p.drawRect(5, 5, 4, 5);  // plug body
    p.setPen(QPen(kInk, 1));
    p.drawLine(1, 7, 5, 7);   // cable
    p.drawLine(9, 6, 11, 6);  // pins
    p.drawLine(9, 9, 11, 9);
    p.setPen(kGreen);
    p.drawLine(12, 13, 14, 13);
}

void DrawDownloadAllNew(Painter& p) {
    // An arrow going down into an open tray: everything new comes down to the PC.
    p.setPen(kInk);
    p.setBrush(kLightBlue);
    p.drawRect(1, 10, 13, 4);  // tray
    p.fillRect(3, 10, 9, 2, kPaper);
    QPolygonF arrow;
    arrow << QPointF(5.5, 0.5) << QPointF(9.5, 0.5) << QPointF(9.5, 5.5) << QPointF(12.5, 5.5)
          << QPointF(7.5, 10.5) << QPointF(2.5, 5.5) << QPointF(5.5, 5.5);
    p.setPen(QPen(kInk, 1));
    p.setBrush(kGreen);
    p.drawPolygon(arrow);
}

void DrawCheck(Painter& p) {
    // A tick in the lower right corner, over the picture it marks.
    p.setRenderHint(QPainter::Antialiasing);
    QPolygonF tick;
    tick << QPointF(8.0, 11.0) << QPointF(11.0, 14.5) << QPointF(15.5, 7.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kPaper, 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(tick);
    p.setPen(QPen(kGreen, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(tick);
}

void DrawClock(Painter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawEllipse(QRectF(1.5, 1.0, 12.5, 12.5));
    p.setPen(QPen(kBlue, 1.5));
    p.drawLine(QPointF(7.75, 7.25), QPointF(7.75, 3.5));   // minute hand
    p.drawLine(QPointF(7.75, 7.25), QPointF(10.5, 8.75));  // hour hand
}

void DrawCalendar(Painter& p) {
    p.setPen(kInk);
    p.setBrush(kPaper);
    p.drawRect(1, 2, 13, 12);
    p.setBrush(kRed);
    p.drawRect(1, 2, 13, 3);
    p.setPen(kInk);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 4; ++col) p.drawPoint(3 + col * 3, 7 + row * 2);
    }
}

void DrawLargeIcon(Painter& p) {
    p.setPen(kInk);
    p.setBrush(kLightBlue);
    p.drawRect(3, 1, 9, 8);
    p.setPen(kInk);
    p.drawLine(2, 12, 13, 12);
}

void DrawSmallIcon(Painter& p) {
    p.setPen(kInk);
    p.setBrush(kLightBlue);
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 2; ++col) {
            p.drawRect(1 + col * 8, 1 + row * 7, 3, 3);
            p.drawLine(6 + col * 8 - 1, 3 + row * 7, 6 + col * 8, 3 + row * 7);
        }
    }
}

void DrawList(Painter& p) {
    p.setPen(kInk);
    p.setBrush(kLightBlue);
    for (int row = 0; row < 4; ++row) {
        p.drawRect(1, 1 + row * 3, 2, 2);
        p.drawLine(5, 2 + row * 3, 13, 2 + row * 3);
    }
}

void DrawReport(Painter& p) {
    p.setPen(kInk);
    p.setBrush(kPaper);
    p.drawRect(1, 1, 13, 12);
    p.fillRect(2, 2, 12, 2, kLightBlue);
    p.drawLine(6, 1, 6, 13);
    for (int row = 0; row < 3; ++row) p.drawLine(2, 6 + row * 3, 13, 6 + row * 3);
}

void DrawRefresh(Painter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kGreen, 2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(2.5, 2.5, 10, 10), 60 * 16, 280 * 16);
    QPolygonF head;
    head << QPointF(9.0, 0.5) << QPointF(13.5, 3.5) << QPointF(8.5, 6.0);
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawPolygon(head);
}

void DrawCabinet(Painter& p, bool open) {
    // A two-drawer filing cabinet; the open one has its upper drawer pulled out.
    p.setPen(kWoodDark);
    p.setBrush(kWood);
    p.drawRect(3, 1, 10, 14);
    p.drawLine(3, 8, 13, 8);
    p.setPen(kBrass);
    p.drawLine(7, 4, 9, 4);
    p.drawLine(7, 11, 9, 11);
    if (open) {
        p.setPen(kWoodDark);
        p.setBrush(QColor(230, 200, 150));
        p.drawRect(1, 2, 14, 5);
        p.setBrush(kPaper);
        p.drawRect(3, 0, 3, 3);
        p.drawRect(8, 1, 3, 2);
        p.setPen(kBrass);
        p.drawLine(6, 5, 10, 5);
    }
}

void DrawLoudspeaker(Painter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    QPolygonF cone;
    cone << QPointF(1.5, 5.5) << QPointF(4.5, 5.5) << QPointF(8.5, 1.5) << QPointF(8.5, 14.5)
         << QPointF(4.5, 10.5) << QPointF(1.5, 10.5);
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(90, 90, 110));
    p.drawPolygon(cone);
    p.setPen(QPen(kBlue, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(6.0, 5.0, 5.0, 6.0), -60 * 16, 120 * 16);
    p.drawArc(QRectF(5.5, 2.5, 9.0, 11.0), -60 * 16, 120 * 16);
}

QPixmap MaskedStrip(int count, int width, int height,
                    const std::function<void(Painter&, int)>& draw) {
    QPixmap strip(count * width, height);
    strip.fill(kMaskColour);
    {
        Painter p(&strip);
        for (int i = 0; i < count; ++i) {
            p.save();
            p.translate(i * width, 0);
            p.setClipRect(0, 0, width, height);
            draw(p, i);
            p.restore();
        }
    }
    // Antialiased edges blend into the mask colour; only the exact colour becomes transparent.
    strip.setMask(strip.createMaskFromColor(kMaskColour, Qt::MaskInColor));
    return strip;
}

QPixmap ToolBarStrip() {
    // One picture per button that is not a separator, in button order.
    std::vector<int> ids;
    for (int id : ToolBarButtons()) {
        if (id != 0) ids.push_back(id);
    }
    return MaskedStrip(static_cast<int>(ids.size()), kToolBarButtonWidth, kToolBarButtonHeight,
                       [&ids](Painter& p, int i) {
                           switch (ids[i]) {
                               case ID_CONNECT:
                                   DrawConnect(p);
                                   break;
                               case ID_DOWNLOAD_ALL_NEW:
                                   DrawDownloadAllNew(p);
                                   break;
                               case ID_SET_TIME:
                                   DrawClock(p);
                                   break;
                               case ID_SET_DATE:
                                   DrawCalendar(p);
                                   break;
                               case ID_VIEW_LARGEICON:
                                   DrawLargeIcon(p);
                                   break;
                               case ID_VIEW_SMALLICON:
                                   DrawSmallIcon(p);
                                   break;
                               case ID_VIEW_LIST:
                                   DrawList(p);
                                   break;
                               case ID_VIEW_DETAILS:
                                   DrawReport(p);
                                   break;
                               case ID_REFRESH:
                                   DrawRefresh(p);
                                   break;
                               default:
                                   break;
                           }
                       });
}

QPixmap RecorderTreeStrip() {
    return MaskedStrip(4, 16, 16, [](Painter& p, int i) {
        switch (i) {
            case 0:
                DrawCabinet(p, false);
                break;
            case 1:
                DrawCabinet(p, true);
                break;
            case 2:
                DrawLoudspeaker(p);
                break;
            default:
                // A message whose recording the chosen folder holds already.
                DrawLoudspeaker(p);
                DrawCheck(p);
                break;
        }
    });
}

}  // namespace

QPixmap LoadBitmap(int id) {
    switch (id) {
        case IDR_MAINFRAME:
            return ToolBarStrip();
        case IDB_RECORDER_TREE:
            return RecorderTreeStrip();
        default:
            return {};
    }
}

QPixmap StripPicture(const QPixmap& strip, int index, int width) {
    if (index < 0 || (index + 1) * width > strip.width()) return {};
    return strip.copy(index * width, 0, width, strip.height());
}

QIcon AppIcon() {
    // A hand-held recorder: a dark body, a speaker grille and a red record light. Drawn once, as
    // the installed SVG icon; its PNG sizes are rendered from it at build time into our
    // resources, laid out as the icon theme has them.
    QIcon icon;
    QDirIterator it(QStringLiteral(":/hicolor"), {QStringLiteral("*.png")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) icon.addFile(it.next());
    return icon;
}

}  // namespace res
