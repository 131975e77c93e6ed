// Dispatch of the display-device seam to the installed backend.
#include "platform/ddevice.h"

static const DisplayDeviceBackend *sDevice = nullptr; // nullptr: the system's own

void SetDisplayDevice(const DisplayDeviceBackend *backend) {
    sDevice = backend;
}
const DisplayDeviceBackend *DisplayDevice() {
    return sDevice ? sDevice : SystemDisplayDevice();
}
