// Entry points keep their C names and are the only symbols the module exports.
#pragma once

#define ENTRY_POINT extern "C" __attribute__((visibility("default")))
