#include "driver_service.h"

#include <windows.h>

#include "windows_error.h"

namespace corvane::driver {

namespace {

class ServiceHandle {
 public:
  explicit ServiceHandle(SC_HANDLE handle) : handle_(handle) {}
  ~ServiceHandle() {
    if (handle_ != nullptr) CloseServiceHandle(handle_);
  }
  ServiceHandle(const ServiceHandle&) = delete;
  ServiceHandle& operator=(const ServiceHandle&) = delete;
  SC_HANDLE get() const { return handle_; }

 private:
  SC_HANDLE handle_;
};

DWORD CurrentState(SC_HANDLE service) {
  SERVICE_STATUS status = {};
  return QueryServiceStatus(service, &status) ? status.dwCurrentState : 0;
}

}  // namespace

std::string ServiceState(const char* name) {
  ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  ServiceHandle service(manager.get() ? OpenServiceA(manager.get(), name, SERVICE_QUERY_STATUS) : nullptr);
  if (service.get() == nullptr) return "not installed";
  switch (CurrentState(service.get())) {
    case SERVICE_RUNNING:
      return "running";
    case SERVICE_STOPPED:
      return "stopped";
    case SERVICE_START_PENDING:
      return "starting";
    case SERVICE_STOP_PENDING:
      return "stopping";
    default:
      return "in an unknown state";
  }
}

bool ServiceRunning(const char* name) { return ServiceState(name) == "running"; }

bool DeleteDriverService(const char* name, std::string& error) {
  ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (manager.get() == nullptr) {
    error = StepFailed("opening the service control manager (OpenSCManagerA)");
    return false;
  }
  ServiceHandle service(OpenServiceA(manager.get(), name, SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE));
  if (service.get() == nullptr) {
    if (GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST) return true;
    error = StepFailed(std::string("opening the service ") + name + " (OpenServiceA)");
    return false;
  }
  SERVICE_STATUS status = {};
  if (CurrentState(service.get()) == SERVICE_RUNNING)
    ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
  if (!DeleteService(service.get()) && GetLastError() != ERROR_SERVICE_MARKED_FOR_DELETE) {
    error = StepFailed(std::string("deleting the service ") + name + " (DeleteService)");
    return false;
  }
  return true;
}

}  // namespace corvane::driver
