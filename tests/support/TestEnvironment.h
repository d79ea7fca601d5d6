// Shared helpers of the test programs.
#pragma once

#include <wx/string.h>

#include <functional>

// Points HOME (and so the documents folder) at a fresh temporary folder, so
// that no test touches the real home folder. Called first by both mains.
void UseTemporaryHome();
wxString TemporaryHome();

// A fresh, empty folder under the temporary home.
wxString MakeScratchDir(const wxString& name);

// Runs the event loop until the condition holds or the time is up (in
// milliseconds). Returns whether the condition held.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 10000);

// Writes a file with the given bytes.
bool WriteTextFile(const wxString& path, const wxString& text);
wxString ReadTextFile(const wxString& path);

// Toolkit assertions fail the running test.
void InstallAssertHandler();

// Runs code that must show no modal dialog: one that appears fails the test.
#define EXPECT_NO_DIALOG(code)                                   \
    {                                                            \
        wxTestingModalHook noDialogHook(__FILE__, __LINE__, ""); \
        code;                                                    \
        noDialogHook.CheckUnmetExpectations();                   \
    }
