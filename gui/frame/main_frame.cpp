// The frame itself: its bars, panes, menus, view styles, the link's owner and the close.
#include "gui/frame/main_frame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <algorithm>

#include "core/files/cqp_doc.h"
#include "core/res/resource_ids.h"
#include "core/res/strings.h"
#include "core/res/text_format.h"
#include "core/settings/settings_file.h"
#include "gui/frame/batch_progress.h"
#include "gui/frame/frame_host.h"
#include "gui/frame/lock_keys.h"
#include "gui/frame/port_pane.h"
#include "gui/frame/progress_window.h"
#include "gui/frame/serial_port_menu.h"
#include "gui/frame/threaded_progress_display.h"
#include "gui/res/menu_builder.h"
#include "gui/res/pictures.h"
#include "gui/views/files/left_view.h"
#include "gui/views/files/mid_view.h"
#include "gui/views/recorder/right_view.h"
#include "gui/widgets/gui_thread_queue.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/wait_cursor.h"

namespace {

// The file list's view modes, numbered as the list control's style bits.
constexpr int kModeLargeIcon = 0;
constexpr int kModeReport = 1;
constexpr int kModeSmallIcon = 2;
constexpr int kModeList = 3;

int ViewModeOfCommand(int id) {
    switch (id) {
        case res::ID_VIEW_LARGEICON:
            return kModeLargeIcon;
        case res::ID_VIEW_DETAILS:
            return kModeReport;
        case res::ID_VIEW_SMALLICON:
            return kModeSmallIcon;
        case res::ID_VIEW_LIST:
            return kModeList;
        default:
            return -1;
    }
}

constexpr int kViewStyleCommands[] = {res::ID_VIEW_SMALLICON, res::ID_VIEW_LARGEICON,
                                      res::ID_VIEW_LIST, res::ID_VIEW_DETAILS};

// How often the command states and the lock keys are looked at, as the framework's idle time.
constexpr int kIdleUpdateMs = 250;
// The window's size on a first start (or when the saved one is no use).
constexpr int kDefaultWidth = 780;
constexpr int kDefaultHeight = 520;
// What the window's frame around the splitter takes of its width.
constexpr int kFrameAllowance = 16;
// How often a cancel is said again until the operation it is meant for has ended.
constexpr int kCancelRepeatMs = 20;

QLabel* AddPane(QStatusBar* bar, const char* name, int id, const QString& text,
                const QString& widest, bool permanent) {
    auto* pane = new QLabel(text, bar);
    pane->setObjectName(QString::fromLatin1(name));
    pane->setProperty("paneId", id);
    pane->setTextFormat(Qt::PlainText);
    if (permanent) {
        pane->setAlignment(Qt::AlignCenter);
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(widest) + 12);
        bar->addPermanentWidget(pane);
    } else {
        bar->addWidget(pane, 1);
    }
    return pane;
}

}  // namespace

CMainFrame::CMainFrame(FrameHost& app, CQPDoc& doc) : m_app(app), m_doc(doc) {
    setObjectName(QStringLiteral("CMainFrame"));
    setWindowTitle(QString::fromLatin1(text::kMainTitle));
    setWindowIcon(res::AppIcon());
    m_clock = [] { return std::time(nullptr); };
    OnCreate();
    OnCreateClient();
    // Wide enough for the panes' first sizes, the recorder's labels whole among them.
    int panes = 0;
    for (int size : m_wndSplitter->sizes()) panes += size + m_wndSplitter->handleWidth();
    resize(std::max(kDefaultWidth, panes + kFrameAllowance), kDefaultHeight);

    m_idleTimer = new QTimer(this);
    connect(m_idleTimer, &QTimer::timeout, this, [this] {
        UpdateCommandUI();
        UpdateLockIndicators();
    });
    m_idleTimer->start(kIdleUpdateMs);
    m_cancelTimer = new QTimer(this);
    m_cancelTimer->setInterval(kCancelRepeatMs);
    connect(m_cancelTimer, &QTimer::timeout, this, [this] {
        if (m_runner.IsRunning()) {
            m_runner.Cancel();
        } else {
            m_cancelTimer->stop();
        }
    });
    UpdateCommandUI();
    UpdateLockIndicators();
}

