#include "framework/ResourceModule.h"

#include <atomic>

namespace tsu {

namespace {
std::atomic<HMODULE> g_resourceModule{nullptr};
}

HMODULE GetResourceModule() {
    HMODULE module = g_resourceModule.load();
    return module ? module : ::GetModuleHandleW(nullptr);
}

void SetResourceModule(HMODULE module) {
    g_resourceModule.store(module);
}

} // namespace tsu
