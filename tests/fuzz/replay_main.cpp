// Without libFuzzer a fuzz target still runs in every test pass: this driver
// feeds it the files under the directories or files given, each also behind
// a few fixed option prefixes, then a fixed set of pseudo-random inputs.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

constexpr int kRandomInputs = 2000;
constexpr uint32_t kSeed = 0x5eed2026;

void Feed(const std::string& bytes, long& inputs) {
  // A copy of exactly the input's size, so that a read past it shows under ASan.
  std::vector<uint8_t> copy(bytes.begin(), bytes.end());
  LLVMFuzzerTestOneInput(copy.empty() ? nullptr : copy.data(), copy.size());
  ++inputs;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Bytes that steer the formatters and the command-line scanner.
constexpr char kInteresting[] = "\r\n\r\n\t\f\x1a \"-/Vv01+-abAZ";

std::string RandomInput(std::mt19937& rng) {
  std::string bytes(rng() % 640, '\0');
  const bool plain = rng() % 4 == 0;
  for (size_t k = 0; k < bytes.size(); ++k) {
    // The first bytes are the options: any value there.
    if (plain || k < 12 || rng() % 8 == 0) {
      bytes[k] = static_cast<char>(rng());
    } else {
      bytes[k] = kInteresting[rng() % (sizeof kInteresting - 1)];
    }
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  std::mt19937 rng(kSeed);
  long inputs = 0;
  std::vector<std::filesystem::path> files;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path root(argv[i]);
    if (std::filesystem::is_directory(root)) {
      for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
      }
    } else {
      files.push_back(root);
    }
  }
  std::sort(files.begin(), files.end());  // the same order, so the same prefixes, every run
  for (const auto& path : files) {
    const std::string bytes = ReadFile(path);
    Feed(bytes, inputs);
    for (int variant = 0; variant < 3; ++variant) {
      std::string prefix(12, '\0');
      for (char& c : prefix) c = static_cast<char>(rng());
      Feed(prefix + bytes, inputs);
    }
  }
  for (int k = 0; k < kRandomInputs; ++k) Feed(RandomInput(rng), inputs);
  std::printf("%ld inputs\n", inputs);
  return 0;
}
