// Writes the libFuzzer dictionary of the typed-session and program-file
// harnesses: every command name and alias of the table, and the other words
// and marks that the parser and the program loader know.
#include <cstdio>
#include <cstring>

#include "interp/command_table.h"

namespace {

void entry(const char* text) {
  std::putchar('"');
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c != '\0'; ++c) {
    if (*c == '"' || *c == '\\' || *c < 0x20 || *c >= 0x7f) {
      std::printf("\\x%02X", *c);
    } else {
      std::putchar(*c);
    }
  }
  std::puts("\"");
}

constexpr const char* other_words[] = {
    // Operand words, text prefixes, comments and the period shortcut.
    "ind", "st", "x", "y", "z", "t", "l", "\"", ">\"", "+\"", "|-\"", "@", "{", ";", ".", " ", "\n", "\r\n",
    "\t",
    // Numbers at the edges of the decimal type and of the operand fields.
    "e", "1e384", "9.999999999999999e384", "1e-383", "1e-398", "-0", "1,5", "65535", "65536", "999", "1000",
    "1005", "4294967296", "99", "25", "59", "62", "63",
    // Line numbers and the final END's line of a saved program file.
    "01 ", ".end.",
    // The files that the private directory holds, and names that lead out.
    "plain.txt", "sub/", "sub/prog.txt", "sub/state.mem", "readonly.txt", "folder.mem", "link-file",
    "link-sub", "link-sub/", "link-dangling", "link-loop", "fifo", "fifo-read", "zq17.mem", "../", "/",
    // The calculator symbols that program files may hold.
    "\xE2\x94\x9C", "\xE2\x96\xB8", "\xE2\x86\x92", "\xE2\x86\x93", "\xC3\x97", "\xC3\xB7", "\xE1\xB4\x87",
    "\xE2\x89\xA4", "\xE2\x89\xA5", "\xCE\xA3", "\xE2\x89\xA0"};

}  // namespace

int main() {
  for (int row = zq_first_named_row; row < zq_end_row; ++row) entry(zq_commands[row].name);
  for (const zq_alias& alias : zq_aliases) entry(alias.alias);
  for (const char* word : other_words) entry(word);
  return 0;
}