CMainFrame::~CMainFrame() {
    m_idleTimer->stop();
    m_cancelTimer->stop();
    // The recorder leaves transfer mode before the line closes; an operation still running
    // (the window went without being closed) is cancelled and waited for first, so the two
    // never talk at once.
    m_runner.GiveUp();
    m_link.SetMode(0);
    m_doc.SetMessageSelectionClearer({});
    m_doc.SetMidView(nullptr);
}

// ---- creation -------------------------------------------------------------------------------

QAction* CMainFrame::CommandAction(int commandId, const char* text) {
    auto found = m_actions.find(commandId);
    if (found != m_actions.end()) return found->second;
    QAction* action = res::CreateCommandAction(commandId, res::ResourceText(text), this);
    connect(action, &QAction::triggered, this, [this, commandId] { OnCommand(commandId); });
    m_actions[commandId] = action;
    return action;
}

QAction* CMainFrame::Action(int commandId) const {
    auto found = m_actions.find(commandId);
    return found == m_actions.end() ? nullptr : found->second;
}

void CMainFrame::OnCreate() {
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    CreateAccelerators();
}

void CMainFrame::CreateMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("menu128"));
    auto* ports = new QActionGroup(this);
    ports->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    for (const res::MenuItem& popup : res::MainMenu()) {
        QMenu* menu = bar->addMenu(res::ResourceText(popup.text));
        menu->setObjectName(res::ResourceText(popup.text));
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
        res::FillMenu(menu, popup.children, [this, ports](const res::MenuItem& item) {
            QAction* action = CommandAction(item.id, item.text);
            if (res::PortOfCommand(item.id) != 0) {
                action->setCheckable(true);
                ports->addAction(action);
            }
            return action;
        });
    }
    // The machine's own ports follow COM1 to COM9 in the Port menu.
    QMenu* portMenu = nullptr;
    for (QObject* owner : Action(res::PortCommand(1))->associatedObjects()) {
        if (auto* menu = qobject_cast<QMenu*>(owner)) portMenu = menu;
    }
    m_pSerialPorts = new SerialPortMenu(
        portMenu, ports, [this] { return m_app.PortRoots(); },
        [this](const SerialPortInfo& port) { OnSerialPort(port); });
}

void CMainFrame::CreateToolBar() {
    m_wndToolBar = new QToolBar(QString::fromLatin1(text::kToolBarTitle), this);
    m_wndToolBar->setObjectName(QStringLiteral("ToolBar"));
    m_wndToolBar->setProperty("controlId", res::AFX_IDW_TOOLBAR);
    m_wndToolBar->setIconSize(QSize(res::kToolBarButtonWidth, res::kToolBarButtonHeight));
    m_wndToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    m_wndToolBar->setMovable(true);
    m_wndToolBar->setFloatable(true);

    const QPixmap strip = res::LoadBitmap(res::IDR_MAINFRAME);
    auto* styles = new QActionGroup(this);
    styles->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    int picture = 0;
    for (int id : res::ToolBarButtons()) {
        if (id == 0) {
            m_wndToolBar->addSeparator();
            continue;
        }
        const char* text = nullptr;
        switch (id) {
            case res::ID_VIEW_SMALLICON:
                text = text::kViewSmallIcon;
                break;
            case res::ID_VIEW_LARGEICON:
                text = text::kViewLargeIcon;
                break;
            case res::ID_VIEW_LIST:
                text = text::kViewList;
                break;
            case res::ID_VIEW_DETAILS:
                text = text::kViewReport;
                break;
            default:
                break;
        }
        QAction* action = CommandAction(id, text);
        action->setIcon(QIcon(res::StripPicture(strip, picture++, res::kToolBarButtonWidth)));
        if (ViewModeOfCommand(id) >= 0) {
            action->setCheckable(true);
            styles->addAction(action);
        }
        m_wndToolBar->addAction(action);
    }
    addToolBar(Qt::TopToolBarArea, m_wndToolBar);
}

