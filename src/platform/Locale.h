// The parts of the user's Windows locale that file date and time texts use.
#pragma once

#include <string>

namespace mivox {

class Locale {
public:
    virtual ~Locale() = default;
    // Abbreviated month name, month 1 = January.
    virtual std::string ShortMonthName(int month) const = 0;
    virtual std::string DateSeparator() const = 0;
    virtual std::string TimeSeparator() const = 0;
};

}  // namespace mivox
