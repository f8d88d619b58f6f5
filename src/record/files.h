#pragma once
// The recorder's dealings with the file system that must hold on a shared
// machine and against a hostile input: reading a tour within its bounds,
// the temporary file beside the output, and knowing before anything is drawn
// that the output can be written and put in place.

#include <signal.h>

#include <string>
#include <vector>

enum class TourRead {
    Ok,
    Unreadable,   // missing, no permission: error says why
    Bad,          // not a tour at all (a directory, too long): error says why
    Interrupted,  // a stop signal came while waiting for its bytes
};

// Reads a tour of at most kTourBytes; gives up when *stop becomes nonzero
// while it waits (a pipe or a FIFO that sends nothing).
TourRead readTourFile(const std::string& path, std::string& text, std::string& error,
                      const volatile sig_atomic_t* stop);

// The folder a path names a file in: "." for a bare name, "/" at the root.
std::string directoryOf(const std::string& path);

// The hidden name a recording of `output` is written under by process `pid`:
// .NAME.PID.part beside it.
std::string partPathFor(const std::string& output, long pid);

// Removes the temporary files of earlier recordings of `output` whose
// process is gone (killed, or the machine went down): only files of exactly
// that form, owned by this user, for a process that no longer exists.
// Gives the paths removed.
std::vector<std::string> removeStaleParts(const std::string& output);

// Why a file written beside `path` could not be renamed over it (a file
// there that belongs to someone else in a sticky folder, one marked
// immutable or append-only, a mount point); empty when it can, or when
// nothing is there.
std::string whyNotReplaceable(const std::string& path);

// Whether files can be made in `dir`: tried with a file of our own, which
// is removed again. Empty when they can, else why not.
std::string whyNotWritableDirectory(const std::string& dir);
