// The prompt between the two passes of Print Sides, which the profile may
// replace ("OddPageText" of the setup section, with \n, \t and \\).
#pragma once

#include <string>

namespace zorvo {

class ProfileStore;

// The text of "OddPageText" in section "Zorvo Setup" (at most 1025
// characters), its escapes turned into the characters they stand for.
std::wstring LoadOddPageText(ProfileStore& profile);

// "\n" becomes a line feed, "\t" a tab and "\\" one backslash; a backslash
// before anything else stays as it is.
std::wstring UnescapeOddPageText(std::wstring_view text);

}  // namespace zorvo
