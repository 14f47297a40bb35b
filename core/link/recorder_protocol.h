#pragma once
#include <cstdint>

#include "core/base/result.h"
#include "core/link/message_directory.h"
#include "core/link/serial_channel.h"

// One conversation with the recorder over a serial channel: every request frame, its pause
// and the check of its reply. Frames are four bytes, AA <command> <p1> <p2>; every reply starts
// with a four-byte status frame. It keeps no state of the recorder's: the link does.
//
// Every request first needs the port open (NotConnected, nothing sent, when it is not). A
// reply counts only when it came whole: a part of one is ReplyWrong, none at all LineSilent.
class RecorderProtocol {
public:
    static constexpr int kCommandPauseMs = 200;  // after a header, delete or set-time request
    static constexpr int kStatusSize = 4;
    static constexpr int kCancelFillerSize = 256;

    explicit RecorderProtocol(SerialChannel& channel) : m_channel(channel) {}

    // AA AA AA 55. Any answer, even part of one, tells the recorder variant: 1 when its byte 2
    // is 0x01, else 2 (bytes that did not come count as 0x80). *mode is left alone when nothing
    // came. Ok whenever the port is open, answered or not.
    Result ModeOn(int* mode);
    // AA AA 00 FF; Ok whenever the port is open. The reply is ignored, and not waited for at all
    // after an exchange that got no answer (a line that did not answer then will not answer now).
    Result ModeOff();
    // AA BD 00 00: status (echo BD), then the 528-byte directory block.
    Result ReadDirectory(DirectoryBlock* block);
    // AA B1 f m, 200 ms, status (not examined), then the 32-byte header block.
    Result FetchHeader(int folder, int message, MessageHeader* header);
    // AA BE f m, 200 ms, status: any four bytes confirm it.
    Result DeleteMessage(int folder, int message);
    // AA C1 lo hi of the time value, 200 ms, status (echo C1).
    Result SetTime(int timeValue);
    // AA C2 lo hi of the date value, status (echo C2).
    Result SetDate(int dateValue);

    // AA BF f m and its status frame, whose bytes 2 and 3 give *blocks. A status that came in
    // part (ReplyWrong) or was cut short by a cancel may mean the recorder started sending:
    // the caller stops it with SendCancelFiller.
    Result RequestTransfer(int folder, int message, int* blocks);
    // One 528-byte data block; *received tells how much of it came.
    Result ReceiveBlock(std::uint8_t* block, int* received);
    // 256 zero bytes, which stop a transfer.
    Result SendCancelFiller();

private:
    Result SendFrame(std::uint8_t command, std::uint8_t p1, std::uint8_t p2);
    // The status frame, with byte 1 checked against echo unless echo is 0.
    Result ReceiveStatus(std::uint8_t echo, std::uint8_t* status = nullptr);

    SerialChannel& m_channel;
};
