// file_bytes.h
// The one file reader of the tests, kept apart from the rest of the test
// support so that the scripted libraries built beside the tests can use it too.
#pragma once

#include <string>

// The whole content of a file, as bytes; empty when it cannot be read.
std::string readFileBytes(const std::wstring& path);
