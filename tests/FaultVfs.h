// A file layer under SQLite that fails on purpose: it wraps the default one,
// counts the writes, syncs and reads of every file the process's connections
// open (Qt's driver included) and fails the chosen one, so a test can walk
// an operation through every point where the disk could let it down.
#pragma once

#include <QString>

namespace FaultVfs {

enum class Kind { Write, Sync, Read };  // a truncate counts as a write
enum class Mode {
    IoError,   // the call fails with SQLite's I/O error of its kind
    DiskFull,  // a write or truncate fails with SQLITE_FULL
};

// Makes the layer the default for connections opened from now on, and puts
// the previous default back when it goes; no connection may outlive it.
class Installed {
  public:
    Installed();
    ~Installed();
    Installed(const Installed&) = delete;
    Installed& operator=(const Installed&) = delete;
    bool Ok() const { return ok_; }

  private:
    bool ok_ = false;
};

// Counts calls of kind from zero and fails the n-th (1-based); with
// persistent, that one and every later call of the kind.
void Arm(Mode mode, Kind kind, int n, bool persistent = false);
// Stops failing; true when the armed failure happened.
bool Disarm();
// Calls of the kind since the last Arm (counted armed or not).
int Calls(Kind kind);

// Files under the folder behave as the operating system treats them for a
// user without write permission: an existing file opens read-only and a new
// one cannot be made. Empty turns it off. Root ignores file modes, so a test
// running as root gets the refusal from here.
void DenyWritesUnder(const QString& folder);

}  // namespace FaultVfs
