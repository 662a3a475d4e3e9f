#pragma once
#include <functional>

// Ending the client. Closing the main window ends the program at once: the
// flag goes up and every event loop of the GUI thread is told to leave, the
// nested loops of modal dialogs included. Code that runs a modal dialog or a
// step of the start-up checks ProgramEnding afterwards and stops without
// writing anything more.
extern bool ProgramEnding;

// Raises ProgramEnding and leaves every event loop (through the seam below
// when one is set).
void EndProgram();

// Test seam: replaces leaving the event loops (the flag still goes up).
// Tests set it so that a closing window does not stop later tests' loops.
void SetEndProgramSeam(std::function<void()> seam);

// Lowers the flag and removes the seam (for tests).
void ResetProgramEnd();
