// The commands of `sonoret`, in the order `sonoret --help` lists them. Adding a command is a
// file of its own defining `std::unique_ptr<Command> Make<Name>Command(CliContext&)` (its name
// is in its CommandSyntax) and one line here. No include guard: command_table.cpp includes this
// twice.
SONORET_COMMAND(MakeListCommand)
SONORET_COMMAND(MakeFetchCommand)
SONORET_COMMAND(MakeExportCommand)
SONORET_COMMAND(MakeSyncCommand)
SONORET_COMMAND(MakeDeleteCommand)
SONORET_COMMAND(MakeSetTimeCommand)
SONORET_COMMAND(MakeSetDateCommand)
SONORET_COMMAND(MakeSetClockCommand)
SONORET_COMMAND(MakeConvertCommand)
SONORET_COMMAND(MakeSimulateCommand)
SONORET_COMMAND(MakePortsCommand)
