// The parameter string an entry point receives in the first of its buffers:
// read on entry, written back when the call ends, whatever the outcome.
//
// The buffer's size is never passed; the module assumes the contract of
// ParamString::AssumedCapacity: at least 500 bytes, or the incoming string's
// length plus one when that is more. The answer goes back whole or not at
// all: when the pairs set do not fit, the buffer keeps what it came with and
// Finish reports the failure.
#pragma once

#include <QString>
#include <QStringList>

#include <cstddef>
#include <string>

class EntryParams {
  public:
    EntryParams(int count, char** buffers);
    // Writes the string back if Finish did not (an exception left the call).
    ~EntryParams();
    EntryParams(const EntryParams&) = delete;
    EntryParams& operator=(const EntryParams&) = delete;

    // False when the host passed no buffer to read or write.
    bool IsValid() const { return buffer_ != nullptr; }

    QString Get(const char* name) const;
    void Set(const char* name, const QString& value);

    // Writes the string back now and returns result, or false, with an error
    // in the log, when pairs set during the call do not fit the buffer: an
    // answer that never reaches the caller is no success.
    bool Finish(bool result);

  private:
    // True when the whole string reached the buffer.
    bool WriteBack();
    QString SetPairNames() const;

    char* buffer_ = nullptr;
    std::size_t capacity_ = 0;
    std::string text_;
    QStringList set_;  // names set during the call, in order
    bool written_ = false;
};
