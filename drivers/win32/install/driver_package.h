#pragma once
// What the driver package holds and what installing it makes, as the install tool and its
// tests name them.

#include <array>

namespace corvane::driver {

inline constexpr char kBusInf[] = "corvane_bus.inf";
inline constexpr char kJoystickInf[] = "corvane_joystick.inf";
inline constexpr std::array<const char*, 5> kPackageFiles = {"corvane_bus.sys", "corvane_hid.sys", kBusInf,
                                                             kJoystickInf, "corvane.cat"};

// The root device of the bus, and the joysticks it makes (the id the program exposes).
inline constexpr char kBusHardwareId[] = "Corvane\\JoystickBus";
inline constexpr char kJoystickHardwareId[] = "Kestrovan\\VID_045E&PID_1100";

// The kernel services the two INF files add, and their images in the drivers folder.
inline constexpr char kBusService[] = "CorvaneBus";
inline constexpr char kJoystickService[] = "CorvaneHid";
inline constexpr char kJoystickImage[] = "corvane_hid.sys";
inline constexpr std::array<const char*, 2> kDriverImages = {"corvane_bus.sys", kJoystickImage};

// The [Version] Provider of both INF files: how a staged copy (oemN.inf) is known again.
inline constexpr char kProvider[] = "Corvane";

}  // namespace corvane::driver
