#include "gui/app/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/res/strings.h"
#include "core/settings/settings_file.h"
#include "gui/frame/main_frame.h"
#include "gui/views/files/mid_view.h"

namespace {

// Sizes a window or a pane may be restored to; anything else is no saved value of ours.
constexpr int kMinWindowSide = 100;
constexpr int kMaxSide = 32767;
// How much of the window's top must lie on a screen for the user to grab it there.
constexpr int kGrabWidth = 60;
constexpr int kGrabHeight = 20;
constexpr int kPaneCount = 3;

std::optional<int> ViewModeOf(const std::string& value) {
    for (int mode = 0; mode < static_cast<int>(std::size(text::kViewStyleValues)); ++mode) {
        if (value == text::kViewStyleValues[mode]) return mode;
    }
    return std::nullopt;
}

}  // namespace

QRect PlaceOnScreens(const QRect& wanted, const QList<QRect>& screens) {
    if (screens.isEmpty()) return wanted;
    const QRect top(wanted.left(), wanted.top(), wanted.width(),
                    std::min(kGrabHeight, wanted.height()));
    for (const QRect& screen : screens) {
        const QRect grab = top.intersected(screen);
        if (grab.width() >= std::min(kGrabWidth, wanted.width()) &&
            grab.height() >= std::min(kGrabHeight, wanted.height())) {
            return wanted;
        }
    }
    const QRect& screen = screens.first();
    QRect placed(QPoint(), wanted.size().boundedTo(screen.size()));
    placed.moveCenter(screen.center());
    return placed;
}

void RestoreWindowPlacement(CMainFrame& frame, const SettingsFile& settings) {
    const std::string section = text::kSectionWindow;
    if (const auto g = settings.Numbers(section, text::kValueGeometry, 4)) {
        const QRect wanted((*g)[0], (*g)[1], (*g)[2], (*g)[3]);
        if (wanted.width() >= kMinWindowSide && wanted.height() >= kMinWindowSide &&
            wanted.width() <= kMaxSide && wanted.height() <= kMaxSide) {
            QList<QRect> screens;
            for (const QScreen* screen : QGuiApplication::screens()) {
                screens << screen->availableGeometry();
            }
            frame.setGeometry(PlaceOnScreens(wanted, screens));
        }
    }
    if (settings.Value(section, text::kValueMaximized) == "true") {
        frame.setWindowState(frame.windowState() | Qt::WindowMaximized);
    }
    if (const auto sizes = settings.Numbers(section, text::kValueSplitter, kPaneCount)) {
        const bool usable = std::all_of(sizes->begin(), sizes->end(),
                                        [](int size) { return size > 0 && size <= kMaxSide; });
        if (usable && frame.m_wndSplitter->count() == kPaneCount) {
            frame.m_wndSplitter->setSizes(QList<int>(sizes->begin(), sizes->end()));
        }
    }
    if (const auto style = settings.Value(section, text::kValueViewStyle)) {
        if (const auto mode = ViewModeOf(*style); mode && frame.GetMidView()) {
            frame.GetMidView()->SetViewMode(*mode);
        }
    }
}

void SaveWindowPlacement(const CMainFrame& frame, SettingsFile& settings) {
    const std::string section = text::kSectionWindow;
    // Where it stands when it does not fill the screen, so that it comes back there.
    const bool maximized = frame.isMaximized();
    const QRect normal = maximized ? frame.normalGeometry() : frame.geometry();
    if (normal.isValid()) {
        settings.SetNumbers(section, text::kValueGeometry,
                            {normal.x(), normal.y(), normal.width(), normal.height()});
    }
    settings.SetValue(section, text::kValueMaximized, maximized ? "true" : "false");
    const QList<int> sizes = frame.m_wndSplitter->sizes();
    settings.SetNumbers(section, text::kValueSplitter,
                        std::vector<int>(sizes.begin(), sizes.end()));
    if (const CMidView* view = frame.GetMidView()) {
        const int mode = view->GetViewMode();
        if (mode >= 0 && mode < static_cast<int>(std::size(text::kViewStyleValues))) {
            settings.SetValue(section, text::kValueViewStyle, text::kViewStyleValues[mode]);
        }
    }
}
