// Entry points keep their C names and are the only symbols the module exports.
//
// Each one is declared in the public header for hosts, included here, so a
// definition that strays from its declaration does not compile.
//
// Entry points that take (int count, char** buffers) read a parameter string
// from buffers[0] and write their answer back into it. They are not told the
// buffer's size: the caller's buffer must hold at least 500 bytes, or the
// incoming string's length plus one when that is more. When the pairs the
// entry point set do not fit, it writes none of them (the buffer keeps the
// string it came with), logs an error and returns false.
#pragma once

#include "companymgr/companymgr.h"

#define ENTRY_POINT extern "C" __attribute__((visibility("default")))
