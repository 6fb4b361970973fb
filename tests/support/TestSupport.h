#pragma once

#include <string>

// A fresh empty folder under the build's test area, named after the test.
std::string MakeTestFolder(const std::string& name);

// Whole file contents; empty when unreadable.
std::string ReadWholeFile(const std::string& path);
