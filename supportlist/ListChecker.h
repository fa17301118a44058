// Reads a supported-adapter list by the program's own rules and finds the lines that the program
// ignores or reads differently from what their writer most likely meant.
#pragma once
#include <string>
#include <vector>

// Appends one finding per problem, each as "FILE, line N: what is wrong" with FILE as given.
// Returns false when the file cannot be read.
bool CheckListFile(const std::wstring& path, std::vector<std::wstring>& findings);
