// Program text files: the writer of one program in listing form, and the
// loader, whose tokenizer hands a file's words to the parser in record mode.
// The text of a step is the listing's, the meaning of a word the parser's.
#include "files/program_file.h"

#include <strings.h>
#include <unistd.h>

#include <cstring>

#include "files/paths.h"
#include "files/save_file.h"
#include "interp/executor.h"
#include "interp/input.h"
#include "interp/interrupt.h"
#include "interp/labels.h"
#include "interp/listing.h"
#include "interp/parser.h"
#include "interp/program.h"
#include "interp/words.h"
#include "state/execution.h"
#include "state/instr.h"
#include "state/text_builder.h"

namespace {

// The line-number filter: removal is switched on by a first word of digits
// only, and then takes the first word after every line end.
struct zq_line_number_filter {
  int64_t removal = 0;
  int64_t after_line_end = 0;
  int64_t words = 0;
};
zq_line_number_filter zq_line_numbers;

// The calculator-symbol mapper, fed one byte at a time.
enum zq_utf8_phase : int { UTF8_IDLE = 0, UTF8_AFTER_LEAD3 = 1, UTF8_WANT_FINAL = 2 };
struct zq_utf8_mapper {
  int phase = UTF8_IDLE;
  int length = 0;
  // The byte before the final one: the lead byte of a two-byte sequence,
  // the middle byte of a three-byte one.
  unsigned char key = 0;
  unsigned char lead = 0;
  unsigned char middle = 0;
};
zq_utf8_mapper zq_utf8;

struct zq_symbol {
  unsigned char key;
  unsigned char final_byte;
  char ascii;
};
// The lead byte of a three-byte sequence is never compared.
constexpr zq_symbol zq_symbols[] = {
    {0x94, 0x9C, '>'},  // box drawing vertical and right: the append prefix >"
    {0x96, 0xB8, ' '},  // small right-pointing triangle
    {0x86, 0x92, '-'},  // rightwards arrow
    {0x86, 0x93, 'd'},  // downwards arrow
    {0xC3, 0x97, '*'},  // multiplication sign
    {0xC3, 0xB7, '/'},  // division sign
    {0xB4, 0x87, 'e'},  // small capital E
    {0x89, 0xA4, 'l'},  // less-than or equal to
    {0x89, 0xA5, 'g'},  // greater-than or equal to
    {0xCE, 0xA3, 's'},  // capital sigma
    {0x89, 0xA0, 'n'},  // not equal to
};

bool zq_is_line_end(int byte) { return byte == '\n' || byte == '\r'; }

// A word with a text prefix that does not end in its closing quote.
bool zq_is_open_string(const char* word) {
  return zq_get_string_prefix_len(word) > 0 && zq_is_string_token_closed(word) != 1;
}

// No program needs a longer file: memory holds at most one step per word,
// and no step's line is longer than a full token and its line end.
constexpr int64_t zq_load_byte_limit = zq_prog_size * zq_token_size;

// The bytes of a file being loaded. They end early, as if the file ended
// there, at an interrupt of the running program that loads, and once the
// file has given more than any program can use: a device or a FIFO may
// never end.
class zq_load_input {
 public:
  explicit zq_load_input(FILE* file) : file_(file) {}
  int next() {
    if (too_long_ || zq_sigint_flag) return EOF;
    const int byte = getc(file_);
    if (byte != EOF && ++read_ > zq_load_byte_limit) {
      too_long_ = true;
      return EOF;
    }
    return byte;
  }
  // Tells why the file ended early, if it did.
  void report(const char* name) const {
    if (zq_sigint_flag) {
      printf("getp: loading %s interrupted.\n", name);
    } else if (too_long_) {
      printf("getp: %s is too long for program memory, loading stopped.\n", name);
    }
  }

