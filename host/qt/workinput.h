// The window's input while a command works: its events keep running (painting, timers,
// resizing), the Esc key requests a break, and every other key, click or wheel step is
// held and delivered when the command next waits for input.
#pragma once

namespace pelvarhost {

// Lets the window's events run once; user input is held as above.
void RunEventsWhileWorking();
// Delivers the held input (at a prompt).
void ReleaseHeldInput();
// Drops the held input (the window closes).
void DropHeldInput();

}  // namespace pelvarhost
