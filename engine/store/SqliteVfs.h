#pragma once
// The file layer under every connection of the program: the system's own, except that the frames
// of one commit reach the write-ahead log in one system call instead of two per page.
//
// SQLite writes each log frame as a 24-byte header and then the page, one write each, so a commit
// of five pages costs ten calls into the kernel, which on a large base is more than the B-tree
// work itself. Here the consecutive writes of a log are gathered in memory and handed to the
// kernel together once the commit frame's page is in, inside that very write: a failure is still
// reported by the write that failed, and the frames are in the file before the shared index says
// they exist. Any other call on a file of the thread (a read, a sync, a lock, the shared index)
// first hands over what is gathered, so nothing ever sees the log without its last frames.
// Durability is the system's: no sync is added, moved or left out.

#include <cstddef>

namespace tallomer::store {

// Registers the layer once (thread-safe) and answers its name for sqlite3_open_v2; nullptr (the
// default layer) when registering failed.
const char* vfsGroupeurDeJournal();

// Writes handed to the kernel for log files opened through the layer since the start (a test
// counts them; the program does not need them).
std::size_t ecrituresDeJournal();

} // namespace tallomer::store
