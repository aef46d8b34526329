#include "platform/byte_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vartenos {

bool LerArquivo(const std::string& path, std::vector<uint8_t>& out, std::string& error) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    error = path + ": cannot open: " + std::strerror(errno);
    return false;
  }
  out.clear();
  uint8_t buf[65536];
  size_t got;
  while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + got);
  const bool falhou = std::ferror(f) != 0;
  std::fclose(f);
  if (falhou) {
    error = path + ": cannot read";
    return false;
  }
  return true;
}

bool EscreverArquivo(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) {
    error = path + ": cannot create: " + std::strerror(errno);
    return false;
  }
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !ok) {
    error = path + ": cannot write";
    return false;
  }
  return true;
}

}  // namespace vartenos
