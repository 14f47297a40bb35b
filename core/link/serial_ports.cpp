#include "core/link/serial_ports.h"

#include <algorithm>
#include <cctype>
#include <tuple>

namespace {

std::string BaseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Built-in ports last: a USB adapter is what a user plugs in for the recorder.
int Rank(const SerialPortInfo& port, const std::string& name) {
    if (port.IsUsb()) return 0;
    return name.rfind("ttyS", 0) == 0 ? 2 : 1;
}

// "ttyUSB10" -> ("ttyUSB", 10), so that ttyUSB2 comes before ttyUSB10.
std::tuple<int, std::string, long, std::string> SortKey(const SerialPortInfo& port) {
    const std::string name = BaseName(port.device);
    std::size_t digits = name.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1]))) --digits;
    long number = -1;
    if (digits < name.size() && name.size() - digits < 9) number = std::stol(name.substr(digits));
    return {Rank(port, name), name.substr(0, digits), number, name};
}

}  // namespace

std::string SerialPortName(const SerialPortInfo& port) {
    std::string name = !port.product.empty() ? port.product : port.driver;
    if (name.empty()) name = BaseName(port.device);
    if (port.IsUsb()) name += " (" + port.vendorId + ":" + port.productId + ")";
    return name;
}

void SortSerialPorts(std::vector<SerialPortInfo>& ports) {
    std::stable_sort(
        ports.begin(), ports.end(),
        [](const SerialPortInfo& a, const SerialPortInfo& b) { return SortKey(a) < SortKey(b); });
}
