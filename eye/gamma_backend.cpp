#include "eye/gamma_backend.h"

namespace {

GammaBackend* g_override = nullptr;

}  // namespace

GammaBackend& CurrentGammaBackend() {
    return g_override != nullptr ? *g_override : PlatformGammaBackend();
}

void SetGammaBackendForTests(GammaBackend* backend) {
    g_override = backend;
}