 private:
  FILE* file_;
  int64_t read_ = 0;
  bool too_long_ = false;
};

// Closes an open string word: a blank, then the raw bytes of the file up to
// a stop byte (consumed, not stored), then a double quote. Returns the stop
// byte, or EOF. Bytes that no longer fit the word are still read, so the
// next word begins where it would have.
int zq_close_open_string(zq_text_builder& word, zq_load_input& input) {
  word.put(' ');
  int byte = input.next();
  while (byte != EOF && byte != '\n' && byte != '\t' && byte != '"' && byte != '\r' && byte != '\0' &&
         byte < 0x80) {
    word.put(static_cast<char>(byte));
    byte = input.next();
  }
  word.put('"');
  return byte;
}

int64_t zq_read_words(zq_load_input& input);

// Hands a finished word to the parser, which records it: the loader feeds
// the parser as typed lines do. A line number goes no further than the
// filter. report asks for the notice of a word that the parser refused. A
// word that outgrew its buffer is refused whole, since a cut word (a name, a
// number, a text without its closing quote) would mean something else.
void zq_hand_over(zq_text_builder& word, bool report) {
  if (word.too_long()) {
    printf("bad: %s\n", word.c_str());
    zq_parse_refused_word();
    return;
  }
  if (zq_strip_line_number(word.c_str(), 0)) return;
  if (zq_parse_word(word.data(), word.size(), 0) == 0 && report) printf("bad: %s\n", word.c_str());
}

// The end-of-line word after a line end. It is never a line number, but the
// filter counts it and learns that a line has ended.
void zq_hand_over_line_end() {
  zq_strip_line_number(zq_end_of_line_word, 1);
  zq_parse_line_end();
}

// The last line of the last program, written as the final END's listing.
// Read back it would record an xeq of a label "end"; the loader places the
// final END itself, so the word is passed over.
constexpr char zq_final_end_word[] = ".end.";

// Whether the file can be read: a directory opens but yields no byte.
bool zq_file_readable(FILE* file) {
  const int byte = getc(file);
  if (byte == EOF) return !ferror(file);
  ungetc(byte, file);
  return true;
}

}  // namespace

void zq_write_program_file(const char* name) {
  snprintf(zq_text, zq_text_size, "%s", name);
  zq_prefix_path();
  zq_fix_path_separators(zq_text);
  if (access(zq_text, F_OK) == 0) {
    printf("%s exists, Overwrite (Y)es or (N)o\n", name);
    // An empty answer and the end of input count as no.
    const char answer = zq_read_answer();
    if (answer != 'Y' && answer != 'y') {
      printf("%s will not be overwritten\n", name);
      return;
    }
    fputs("Overwriting", stdout);
  } else {
    fputs("Writing", stdout);
  }
  printf(" file: %s\n", zq_text);
  FILE* file = zq_save_open(zq_text);
  if (!file) return;
  // The whole program: from pc through its END.
  zq_decoded.add = 0;
  zq_list_program(file);
  zq_save_close();
}

void zq_load_program_file(int64_t address) {
  zq_program_reader_reset();
  zq_fix_path_separators(zq_text);
  if (zq_mode == MODE_IMMEDIATE) printf("Loading program into memory from: %s\n", zq_text);
  const uint32_t mode = zq_mode;
  zq_mode = MODE_RECORD;
  FILE* file = fopen(zq_text, "r");
  if (file && !zq_file_readable(file)) {
    fclose(file);
    file = nullptr;
  }
  if (!file) {
    fprintf(stderr, "getp: cannot open %s\n", zq_text);
    // The quit request stops a running program after this step.
    if (mode == MODE_RUN) zq_quit = 1;
    zq_mode = mode;
    return;
  }

  // The file's words go through the parser, which must come back to the
  // command that loads: nothing the file leaves pending (an operand still
  // awaited, a comment) may complete a command typed after it. An xail line
  // that loads must not have its refusals applied to the file's words.
  const zq_instr decoded = zq_decoded;
  const uint32_t parse_state = zq_parse_state;
  const uint64_t arg_kind = zq_arg_kind;
  const int64_t xail = zq_xail;
  zq_reset_decoded();
  zq_xail = 0;

  // The parser takes zq_text for every word.
  char name[zq_text_size];
  std::memcpy(name, zq_text, sizeof name);
  pc = address;
  zq_load_input input(file);
  zq_read_words(input);
  fclose(file);
  input.report(name);
  zq_put_final_end(pc);
  zq_link_labels();
  // Memory from address on was replaced: no pending return may still point
  // into it, and no cache may still name an old destination (the loaded
  // program may hold a global label that now wins over an earlier one).
  zq_clear_jump_caches();
  zq_drop_returns_from(address);
  zq_resolve_jumps();

  zq_decoded = decoded;
  zq_parse_state = parse_state;
  zq_arg_kind = arg_kind;
  zq_xail = xail;
  zq_mode = mode;
}

