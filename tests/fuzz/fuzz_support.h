// What the fuzzing harnesses share: the calculator put back into its
// initial state before every input, a private directory for the files an
// input writes (with files of every kind already there), the rest of the
// machine kept out of its reach, and the checks of what the calculator
// promises after an input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace zq_fuzz {

// The name under which an input is offered to the calculator as a file.
constexpr char input_file_name[] = "fuzz-input";

// The files that the private directory holds before every input, besides
// what an input writes: a program file (plain.txt), one in a folder
// (sub/prog.txt), a write-all state file there (sub/state.mem), a file
// without write permission (readonly.txt), a folder where a file is
// expected (folder.mem), links (link-file to plain.txt, link-sub to sub,
// link-dangling to nothing, link-loop to itself), a FIFO that nobody reads
// (fifo) and one whose read end the sandbox holds open (fifo-read).
constexpr const char* fixture_names[] = {"plain.txt",  "sub/prog.txt", "sub/state.mem", "readonly.txt",
                                         "folder.mem", "link-file",    "link-sub",      "link-dangling",
                                         "link-loop",  "fifo",         "fifo-read",     "link-sub/prog.txt"};

// Once per process: output goes to /dev/null and the private directory is
// made.
void setup();

// How an input reaches the calculator: typed on standard input, or as the
// content of the file input_file_name (with nothing typed).
enum class offer { AS_TYPED, AS_FILE };

// Before each input: the calculator as main leaves it before the options,
// with runs bounded, working in the private directory. Offered as a file,
// the input's bytes are followed by pad zero bytes. Typed, they are handed
// over in short pieces of lengths drawn from the input itself.
void begin_input(const uint8_t* data, size_t size, offer how, size_t pad = 0);
// After each input: the files it wrote are removed and the working
// directory is given back.
void end_input();

// Thrown by the sandbox where the process would end: an exit, or a wait
// that only the user's interrupt or kill ends while no handler of the
// calculator takes the interrupt. The harness catches it, as the shell
// would see the process go.
struct process_end {};
// The process's end as the sandbox saw it: the signal mask and the
// interrupt's action it had before the input come back.
void after_process_end();
// Runs body as a process runs; false when the process ended within it.
template <typename Body>
bool run_process(Body body) {
  try {
    body();
    return true;
  } catch (const process_end&) {
    after_process_end();
    return false;
  }
}

// Executes one decoded command as if it were typed.
void execute(int32_t cmd, uint8_t opt, uint16_t add);

// Lists every program in memory, runs the first from its line 1 and calls
// the first global labels in turn, all within the step budget.
void exercise_memory();

// Aborts, naming the breach, unless every register's tag is a known one,
// the alpha register and every text cell are NUL-padded within their
// sizes, program memory's steps lead from line 1 through each END to the
// final END, and the return stack's depth is within its slots.
void check_invariants();

// Aborts unless the state and the programs survive their files: wrta, then
// a fresh start with the display modes put back, reada (which must succeed),
// the same stack display and a second wrta byte-equal to the first; the
// same with wrts and reads; savep of each program, then a fresh getp giving
// the same listing. Leaves the state of the last fresh start.
void check_round_trips();

// Writes content to name in the private directory (for the harnesses that
// lay out a state file before a start).
void lay_file(const char* name, const std::string& content);
// A write-all and a status state file of a small state, as the calculator
// writes them.
const std::string& valid_state_file(bool all);

}  // namespace zq_fuzz
