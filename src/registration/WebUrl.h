// The registration as a URL on the maker's web site: the query of the
// form's fields and the two scripts that take it.
#pragma once

#include <cstddef>
#include <string>

#include "registration/RegistrationForm.h"

namespace mivox {

// The longest direct URL; a longer one goes to the form-fill script.
inline constexpr size_t kMaxDirectUrl = 255;

// Plus signs become spaces, the text is cut to 255 characters, and every
// blank is removed: a number reaches the query as digits and punctuation.
std::string StripPhoneChars(const std::string& number);
// Every space becomes a plus sign; nothing else changes.
std::string SpacesToPlus(const std::string& text);
// A value made safe inside a query: every byte that would end the value,
// start another pair, be read as an escape, or is not allowed in a URL at all
// (controls, quotes, bytes of 128 and above ...) as %XX. Spaces stay, for
// SpacesToPlus to turn into plus signs.
std::string EncodeQueryValue(const std::string& value);

// "a=...&b=...&r=..." with every value encoded.
std::string BuildWebQuery(const RegistrationForm& form);
// The script that takes the registration at once, mailing it to the maker.
std::string DirectUrl(const RegistrationForm& form);
// The script that fills the site's form for the user to check and submit.
std::string FormFillUrl(const RegistrationForm& form);

}  // namespace mivox
