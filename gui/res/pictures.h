#pragma once
#include <QColor>
#include <QIcon>
#include <QPixmap>

// The program's pictures, drawn here rather than shipped as files: the tool bar strip
// (bitmap 128, nine 16 x 15 buttons) and the recorder tree strip (bitmap 135, four 16 x 16
// pictures: folder, open folder, message, message already in the chosen folder). The application
// icon (icon 128) is the installed icon's drawing, built in. Strips are painted on the mask colour,
// which becomes transparent, as the image lists have always used them.
namespace res {

inline const QColor kMaskColour{255, 0, 255};

// The strip of bitmap id (IDR_MAINFRAME or IDB_RECORDER_TREE), masked; a null pixmap for any
// other id.
QPixmap LoadBitmap(int id);
// Picture index of a strip whose pictures are width pixels wide.
QPixmap StripPicture(const QPixmap& strip, int index, int width);
// Icon 128, in every size the desktop's icon theme gets.
QIcon AppIcon();

}  // namespace res
