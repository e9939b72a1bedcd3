#include "util/DateTimeText.h"

#include "util/Messages.h"
#include "util/TextUtil.h"

namespace mivox {

namespace {

constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
// Thursday is "Thr" in the texts the uninstaller and the maker expect.
constexpr const char* kWeekdays[7] = {"Sun", "Mon", "Tue", "Wed", "Thr", "Fri", "Sat"};

int Hour12(int hour) {
    const int h = hour >= 12 ? hour - 12 : hour;
    return h == 0 ? 12 : h;
}

// The file's packed age unpacked, or nothing after the missing-file warning.
bool ReadFileAge(Platform& platform, const std::string& path, SystemTime& time) {
    const PackedDateTime age = platform.files.FileAge(path);
    if (age == kNoFileAge) {
        ShowWarning(platform.boxes, "FileNotFound", path);
        return false;
    }
    time = UnpackDateTime(age);
    return true;
}

}  // namespace

std::string DateText(const SystemTime& time) {
    const int month = time.month >= 1 && time.month <= 12 ? time.month : 1;
    return std::string(kMonths[month - 1]) + " " + PadNumber(time.day, 2) + ", " +
           ZeroPadNumber(time.year, 4);
}

std::string TimeText(const SystemTime& time) {
    return std::string(kWeekdays[time.dayOfWeek % 7]) + " " + PadNumber(Hour12(time.hour), 2) +
           ":" + ZeroPadNumber(time.minute, 2) + (time.hour < 12 ? " am" : " pm");
}

std::string DateText(const Clock& clock) {
    return DateText(clock.LocalTime());
}

std::string TimeText(const Clock& clock) {
    return TimeText(clock.LocalTime());
}

std::string DateTimeText(const Clock& clock) {
    const SystemTime now = clock.LocalTime();
    return DateText(now) + "  " + TimeText(now);
}

SystemTime UnpackDateTime(PackedDateTime packed) {
    const auto bits = static_cast<uint32_t>(packed);
    const uint32_t date = bits >> 16;
    const uint32_t time = bits & 0xFFFF;
    SystemTime t;
    t.year = static_cast<uint16_t>(1980 + (date >> 9));
    t.month = static_cast<uint16_t>((date >> 5) & 0xF);
    t.day = static_cast<uint16_t>(date & 0x1F);
    t.hour = static_cast<uint16_t>(time >> 11);
    t.minute = static_cast<uint16_t>((time >> 5) & 0x3F);
    t.second = static_cast<uint16_t>((time & 0x1F) * 2);
    return t;
}

std::string FileDateText(Platform& platform, const std::string& path) {
    SystemTime t;
    if (!ReadFileAge(platform, path, t)) return "?";
    const std::string separator = platform.locale.DateSeparator();
    return platform.locale.ShortMonthName(t.month) + separator + ZeroPadNumber(t.day, 2) +
           separator + ZeroPadNumber(t.year, 4);
}

std::string FileTimeText(Platform& platform, const std::string& path) {
    SystemTime t;
    if (!ReadFileAge(platform, path, t)) return "?";
    const std::string separator = platform.locale.TimeSeparator();
    return ZeroPadNumber(Hour12(t.hour), 2) + separator + ZeroPadNumber(t.minute, 2) + separator +
           ZeroPadNumber(t.second, 2) + (t.hour < 12 ? "am" : "pm");
}

}  // namespace mivox
