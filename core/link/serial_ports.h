#pragma once
#include <string>
#include <vector>

// Where the system shows its serial ports: the kernel's device tree and the device folder. The
// programs look at the real ones; tests hand a tree of their own.
struct SerialPortRoots {
    std::string sys = "/sys";
    std::string dev = "/dev";
};

// One serial port of this machine, as the system describes it.
struct SerialPortInfo {
    // "/dev/ttyUSB0": what is opened.
    std::string device;
    // "/dev/serial/by-id/usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0": a name
    // that stays when the adapter moves to another socket; empty where the system gives none.
    std::string byIdPath;
    // The kernel driver behind it: "pl2303", "cdc_acm", "serial8250".
    std::string driver;
    // What a USB adapter says of itself; empty for other ports.
    std::string vendor;   // its manufacturer, "Prolific Technology Inc."
    std::string product;  // "USB-Serial Controller"
    std::string serialNumber;
    std::string vendorId;   // "067b"
    std::string productId;  // "2303"

    bool IsUsb() const { return !vendorId.empty() || !productId.empty(); }
};

// The serial ports of this machine that can be opened: every port with a device node, built-in
// ports (ttyS*) only where their driver found a UART behind them, as the kernel also lists
// the unused ports of its serial driver. USB adapters come first, then other ports, then the
// built-in ones by number. Empty where the system does not describe its ports this way.
std::vector<SerialPortInfo> ListSerialPorts(const SerialPortRoots& roots = {});

// The port as the user knows it: "USB-Serial Controller (067b:2303)"; the driver where the
// port names no product, the device's own name where it names not even that.
std::string SerialPortName(const SerialPortInfo& port);

// The device a name given by the user means. A path (anything with a '/') is used as given; a
// bare name is a device in the device folder ("ttyUSB0": /dev/ttyUSB0), or a link in its
// serial/by-id folder ("usb-Prolific...-port0"), the first that is there; where neither is,
// the device folder's, so that the open names what it looked for.
std::string ResolveSerialDevice(const std::string& name, const SerialPortRoots& roots = {});

// Sorts ports as ListSerialPorts gives them.
void SortSerialPorts(std::vector<SerialPortInfo>& ports);
