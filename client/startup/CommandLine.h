#pragma once
#include "Session.h"

#include <QStringList>

// Reads the client's command line (the arguments after the program's path)
// into a switches record. Each argument is upper-cased (a..z only) and must
// equal a switch as a whole, except "/USER:" and "/PASS:", which take the
// rest of the argument as their value, cut to 30 characters; a later value
// replaces an earlier one. Unknown arguments are ignored.
TStartupSwitches ParseCommandLine(const QStringList& arguments);

// The longest value "/USER:" and "/PASS:" keep.
inline constexpr int MaxSwitchValue = 30;
