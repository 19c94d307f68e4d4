// Where the module's data files are: the folder of the loaded module file
// (the .plx, or the program when the shell is linked into one), which holds
// the "KAV-7420" data folder.
#pragma once

#include <QString>

// Absolute folder of the file this code was loaded from, or the override.
QString ModuleDirectory();
// ModuleDirectory() + "/KAV-7420/" + relative, e.g. "res/DOWNLOAD.AVI".
QString ModuleDataPath(const QString& relative);
// Tests point the module folder elsewhere; an empty text restores dladdr.
void SetModuleDirectoryOverride(const QString& dir);