void CMainFrame::CreateStatusBar() {
    m_wndStatusBar = new QStatusBar(this);
    m_wndStatusBar->setObjectName(QStringLiteral("StatusBar"));
    m_wndStatusBar->setProperty("controlId", res::AFX_IDW_STATUS_BAR);
    setStatusBar(m_wndStatusBar);
    m_wndMessagePane = AddPane(m_wndStatusBar, "messagePane", res::ID_SEPARATOR,
                               QString::fromLatin1(text::kReady), {}, false);
    m_wndPortPane = new PortPane(m_wndStatusBar);
    m_wndPortPane->setProperty("paneId", res::ID_INDICATOR_PORT);
    m_wndStatusBar->addPermanentWidget(m_wndPortPane);
    const QString dateText = QString::fromLatin1(text::kMessageDateTime);
    m_wndDatePane = AddPane(m_wndStatusBar, "messageDatePane", res::ID_INDICATOR_MESSAGE_DATE,
                            dateText, dateText, true);
    m_wndCapsPane = AddPane(m_wndStatusBar, "capsPane", res::ID_INDICATOR_CAPS, {},
                            QString::fromLatin1(text::kIndicatorCaps), true);
    m_wndNumPane = AddPane(m_wndStatusBar, "numPane", res::ID_INDICATOR_NUM, {},
                           QString::fromLatin1(text::kIndicatorNum), true);
    m_wndScrollPane = AddPane(m_wndStatusBar, "scrollPane", res::ID_INDICATOR_SCRL, {},
                              QString::fromLatin1(text::kIndicatorScroll), true);
}

void CMainFrame::CreateAccelerators() {
    for (const res::Accelerator& accelerator : res::Accelerators()) {
        auto* shortcut = new QShortcut(res::AcceleratorKey(accelerator), this);
        shortcut->setObjectName(QStringLiteral("accel_%1").arg(accelerator.id));
        shortcut->setProperty("commandId", accelerator.id);
        shortcut->setContext(Qt::WindowShortcut);
        const int id = accelerator.id;
        connect(shortcut, &QShortcut::activated, this, [this, id] { OnCommand(id); });
    }
}

void CMainFrame::OnCreateClient() {
    m_wndSplitter = new QSplitter(Qt::Horizontal, this);
    m_wndSplitter->setObjectName(QStringLiteral("m_wndSplitter"));
    m_wndSplitter->setProperty("controlId", res::AFX_IDW_PANE_FIRST);
    m_wndSplitter->setChildrenCollapsible(false);

    m_pLeftView = new CLeftView(m_doc, m_app.m_strLeftPath, m_wndSplitter);
    m_pMidView = new CMidView(m_doc, m_wndSplitter);
    m_pRightView = new CRightView(m_wndSplitter);
    m_wndSplitter->addWidget(m_pLeftView);
    m_wndSplitter->addWidget(m_pMidView);
    m_wndSplitter->addWidget(m_pRightView);
    // Initial pane sizes: 200 x 200, 300 x 350, 200 x 200; the recorder's pane as wide as its
    // labels need.
    const int rightWidth = std::max(200, m_pRightView->LabelWidth());
    m_pLeftView->resize(200, 200);
    m_pMidView->resize(300, 350);
    m_pRightView->resize(rightWidth, 200);
    m_wndSplitter->setSizes({200, 300, rightWidth});
    setCentralWidget(m_wndSplitter);

    // The panes' wiring, in one place.
    m_pMidView->SetClosingQuery([this] { return IsClosing() != 0; });
    connect(m_pMidView, &CMidView::viewStyleCommand, this, &CMainFrame::OnCommand);
    m_doc.SetMessageSelectionClearer([view = QPointer<CRightView>(m_pRightView)] {
        if (view) view->ClearMessageSelection();
    });
    connect(m_pRightView, &CRightView::commandIssued, this, &CMainFrame::OnCommand);
    connect(m_pRightView, &CRightView::deleteKeyPressed, this, &CMainFrame::OnDeleteMessage);
    connect(m_pRightView, &CRightView::currentMessageChanged, this, &CMainFrame::ShowMessageDate);
    connect(m_pRightView, &CRightView::messageSelectionChanged, this, &CMainFrame::UpdateCommandUI);

    // The views' initial update.
    m_pLeftView->OnInitialUpdate();
    m_pRightView->OnInitialUpdate();
}

