#pragma once
// Names of the keys and values of the settings store that several subsystems share.

namespace platform::keys {

inline constexpr const char* kCorvanta = "SOFTWARE\\Corvanta";
inline constexpr const char* kFacebook = "SOFTWARE\\Corvanta\\Facebook";
inline constexpr const char* kVersion = "SOFTWARE\\Corvanta\\Version";

inline constexpr const char* kSessionKey = "Session_Key";
inline constexpr const char* kSessionSecret = "Session_Secret";
inline constexpr const char* kUid = "UID";
inline constexpr const char* kSessionTimeHigh = "SessionTimeHigh";
inline constexpr const char* kSessionTimeLow = "SessionTimeLow";
inline constexpr const char* kLastUpdate = "LastUpdate";
inline constexpr const char* kLastPicsUpdate = "LastPicsUpdate";
inline constexpr const char* kFcount = "FCOUNT";
inline constexpr const char* kWallCount = "WallCount";
inline constexpr const char* kMessage = "Message";
inline constexpr const char* kFuid = "FUID";
inline constexpr const char* kGuid = "GUID";
inline constexpr const char* kEuid = "EUID";
inline constexpr const char* kLastBirthdaysUpdate = "LastBirthdaysUpdate";
inline constexpr const char* kLastRelationsUpdate = "LastRelationsUpdate";
inline constexpr const char* kRelease = "Release";

}  // namespace platform::keys
