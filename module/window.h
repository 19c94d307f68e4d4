// The configuration window the window exports create, show and destroy:
// one CMainFrame with the module's pages, their handles opened on the
// window session.
#pragma once

class CMainFrame;

namespace kav::module {

// Creates the frame, replacing one an earlier PlugInit left.
void createWindow();
void showWindow();
// Destroys the frame if there is one.
void destroyWindow();
// The frame, or null when there is none (closed by the user or PlugExit).
CMainFrame* mainWindow();
// Moves the focus to the next control when it lies in the module's window;
// true when the key was taken.
bool routeTabKey();

}  // namespace kav::module
