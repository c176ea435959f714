#pragma once
// The kernel services of the two drivers, through the service control manager.

#include <string>

namespace corvane::driver {

// "running", "stopped", "starting", … or "not installed".
std::string ServiceState(const char* service);
bool ServiceRunning(const char* service);

// Stops the service if it runs and deletes it; a service that is not there is no error.
bool DeleteDriverService(const char* service, std::string& error);

}  // namespace corvane::driver
