// Software surfaces have no GDI device context outside Windows: text is drawn straight into their pixels.
#include "platform/softdevice.h"

int32_t SoftSurfaceGetDC(const DDLockDesc &, const DDPixelFormat &, void **dc) {
    *dc = nullptr;
    return DDERR_NODC;
}

void SoftSurfaceReleaseDC(const DDLockDesc &, const DDPixelFormat &, void *) {}
