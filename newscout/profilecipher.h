// CProfileCipher: the block cipher that hides the texts of a version-check profile.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

// AES-128 in ECB mode without padding, each 16-byte block on its own.
class CProfileCipher {
 public:
  static constexpr std::size_t kBlockSize = 16;
  using CKey = std::array<unsigned char, 16>;

  explicit CProfileCipher(const CKey& key);
  ~CProfileCipher();
  CProfileCipher(const CProfileCipher&) = delete;
  CProfileCipher& operator=(const CProfileCipher&) = delete;

  // The cipher with the key every profile is written with; its key schedule is
  // prepared on first use and kept for the run.
  static const CProfileCipher& ProfileKey();

  // Decrypts the whole blocks of `cipherText`; bytes past the last whole block
  // are ignored. Empty when the cipher library fails.
  std::string DecryptBlocks(std::string_view cipherText) const;
  // The stored text: the decrypted bytes up to the first zero byte.
  std::string DecryptText(std::string_view cipherText) const;
  // The other way: the text zero-filled to whole blocks, at least one zero
  // byte after it, encrypted. Empty when the cipher library fails.
  std::string EncryptText(std::string_view text) const;

 private:
  struct CState;
  std::unique_ptr<CState> m_state;
  CKey m_key;
};
