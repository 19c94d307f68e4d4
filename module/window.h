// The configuration window the window exports create, show and destroy.
#pragma once

namespace kav::module {

// Creates the frame, replacing one an earlier PlugInit left.
void createWindow();
void showWindow();
// Destroys the frame if there is one.
void destroyWindow();
// Moves the focus to the next control when it lies in the module's window;
// true when the key was taken.
bool routeTabKey();

}  // namespace kav::module
