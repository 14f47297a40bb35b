#pragma once
#include <string>

#include "core/base/unique_fd.h"

namespace emu {

// The recorder's end of the line: a pseudo-terminal whose slave side the program opens as if it
// were a serial port.
//
// We keep a descriptor of the slave side open ourselves for as long as we serve. Without it
// the master reports a hang-up (reads fail with EIO, poll says POLLHUP without end) every time
// the program closes the device, and the device number could be handed to another terminal
// once the master goes. A real port also forgets the exclusive mode (TIOCEXCL) the program set
// when the program closes it, while a pseudo-terminal keeps it as long as any side is open; so
// we watch the device for closes and lift that mode again.
class PseudoTerminal {
public:
    bool Open(std::string* error);
    const std::string& SlavePath() const { return m_path; }
    int Master() const { return m_master.Get(); }
    // Readable when someone closed the device; -1 where that cannot be watched.
    int Watch() const { return m_watch.Get(); }
    void OnWatchReadable();
    // Bytes we wrote that the program has not read yet (0 where that cannot be told).
    int UnreadByProgram() const;
    // The recorder goes away: the program's descriptor hangs up and the device node is gone,
    // so opening the path fails. The number stays taken until Close.
    void Vanish();
    void Close();

private:
    UniqueFd m_master;
    UniqueFd m_heldSlave;
    UniqueFd m_watch;
    std::string m_path;
};

}  // namespace emu
