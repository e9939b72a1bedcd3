// Where registrations go: the maker's addresses and numbers, in one place.
// The form and the web, e-mail and fax methods all read them from here.
#pragma once

namespace mivox::maker {

// The postal address printed under "Mail To:".
inline constexpr const char kPostalCompany[] = "Vexlor Measurement Systems";
inline constexpr const char kPostalStreet[] = "1200 Harbor Lane, Suite 4";
inline constexpr const char kPostalCity[] = "Port Alden, OR 97499 USA";

inline constexpr const char kTelephone[] = "+1 541 555 0142";
inline constexpr const char kFax[] = "+1 541 555 0143";
// The same fax number in the parts the fax sender dials.
inline constexpr const char kFaxCountryCode[] = "1";
inline constexpr const char kFaxAreaCode[] = "541";
inline constexpr const char kFaxLocalNumber[] = "555-0143";
inline constexpr const char kWebHost[] = "www.vexlor.example";
// Receives registrations sent by e-mail and is printed on the form.
inline constexpr const char kRegistrationEmail[] = "register@vexlor.example";
// The mailbox the web site's direct script forwards registrations to.
inline constexpr const char kWebMailbox[] = "webreg@vexlor.example";
// Tried when no mail program of the user names a server.
inline constexpr const char kFallbackSmtpHost[] = "mail.vexlor.example";

}  // namespace mivox::maker
