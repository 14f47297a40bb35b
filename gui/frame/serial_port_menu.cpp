#include "gui/frame/serial_port_menu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <filesystem>
#include <system_error>

namespace {

// The file a path leads to in the end, links followed; empty when it leads nowhere.
std::string Target(const std::string& path) {
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(path, error);
    return error ? std::string() : target.string();
}

}  // namespace

const SerialPortInfo* FindSerialPort(const std::vector<SerialPortInfo>& ports,
                                     const std::string& chosen, const SerialPortRoots& roots) {
    if (chosen.empty()) return nullptr;
    const std::string device = ResolveSerialDevice(chosen, roots);
    for (const SerialPortInfo& port : ports) {
        if (device == port.device || (!port.byIdPath.empty() && device == port.byIdPath)) {
            return &port;
        }
    }
    // Another link to one of them (a by-id link udev renamed, a link of the user's own).
    const std::string target = Target(device);
    if (target.empty()) return nullptr;
    for (const SerialPortInfo& port : ports) {
        if (Target(port.device) == target) return &port;
    }
    return nullptr;
}

std::string ChosenDeviceOf(const SerialPortInfo& port) {
    return port.byIdPath.empty() ? port.device : port.byIdPath;
}

SerialPortMenu::SerialPortMenu(QMenu* menu, QActionGroup* group,
                               std::function<SerialPortRoots()> roots, Chooser choose)
    : QObject(menu),
      m_menu(menu),
      m_group(group),
      m_roots(std::move(roots)),
      m_choose(std::move(choose)) {
    connect(m_menu, &QMenu::aboutToShow, this, &SerialPortMenu::Refresh);
}

void SerialPortMenu::Refresh() {
    for (QAction* item : m_items) {
        m_group->removeAction(item);
        delete item;
    }
    m_items.clear();
    delete m_separator;
    m_separator = nullptr;

    const SerialPortRoots roots = m_roots();
    m_ports = ListSerialPorts(roots);
    if (m_ports.empty()) return;
    m_separator = m_menu->addSeparator();
    for (std::size_t i = 0; i < m_ports.size(); ++i) {
        const SerialPortInfo& port = m_ports[i];
        // The device in the shortcut's column, as the COM items have theirs in their names.
        QString name = QString::fromStdString(SerialPortName(port));
        name.replace(QLatin1Char('&'), QStringLiteral("&&"));
        auto* item =
            new QAction(name + QLatin1Char('\t') + QString::fromStdString(port.device), m_menu);
        item->setObjectName(QStringLiteral("serialPort"));
        item->setData(QString::fromStdString(port.device));
        item->setToolTip(QString::fromStdString(ChosenDeviceOf(port)));
        item->setStatusTip(item->toolTip());
        item->setCheckable(true);
        m_group->addAction(item);
        m_menu->addAction(item);
        connect(item, &QAction::triggered, this, [this, port] { m_choose(port); });
        m_items.push_back(item);
    }
    Update(m_chosen, m_enabled);
}

void SerialPortMenu::Update(const std::string& chosen, bool enabled) {
    m_chosen = chosen;
    m_enabled = enabled;
    if (m_items.empty()) return;
    const SerialPortInfo* marked = FindSerialPort(m_ports, chosen, m_roots());
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        m_items[i]->setEnabled(enabled);
        m_items[i]->setChecked(marked == &m_ports[i]);
    }
}
