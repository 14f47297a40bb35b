#pragma once
#include <QSettings>
#include <QString>
#include <string>

// The application profile: every setting of the program lives here (on Windows the registry key
// Software\QP2400\QP2400, on Linux ~/.config/QP2400/QP2400.conf, the one file the command line
// reads too).
class Profile : public QSettings {
public:
    Profile();

    // Looks at the profile's file before anything reads it (start-up calls it first). When it
    // cannot be a settings file, every Profile of this run keeps its settings in a
    // file of this run's own instead, starting from the defaults, so the wrong file is neither
    // read nor written; the text returned tells the user which file and why. Empty when all is
    // well (the profile is then the user's own again).
    static std::string CheckFiles();
    // The file the user's settings are kept in, for the texts that name it.
    static QString UserFile();
};
