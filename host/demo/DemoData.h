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

// Fills dir, which must be missing or empty. Runs the reference host on the
// folder while it fills the database and stops it again, so it must not be
// called while a host is running: it then refuses and leaves that host as it
// is. On failure errorText says why; what was written so far stays.
bool MakeDemoFolder(const QString& dir, const DemoOptions& options, QString& errorText);
