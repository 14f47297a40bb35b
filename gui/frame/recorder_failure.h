#pragma once
#include <string>

#include "core/base/result.h"

class QWidget;

// The recorder commands whose failures the window reports, each in its own words.
// Sync: Download All New before it reached the recorder (its folder's record or lock).
enum class RecorderCommand { OpenPort, Connect, Download, Convert, Delete, SetTime, SetDate, Sync };

// The one place where the window turns how a recorder command ended into a message box: the
// text by the command and the category (Set Time's text has always lacked the final full
// stop; a message file that could not be written is no cable fault). Empty when nothing is
// to be said: the command went well, or the user cancelled it.
std::string RecorderFailureText(RecorderCommand command, const Result& result);

// Shows that text, if any, in a box owned by parent; true when one was shown.
bool ShowRecorderFailure(QWidget* parent, RecorderCommand command, const Result& result);
