// Program text files: one program written in its listing form, one step per
// line, and the loader that feeds a file's words to the parser while
// recording, with its filters for line numbers and calculator symbols.
#pragma once

#include <cstdint>
#include <cstdio>

// A word of a program file holds at most 255 characters and its NUL.
constexpr int zq_token_size = 256;

// Writes the program from pc through its END to the file name (put behind
// the path prefix, backslashes made '/'), asking before an existing file is
// overwritten; it is replaced whole or, on any failure, left as it was
// (zq_save_open). Failures are reported by their messages only.
void zq_write_program_file(const char* name);

// Loads the file named in zq_text into program memory from address on: its
// steps are recorded there, then the final END follows, the label chain is
// relinked and the direct jumps are resolved. A file that cannot be opened
// changes nothing (and stops a running program).
void zq_load_program_file(int64_t address);

// Cuts the open file into words and hands them to the parser, with the
// end-of-line word after every line end. Returns the number of bytes that
// went into words straight from the file.
int64_t zq_read_program_file_text(FILE* file);

// Passes one byte of a file through the calculator-symbol mapper: returns 1
// when the byte (perhaps replaced by its ASCII character) is to be used, 0
// when it is dropped.
int zq_map_utf8_char(unsigned char* byte);

// The line-number filter, through which the tokenizer passes every word before
// the parser sees it; it acts only while recording. Returns 1 when the word
// was a line number, which the parser then never sees.
int zq_strip_line_number(const char* word, int end_of_line);
// Forgets what the line-number filter and the symbol mapper learnt from an
// earlier load.
void zq_program_reader_reset();

// 1 when every character is a digit (also for the empty text), else 0.
int zq_is_all_digits(const char* text);
