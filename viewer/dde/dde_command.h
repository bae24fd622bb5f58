// The command language other programs drive a running viewer with: an
// execute string of bracketed commands, each a name and up to five
// arguments, "[Open "C:\My Files\big.log"][Display Hex]". The parser cuts
// one command into its parts, the recognizer turns the parts into a tagged
// command, and the runner carries out a whole execute string command by
// command through a callback; the DDE server maps each command to what the
// main window does for the same menu command.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace zorvo {

inline constexpr int kDdeMaxParts = 6;               // the name and up to five arguments
inline constexpr size_t kDdeMaxExecuteBytes = 1024;  // 511 characters and the 0

// ParseDdeCommand's results below 1.
enum DdeParseResult : int {
  kDdeEnd = 0,            // only white space, or nothing, is left
  kDdeBeyondText = -3,    // the start lies beyond the text
  kDdeNoBracket = -4,     // the next character that is not white space is not '['
  kDdeTooManyParts = -5,  // a seventh part
  kDdeUnclosed = -6,      // the text ends before the command's ']'
};

struct DdeParts {
  std::array<std::wstring, kDdeMaxParts> part;  // parts not given are empty
  int count = 0;
};

// Parses the command that starts at or after `start` (white space may come
// first). A part in double quotes runs to the next lone double quote, with
// "" standing for one; any other part runs to white space, ']' or the end.
// Returns the index just after the command's ']', or a DdeParseResult.
int ParseDdeCommand(std::wstring_view text, int start, DdeParts& parts);

// What one command asks for.
enum class DdeAction : uint8_t {
  kNothing,  // a known command with a keyword it does not know: does nothing
  kOpen,
  kClose,
  kPrint,
  kPrintPage,
  kPrintTags,
  kExit,
  kIgnoreDde,
  kDisplayText,
  kDisplayHex,
  kDisplayRaw,
  kDisplayWrap,
  kDisplayFollow,
  kZoomIn,
  kZoomOut,
  kZoomReset,
  kMinimize,
  kMaximize,
  kRestore,
  kOnTop,
  kFind,
  kSetup,
  kUnknown,      // a name that is no command: ends the execute string
  kBadArgument,  // an argument that cannot be carried out as given: ends it too
};

struct DdeCommand {
  DdeAction action = DdeAction::kUnknown;
  std::wstring text;         // kOpen: the path; kSetup: the section, "Setup: " + name
  std::string pattern;       // kFind: the bytes, ANSI text or from hex digits
  uint16_t searchFlags = 0;  // kFind: the search flags
  bool markAll = false;      // kFind: Mark All instead of Find Next
};

// The command the parts name. Names and keywords compare without regard to
// the case of A-Z.
DdeCommand RecognizeDdeCommand(const DdeParts& parts);

enum class DdeAnswer { kAck, kNotProcessed };

// The text of execute data: UTF-16 code units up to the first 0.
std::wstring DdeExecuteText(const void* data, size_t size);

// The text of an execute transaction, from the data as the client sent it
// (`sent`, when known) and as DDEML handed it to the callback (`handed`).
// Some DDEML implementations take UTF-16 data that holds a character above
// 255 for ANSI text and hand over its conversion, which has lost the text;
// data sent as UTF-16 commands (after blanks, a '[') is therefore read as
// sent, anything else as handed.
std::wstring DdeTransactionText(std::span<const unsigned char> sent,
                                std::span<const unsigned char> handed);

// Carries out every command of `text` in order through `run`, which returns
// false for a command it cannot carry out. The first command that the parser
// rejects, that is unknown, has a bad argument or is refused ends the text:
// the commands before it stay done, and the answer is kNotProcessed.
DdeAnswer RunDdeCommands(std::wstring_view text, const std::function<bool(const DdeCommand&)>& run);

}  // namespace zorvo