// ---- commands -------------------------------------------------------------------------------

void CMainFrame::OnCommand(int commandId) {
    if (const int port = res::PortOfCommand(commandId)) {
        OnPort(port);
        return;
    }
    switch (commandId) {
        case res::ID_CONNECT:
            OnConnect();
            break;
        case res::ID_PLAY:
        case res::ID_MESSAGE_PLAY:
            OnPlay();
            break;
        case res::ID_SAVE_TO_WAV:
        case res::ID_MESSAGE_SAVE_TO_WAV:
            OnSaveToWav();
            break;
        case res::ID_DOWNLOAD_ALL_NEW:
            OnDownloadAllNew();
            break;
        case res::ID_MESSAGE_DELETE:
            OnDeleteMessage();
            break;
        case res::ID_SET_TIME:
            OnSetTime();
            break;
        case res::ID_SET_DATE:
            OnSetDate();
            break;
        case res::ID_REFRESH:
            OnRefresh();
            break;
        case res::ID_VIEW_SMALLICON:
        case res::ID_VIEW_LARGEICON:
        case res::ID_VIEW_LIST:
        case res::ID_VIEW_DETAILS:
            OnViewStyle(commandId);
            break;
        case res::ID_APP_ABOUT:
            OnAppAbout();
            break;
        case res::ID_APP_EXIT:
            close();
            break;
        default:
            break;
    }
    UpdateCommandUI();
}

bool CMainFrame::IsRecorderBusy() const {
    return m_nCommandDepth > 0 || m_runner.IsRunning() || m_link.IsBusy();
}

bool CMainFrame::RefuseWhileBusy() {
    if (!IsRecorderBusy()) return false;
    QApplication::beep();
    return true;
}

void CMainFrame::OnViewStyle(int commandId) {
    CMidView* view = GetMidView();
    const int mode = ViewModeOfCommand(commandId);
    if (!view || mode < 0) return;
    view->SetViewMode(mode);
}

void CMainFrame::OnAppAbout() {
    m_app.OnAppAbout();
}

void CMainFrame::UpdateCommandUI() {
    const bool busy = IsRecorderBusy();
    for (int port = 1; port <= kHighestMenuPort; ++port) {
        if (QAction* action = Action(res::PortCommand(port))) {
            action->setEnabled(!busy);
            action->setChecked(m_app.m_strDevice.empty() && m_app.m_nPort == port);
        }
    }
    m_pSerialPorts->Update(m_app.m_strDevice, !busy);
    for (int id : {res::ID_CONNECT, res::ID_DOWNLOAD_ALL_NEW, res::ID_SET_TIME, res::ID_SET_DATE}) {
        if (QAction* action = Action(id)) action->setEnabled(!busy);
    }
    const bool messageSelected = m_pRightView && m_pRightView->m_bMessageSelected != 0;
    for (int id : {res::ID_PLAY, res::ID_SAVE_TO_WAV}) {
        if (QAction* action = Action(id)) action->setEnabled(messageSelected && !busy);
    }
    CMidView* view = GetMidView();
    for (int id : kViewStyleCommands) {
        if (QAction* action = Action(id)) {
            action->setEnabled(view != nullptr);
            action->setChecked(view && view->GetViewMode() == ViewModeOfCommand(id));
        }
    }
    // The recorder tree's own menu has no states of its own, but nothing may reach the
    // recorder while it is busy.
    if (m_pRightView && m_pRightView->ContextMenu()) {
        for (QAction* action : m_pRightView->ContextMenu()->actions()) action->setEnabled(!busy);
    }
}

