#pragma once
// Whether the launcher was given an argument, read from the command line by the rules of
// CommandLineToArgvW without loading the shell library for it at start-up.
#include <string>

// True when the first argument after the program's name exists and is not empty (a quoted ""
// is an empty argument). Only the first argument counts.
bool FirstArgumentGiven(const std::wstring& commandLine);
