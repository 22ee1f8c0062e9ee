#pragma once
// The pure parts of the diagnostic log: time texts and line building, kept apart from the file
// and console output so the two line formats can be checked without a clock.

#include <boost/date_time/posix_time/ptime.hpp>

#include <cstddef>
#include <ctime>
#include <string>

/// Longest message or line the log writes; anything longer is dropped whole, never cut.
constexpr std::size_t kLogLineMax = 1023;

/// "HH:MM:SS" plus ".ffffff" when the microseconds are not zero: the part after the "T" of the
/// extended ISO text of `time`.
std::string MicroTimeText(const boost::posix_time::ptime& time);

/// WriteLog's line: "%s*[%02d::%02d:%02d:%02d]\r\n" from the message and the day of the month,
/// hour, minute and second of `localTime`. Returns the line, or an empty string when it would be
/// empty or longer than kLogLineMax.
std::string FormatDayTimeLine(const char* pszMessage, const std::tm& localTime);

/// WriteTimeLog's line: "[--%s--]*%s\r\n" from the time text and the message; same limits.
std::string FormatMicroTimeLine(const char* pszMessage, const std::string& strTimeText);
