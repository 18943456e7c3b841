// What the three fuzzing harnesses share: the calculator put back into its
// initial state before every input, a private directory for the files an
// input writes, and the rest of the machine kept out of its reach.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace zq_fuzz {

// The name under which an input is offered to the calculator as a file.
constexpr char input_file_name[] = "fuzz-input";

// Once per process: output goes to /dev/null and the private directory is
// made.
void setup();

// How an input reaches the calculator: typed on standard input, or as the
// content of the file input_file_name (with nothing typed).
enum class offer { AS_TYPED, AS_FILE };

// Before each input: the calculator as main leaves it before the options,
// with runs bounded, working in the private directory. Offered as a file,
// the input's bytes are followed by pad zero bytes.
void begin_input(const uint8_t* data, size_t size, offer how, size_t pad = 0);
// After each input: the files it wrote are removed and the working
// directory is given back.
void end_input();

// Executes one decoded command as if it were typed.
void execute(int32_t cmd, uint8_t opt, uint16_t add);

// Lists every program in memory, runs the first from its line 1 and calls
// the first global labels in turn, all within the step budget.
void exercise_memory();

}  // namespace zq_fuzz
