// Every writing operation walked through every write, sync and read the disk
// could fail (and every write a full disk could refuse).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "FaultVfs.h"
#include "WriteOperations.h"

namespace {

using WriteFaults::FileState;
using WriteFaults::Inspect;
using WriteFaults::Tables;

struct Fault {
    const char* name;
    FaultVfs::Mode mode;
    FaultVfs::Kind kind;
    bool persistent;
};

constexpr Fault kFaults[] = {
    {"write error", FaultVfs::Mode::IoError, FaultVfs::Kind::Write, false},
    {"sync error", FaultVfs::Mode::IoError, FaultVfs::Kind::Sync, false},
    {"read error", FaultVfs::Mode::IoError, FaultVfs::Kind::Read, false},
    {"disk full", FaultVfs::Mode::DiskFull, FaultVfs::Kind::Write, false},
    {"dead disk from this write on", FaultVfs::Mode::IoError, FaultVfs::Kind::Write, true},
};

class SqliteFaults : public WriteFaults::WriteOperations {
  protected:
    void SetUp() override {
        ASSERT_TRUE(vfs_.Ok());
        WriteOperations::SetUp();
    }

    FaultVfs::Installed vfs_;
};

TEST_F(SqliteFaults, EveryWritingOperationSurvivesEveryDiskFault) {
    const Tables before = Inspect(Snapshot()).tables;
    ASSERT_FALSE(before.empty());
    int total = 0;
    for (const Operation& operation : Operations()) {
        SCOPED_TRACE(operation.name);
        // The run without a fault: what "done" looks like.
        ASSERT_NO_FATAL_FAILURE(Reset());
        ASSERT_NO_FATAL_FAILURE(operation.prepare());
        FaultVfs::Arm(FaultVfs::Mode::IoError, FaultVfs::Kind::Write, 0);
        ASSERT_TRUE(operation.run());
        FaultVfs::Disarm();
        ASSERT_GT(FaultVfs::Calls(FaultVfs::Kind::Write), 0) << "the file layer is not in use";
        const FileState done = Inspect(DatabasePath());
        ASSERT_EQ(done.problem, "");
        for (const std::string& table : operation.order) {
            ASSERT_NE(done.tables.at(table), before.at(table)) << table << " is not saved";
        }
        ASSERT_NE(done.tables, before);

        std::string points;
        for (const Fault& fault : kFaults) {
            int n = 1;
            for (;; ++n) {
                SCOPED_TRACE(std::string(fault.name) + " at call " + std::to_string(n));
                ASSERT_NO_FATAL_FAILURE(Reset());
                ASSERT_NO_FATAL_FAILURE(operation.prepare());
                FaultVfs::Arm(fault.mode, fault.kind, n, fault.persistent);
                const bool ok = operation.run();
                const bool fired = FaultVfs::Disarm();
                const std::string problem = Judge(operation, ok, before, done.tables);
                if (!problem.empty()) {
                    ADD_FAILURE() << operation.name << ", " << fault.name << " at call " << n
                                  << ": " << problem;
                    break;
                }
                if (!fired) {
                    break;
                }
                ASSERT_LT(n, 1000) << fault.name << " never stops firing";
            }
            total += n - 1;
            points +=
                std::string(points.empty() ? "" : ", ") + fault.name + " " + std::to_string(n - 1);
        }
        RecordProperty(operation.name, points);
        std::printf("fault points of %s: %s\n", operation.name, points.c_str());
    }
    RecordProperty("fault points", total);
    std::printf("fault points tried in all: %d\n", total);
}

}  // namespace
