#include "registration/RegistrationAnswers.h"

#include <vector>

#include "util/TextUtil.h"

namespace mivox {

namespace {

constexpr const char kSection[] = "REGISTRATION";

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// CRLF, LF or CR ends a line.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.push_back(line);
            line.clear();
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += text[i];
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// YYYY-MM-DD, a real day within the years the registration dialog offers.
bool ReadDate(const std::string& text, RegistrationAnswers& answers) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    for (const size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    const int year = std::stoi(text.substr(0, 4));
    const int month = std::stoi(text.substr(5, 2));
    const int day = std::stoi(text.substr(8, 2));
    constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < kFirstPurchaseYear || year > kLastPurchaseYear || month < 1 || month > 12 ||
        day < 1 || day > kDays[month - 1] || (month == 2 && day == 29 && !IsLeapYear(year))) {
        return false;
    }
    answers.purchaseYear = year;
    answers.purchaseMonth = month;
    answers.purchaseDay = day;
    return true;
}

constexpr const char kDateField[] = "PurchaseDate";

}  // namespace

bool ReadRegistrationAnswers(const std::string& text, RegistrationAnswers& answers,
                             std::string& error) {
    if (text.size() > kMaxAnswerFileBytes) {
        error = "The answer file is larger than " + std::to_string(kMaxAnswerFileBytes) + " bytes.";
        return false;
    }
    const bool bom = text.rfind("\xEF\xBB\xBF", 0) == 0;
    const std::vector<std::string> lines = SplitLines(bom ? text.substr(3) : text);
    RegistrationAnswers read;
    std::vector<std::string> given;
    bool inSection = false;
    bool sectionSeen = false;
    for (size_t n = 0; n < lines.size(); ++n) {
        const std::string where = "Line " + std::to_string(n + 1) + " of the answer file ";
        for (const char c : lines[n]) {
            if (static_cast<unsigned char>(c) < 32 && c != '\t') {
                error = where + "holds a control character.";
                return false;
            }
        }
        const std::string line = Trimmed(lines[n]);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            if (line.back() != ']' ||
                UpperText(Trimmed(line.substr(1, line.size() - 2))) != kSection) {
                error = where + "opens " + line + "; only [Registration] is known.";
                return false;
            }
            if (sectionSeen) {
                error = where + "opens [Registration] a second time.";
                return false;
            }
            inSection = sectionSeen = true;
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos || Trimmed(line.substr(0, equals)).empty()) {
            error = where + "is not of the form Name=Value.";
            return false;
        }
        if (!inSection) {
            error = where + "stands before the [Registration] section.";
            return false;
        }
        const std::string key = UpperText(Trimmed(line.substr(0, equals)));
        std::string value = Trimmed(line.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        if (value.size() > kMaxAnswerLength) {
            error = where + "gives a value longer than " + std::to_string(kMaxAnswerLength) +
                    " characters.";
            return false;
        }
        for (const std::string& earlier : given) {
            if (earlier == key) {
                error = where + "gives " + Trimmed(line.substr(0, equals)) + " a second time.";
                return false;
            }
        }
        given.push_back(key);
        if (key == UpperText(kDateField)) {
            if (!ReadDate(value, read)) {
                error = where + "gives no purchase date of the form YYYY-MM-DD between " +
                        std::to_string(kFirstPurchaseYear) + " and " +
                        std::to_string(kLastPurchaseYear) + ".";
                return false;
            }
            continue;
        }
        bool known = false;
        for (const FormField& field : kCustomerFields) {
            if (UpperText(field.name) != key) continue;
            read.form.*field.member = value;
            known = true;
        }
        if (!known) {
            error = where + "names " + Trimmed(line.substr(0, equals)) +
                    ", which is not a registration field.";
            return false;
        }
    }
    if (!sectionSeen) {
        error = "The answer file has no [Registration] section.";
        return false;
    }
    if (!NamesGiven(read.form)) {
        error = "The answer file gives neither a company nor a first and a last name.";
        return false;
    }
    answers = read;
    return true;
}

RegistrationForm FormFromAnswers(const RegistrationAnswers& answers, const std::string& version,
                                 const SystemTime& today) {
    RegistrationForm form = answers.form;
    form.productVersion = version;
    if (answers.purchaseYear != 0) {
        SetPurchaseDate(form, answers.purchaseYear, answers.purchaseMonth, answers.purchaseDay);
    } else {
        SetPurchaseDate(form, today.year, today.month, today.day);
    }
    form.fromDealer = !form.dealer.empty();
    form.method = RegistrationMethod::kFile;
    return form;
}

}  // namespace mivox
