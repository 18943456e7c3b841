// A start of the calculator, as main makes it: the options in any
// combination, a zq17.mem of either kind (whole, cut or with a changed byte),
// of another kind of file or none, then the welcome with its restore offer,
// answered by what is typed, and the session that follows. An unknown option
// ends the process, as it should. Then the state left must keep its
// invariants and survive its files.
//
// The input: one byte choosing zq17.mem, one placing its damage, one giving
// the number of arguments, one per argument choosing it; the rest is typed.
#include <unistd.h>

#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "app/main_loop.h"
#include "fuzz_support.h"
#include "state/execution.h"

namespace {

// Options and file names; a name can follow an option or stand alone.
constexpr const char* arguments[] = {"-r",
                                     "-R",
                                     "-l",
                                     "-L",
                                     "-x",
                                     "-X",
                                     "-i",
                                     "-I",
                                     "-q",
                                     "-",
                                     "--",
                                     "-rl",
                                     "zq17.mem",
                                     "plain.txt",
                                     "sub/prog.txt",
                                     "sub/state.mem",
                                     "link-sub/state.mem",
                                     "link-file",
                                     "link-dangling",
                                     "link-loop",
                                     "readonly.txt",
                                     "folder.mem",
                                     "fifo",
                                     "fifo-read",
                                     "missing",
                                     "sub/",
                                     "../escape",
                                     "/etc/hostname",
                                     "./sub/../plain.txt",
                                     ""};
constexpr size_t argument_count = std::size(arguments);
constexpr size_t most_arguments = 7;
constexpr size_t header_size = 3;

// What stands under the name zq17.mem before the start.
enum class state_file : uint8_t {
  NONE,
  ALL,
  STATUS,
  ALL_CUT,
  ALL_CHANGED,
  STATUS_CHANGED,
  FOLDER,
  LINK,
  KINDS
};

void lay_state_file(state_file kind, uint8_t where) {
  const std::string& all = zq_fuzz::valid_state_file(true);
  const std::string& status = zq_fuzz::valid_state_file(false);
  std::string content;
  switch (kind) {
    case state_file::NONE: return;
    case state_file::ALL: content = all; break;
    case state_file::STATUS: content = status; break;
    case state_file::ALL_CUT: content = all.substr(0, all.size() * where / 256); break;
    case state_file::ALL_CHANGED:
      content = all;
      // Bytes of the header, the status and the first program words.
      content[(where * 37u) % 9500u] ^= static_cast<char>(1u << (where % 8));
      break;
    case state_file::STATUS_CHANGED:
      content = status;
      content[where % content.size()] ^= static_cast<char>(1u << (where % 8));
      break;
    case state_file::FOLDER:
    case state_file::LINK: {
      // A folder, or a link to the valid state file in a folder.
      const char* target = kind == state_file::FOLDER ? "folder.mem" : "sub/state.mem";
      zq_fuzz::lay_file("zq17.mem", "");
      unlink("zq17.mem");
      if (symlink(target, "zq17.mem") != 0) std::abort();
      return;
    }
    case state_file::KINDS: return;
  }
  zq_fuzz::lay_file("zq17.mem", content);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  zq_fuzz::setup();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < header_size) return -1;
  const size_t count = data[2] % (most_arguments + 1);
  if (size < header_size + count) return -1;
  std::vector<std::string> words{"zq17"};
  for (size_t i = 0; i < count; ++i) words.emplace_back(arguments[data[header_size + i] % argument_count]);
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const size_t typed = header_size + count;

  zq_fuzz::begin_input(data + typed, size - typed, zq_fuzz::offer::AS_TYPED);
  lay_state_file(static_cast<state_file>(data[0] % static_cast<uint8_t>(state_file::KINDS)), data[1]);
  const bool lived = zq_fuzz::run_process([&argv] {
    // As main does it.
    zq_init_at_start();
    zq_mode = MODE_IMMEDIATE;
    zq_apply_options(static_cast<int>(argv.size() - 1), argv.data());
    zq_welcome();
    zq_main_loop();
  });
  if (lived) {
    zq_fuzz::check_invariants();
    zq_fuzz::check_round_trips();
  }
  zq_fuzz::end_input();
  return 0;
}
