// The answer file of an unattended registration by file: the fields of the
// registration dialog as one INI section, for example
//   [Registration]
//   FirstName=Ann
//   LastName=Lee
//   Company=Acme Labs
//   PurchaseDate=2026-12-08
// The file comes from outside: it is taken whole or refused whole.
#pragma once

#include <cstddef>
#include <string>

namespace mivox {

struct RegistrationAnswers {
    std::string firstName, lastName, company;
    std::string address1, address2, address3, city, state, zip;
    std::string country = "USA";
    std::string telephone, fax, email;
    std::string serialNumber;
    // Empty: bought from the maker.
    std::string dealer;
    // 0: the day of the installation.
    int purchaseYear = 0, purchaseMonth = 0, purchaseDay = 0;
};

// The text fields of an answer file by name (PurchaseDate aside).
struct AnswerField {
    const char* name;
    std::string RegistrationAnswers::*member;
};

inline constexpr AnswerField kAnswerFields[] = {
    {"FirstName", &RegistrationAnswers::firstName},
    {"LastName", &RegistrationAnswers::lastName},
    {"Company", &RegistrationAnswers::company},
    {"Address1", &RegistrationAnswers::address1},
    {"Address2", &RegistrationAnswers::address2},
    {"Address3", &RegistrationAnswers::address3},
    {"City", &RegistrationAnswers::city},
    {"State", &RegistrationAnswers::state},
    {"Zip", &RegistrationAnswers::zip},
    {"Country", &RegistrationAnswers::country},
    {"Telephone", &RegistrationAnswers::telephone},
    {"Fax", &RegistrationAnswers::fax},
    {"EMail", &RegistrationAnswers::email},
    {"SerialNumber", &RegistrationAnswers::serialNumber},
    {"Dealer", &RegistrationAnswers::dealer},
};

inline constexpr size_t kMaxAnswerFileBytes = 64 * 1024;
inline constexpr size_t kMaxAnswerLength = 255;

// Reads the text of an answer file. False with the reason (naming the line)
// when the file is malformed; answers are then left as they were.
bool ReadRegistrationAnswers(const std::string& text, RegistrationAnswers& answers,
                             std::string& error);

}  // namespace mivox
