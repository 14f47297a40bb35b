#pragma once
#include <QList>
#include <QRect>

class CMainFrame;
class SettingsFile;

// The main window's place and layout from one run to the next, in the settings' own group
// [Window]: where it stood and how large it was, whether it filled the screen, the widths of
// its three panes and the file list's view style. A value that is no use is passed over
// without a word: the default stays.
void RestoreWindowPlacement(CMainFrame& frame, const SettingsFile& settings);
void SaveWindowPlacement(const CMainFrame& frame, SettingsFile& settings);

// Where a window of rectangle wanted may stand among screens (their free areas): where it was,
// when its top can be grabbed on one of them, else on the first, centred and no larger.
QRect PlaceOnScreens(const QRect& wanted, const QList<QRect>& screens);
