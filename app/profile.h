#pragma once
#include <QSettings>

#include "res/strings.h"

// The application profile: every setting of the program lives here (on Windows the registry key
// Software\QP2400\QP2400, on Linux ~/.config/QP2400/QP2400.conf).
class Profile : public QSettings {
public:
    Profile()
        : QSettings(QString::fromLatin1(text::kProfileOrganisation),
                    QString::fromLatin1(text::kProfileApplication)) {}
};
