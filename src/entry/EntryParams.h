// The parameter string an entry point receives in the first of its buffers:
// read on entry, written back (whole pairs only, never past the buffer) when
// the call ends, whatever the outcome.
#pragma once

#include <QString>

#include <cstddef>
#include <string>

class EntryParams {
  public:
    EntryParams(int count, char** buffers);
    ~EntryParams();
    EntryParams(const EntryParams&) = delete;
    EntryParams& operator=(const EntryParams&) = delete;

    // False when the host passed no buffer to read or write.
    bool IsValid() const { return buffer_ != nullptr; }

    QString Get(const char* name) const;
    void Set(const char* name, const QString& value);

  private:
    char* buffer_ = nullptr;
    std::size_t capacity_ = 0;
    std::string text_;
};
