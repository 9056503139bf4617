// Types and functions that cross between the host and the module keep default
// visibility, everything else in the module is hidden.
#pragma once

#define SHARED_API __attribute__((visibility("default")))
