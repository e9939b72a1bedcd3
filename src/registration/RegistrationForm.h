// The registration as one plain value: what the registration dialog shows
// and reads back, what the answer file of an unattended run fills in, and
// what every method sends. The functions here do the work on it; the dialog
// only translates between it and its controls.
#pragma once

#include <string>
#include <vector>

#include "platform/Machine.h"

namespace mivox {

// The years the purchase date may name.
inline constexpr int kFirstPurchaseYear = 1999;
inline constexpr int kLastPurchaseYear = 2050;

// kNone: no method chosen, so none can deliver.
enum class RegistrationMethod { kNone, kWeb, kEmail, kFax, kPrint, kFile };

struct RegistrationForm {
    std::string firstName, lastName, company;
    std::string address1, address2, address3, city, state, zip;
    std::string country = "USA";
    std::string telephone, fax, email;
    std::string productName = "Mivox";
    std::string productVersion, serialNumber;
    // The purchase date as the drop-downs show it ("07", "Mar", "2000"); an
    // empty text where none is chosen.
    std::string day, month, year;
    // Bought from a dealer (named or not) rather than from the maker.
    bool fromDealer = false;
    std::string dealer;
    RegistrationMethod method = RegistrationMethod::kWeb;
};

// A text field of the form, by the name an answer file gives it.
struct FormField {
    const char* name;
    std::string RegistrationForm::*member;
};

// The fields a customer fills in, in the order of the form.
inline constexpr FormField kCustomerFields[] = {
    {"FirstName", &RegistrationForm::firstName},
    {"LastName", &RegistrationForm::lastName},
    {"Company", &RegistrationForm::company},
    {"Address1", &RegistrationForm::address1},
    {"Address2", &RegistrationForm::address2},
    {"Address3", &RegistrationForm::address3},
    {"City", &RegistrationForm::city},
    {"State", &RegistrationForm::state},
    {"Zip", &RegistrationForm::zip},
    {"Country", &RegistrationForm::country},
    {"Telephone", &RegistrationForm::telephone},
    {"Fax", &RegistrationForm::fax},
    {"EMail", &RegistrationForm::email},
    {"SerialNumber", &RegistrationForm::serialNumber},
    {"Dealer", &RegistrationForm::dealer},
};

// The month names of the drop-down, "Jan" to "Dec".
extern const char* const kMonthNames[12];

// The drop-downs' texts for a date; a year outside the list gives none.
void SetPurchaseDate(RegistrationForm& form, int year, int month, int day);

// A new form for the product's version, bought on the day given.
RegistrationForm NewRegistrationForm(const std::string& version, const SystemTime& today);

// The registration needs a company, or a first and a last name.
bool NamesGiven(const RegistrationForm& form);

// The form as REGISTER.TXT holds it and the senders send it, created at the
// time named.
std::vector<std::string> RegistrationFormLines(const RegistrationForm& form,
                                               const std::string& created);

// Writes the lines to path, each ending in CRLF; IoError when the file
// cannot be created or written.
void WriteRegistrationFile(FileSystem& files, const std::string& path,
                           const std::vector<std::string>& lines);

// Records in the product key that the product is registered, to whom.
void RecordRegistration(const Machine& machine, const RegistrationForm& form);

}  // namespace mivox
