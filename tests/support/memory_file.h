// A file held in memory and opened like one on disk, for tests and fuzz
// targets of the code that reads files; it can be made to fail.
#pragma once

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "viewer/file/file_reader.h"

namespace zorvo {

class MemoryFile : public FileOpener {
 public:
  std::string bytes;
  bool fail = false;  // opening fails with "file not found"
  int opens = 0;

  MemoryFile() = default;
  explicit MemoryFile(std::string b) : bytes(std::move(b)) {}

  std::unique_ptr<FileHandle> Open(const std::wstring&, uint32_t& error) override {
    ++opens;
    if (fail) {
      error = 2;
      return nullptr;
    }
    return std::make_unique<Handle>(bytes);
  }

 private:
  class Handle : public FileHandle {
   public:
    explicit Handle(const std::string& b) : bytes_(b) {}
    bool Size(int64_t& size) override {
      size = static_cast<int64_t>(bytes_.size());
      return true;
    }
    bool Seek(int64_t offset) override {
      position_ = offset;
      return true;
    }
    bool Read(unsigned char* buffer, uint32_t size, uint32_t& got) override {
      got = static_cast<uint32_t>(
          std::clamp<int64_t>(static_cast<int64_t>(bytes_.size()) - position_, 0, size));
      if (got) std::memcpy(buffer, bytes_.data() + position_, got);
      position_ += got;
      return true;
    }
    uint32_t LastError() const override { return 0; }

   private:
    const std::string& bytes_;
    int64_t position_ = 0;
  };
};

}  // namespace zorvo
