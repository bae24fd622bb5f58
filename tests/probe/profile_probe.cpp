// Reads and writes profile values through the program's own store, so that
// end-to-end tests can check from outside (wine reg, the files on disk) what
// the store really keeps.
//   profile_probe ini PATH | user [ROOT]
//                 get SECTION KEY | set SECTION KEY VALUE | delete SECTION [KEY] | keys SECTION
#include <cstdio>
#include <string>
#include <vector>

#include "common/wide_text.h"
#include "viewer/settings/profile_store.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

namespace {

int Usage() {
  std::fputs(
      "usage: profile_probe ini PATH | user [ROOT]\n"
      "       get SECTION KEY | set SECTION KEY VALUE | delete SECTION [KEY] | keys SECTION\n",
      stderr);
  return 2;
}

int Run(const std::vector<std::wstring>& args) {
  using namespace zorvo;
  size_t i = 0;
  if (args.size() < 3) return Usage();
  std::unique_ptr<ProfileBackend> backend;
  if (args[i] == L"ini") {
    backend = MakeIniBackend(args[i + 1]);
    i += 2;
  } else if (args[i] == L"user") {
    ++i;
    std::wstring root;
    if (args.size() > i && args[i] != L"get" && args[i] != L"set" && args[i] != L"delete" &&
        args[i] != L"keys") {
      root = args[i++];
    }
    backend = MakeUserStoreBackend(root);
  } else {
    return Usage();
  }
  ProfileStore store(std::move(backend));
  const std::vector<std::wstring> rest(args.begin() + static_cast<long>(i), args.end());
  if (rest.size() == 3 && rest[0] == L"get") {
    const std::wstring value = store.GetText(rest[1], rest[2], L"<missing>", 4096);
    std::printf("%s\n", Utf8FromWide(value).c_str());
    return 0;
  }
  if (rest.size() == 4 && rest[0] == L"set") {
    return store.WriteText(rest[1], rest[2].c_str(), rest[3].c_str()) ? 0 : 1;
  }
  if ((rest.size() == 2 || rest.size() == 3) && rest[0] == L"delete") {
    return store.WriteText(rest[1], rest.size() == 3 ? rest[2].c_str() : nullptr, nullptr) ? 0 : 1;
  }
  if (rest.size() == 2 && rest[0] == L"keys") {
    for (const std::wstring& key : store.backend().Keys(rest[1])) {
      std::printf("%s\n", Utf8FromWide(key).c_str());
    }
    return 0;
  }
  return Usage();
}

}  // namespace

#if defined(_WIN32)
int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  return Run(std::vector<std::wstring>(argv + 1, argv + argc));
}
#else
int main(int argc, char** argv) {
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) args.push_back(zorvo::WideFromUtf8(argv[i]));
  return Run(args);
}
#endif
