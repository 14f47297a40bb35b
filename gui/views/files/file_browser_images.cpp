#include "gui/views/files/file_browser_images.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include "core/files/drive_list.h"

namespace file_browser_images {
namespace {

constexpr int kSize = 16;

void DrawDocument(QPainter& p, bool grey) {
    const QColor paper = grey ? QColor(224, 224, 224) : Qt::white;
    const QColor edge = grey ? QColor(160, 160, 160) : QColor(64, 64, 64);
    p.setPen(edge);
    p.setBrush(paper);
    p.drawPolygon(
        QPolygon({QPoint(3, 1), QPoint(10, 1), QPoint(13, 4), QPoint(13, 14), QPoint(3, 14)}));
    p.drawLine(10, 1, 10, 4);
    p.drawLine(10, 4, 13, 4);
    const QColor marks[3] = {grey ? QColor(150, 150, 150) : QColor(200, 0, 0),
                             grey ? QColor(170, 170, 170) : QColor(0, 128, 0),
                             grey ? QColor(150, 150, 150) : QColor(0, 0, 200)};
    for (int i = 0; i < 3; ++i) {
        p.setPen(marks[i]);
        p.drawLine(5, 6 + 2 * i, 11, 6 + 2 * i);
    }
}

void DrawFolder(QPainter& p, bool open) {
    const QColor edge(128, 96, 0);
    p.setPen(edge);
    p.setBrush(QColor(240, 200, 80));
    p.drawPolygon(QPolygon(
        {QPoint(1, 3), QPoint(6, 3), QPoint(7, 5), QPoint(14, 5), QPoint(14, 13), QPoint(1, 13)}));
    if (open) {
        p.setBrush(QColor(255, 230, 140));
        p.drawPolygon(QPolygon({QPoint(3, 7), QPoint(15, 7), QPoint(13, 13), QPoint(1, 13)}));
    } else {
        p.drawLine(1, 6, 14, 6);
    }
}

void DrawFloppy(QPainter& p) {
    p.setPen(QColor(32, 32, 32));
    p.setBrush(QColor(70, 70, 90));
    p.drawRect(2, 2, 12, 12);
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(5, 2, 6, 4);
    p.setBrush(Qt::white);
    p.drawRect(4, 9, 8, 5);
}

void DrawHardDisk(QPainter& p) {
    p.setPen(QColor(64, 64, 64));
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(1, 5, 14, 7);
    p.setPen(QColor(128, 128, 128));
    p.drawLine(2, 9, 10, 9);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 200, 0));
    p.drawRect(12, 9, 2, 2);
}

void DrawCdRom(QPainter& p) {
    p.setPen(QColor(64, 64, 64));
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(1, 8, 14, 6);
    p.setBrush(QColor(220, 220, 255));
    p.drawEllipse(QPoint(8, 6), 5, 5);
    p.setBrush(Qt::white);
    p.drawEllipse(QPoint(8, 6), 1, 1);
}

}  // namespace

QPixmap Strip() {
    static const QPixmap strip = [] {
        QPixmap pixmap(kSize * kCount, kSize);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        for (int i = 0; i < kCount; ++i) {
            p.save();
            p.translate(i * kSize, 0);
            switch (i) {
                case kDocument:
                    DrawDocument(p, false);
                    break;
                case kDocumentGrey:
                    DrawDocument(p, true);
                    break;
                case kFolderClosed:
                    DrawFolder(p, false);
                    break;
                case kFolderOpen:
                    DrawFolder(p, true);
                    break;
                case kFloppyDrive:
                    DrawFloppy(p);
                    break;
                case kHardDrive:
                    DrawHardDisk(p);
                    break;
                case kCdRomDrive:
                    DrawCdRom(p);
                    break;
            }
            p.restore();
        }
        return pixmap;
    }();
    return strip;
}

QPixmap Image(int index) {
    if (index < 0 || index >= kCount) return {};
    return Strip().copy(index * kSize, 0, kSize, kSize);
}

QIcon FolderIcon() {
    static const QIcon icon = [] {
        QIcon folder;
        folder.addPixmap(Image(kFolderClosed), QIcon::Normal);
        folder.addPixmap(Image(kFolderOpen), QIcon::Selected);
        return folder;
    }();
    return icon;
}

QIcon DriveIcon(int driveType) {
    const int index = driveType == kDriveRemovable ? kFloppyDrive
                      : driveType == kDriveCdRom   ? kCdRomDrive
                                                   : kHardDrive;
    QIcon icon;
    icon.addPixmap(Image(index), QIcon::Normal);
    icon.addPixmap(Image(index), QIcon::Selected);
    return icon;
}

}  // namespace file_browser_images
