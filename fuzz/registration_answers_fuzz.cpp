// The answer file of a registration by file comes with the administrator's
// deployment, from any editor on any system. ReadRegistrationAnswers takes it
// whole or refuses it whole: a refusal names the first line at fault (or
// says what the whole file lacks) and leaves the answers as they were; what
// it accepts fits the registration dialog's fields. CR, LF and CRLF line ends
// mean the same, and accepted answers, written out again, read back the same.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "registration/RegistrationAnswers.h"

namespace {

using mivox::FormField;
using mivox::kCustomerFields;
using mivox::RegistrationAnswers;

[[noreturn]] void Fail(const char* what, const std::string& text) {
    std::fprintf(stderr, "%s:\n%s\n", what, text.c_str());
    std::abort();
}

bool Same(const RegistrationAnswers& a, const RegistrationAnswers& b) {
    for (const FormField& field : kCustomerFields) {
        if (a.form.*field.member != b.form.*field.member) return false;
    }
    return a.purchaseYear == b.purchaseYear && a.purchaseMonth == b.purchaseMonth &&
           a.purchaseDay == b.purchaseDay;
}

struct Result {
    bool accepted;
    std::string error;
    RegistrationAnswers answers;
};

// Answers no file gives, to see that a refusal leaves them alone.
RegistrationAnswers Untouched() {
    RegistrationAnswers answers;
    for (const FormField& field : kCustomerFields)
        answers.form.*field.member = std::string("untouched\r\n");
    answers.purchaseYear = -1;
    return answers;
}

Result Read(const std::string& text) {
    Result result{false, {}, Untouched()};
    result.accepted = mivox::ReadRegistrationAnswers(text, result.answers, result.error);
    return result;
}

bool Same(const Result& a, const Result& b) {
    return a.accepted == b.accepted && a.error == b.error && Same(a.answers, b.answers);
}

// The lines of a text: CR, LF and CRLF each end one.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            lines.emplace_back();
        } else {
            lines.back() += text[i];
        }
    }
    if (lines.back().empty()) lines.pop_back();
    return lines;
}

std::string Joined(const std::vector<std::string>& lines, size_t count, const char* ending) {
    std::string text;
    for (size_t i = 0; i < count; ++i) text += lines[i] + ending;
    return text;
}

// The line a refusal names, 0 when it speaks of the whole file.
size_t NamedLine(const std::string& error, const std::string& text) {
    const std::string prefix = "Line ";
    const std::string suffix = " of the answer file ";
    if (error.rfind(prefix, 0) != 0) {
        if (error.rfind("The answer file ", 0) != 0) Fail("refused naming no line", text);
        return 0;
    }
    size_t line = 0;
    size_t i = prefix.size();
    for (; i < error.size() && error[i] >= '0' && error[i] <= '9' && line < 1000000; ++i) {
        line = line * 10 + (error[i] - '0');
    }
    if (line == 0 || error.compare(i, suffix.size(), suffix) != 0 ||
        error.size() == i + suffix.size()) {
        Fail("refused naming no line", text);
    }
    return line;
}

void CheckAccepted(const RegistrationAnswers& answers, const std::string& text) {
    for (const FormField& field : kCustomerFields) {
        const std::string& value = answers.form.*field.member;
        if (value.size() > mivox::kMaxAnswerLength) Fail("accepted a value too long", text);
        for (const unsigned char c : value) {
            if (c < 32 && c != '\t') Fail("accepted a line end or control character", text);
        }
    }
    if (answers.form.company.empty() &&
        (answers.form.firstName.empty() || answers.form.lastName.empty()))
        Fail("accepted answers without a name", text);
    const int y = answers.purchaseYear, m = answers.purchaseMonth, d = answers.purchaseDay;
    if (y || m || d) {
        constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
        if (y < 1999 || y > 2050 || m < 1 || m > 12 || d < 1 ||
            d > kDays[m - 1] + (m == 2 && leap ? 1 : 0)) {
            Fail("accepted a day that is not in the calendar", text);
        }
    }
}

// The answers as an administrator would write them, every value quoted.
std::string Written(const RegistrationAnswers& answers) {
    std::string text = "[Registration]\r\n";
    for (const FormField& field : kCustomerFields) {
        text += std::string(field.name) + "=\"" + answers.form.*field.member + "\"\r\n";
    }
    if (answers.purchaseYear) {
        char date[16];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", answers.purchaseYear,
                      answers.purchaseMonth, answers.purchaseDay);
        text += std::string("PurchaseDate=") + date + "\r\n";
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Result result = Read(text);
    if (!Same(Read(text), result)) Fail("read the same file two ways", text);

    // Every form of line end gives the same, where each form fits the size
    // limit (CRLF lines take more bytes than the others).
    const std::vector<std::string> lines = Lines(text);
    for (const char* ending : {"\r\n", "\n", "\r"}) {
        const std::string form = Joined(lines, lines.size(), ending);
        if (Joined(lines, lines.size(), "\r\n").size() <= mivox::kMaxAnswerFileBytes &&
            text.size() <= mivox::kMaxAnswerFileBytes && !Same(Read(form), result)) {
            Fail("read another form of line ends otherwise", text);
        }
    }

    if (!result.accepted) {
        if (!Same(result.answers, Untouched())) Fail("refused but changed the answers", text);
        const size_t named = NamedLine(result.error, text);
        if (named == 0 || text.size() > mivox::kMaxAnswerFileBytes) return 0;
        if (named > lines.size()) Fail("named a line the file does not have", text);
        // The line named is the first at fault: the lines above it pass, and
        // it fails the same way without those below it.
        const Result above = Read(Joined(lines, named - 1, "\n"));
        if (!above.accepted && NamedLine(above.error, text) != 0)
            Fail("named a line below the first at fault", text);
        if (!Same(Read(Joined(lines, named, "\n")), result))
            Fail("named a line that is not at fault", text);
        return 0;
    }
    CheckAccepted(result.answers, text);
    const std::string written = Written(result.answers);
    const Result reread = Read(written);
    if (!reread.accepted) Fail("refused answers it had accepted, written again", written);
    if (!Same(reread.answers, result.answers)) Fail("read its own answers back otherwise", written);
    return 0;
}
