#include "registration/WebUrl.h"

#include <algorithm>
#include <cstring>

#include "registration/MakerConfig.h"
#include "util/TextUtil.h"

namespace mivox {

namespace {

bool NeedsEscape(unsigned char c) {
    if (c < 0x20 || c >= 0x7F) return true;
    return std::strchr("&=%+#\"<>\\^`{|}", c) != nullptr;
}

}  // namespace

std::string StripPhoneChars(const std::string& number) {
    std::string text = number;
    std::replace(text.begin(), text.end(), '+', ' ');
    if (text.size() > 255) text.resize(255);
    return StripBlanks(text);
}

std::string SpacesToPlus(const std::string& text) {
    std::string result = text;
    std::replace(result.begin(), result.end(), ' ', '+');
    return result;
}

std::string EncodeQueryValue(const std::string& value) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string result;
    result.reserve(value.size());
    for (const char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        if (NeedsEscape(c)) {
            result += '%';
            result += kHex[c >> 4];
            result += kHex[c & 0x0F];
        } else {
            result += ch;
        }
    }
    return result;
}

std::string BuildWebQuery(const RegistrationForm& d) {
    const std::pair<const char*, std::string> pairs[] = {
        {"a=", d.firstName},
        {"&b=", d.lastName},
        {"&c=", d.company},
        {"&d=", d.address1},
        {"&e=", d.address2},
        {"&f=", d.address3},
        {"&g=", d.city},
        {"&h=", d.state},
        {"&i=", d.zip},
        {"&j=", d.country},
        {"&k=", StripPhoneChars(d.telephone)},
        {"&l=", StripPhoneChars(d.fax)},
        {"&m=", d.email},
        {"&n=", d.productName},
        {"&o=", d.productVersion},
        {"&p=", d.serialNumber},
        {"&q=", d.month + " " + d.day + " " + d.year},
        {"&r=", d.fromDealer ? d.dealer : std::string("VXLR")},
    };
    std::string query;
    for (const auto& [key, value] : pairs) query += key + EncodeQueryValue(value);
    return query;
}

std::string DirectUrl(const RegistrationForm& form) {
    return SpacesToPlus(std::string("http://") + maker::kWebHost +
                        "/cgi-bin/tp_rg.pl?mlto=" + maker::kWebMailbox + "&" + BuildWebQuery(form));
}

std::string FormFillUrl(const RegistrationForm& form) {
    return SpacesToPlus(std::string("http://") + maker::kWebHost + "/cgi-bin/reg.pl?" +
                        BuildWebQuery(form));
}

}  // namespace mivox
