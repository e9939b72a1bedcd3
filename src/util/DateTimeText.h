// Date and time texts. The current date and time use the installer's own
// English tables, whatever the locale; a file's date and time follow the
// user's Windows locale.
#pragma once

#include <string>

#include "platform/FileSystem.h"
#include "platform/Platform.h"

namespace mivox {

// "Jan  5, 2001": month, day right-aligned in two places, year.
std::string DateText(const Clock& clock);
// "Thr 12:30 am": weekday, hour of the 12-hour clock in two places, minutes.
std::string TimeText(const Clock& clock);
// Both, two blanks apart, from one reading of the clock: read twice, the
// date and the weekday could belong to different days around midnight.
std::string DateTimeText(const Clock& clock);

// The texts of one time record, for callers that hold the time already.
std::string DateText(const SystemTime& time);
std::string TimeText(const SystemTime& time);

// The parts of a packed file date-time.
SystemTime UnpackDateTime(PackedDateTime packed);

// "Jan/05/2001" with the locale's short month name and date separator; "?"
// and a "FileNotFound" warning when the file is missing.
std::string FileDateText(Platform& platform, const std::string& path);
// "03:04:05pm" with the locale's time separator; "?" and a "FileNotFound"
// warning when the file is missing.
std::string FileTimeText(Platform& platform, const std::string& path);

}  // namespace mivox
