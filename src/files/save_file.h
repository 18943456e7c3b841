// Saving a file so that nothing is lost: the new content goes to a temporary
// file beside the old one and replaces it in one rename only when all of it
// reached the disk, so a reader sees the old file whole or the new one whole.
#pragma once

#include <cstdio>

// Opens a save of the file name (a symbolic link keeps its link; the file it
// names is replaced). Returns the stream to write the whole new content to,
// or nullptr after "Write file: cannot open %s\n" with name. One save at a
// time: every stream it gives goes back through zq_save_close.
//
// Where no temporary file can be made beside the target (a directory that is
// not writable, a name too long), and for a target that is no regular file
// (a device, a pipe), the file is written in place as a plain open would.
FILE* zq_save_open(const char* name);

// Ends the save: flushes and syncs the new content, closes it and puts it in
// place with the old file's permission bits (a new file gets those the umask
// leaves). Returns 1 when the file now holds every byte written; otherwise
// prints "Write file: cannot write %s\n" with the name, returns 0, and the old
// file is as it was, with no temporary file left behind.
int zq_save_close();
