// Without DirectDraw the display is the software device; the host shows its front surface.
#include "platform/softdevice.h"

const DisplayDeviceBackend *SystemDisplayDevice() {
    return SoftDisplayDevice();
}
