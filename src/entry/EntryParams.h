// The parameter string an entry point receives in the first of its buffers:
// read on entry, written back (whole pairs only, never past the buffer) when
// the call ends, whatever the outcome.
//
// The buffer's size is never passed; the module assumes the contract of
// ParamString::AssumedCapacity: at least 500 bytes, or the incoming string's
// length plus one when that is more. Pairs an entry point sets that do not
// fit are lost; Finish turns that loss into a failure.
#pragma once

#include <QString>

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

    char* buffer_ = nullptr;
    std::size_t capacity_ = 0;
    std::string text_;
    bool written_ = false;
};
