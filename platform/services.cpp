#include "platform/services.h"

namespace platform {

namespace {
// The one process-wide table, like the operating system it stands for.
Services g_services;
} // namespace

Services InstallServices(const Services& services) {
    Services previous = g_services;
    g_services = services;
    return previous;
}

const Services& GetServices() {
    return g_services;
}

} // namespace platform
