// Writes a complete application folder for trying the host and the module
// out: settings, a SQLite database full of made-up companies, and the data
// files the module's windows read. The same options always give the same data.
#pragma once

#include <QString>

struct DemoOptions {
    int companies = 40;
    // An agency's installation: an agency row and companies it serves.
    bool agency = false;
};

// The most companies one folder gets.
inline constexpr int kMaxDemoCompanies = 500000;

// Written last into a finished folder: the options it was written with.
inline constexpr const char* kDemoCompleteMark = "DemoComplete.ini";

// Fills dir, which must be missing or empty. Runs the reference host on the
// folder while it fills the database and stops it again, so it must not be
// called while a host is running: it then refuses and leaves that host as it
// is. On failure errorText says why; what was written so far stays, without
// the completion mark.
bool MakeDemoFolder(const QString& dir, const DemoOptions& options, QString& errorText);

struct DemoFolderState {
    enum Kind {
        Missing,       // no folder, or an empty one
        Incomplete,    // no readable completion mark: writing stopped half-way
        Foreign,       // no mark, and things in it the writer does not make
        OtherOptions,  // complete, but written with other options
        Complete,      // complete and written with the options asked for
    };
    Kind kind = Missing;
    DemoOptions written;  // the mark's options, for OtherOptions and Complete
};

DemoFolderState InspectDemoFolder(const QString& dir, const DemoOptions& options);

// Leaves dir complete and written with options: writes it when missing,
// removes and rewrites it when incomplete or written with other options, keeps
// it otherwise. found receives the state before. A foreign folder is refused
// and left as it is, so a mistyped path never costs someone's files.
bool EnsureDemoFolder(const QString& dir, const DemoOptions& options, DemoFolderState& found,
                      QString& errorText);
