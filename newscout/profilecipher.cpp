// Profile text decryption on OpenSSL's AES.
#include "newscout/profilecipher.h"

#include <openssl/evp.h>

namespace {

// Every profile ever shipped is encrypted with this key: the first 16 bytes of
// an 18-character phrase. Changing it makes every installed profile unreadable.
constexpr char kProfileKeyPhrase[] = "Kivoprofile Secret";
static_assert(sizeof kProfileKeyPhrase - 1 == 18);

CProfileCipher::CKey KeyFromPhrase() {
  CProfileCipher::CKey key{};
  for (std::size_t i = 0; i < key.size(); ++i)
    key[i] = static_cast<unsigned char>(kProfileKeyPhrase[i]);
  return key;
}

}  // namespace

struct CProfileCipher::CState {
  EVP_CIPHER_CTX* context = nullptr;
  bool ready = false;
};

CProfileCipher::CProfileCipher(const CKey& key) : m_state(std::make_unique<CState>()), m_key(key) {
  m_state->context = EVP_CIPHER_CTX_new();
  if (!m_state->context)
    return;
  m_state->ready = EVP_DecryptInit_ex(m_state->context, EVP_aes_128_ecb(), nullptr, key.data(), nullptr) == 1 &&
                   EVP_CIPHER_CTX_set_padding(m_state->context, 0) == 1;
}

CProfileCipher::~CProfileCipher() { EVP_CIPHER_CTX_free(m_state->context); }

const CProfileCipher& CProfileCipher::ProfileKey() {
  static const CProfileCipher cipher(KeyFromPhrase());
  return cipher;
}

std::string CProfileCipher::DecryptBlocks(std::string_view cipherText) const {
  std::size_t length = cipherText.size() / kBlockSize * kBlockSize;
  if (!m_state->ready || length == 0)
    return {};
  std::string plain(length, '\0');
  int written = 0;
  // Without padding ECB keeps no state between calls, so the prepared key
  // schedule serves every text.
  if (EVP_DecryptUpdate(m_state->context, reinterpret_cast<unsigned char*>(plain.data()), &written,
                        reinterpret_cast<const unsigned char*>(cipherText.data()), static_cast<int>(length)) != 1 ||
      static_cast<std::size_t>(written) != length)
    return {};
  return plain;
}

std::string CProfileCipher::DecryptText(std::string_view cipherText) const {
  std::string plain = DecryptBlocks(cipherText);
  std::size_t end = plain.find('\0');
  if (end != std::string::npos)
    plain.resize(end);
  return plain;
}

std::string CProfileCipher::EncryptText(std::string_view text) const {
  std::string plain(text.size() / kBlockSize * kBlockSize + kBlockSize, '\0');
  plain.replace(0, text.size(), text);
  std::string cipher(plain.size(), '\0');
  // Only the maker's tool encrypts, a handful of texts a run: a context each is cheap enough.
  EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
  int written = 0;
  bool ok = context && EVP_EncryptInit_ex(context, EVP_aes_128_ecb(), nullptr, m_key.data(), nullptr) == 1 &&
            EVP_CIPHER_CTX_set_padding(context, 0) == 1 &&
            EVP_EncryptUpdate(context, reinterpret_cast<unsigned char*>(cipher.data()), &written,
                              reinterpret_cast<const unsigned char*>(plain.data()), static_cast<int>(plain.size())) == 1 &&
            static_cast<std::size_t>(written) == plain.size();
  EVP_CIPHER_CTX_free(context);
  return ok ? cipher : std::string();
}
