// How the window ends the process: the last act of its exit sequence.
#pragma once

// Flushes the C streams and ends the process with `code` at once, without
// running static destructors or exit handlers, and without waiting for any
// thread. Any thread; does not return.
//
// Why not exit(): the worker thread is never joined and may still be running
// (a forced end, or a final report that starts while the worker finishes).
// exit() would destroy the globals the worker still uses (the log's file
// names, the service addresses, the fault list, the window's message target)
// under it: a use-after-destroy race at the very end. Ending without static
// clean-up loses nothing: the log writer keeps no buffer (each line is one
// open, append and close), the C streams are flushed here, and the system
// closes every handle.
//   POSIX: _exit.
//   Windows: ExitProcess, which ends every other thread before the loaded
//   modules' detach code runs, so no clean-up code can meet a running worker.
[[noreturn]] void EndProcessNow(int code);
