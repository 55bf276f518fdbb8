// The tool's one diagnostic log, started once by the main window.
#pragma once

namespace vorel {

// Starts the log beside the program (or in the per-user data folder), makes it the
// log of the message routine and arranges "Bye..." at process end.
bool StartApplicationLog(int major, int minor);

}  // namespace vorel