namespace {

// The tokenizer over the bytes of one load.
int64_t zq_read_words(zq_load_input& input) {
  puts(" ");
  char buffer[zq_token_size];
  zq_text_builder word(buffer);
  bool quoted = false;
  int64_t taken = 0;
  for (int next = input.next(); next != EOF; next = input.next()) {
    unsigned char byte = static_cast<unsigned char>(next);
    if (!zq_map_utf8_char(&byte)) continue;
    // A NUL would end the word's text early; it is dropped like an unknown byte.
    if (byte == '\0') continue;
    const bool separator = byte == '\n' || byte == '\t' || byte == '\r' || (byte == ' ' && !quoted);
    if (!separator) {
      if (byte == '"') quoted = !quoted;
      taken += word.put(static_cast<char>(byte));
      continue;
    }
    bool line_end = zq_is_line_end(byte);
    if (!word.empty()) {
      // An open string runs on over the separator that ended it.
      if (zq_is_open_string(word.c_str())) line_end = zq_is_line_end(zq_close_open_string(word, input));
      if (strcasecmp(word.c_str(), zq_final_end_word) != 0) zq_hand_over(word, true);
      word.clear();
      quoted = false;
    }
    if (line_end) zq_hand_over_line_end();
  }
  if (!word.empty()) {
    if (zq_is_open_string(word.c_str())) zq_close_open_string(word, input);
    if (strcasecmp(word.c_str(), zq_final_end_word) != 0) zq_hand_over(word, false);
  }
  return taken;
}

}  // namespace

int64_t zq_read_program_file_text(FILE* file) {
  zq_load_input input(file);
  return zq_read_words(input);
}

int zq_map_utf8_char(unsigned char* byte) {
  const unsigned char value = *byte;
  if (value < 0x80) return 1;
  switch (zq_utf8.phase) {
    case UTF8_IDLE:
      zq_utf8.lead = value;
      if (value == 0xE2 || value == 0xE1) {
        zq_utf8.phase = UTF8_AFTER_LEAD3;
        zq_utf8.length = 3;
      } else if (value == 0xC3 || value == 0xCE) {
        zq_utf8.phase = UTF8_WANT_FINAL;
        zq_utf8.length = 2;
        zq_utf8.key = value;
      }
      return 0;
    case UTF8_AFTER_LEAD3:
      zq_utf8.key = value;
      zq_utf8.middle = value;
      zq_utf8.phase = UTF8_WANT_FINAL;
      return 0;
    default: break;
  }
  zq_utf8.phase = UTF8_IDLE;
  for (const zq_symbol& symbol : zq_symbols) {
    if (symbol.key == zq_utf8.key && symbol.final_byte == value) {
      *byte = static_cast<unsigned char>(symbol.ascii);
      return 1;
    }
  }
  if (zq_utf8.length == 3) {
    printf("Unknown input characters: %X %X %X", zq_utf8.lead, zq_utf8.middle, value);
  } else {
    printf("Unknown input characters: %X %X", zq_utf8.lead, value);
  }
  return 0;
}

int zq_strip_line_number(const char* word, int end_of_line) {
  int consumed = 0;
  if (zq_mode == MODE_RECORD) {
    ++zq_line_numbers.words;
    if (!zq_line_numbers.removal && zq_line_numbers.words == 1 && zq_is_all_digits(word)) {
      zq_line_numbers.removal = 1;
      // Printed as a line of its own, so an empty line follows.
      puts("Removing line numbers detected in input program.\n");
      consumed = 1;
    } else if (zq_line_numbers.removal && zq_line_numbers.after_line_end) {
      if (zq_is_all_digits(word)) {
        consumed = 1;
      } else {
        puts("Line number expected but found something else.");
      }
    }
  }
  zq_line_numbers.after_line_end = end_of_line ? 1 : 0;
  return consumed;
}

void zq_program_reader_reset() {
  zq_line_numbers = zq_line_number_filter{};
  // A sequence cut by the end of an earlier file must not swallow a byte of
  // the next one.
  zq_utf8 = zq_utf8_mapper{};
}

int zq_is_all_digits(const char* text) {
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9') return 0;
  }
  return 1;
}
