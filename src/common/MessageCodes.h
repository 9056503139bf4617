// The host messages the module shows, by number, and the detail codes that go
// with them: the texts belong to the host's message table.
#pragma once

namespace MessageCodes {

inline constexpr int kNoCompany = 106002;
inline constexpr int kNothingSelected = 106004;
inline constexpr int kDeleteCurrentCompany = 106007;
inline constexpr int kConfirmDelete = 106008;
inline constexpr int kDeleted = 106009;
inline constexpr int kDeleteFailed = 106010;
inline constexpr const char* kDeleteFailedDetail = "70019505";
inline constexpr int kTaxIdMissing = 106013;
inline constexpr int kAddPhoneInvalid = 106015;
inline constexpr int kAddFailed = 106016;
inline constexpr const char* kAddFailedDetail = "70019506";
inline constexpr int kCompanyAdded = 106017;
inline constexpr int kSaveFailed = 106018;
inline constexpr const char* kSaveFailedDetail = "70019507";
inline constexpr int kSaved = 106019;
inline constexpr int kRefreshFailed = 106020;
inline constexpr const char* kRefreshFailedDetail = "70019508";
inline constexpr int kCompanyCodeEmpty = 106021;
inline constexpr int kPhoneInvalid = 106022;
inline constexpr int kFaxInvalid = 106023;
inline constexpr int kEmailInvalid = 106024;

}  // namespace MessageCodes
