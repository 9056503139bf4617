// What the fuzz targets share: a check that stops the run with its line, and
// a scratch folder for the readers that take a file.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

inline void RequireAt(bool condition, const char* what, int line) {
    if (!condition) {
        std::fprintf(stderr, "check failed at line %d: %s\n", line, what);
        std::abort();
    }
}

#define Require(condition) RequireAt((condition), #condition, __LINE__)

// One folder per run, removed when the run ends.
inline QString ScratchPath(const QString& name) {
    static QTemporaryDir dir;
    Require(dir.isValid());
    return dir.filePath(name);
}

inline QString WriteScratchFile(const QString& name, const QByteArray& bytes) {
    const QString path = ScratchPath(name);
    QDir().mkpath(path.section(QLatin1Char('/'), 0, -2));
    QFile file(path);
    Require(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    Require(file.write(bytes) == bytes.size());
    return path;
}
