#pragma once
// The one test an address passes before anything is opened or run for it.

#include <QString>

/// True only for exactly four decimal octets 0-255 joined by dots: digits only, no sign, blank or trailing
/// text, and no leading zero except in "0" itself.
bool IsDottedIPv4(const QString& strAddress);
