// Saving a file so that nothing is lost: the new content goes to a temporary
// file beside the old one and replaces it in one rename only when all of it
// reached the disk, so a reader sees the old file whole or the new one whole.
#pragma once

#include <cstdio>

// Opens a save of the file name (a symbolic link keeps its link; the file it
// names is replaced). Returns the stream to write the whole new content to,
// or nullptr after "Write file: cannot open %s\n" with name, the old file
// untouched. One save at a time: every stream it gives goes back through
// zq_save_close.
//
// The file saved is the one that open(name, O_WRONLY | O_CREAT) would write,
// and the save is refused wherever that open would be: the kernel judges the
// name, its links and the target, and a link the save follows itself is
// held to the kernel's rule for links in shared folders.
//
// A regular file, or a new one, is replaced by a temporary made in its folder.
// Where that folder takes no new file (or the new file could not take the old
// one's owner and mode, or no rename can replace the old one: the folder's
// sticky bit keeps another user's file, the folder is append-only, or the
// file is mounted on its own), an existing regular file is written in place,
// and so is a target that is no regular file (a device, a pipe) or that no
// name of a folder leads to (a removed file, through /proc/self/fd): it opens
// without waiting, so a FIFO that no one reads is refused at once. Any other
// failure to make the temporary refuses the save.
FILE* zq_save_open(const char* name);

// Ends the save: flushes and syncs the new content, closes it and puts it in
// place with the old file's permission bits (a new file gets those the umask
// leaves). Returns 1 when the file now holds every byte written; otherwise
// prints "Write file: cannot write %s\n" with the name, returns 0, and leaves
// no temporary behind. A replaced file is then as it was; a regular file
// written in place too (a new content beyond the file-size limit is refused
// before it), unless the failure came after room for the whole new content
// was reserved in it.
int zq_save_close();
