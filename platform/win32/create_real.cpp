// The shipped exe's services: Windows itself.
#include "platform/services.h"
#include "platform/win32/real_services.h"

namespace platform {

Services& ProcessServices() {
  static Services services = win32::RealServices();
  return services;
}

}  // namespace platform
