// The serial ports of a Windows machine: the system's list of the COM ports its drivers made,
// HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM (driver object -> "COM3").
#include <windows.h>

#include "core/base/win32_text.h"
#include "core/link/serial_ports.h"

std::vector<SerialPortInfo> ListSerialPorts(const SerialPortRoots&) {
    std::vector<SerialPortInfo> ports;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ,
                        &key) != ERROR_SUCCESS) {
        return ports;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        wchar_t data[256];
        DWORD nameLength = sizeof name / sizeof name[0];
        DWORD dataBytes = sizeof data - sizeof data[0];
        DWORD type = 0;
        const LONG status = ::RegEnumValueW(key, index, name, &nameLength, nullptr, &type,
                                            reinterpret_cast<BYTE*>(data), &dataBytes);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS || type != REG_SZ) continue;
        data[dataBytes / sizeof data[0]] = L'\0';
        SerialPortInfo port;
        port.device = Utf8FromWide(data);
        // "\Device\Serial0", "\Device\ProlificSerial0": the driver's own object name.
        std::string driver = Utf8FromWide(std::wstring_view(name, nameLength));
        const auto slash = driver.find_last_of('\\');
        port.driver = slash == std::string::npos ? driver : driver.substr(slash + 1);
        if (!port.device.empty()) ports.push_back(std::move(port));
    }
    ::RegCloseKey(key);
    SortSerialPorts(ports);
    return ports;
}

// "COM7" and "\\.\COM12" are opened as given: the channel puts the device namespace in front.
std::string ResolveSerialDevice(const std::string& name, const SerialPortRoots&) {
    return name;
}
