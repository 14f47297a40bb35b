// sonoret ports [--json]: the serial ports of this machine, to find the recorder's adapter.
#include <algorithm>
#include <ostream>

#include "cli/arguments.h"
#include "cli/command.h"
#include "cli/json_text.h"
#include "core/link/serial_ports.h"
#include "core/res/strings.h"

namespace {

const CommandSyntax kPortsSyntax{
    .name = "ports",
    .summary = "list the serial ports of this machine",
    .options = {{.names = {"--json"},
                 .help = "print one JSON object instead: per port its device, by-id path,\n"
                         "name, driver, and for USB adapters vendor, product, serial\n"
                         "number and vendor and product ids (null where unknown)."}},
    .description =
        "Prints one line per port: its device, its name (the adapter's product, or the\n"
        "driver, with the USB vendor:product ids) and the name under /dev/serial/by-id\n"
        "that stays when the adapter is plugged into another socket:\n\n"
        "  /dev/ttyUSB0  USB-Serial Controller (067b:2303)  /dev/serial/by-id/usb-...\n\n"
        "USB adapters come first; built-in ports only where their driver found a UART.\n"
        "Either name can be given to --device, also without /dev/ or /dev/serial/by-id/.",
};

// "null" for what the port does not tell.
std::string JsonValue(const std::string& s) {
    return s.empty() ? "null" : JsonString(s);
}

class PortsCommand : public Command {
public:
    explicit PortsCommand(CliContext& context) : Command(kPortsSyntax), m_context(context) {}

    int Run(const ParsedArgs& parsed, std::ostream& out, std::ostream& err) override {
        const auto ports = ListSerialPorts(m_context.portRoots);
        if (parsed.Has("--json")) {
            PrintJson(ports, out);
        } else {
            PrintText(ports, out);
        }
        out.flush();
        return out ? kExitOk : kExitOutput;
    }

private:
    // Columns two spaces apart, each as wide as its widest entry.
    static void PrintText(const std::vector<SerialPortInfo>& ports, std::ostream& out) {
        if (ports.empty()) {
            out << text::kCliNoSerialPorts << "\n";
            return;
        }
        std::size_t deviceWidth = 0;
        std::size_t nameWidth = 0;
        for (const auto& port : ports) {
            deviceWidth = std::max(deviceWidth, port.device.size());
            nameWidth = std::max(nameWidth, SerialPortName(port).size());
        }
        for (const auto& port : ports) {
            const std::string name = SerialPortName(port);
            out << port.device << std::string(deviceWidth - port.device.size() + 2, ' ') << name;
            if (!port.byIdPath.empty()) {
                out << std::string(nameWidth - name.size() + 2, ' ') << port.byIdPath;
            }
            out << "\n";
        }
    }

    static void PrintJson(const std::vector<SerialPortInfo>& ports, std::ostream& out) {
        out << "{\"ports\":[";
        for (std::size_t i = 0; i < ports.size(); ++i) {
            const SerialPortInfo& port = ports[i];
            if (i) out << ",";
            out << "{\"device\":" << JsonString(port.device)
                << ",\"byId\":" << JsonValue(port.byIdPath)
                << ",\"name\":" << JsonString(SerialPortName(port))
                << ",\"driver\":" << JsonValue(port.driver)
                << ",\"vendor\":" << JsonValue(port.vendor)
                << ",\"product\":" << JsonValue(port.product)
                << ",\"serialNumber\":" << JsonValue(port.serialNumber)
                << ",\"vendorId\":" << JsonValue(port.vendorId)
                << ",\"productId\":" << JsonValue(port.productId) << "}";
        }
        out << "]}\n";
    }

    CliContext& m_context;
};

}  // namespace

std::unique_ptr<Command> MakePortsCommand(CliContext& context) {
    return std::make_unique<PortsCommand>(context);
}
