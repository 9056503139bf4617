// Every writing operation walked through every allocation of the module's own
// code failing, one at a time: the operation catches it, tells the caller the
// truth, and the database keeps the operation whole or not at all.
#include <gtest/gtest.h>

#include <cstdio>
#include <exception>
#include <string>

#include "FaultAlloc.h"
#include "WriteOperations.h"

namespace {

using WriteFaults::Inspect;
using WriteFaults::Tables;

using AllocFaults = WriteFaults::WriteOperations;

TEST_F(AllocFaults, EveryWritingOperationSurvivesEveryFailedAllocation) {
    const Tables before = Inspect(Snapshot()).tables;
    ASSERT_FALSE(before.empty());
    int total = 0;
    for (const Operation& operation : Operations()) {
        // The page saves from a button; a window's slot is no operation of its own.
        if (operation.name == std::string("information page")) {
            continue;
        }
        SCOPED_TRACE(operation.name);
        ASSERT_NO_FATAL_FAILURE(Reset());
        ASSERT_NO_FATAL_FAILURE(operation.prepare());
        FaultAlloc::Arm(0);
        ASSERT_TRUE(operation.run());
        FaultAlloc::Disarm();
        const int calls = FaultAlloc::Calls();
        const Tables done = Inspect(DatabasePath()).tables;

        int n = 1;
        for (; n <= calls; ++n) {
            SCOPED_TRACE("allocation " + std::to_string(n));
            ASSERT_NO_FATAL_FAILURE(Reset());
            ASSERT_NO_FATAL_FAILURE(operation.prepare());
            FaultAlloc::Arm(n);
            bool ok = false;
            std::string escaped;
            try {
                ok = operation.run();
            } catch (const std::exception& error) {
                escaped = error.what();
            }
            const bool fired = FaultAlloc::Disarm();
            ASSERT_EQ(escaped, "") << operation.name << ": an exception left the operation";
            const std::string problem = Judge(operation, ok, before, done);
            ASSERT_EQ(problem, "") << operation.name << ", allocation " << n;
            ASSERT_TRUE(fired) << "allocation " << n << " of " << calls << " was not asked for";
        }
        total += n - 1;
        RecordProperty(operation.name, n - 1);
        std::printf("allocations failed in %s: %d\n", operation.name, n - 1);
    }
    RecordProperty("allocation faults", total);
    std::printf("allocation faults tried in all: %d\n", total);
}

}  // namespace
