// SM3 (GB/T 32905) through libcrypto.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

using Sm3Digest = std::array<std::uint8_t, 32>;

struct evp_md_ctx_st;  // libcrypto's EVP_MD_CTX

// Incremental hashing for contents that arrive in pieces.
class Sm3Hasher {
 public:
  Sm3Hasher();
  ~Sm3Hasher();
  Sm3Hasher(const Sm3Hasher&) = delete;
  Sm3Hasher& operator=(const Sm3Hasher&) = delete;

  // False when libcrypto could not set up the digest; every later call then fails too.
  bool ok() const { return ok_; }
  void Update(const void* data, std::size_t size);
  // Returns false when any step failed; the hasher cannot be used afterwards.
  [[nodiscard]] bool Final(Sm3Digest* digest);

 private:
  evp_md_ctx_st* ctx_;
  bool ok_;
};

// One-shot digest; false only when libcrypto fails.
[[nodiscard]] bool ComputeSm3(const void* data, std::size_t size, Sm3Digest* digest);
