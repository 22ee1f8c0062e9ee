#pragma once
// Where the program keeps the files it writes at every start.

#include <QString>

/// The user's data directory: $XDG_DATA_HOME, else ~/.local/share; empty when neither is known.
/// Used unchanged: no separator is added or removed.
QString SharedDataRoot();
