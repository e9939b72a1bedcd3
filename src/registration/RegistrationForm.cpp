#include "registration/RegistrationForm.h"

#include "registration/MakerConfig.h"
#include "registry/RegStuff.h"
#include "util/Errors.h"
#include "util/TextUtil.h"

namespace mivox {

namespace {

constexpr const char kEquals[] = "===================================";
constexpr const char kHyphens[] = "-----------------------------------";

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
    return {
        kEquals,
        "***  Product Registration Form  ***",
        "Created: " + created,
        kEquals,
        " ",
        "Mail To:",
        "Product Registration",
        maker::kPostalCompany,
        maker::kPostalStreet,
        maker::kPostalCity,
        " ",
        std::string("Fax To: ") + maker::kFax,
        " ",
        std::string("Tel To: ") + maker::kTelephone,
        " ",
        std::string("WWW To: ") + maker::kWebHost,
        "(goto product registration page)",
        " ",
        std::string("EMail To: ") + maker::kRegistrationEmail,
        " ",
        "[Product Information]",
        kHyphens,
        "   Product Name: " + form.productName,
        "Product Version: " + form.productVersion,
        "Product SerialN: " + form.serialNumber,
        "",
        "[Purchase Information]",
        kHyphens,
        " Purchased Data: " + PurchaseDate(form),
        " Purchased From: " + PurchaseSource(form),
        " ",
        "[Customer Information]",
        kHyphens,
        "     First Name: " + form.firstName,
        "      Last Name: " + form.lastName,
        "   Company Name: " + form.company,
        " Address Line 1: " + form.address1,
        " Address Line 2: " + form.address2,
        " Address Line 3: " + form.address3,
        "           City: " + form.city,
        "          State: " + form.state,
        "       Zip Code: " + form.zip,
        "        Country: " + form.country,
        "      Telephone: " + form.telephone,
        "      Faxsimile: " + form.fax,
        "          EMail: " + form.email,
        " ",
        kEquals,
    };
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
