#pragma once
#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "core/link/serial_ports.h"

class QAction;
class QActionGroup;
class QMenu;

// The port of ports that a name kept in the settings means: its by-id path, its device, or a
// bare name or link leading to either. nullptr when none is it (pulled out, or never there).
const SerialPortInfo* FindSerialPort(const std::vector<SerialPortInfo>& ports,
                                     const std::string& chosen, const SerialPortRoots& roots);

// What the settings keep of a port chosen by name: its by-id path, which stays when the adapter
// moves to another socket, else its device.
std::string ChosenDeviceOf(const SerialPortInfo& port);

// The ports this machine has, in the Port menu after COM1 to COM9: a separator, then one item
// per port, its name with its device, listed afresh each time the menu opens. The items share
// the radio group of the COM items.
class SerialPortMenu : public QObject {
    Q_OBJECT
public:
    using Chooser = std::function<void(const SerialPortInfo&)>;

    // roots tells where to list the ports each time; choose runs when the user picks one.
    SerialPortMenu(QMenu* menu, QActionGroup* group, std::function<SerialPortRoots()> roots,
                   Chooser choose);

    // Lists the ports again and makes their items, marked as the last Update said.
    void Refresh();
    // The radio mark on the item of the chosen device (none for an empty one or one not
    // listed); the items are enabled exactly when the COM items are.
    void Update(const std::string& chosen, bool enabled);

    const std::vector<SerialPortInfo>& Ports() const { return m_ports; }
    // One item per port, in the order of Ports().
    const std::vector<QAction*>& Items() const { return m_items; }

private:
    QMenu* m_menu;
    QActionGroup* m_group;
    std::function<SerialPortRoots()> m_roots;
    Chooser m_choose;

    std::vector<SerialPortInfo> m_ports;
    std::vector<QAction*> m_items;
    QAction* m_separator = nullptr;
    std::string m_chosen;
    bool m_enabled = true;
};
