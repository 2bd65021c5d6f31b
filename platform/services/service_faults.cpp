// platform/services/service_faults.cpp - the failures a test asks of the system services, counted
// down the same way on every system.
#include "platform/services/service_faults.h"

ServiceOverrides* ServiceTest = nullptr;

bool FaultInjected(FileStep step) {
    if (!ServiceTest) return false;
    int32_t& n = ServiceTest->FailIn[step];
    if (n <= 0 || --n > 0) return false;
    ServiceTest->Injected++;
    return true;
}

size_t DiskTakes(size_t bytes) {
    if (!ServiceTest || ServiceTest->DiskRoom < 0 || uint64_t(ServiceTest->DiskRoom) >= bytes) return bytes;
    if (ServiceTest->DiskRoom == 0) ServiceTest->Injected++;
    return size_t(ServiceTest->DiskRoom);
}

void DiskTook(size_t bytes) {
    if (ServiceTest && ServiceTest->DiskRoom >= 0) ServiceTest->DiskRoom -= int64_t(bytes);
}
