#pragma once

// Writes a compressed debug report after a fatal exception, tells the user
// where it is and opens that folder.
void WriteCrashReport();
