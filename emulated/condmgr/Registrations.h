// Where condmgr.dll keeps its registrations, in the manner of Palm Desktop: one subkey
// "Application<N>" per conduit under HKEY_CURRENT_USER "Software\Palm Computing\Pilot Desktop",
// holding the creator ID ("Creator", four characters compared exactly, case included), the
// conduit's library ("Conduit"), its priority ("Priority") and its type ("Type").
#pragma once

namespace condmgr {

inline constexpr const char* kRegistrationsKeyPath = "Software\\Palm Computing\\Pilot Desktop";
inline constexpr const char* kRegistrationPrefix = "Application";
inline constexpr const char* kCreatorValue = "Creator";
inline constexpr const char* kConduitValue = "Conduit";
inline constexpr const char* kPriorityValue = "Priority";
inline constexpr const char* kTypeValue = "Type";

// A new registration's priority until CmSetCreatorPriority sets one; HotSync runs lower first.
inline constexpr unsigned long kDefaultPriority = 2;

} // namespace condmgr
