// The built module as a host loads it: dlopen once, entry points by name.
#pragma once

#include <dlfcn.h>

#include <gtest/gtest.h>

namespace ModuleLoader {

inline void* Handle() {
    // Never closed: host objects may hold objects the module made.
    static void* handle = dlopen(COMPANYMGR_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    return handle;
}

template <typename Function>
Function Entry(const char* name) {
    void* handle = Handle();
    EXPECT_NE(handle, nullptr) << dlerror();
    void* symbol = handle ? dlsym(handle, name) : nullptr;
    EXPECT_NE(symbol, nullptr) << name;
    return reinterpret_cast<Function>(symbol);
}

}  // namespace ModuleLoader
