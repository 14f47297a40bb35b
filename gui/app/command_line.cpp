#include "gui/app/command_line.h"

#include <QCommandLineParser>
#include <QStringList>
#include <cstdio>

#include "core/res/strings.h"
#include "sonoret_version.h"

bool ParseCommandLine(int argc, char** argv, StartOptions& options, int* exitCode) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("%1: the desktop manager of the QP2400 voice recorder.\n"
                       "Without options it opens the serial port saved in the settings.")
            .arg(QString::fromLatin1(text::kMainTitle)));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QStringLiteral("Run on the built-in recorder emulator, which stands behind the "
                       "configured port."));
    const QCommandLineOption mode(
        QStringLiteral("mode"),
        QStringLiteral("With --simulate: the emulated recorder's variant, 1 or 2 (default 2)."),
        QStringLiteral("1|2"));
    const QCommandLineOption device(
        QStringLiteral("device"),
        QStringLiteral("Use the serial device PATH for the configured port."),
        QStringLiteral("PATH"));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(simulate);
    parser.addOption(mode);
    parser.addOption(device);

    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "sonoret-manager: %s\nTry 'sonoret-manager --help'.\n",
                     qPrintable(parser.errorText()));
        *exitCode = 2;
        return false;
    }
    if (parser.isSet(help)) {
        // The parser names the program by however it was started; the usage line says
        // sonoret-manager.
        QString usage = parser.helpText();
        const QString prefix = QStringLiteral("Usage: ");
        if (usage.startsWith(prefix)) {
            const auto end = usage.indexOf(QLatin1Char(' '), prefix.size());
            usage.replace(prefix.size(), end - prefix.size(), QStringLiteral("sonoret-manager"));
        }
        std::fputs(qPrintable(usage), stdout);
        *exitCode = 0;
        return false;
    }
    if (parser.isSet(version)) {
        std::printf("sonoret-manager %s\n", kSonoretVersion);
        *exitCode = 0;
        return false;
    }
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "sonoret-manager: unexpected argument '%s'\n",
                     qPrintable(parser.positionalArguments().first()));
        *exitCode = 2;
        return false;
    }
    if (parser.isSet(simulate) && parser.isSet(device)) {
        std::fprintf(stderr, "sonoret-manager: --simulate and --device exclude each other\n");
        *exitCode = 2;
        return false;
    }
    options.simulate = parser.isSet(simulate);
    options.devicePath = parser.value(device).toStdString();
    if (parser.isSet(device) && options.devicePath.empty()) {
        std::fprintf(stderr, "sonoret-manager: --device needs a path\n");
        *exitCode = 2;
        return false;
    }
    if (parser.isSet(mode)) {
        const QString value = parser.value(mode);
        if (!options.simulate || (value != QLatin1String("1") && value != QLatin1String("2"))) {
            std::fprintf(stderr, "sonoret-manager: --mode takes 1 or 2, with --simulate\n");
            *exitCode = 2;
            return false;
        }
        options.emulatorMode = value.toInt();
    }
    return true;
}
