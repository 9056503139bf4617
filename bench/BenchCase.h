// One measured step of the benchmarks and its floor.
#pragma once

#include <QString>

#include <functional>
#include <string>

// ours() and floor() return the rows they read (or, for an entry point, the
// statements they ran); prepare() and release() run around every call of
// ours(), untimed; cleanup(), when given, once the case is done.
struct TCase {
    std::string name;
    bool listTarget = false;  // held to the ratio target from kTargetFromRows rows on
    bool perRow = true;       // memory is shown per row of the database
    std::function<void()> prepare;
    std::function<long long()> ours;
    std::function<void()> release;
    std::function<long long(QString&)> floor;
    bool entryPoint = false;  // held to the entry points' target at every size
    std::function<void()> cleanup = {};
};
