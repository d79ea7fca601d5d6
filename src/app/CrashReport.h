#pragma once

// Writes a compressed debug report after a fatal exception, tells the user
// where it is and opens that folder.
void WriteCrashReport();

// The toolkit's fatal-exception handling leaves SIGABRT alone, yet that is
// how the C library ends a process whose heap it found corrupted. This sends
// an abort to the application's fatal-exception hook as well.
void CatchAbortSignal();
