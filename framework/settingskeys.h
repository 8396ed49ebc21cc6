#pragma once
// The keys of the settings in the preference store, and the value each
// setting has while it was never stored. The key strings are what the
// users' preference files already hold: never change one.

#include <QStandardPaths>
#include <QString>

namespace SettingsKey {

// Interface language ("de") and skin the user chose.
inline constexpr QLatin1StringView Language{"Language"};
inline constexpr QLatin1StringView Skin{"Skin"};

// Automatic update check: on or off, days between checks, the service's
// address, and the time of the last check (ISO 8601, UTC).
inline constexpr QLatin1StringView AutoCheckUpdateEnable{"auto_check_update_enable"};
inline constexpr QLatin1StringView AutoCheckUpdateInterval{"auto_check_update_interval"};
inline constexpr QLatin1StringView UpdateServiceUrl{"update_service_url"};
inline constexpr QLatin1StringView UpdateLastCheck{"update_last_check"};

// The update wizard: the version it fetched, where the package lies, and
// the folder last chosen for it.
inline constexpr QLatin1StringView UpdateVersion{"update_version"};
inline constexpr QLatin1StringView UpdateLocalPath{"update_localpath"};
inline constexpr QLatin1StringView UpdateLastValue{"update_lastvalue"};

// Folders the photo and sound import dialogs opened last.
inline constexpr QLatin1StringView PhotoLastDir{"PhotoLastDir"};
inline constexpr QLatin1StringView AudioLastDir{"AudioLastDir"};

// Where compiled videos go and the name they get.
inline constexpr QLatin1StringView OutputPath{"OutputPath"};
inline constexpr QLatin1StringView OutputName{"OutputName"};
// The output profile last used (its stored form and group) and the recent
// ones, "|"-separated, most recent first.
inline constexpr QLatin1StringView LastProfileUrl{"last_profile_url"};
inline constexpr QLatin1StringView LastProfileGroup{"last_profile_group"};
inline constexpr QLatin1StringView RecentProfiles{"recent_profiles"};
// Whether the output settings show the advanced panel; the second key gets
// the state the dialog opened in.
inline constexpr QLatin1StringView AdvanceShow{"AdvanceShow"};
inline constexpr QLatin1StringView ButtonAdvShow{"button_adv_show"};

// Album files opened or saved last, newest first (a string list).
inline constexpr QLatin1StringView RecentAlbums{"recent_albums"};

// True until the main window was shown once.
inline constexpr QLatin1StringView FirstStart{"FirstStart"};
// What the machine does after a successful compile (ZuPowerState codes).
inline constexpr QLatin1StringView AfterBurnAction{"AfterBurnAction"};

// A window's remembered geometry: this prefix plus the window's object name
// (its class name when it has none).
inline constexpr QLatin1StringView GeometryPrefix{"Geometry/"};

} // namespace SettingsKey

namespace SettingsDefault {

inline constexpr bool AutoCheckUpdateEnable = true;
inline constexpr int AutoCheckUpdateInterval = 1;
inline constexpr bool AdvanceShow = false;
inline constexpr bool FirstStart = true;
// Do nothing (ZuPowerState::DoNothing).
inline constexpr int AfterBurnAction = 5;

// Where the import dialogs open before the user picked a folder.
inline QString photoLastDir() { return QStandardPaths::writableLocation(QStandardPaths::PicturesLocation); }
inline QString audioLastDir() { return QStandardPaths::writableLocation(QStandardPaths::MusicLocation); }

} // namespace SettingsDefault
