#pragma once

// What the operating system asks of a run, in one place. Called by main before
// anything is printed: the standard streams are made to carry the program's
// bytes as they are, and a console to show them.
void prepareStandardStreams();

// Gives back, when the run ends on any path, what prepareStandardStreams
// changed outside the process.
void restoreStandardStreams();
