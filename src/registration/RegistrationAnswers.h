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

#include "platform/Clock.h"
#include "registration/RegistrationForm.h"

namespace mivox {

struct RegistrationAnswers {
    // The fields of kCustomerFields; the rest of the form is the
    // installation's own.
    RegistrationForm form;
    // 0: the day of the installation.
    int purchaseYear = 0, purchaseMonth = 0, purchaseDay = 0;
};

inline constexpr size_t kMaxAnswerFileBytes = 64 * 1024;
inline constexpr size_t kMaxAnswerLength = 255;

// Reads the text of an answer file. False with the reason (naming the line)
// when the file is malformed; answers are then left as they were.
bool ReadRegistrationAnswers(const std::string& text, RegistrationAnswers& answers,
                             std::string& error);

// The form an unattended run registers by file: the answers for the
// product's version, bought on the day they give or today, from the dealer
// they name or the maker.
RegistrationForm FormFromAnswers(const RegistrationAnswers& answers, const std::string& version,
                                 const SystemTime& today);

}  // namespace mivox
