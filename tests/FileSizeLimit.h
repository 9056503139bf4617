// A disk that takes no more, for as long as the object lives: the process may
// write no file beyond the given size, as a quota or a full disk would refuse
// it (the write fails with EFBIG instead of the signal). Hold it only around
// the call under test: every file the process writes meanwhile is limited.
#pragma once

#include <sys/resource.h>

#include <csignal>

class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        if (::getrlimit(RLIMIT_FSIZE, &previous_) != 0) {
            return;
        }
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        if (previousHandler_ == SIG_ERR) {
            return;
        }
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        limited_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        if (limited_) {
            ::setrlimit(RLIMIT_FSIZE, &previous_);
        }
        if (previousHandler_ != SIG_ERR) {
            std::signal(SIGXFSZ, previousHandler_);
        }
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool Ok() const { return limited_; }

  private:
    rlimit previous_{};
    void (*previousHandler_)(int) = SIG_ERR;
    bool limited_ = false;
};
