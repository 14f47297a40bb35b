// sonoret set-time [HH:MM], set-date [YYYY-MM-DD], set-clock: the recorder's clock, by
// default from the PC's.
#include <ctime>
#include <ostream>

#include "cli/arguments.h"
#include "cli/command.h"
#include "cli/recorder_session.h"
#include "core/base/calendar_time.h"
#include "core/link/recorder_clock.h"
#include "core/res/strings.h"

namespace {

struct ClockTime {
    int hour = 0, minute = 0;
};
struct CalendarDate {
    int year = 2001, month = 1, day = 1;
};

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    LocalCalendarTime(now, &tm);
    return tm;
}

std::optional<ClockTime> ParseTime(const std::string& text) {
    const auto colon = text.find(':');
    if (colon == std::string::npos) return std::nullopt;
    const auto hour = ParseInteger(text.substr(0, colon), 0, 23);
    const auto minute = ParseInteger(text.substr(colon + 1), 0, 59);
    if (!hour || !minute || text.size() - colon - 1 != 2) return std::nullopt;
    return ClockTime{static_cast<int>(*hour), static_cast<int>(*minute)};
}

bool IsLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// A real day the recorder's calendar can hold: from 2001-01-01, 65535 days on at most.
std::optional<CalendarDate> ParseDate(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    const auto year = ParseInteger(text.substr(0, 4), 2001, 2200);
    const auto month = ParseInteger(text.substr(5, 2), 1, 12);
    const auto day = ParseInteger(text.substr(8, 2), 1, 31);
    if (!year || !month || !day) return std::nullopt;
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int days = kDays[*month - 1] + (*month == 2 && IsLeap(static_cast<int>(*year)));
    if (*day > days) return std::nullopt;
    CalendarDate date{static_cast<int>(*year), static_cast<int>(*month), static_cast<int>(*day)};
    if (DateValue(date.year, date.month, date.day) > 0xFFFF) return std::nullopt;
    return date;
}

// What the three commands share: one optional argument, then a session that sets the clock.
class ClockCommand : public Command {
public:
    ClockCommand(const CommandSyntax& syntax, CliContext& context)
        : Command(syntax), m_context(context) {}

    int Run(const ParsedArgs& parsed, std::ostream& out, std::ostream& err) override {
        if (auto error = Prepare(parsed.positional)) return UsageError(*this, err, *error);

        RecorderSession session(m_context, err);
        if (const int status = session.Open()) return status;
        if (const int status = session.ReadDirectory()) return status;
        if (const int status = Set(session)) return status;
        session.End();
        out << Done() << "\n";
        return kExitOk;
    }

protected:
    // Reads the argument (or the PC's clock); the error text when it is not valid.
    virtual std::optional<std::string> Prepare(const std::vector<std::string>& args) = 0;
    virtual int Set(RecorderSession& session) = 0;
    virtual std::string Done() const = 0;

    static int SetTime(RecorderSession& session, const ClockTime& time) {
        const Result set = session.Link().SetTime(time.hour, time.minute);
        // Set Time's message has always lacked the final full stop.
        return set ? kExitOk : session.Failure(set, text::kCommErrorNoStop);
    }
    static int SetDate(RecorderSession& session, const CalendarDate& date) {
        const Result set = session.Link().SetDate(date.year, date.month, date.day);
        return set ? kExitOk : session.Failure(set, text::kCommError);
    }
    static std::string TimeText(const ClockTime& t) {
        char s[16];
        std::snprintf(s, sizeof s, "%02d:%02d", t.hour, t.minute);
        return s;
    }
    static std::string DateText(const CalendarDate& d) {
        char s[16];
        std::snprintf(s, sizeof s, "%04d-%02d-%02d", d.year, d.month, d.day);
        return s;
    }

    CliContext& m_context;
};

const CommandSyntax kSetTimeSyntax{
    .name = "set-time",
    .summary = "set the recorder's clock (default: the PC's local time)",
    .positionals = {{.name = "HH:MM", .optional = true}},
};

class SetTimeCommand : public ClockCommand {
public:
    explicit SetTimeCommand(CliContext& context) : ClockCommand(kSetTimeSyntax, context) {}

private:
    std::optional<std::string> Prepare(const std::vector<std::string>& args) override {
        if (args.empty()) {
            const std::tm now = LocalNow();
            m_time = {now.tm_hour, now.tm_min};
            return std::nullopt;
        }
        const auto time = ParseTime(args[0]);
        if (!time) return "the time must read HH:MM (00:00 to 23:59), not \"" + args[0] + "\"";
        m_time = *time;
        return std::nullopt;
    }
    int Set(RecorderSession& session) override { return SetTime(session, m_time); }
    std::string Done() const override { return "Recorder time set to " + TimeText(m_time) + "."; }

    ClockTime m_time;
};

const CommandSyntax kSetDateSyntax{
    .name = "set-date",
    .summary = "set the recorder's calendar (default: the PC's local date)",
    .positionals = {{.name = "YYYY-MM-DD", .optional = true}},
};

class SetDateCommand : public ClockCommand {
public:
    explicit SetDateCommand(CliContext& context) : ClockCommand(kSetDateSyntax, context) {}

private:
    std::optional<std::string> Prepare(const std::vector<std::string>& args) override {
        if (args.empty()) {
            const std::tm now = LocalNow();
            m_date = {now.tm_year + 1900, now.tm_mon + 1, now.tm_mday};
            return std::nullopt;
        }
        const auto date = ParseDate(args[0]);
        if (!date) {
            return "the date must be a day from 2001-01-01 on, written YYYY-MM-DD, not \"" +
                   args[0] + "\"";
        }
        m_date = *date;
        return std::nullopt;
    }
    int Set(RecorderSession& session) override { return SetDate(session, m_date); }
    std::string Done() const override { return "Recorder date set to " + DateText(m_date) + "."; }

    CalendarDate m_date;
};

const CommandSyntax kSetClockSyntax{
    .name = "set-clock",
    .summary = "set the recorder's date and time from the PC's local clock",
};

class SetClockCommand : public ClockCommand {
public:
    explicit SetClockCommand(CliContext& context) : ClockCommand(kSetClockSyntax, context) {}

private:
    std::optional<std::string> Prepare(const std::vector<std::string>&) override {
        const std::tm now = LocalNow();
        m_date = {now.tm_year + 1900, now.tm_mon + 1, now.tm_mday};
        m_time = {now.tm_hour, now.tm_min};
        return std::nullopt;
    }
    int Set(RecorderSession& session) override {
        if (const int status = SetDate(session, m_date)) return status;
        return SetTime(session, m_time);
    }
    std::string Done() const override {
        return "Recorder clock set to " + DateText(m_date) + " " + TimeText(m_time) + ".";
    }

    CalendarDate m_date;
    ClockTime m_time;
};

}  // namespace

std::unique_ptr<Command> MakeSetTimeCommand(CliContext& context) {
    return std::make_unique<SetTimeCommand>(context);
}
std::unique_ptr<Command> MakeSetDateCommand(CliContext& context) {
    return std::make_unique<SetDateCommand>(context);
}
std::unique_ptr<Command> MakeSetClockCommand(CliContext& context) {
    return std::make_unique<SetClockCommand>(context);
}
