#pragma once

// Writes a compressed debug report after a fatal exception, tells the user
// where it is and opens that folder.
void WriteCrashReport();

// Routes the fatal signals to the report on the GUI thread, whichever thread
// they land on. The toolkit's fatal-exception handling leaves SIGABRT alone,
// yet that is how the C library ends a process whose heap it found corrupted,
// so an abort reaches the application's fatal-exception hook as well. Call
// on the GUI thread, after the toolkit's handlers are installed.
void CatchFatalSignals();
