// The fixed texts of the product and its maker that the installer shows.
#pragma once

namespace mivox::product {

inline constexpr const char kName[] = "Mivox";
inline constexpr const char kMaker[] = "Vexlor";
// Where an earlier installation is not recorded.
inline constexpr const char kDefaultInstallDir[] = "C:\\Mivox";
// The product program on the medium, relative to the medium's folder.
inline constexpr const char kProgramOnMedium[] = "\\App\\Mivox.EXE";

// The maker's seven lines under the licence.
inline constexpr const char kOwnerNotice[] = "Mivox is a product of Vexlor. All rights reserved.";
inline constexpr const char kAddressLine1[] = "Vexlor Measurement Systems";
inline constexpr const char kAddressLine2[] = "1200 Harbor Lane, Suite 4, Port Alden, OR 97499";
inline constexpr const char kPhone[] = "Phone: +1 541 555 0142";
inline constexpr const char kFax[] = "Fax: +1 541 555 0143";
inline constexpr const char kWeb[] = "Web: www.vexlor.example";
inline constexpr const char kSupportEmail[] = "Support: support@vexlor.example";

// The licence agreement, lines separated by CR LF as the memo shows them.
extern const char kLicenseText[];

}  // namespace mivox::product
