#pragma once
#include <QIcon>
#include <QPixmap>

// The folder tree's seven 16 by 16 pictures, drawn here rather than shipped as a bitmap.
namespace file_browser_images {

enum Index {
    kDocument = 0,
    kDocumentGrey = 1,
    kFolderClosed = 2,
    kFolderOpen = 3,
    kFloppyDrive = 4,
    kHardDrive = 5,
    kCdRomDrive = 6,
    kCount = 7,
};

// All seven side by side, 112 by 16, transparent where the old strip was magenta.
QPixmap Strip();
QPixmap Image(int index);
// The closed folder, with the open one for the selected state.
QIcon FolderIcon();
// A drive's picture by its type code; the same selected and not.
QIcon DriveIcon(int driveType);

}  // namespace file_browser_images
