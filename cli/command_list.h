// The commands of `sonoret`, in the order `sonoret --help` lists them. Adding a command is a
// file of its own defining `std::unique_ptr<Command> Make<Name>Command(CliContext&)` and one
// line here. No include guard: command_table.cpp includes this twice.
SONORET_COMMAND("list", MakeListCommand)
SONORET_COMMAND("fetch", MakeFetchCommand)
SONORET_COMMAND("export", MakeExportCommand)
SONORET_COMMAND("delete", MakeDeleteCommand)
SONORET_COMMAND("set-time", MakeSetTimeCommand)
SONORET_COMMAND("set-date", MakeSetDateCommand)
SONORET_COMMAND("set-clock", MakeSetClockCommand)
SONORET_COMMAND("convert", MakeConvertCommand)
SONORET_COMMAND("simulate", MakeSimulateCommand)
