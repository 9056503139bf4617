// Bytes each character of the basic plane takes in the legacy code page's
// full form, GB18030 (GBK plus four-byte sequences for everything GBK lacks).
#pragma once

#include <array>
#include <cstdint>

class TLegacyWidths {
  public:
    // Read once from the toolkit's encoder of that name (GB18030's), so that
    // counting and encoding can never disagree. An encoder that is missing,
    // refuses a character or writes sequences of another form leaves a table
    // that never counts fewer bytes than GB18030 takes.
    explicit TLegacyWidths(const char* encoderName);

    int Of(char16_t c) const { return widths_[c]; }

  private:
    bool ReadFromEncoder(const char* encoderName);
    void Guess();

    // Surrogates keep four: a pair is counted as one character, and a lone
    // one is counted as the most a replacement could take.
    std::array<std::uint8_t, 0x10000> widths_;
};
