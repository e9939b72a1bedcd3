#include "registration/RegistrationForm.h"

#include <initializer_list>

#include "registration/MakerConfig.h"
#include "registry/RegStuff.h"
#include "util/Errors.h"
#include "util/TextUtil.h"

namespace mivox {

namespace {

constexpr const char kEquals[] = "===================================";
constexpr const char kHyphens[] = "-----------------------------------";

struct FieldLine {
    const char* label;
    std::string RegistrationForm::*field;
};

constexpr FieldLine kProductLines[] = {
    {"   Product Name: ", &RegistrationForm::productName},
    {"Product Version: ", &RegistrationForm::productVersion},
    {"Product SerialN: ", &RegistrationForm::serialNumber},
};

constexpr FieldLine kCustomerLines[] = {
    {"     First Name: ", &RegistrationForm::firstName},
    {"      Last Name: ", &RegistrationForm::lastName},
    {"   Company Name: ", &RegistrationForm::company},
    {" Address Line 1: ", &RegistrationForm::address1},
    {" Address Line 2: ", &RegistrationForm::address2},
    {" Address Line 3: ", &RegistrationForm::address3},
    {"           City: ", &RegistrationForm::city},
    {"          State: ", &RegistrationForm::state},
    {"       Zip Code: ", &RegistrationForm::zip},
    {"        Country: ", &RegistrationForm::country},
    {"      Telephone: ", &RegistrationForm::telephone},
    {"      Faxsimile: ", &RegistrationForm::fax},
    {"          EMail: ", &RegistrationForm::email},
};

std::string PurchaseDate(const RegistrationForm& form) {
    return form.month + " " + form.day + ", " + form.year;
}

std::string PurchaseSource(const RegistrationForm& form) {
    return form.fromDealer ? form.dealer : std::string("Vexlor");
}

}  // namespace

const char* const kMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

void SetPurchaseDate(RegistrationForm& form, int year, int month, int day) {
    form.day = day >= 1 && day <= 31 ? PadNumber(day, 2) : std::string();
    form.month = month >= 1 && month <= 12 ? kMonthNames[month - 1] : "";
    form.year = year >= kFirstPurchaseYear && year <= kLastPurchaseYear ? PadNumber(year, 4)
                                                                        : std::string();
}

RegistrationForm NewRegistrationForm(const std::string& version, const SystemTime& today) {
    RegistrationForm form;
    form.productVersion = version;
    SetPurchaseDate(form, today.year, today.month, today.day);
    return form;
}

bool NamesGiven(const RegistrationForm& form) {
    if (!form.company.empty()) return true;
    return !form.firstName.empty() && !form.lastName.empty();
}

std::vector<std::string> RegistrationFormLines(const RegistrationForm& form,
                                               const std::string& created) {
    std::vector<std::string> lines;
    const auto texts = [&lines](std::initializer_list<const char*> all) {
        for (const char* text : all) lines.emplace_back(text);
    };
    const auto fields = [&](const auto& table) {
        for (const FieldLine& line : table) lines.push_back(line.label + form.*line.field);
    };
    texts({kEquals, "***  Product Registration Form  ***"});
    lines.push_back("Created: " + created);
    texts({kEquals, " ", "Mail To:", "Product Registration", maker::kPostalCompany,
           maker::kPostalStreet, maker::kPostalCity, " "});
    lines.push_back(std::string("Fax To: ") + maker::kFax);
    texts({" "});
    lines.push_back(std::string("Tel To: ") + maker::kTelephone);
    texts({" "});
    lines.push_back(std::string("WWW To: ") + maker::kWebHost);
    texts({"(goto product registration page)", " "});
    lines.push_back(std::string("EMail To: ") + maker::kRegistrationEmail);
    texts({" ", "[Product Information]", kHyphens});
    fields(kProductLines);
    texts({"", "[Purchase Information]", kHyphens});
    lines.push_back(" Purchased Data: " + PurchaseDate(form));
    lines.push_back(" Purchased From: " + PurchaseSource(form));
    texts({" ", "[Customer Information]", kHyphens});
    fields(kCustomerLines);
    texts({" ", kEquals});
    return lines;
}

void WriteRegistrationFile(FileSystem& files, const std::string& path,
                           const std::vector<std::string>& lines) {
    const auto fail = [&](const std::string& what, uint32_t error) {
        throw IoError("Cannot " + what + " " + path + " (error " + std::to_string(error) + ")");
    };
    CreatedFile file = files.CreateOutputFile(path);
    if (!file) fail("create", file.Error());
    for (const std::string& line : lines) {
        if (const IoResult written = file->Write(line + "\r\n"); !written) {
            fail("write", written.Error());
        }
    }
    if (const IoResult stored = file->Close(); !stored) fail("write", stored.Error());
}

void RecordRegistration(const Machine& machine, const RegistrationForm& form) {
    WriteRegistration(machine, form.firstName + " " + form.lastName, form.company,
                      form.serialNumber);
}

}  // namespace mivox
