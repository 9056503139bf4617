/// @file ParamString.h
/// @brief Parameter strings: name=value pairs joined by ";", the way host and
/// module exchange small sets of values.
///
/// Plain bytes (UTF-8 here), no Qt, so the fuzzer can build this file on its
/// own. Hosts link it as the static library libParamString.a.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

/// Coding, reading and writing parameter strings, and the buffers that carry
/// them to the entry points.
namespace ParamString {

/// Between two pairs.
inline constexpr char kSeparator = ';';
/// Between a pair's name and its value.
inline constexpr char kNameValueMark = '=';

/// Smallest capacity assumed for a caller's buffer whose size we are not told.
/// A host that hands the module a parameter-string buffer must make it at
/// least this large, or the incoming string's length plus one when that is
/// more (see AssumedCapacity). Equals #COMPANYMGR_PARAM_BUFFER_MIN.
inline constexpr std::size_t kHostBufferSize = 500;

/// value with "=" written "&eq%" and ";" written "&lim%", so that it stays one
/// value inside a parameter string.
std::string EncodeParamValue(std::string_view value);
/// The value that EncodeParamValue wrote as text.
std::string DecodeParamValue(std::string_view text);

/// The decoded value of the first pair named name with a non-empty value;
/// empty when there is none.
std::string GetParamValue(std::string_view paramString, std::string_view name);
/// paramString with the first pair named name set to value (encoded): replaced
/// where it stands, dropped for an empty value, or added at the end. Empty
/// pieces are dropped, so rebuilding a string never makes it grow.
std::string SetParamValue(std::string_view paramString, std::string_view name,
                          std::string_view value);

/// Appends the pieces of text between separators to list; an empty separator
/// appends text whole.
void SplitParamString(std::string_view text, std::string_view separator,
                      std::vector<std::string>& list);

/// Every non-overlapping occurrence of pattern, scanned left to right with a
/// Boyer-Moore-Horspool skip table. The case-insensitive mode folds ASCII only.
std::string ReplaceAll(std::string_view source, std::string_view pattern,
                       std::string_view replacement, bool caseSensitive);

/// Capacity to assume for a buffer handed in by the host: the larger of the
/// module's own buffer size and what the incoming string already occupies.
/// The module is never told the real size, so this is the contract between
/// the two: the host's buffer holds at least max(500, strlen(incoming) + 1)
/// bytes, and the module never writes past that.
std::size_t AssumedCapacity(const char* buffer);

/// Copies a parameter string back into a caller's buffer of the given capacity,
/// zero-terminated. When it does not fit, only whole pairs are written and the
/// rest is lost: the result is shorter than paramString. Whoever copies an
/// answer back must compare the two and report the loss as a failure.
/// Returns the number of bytes written before the terminating zero.
std::size_t CopyToBuffer(std::string_view paramString, char* buffer, std::size_t capacity);

/// A zero-filled buffer of size bytes for a host call; false when it could not
/// be had. The size lives in a header ahead of the address handed out, so
/// freeing needs only the address.
bool AllocHostBuffer(std::size_t size, char*& buffer);
/// Frees a buffer of AllocHostBuffer; null is ignored.
void FreeHostBuffer(char* buffer);
/// The size a buffer of AllocHostBuffer was made with.
std::size_t HostBufferSize(const char* buffer);

/// Owns one host buffer for the length of a call.
class HostBuffer {
  public:
    /// A zero-filled buffer of size bytes.
    explicit HostBuffer(std::size_t size = kHostBufferSize);
    /// Frees the buffer.
    ~HostBuffer();
    HostBuffer(const HostBuffer&) = delete;
    HostBuffer& operator=(const HostBuffer&) = delete;

    /// False when the buffer could not be had; it is then empty.
    bool IsValid() const { return valid_; }
    /// The buffer, to hand to an entry point or host function.
    char* Data() const { return buffer_; }
    /// Its size in bytes.
    std::size_t Size() const { return size_; }
    /// Puts paramString in, as whole pairs that fit (CopyToBuffer).
    void Assign(std::string_view paramString);
    /// What the buffer holds, up to its terminating zero.
    std::string Text() const;

  private:
    char* buffer_ = nullptr;
    std::size_t size_ = 0;
    bool valid_ = false;
};

}  // namespace ParamString
