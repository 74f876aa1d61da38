#include "sm3.h"

#include <openssl/evp.h>

Sm3Hasher::Sm3Hasher() : ctx_(EVP_MD_CTX_new()), ok_(false) {
  ok_ = ctx_ != nullptr && EVP_DigestInit_ex(ctx_, EVP_sm3(), nullptr) == 1;
}

Sm3Hasher::~Sm3Hasher() { EVP_MD_CTX_free(ctx_); }

void Sm3Hasher::Update(const void* data, std::size_t size) {
  if (ok_ && size > 0) ok_ = EVP_DigestUpdate(ctx_, data, size) == 1;
}

bool Sm3Hasher::Final(Sm3Digest* digest) {
  unsigned int n = 0;
  if (ok_) ok_ = EVP_DigestFinal_ex(ctx_, digest->data(), &n) == 1 && n == digest->size();
  bool result = ok_;
  ok_ = false;
  return result;
}

bool ComputeSm3(const void* data, std::size_t size, Sm3Digest* digest) {
  Sm3Hasher hasher;
  hasher.Update(data, size);
  return hasher.Final(digest);
}
