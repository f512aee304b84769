// Where the font and the sounds are read from; found once at start-up.
#pragma once

#include <string>

// The first of these that holds the font: the working directory (the run directory, where
// `make run` starts the program), the program's own directory, the installed data directory
// (share/hxm, found from the program's directory). "" for the working directory or when none
// holds it, so the paths stay relative and a failure names them as they are; otherwise a
// directory ending in '/'. When `launched` (started by the installed launcher, in the user's
// data folder) the installed data directory is looked at first.
std::string find_data_dir(const std::string& program_dir, bool launched = false);

// Whether the installed launcher started the program (it sets HXM_LAUNCHED=1).
bool started_by_launcher();

// The running program's directory, ending in '/'; "" when it cannot be told.
std::string program_dir();