void CMainFrame::UpdateLockIndicators() {
    const LockKeyState keys = QueryLockKeys();
    auto show = [](QLabel* pane, const std::optional<bool>& on, const char* text) {
        const QString wanted = on.value_or(false) ? QString::fromLatin1(text) : QString();
        if (pane->text() != wanted) pane->setText(wanted);
    };
    show(m_wndCapsPane, keys.caps, text::kIndicatorCaps);
    show(m_wndNumPane, keys.num, text::kIndicatorNum);
    show(m_wndScrollPane, keys.scroll, text::kIndicatorScroll);
}

// ---- the link's owner -----------------------------------------------------------------------

ProgressFactory CMainFrame::Progress() {
    return [this, observer = m_progressObserver](const std::string& caption) {
        return std::make_unique<ThreadedProgressDisplay>(this, QString::fromStdString(caption),
                                                         observer);
    };
}

void CMainFrame::RunOnOwnerThread(std::function<void()> task) {
    GuiThreadQueue::Post(this, std::move(task));
}

TaskPoster CMainFrame::Poster() {
    return [this](std::function<void()> task) { RunOnOwnerThread(std::move(task)); };
}

// ---- working folder -------------------------------------------------------------------------

void CMainFrame::PrepareWorkingFolder() {
    StoreWorkingFolder();
    if (!m_workingFolder.Path().empty()) {
        m_bNoFolderReported = false;
        return;
    }
    // Said once, not again at every change of port; the commands that need it say it again.
    if (m_bNoFolderReported) return;
    m_bNoFolderReported = true;
    MessageBox::Show(this, text::Format(text::kNoWorkingFolder, m_workingFolder.Problem()), {},
                     MessageBox::Stop);
}

void CMainFrame::StoreWorkingFolder() {
    m_workingFolder.Prepare(m_app.WorkingFolderPlaces());
    m_app.m_strSourcePath = m_workingFolder.Path();
}

bool CMainFrame::RequireWorkingFolder() {
    StoreWorkingFolder();
    if (!m_workingFolder.Path().empty()) return true;
    MessageBox::Show(this, text::Format(text::kNoWorkingFolder, m_workingFolder.Problem()), {},
                     MessageBox::Stop);
    return false;
}

void CMainFrame::RemoveWorkingFolder() {
    m_workingFolder.Remove();
}

// ---- close ----------------------------------------------------------------------------------

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (m_nCommandDepth > 0 || m_runner.IsRunning()) {
        // A command is under way (or asks its question): stop it, and close once it is over.
        if (m_runner.IsRunning()) RequestCancel();
        m_bCloseWhenIdle = true;
        event->ignore();
        return;
    }
    m_bClosing = 1;
    m_pendingMessage.reset();
    RemoveWorkingFolder();
    event->accept();
}

void CMainFrame::CloseWhenIdle() {
    QTimer::singleShot(0, this, [this] {
        if (!m_bCloseWhenIdle || IsRecorderBusy()) return;
        m_bCloseWhenIdle = false;
        close();
    });
}

void CMainFrame::RequestCancel() {
    // A batch stops between its messages too, where the link has nothing to cancel.
    if (m_pBatch) m_pBatch->Cancel();
    m_runner.Cancel();
    m_cancelTimer->start();
}

QStringList CMainFrame::NameFilters(const char* resourceFilter) {
    // "description | pattern | description | pattern ||": Qt reads the patterns from the
    // brackets at the end of each description.
    const QStringList parts = QString::fromLatin1(resourceFilter).split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString pattern = parts[i + 1].trimmed();
        if (description.isEmpty() && pattern.isEmpty()) break;
        const bool patternShown =
            description.endsWith(QLatin1Char(')')) && description.contains(pattern);
        filters << (patternShown ? description
                                 : QStringLiteral("%1 (%2)").arg(description, pattern));
    }
    return filters;
}
