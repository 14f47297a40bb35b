#pragma once
#include <iosfwd>
#include <string>
#include <utility>

// How an operation ended: a category that callers act on (the command line turns it into its
// exit status, the window into its message box) and the detail to show with it, in the user's
// words: the device and the system's reason, the file and the system's reason, the block that
// did not come. Callers never look into the detail to decide anything.
class Result {
public:
    enum class Category {
        Ok,
        LineSilent,        // no reply within the wait, or the line itself failed
        ReplyWrong,        // a reply came short, with a wrong echo or a bad marker
        Cancelled,         // the user (or a signal) stopped it
        PortNotOpened,     // the serial port could not be opened
        NotConnected,      // no port is open
        Busy,              // another exchange with the recorder is under way
        FileNotWritten,    // an output file could not be created or written
        FileNotRead,       // an input file could not be opened or read
        DecoderMissing,    // the voice decoder library or one of its entries is missing
        ConversionFailed,  // the message cannot be converted (it would not fit a WAV file)
        BadRequest,        // a folder or message that does not exist, no working folder
    };

    Result() = default;
    Result(Category category, std::string detail)
        : m_category(category), m_detail(std::move(detail)) {}
    static Result Ok() { return {}; }

    bool IsOk() const { return m_category == Category::Ok; }
    explicit operator bool() const { return IsOk(); }
    bool Is(Category category) const { return m_category == category; }
    Category GetCategory() const { return m_category; }
    // What to show beside the operation's own message; may be empty.
    const std::string& Detail() const { return m_detail; }

private:
    Category m_category = Category::Ok;
    std::string m_detail;
};

// "LineSilent", "FileNotWritten", ...: for logs and the messages of failed tests.
const char* CategoryName(Result::Category category);
std::ostream& operator<<(std::ostream& out, Result::Category category);
// "FileNotWritten (/tmp/x.wav: No space left on device)"
std::ostream& operator<<(std::ostream& out, const Result& result);
