// test_support.h
// Helpers shared by the test programs: capture of the debugger output and
// comparison helpers for CWStr.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/base_platform.h"
#include "base/wstr.h"
#include "tests/support/file_bytes.h"
#include "tests/support/seam_guard.h"

// While alive, every trace line goes to lines() instead of the debugger output.
class DebugOutputCapture
{
public:
    DebugOutputCapture();
    ~DebugOutputCapture();
    DebugOutputCapture(const DebugOutputCapture&) = delete;
    DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;

    const std::vector<std::wstring>& lines() const;
    void clear();

private:
    SeamGuard<BaseApi> m_seam;
};

inline std::wstring str(const CWStr& value)
{
    return std::wstring(value.c_str(), static_cast<size_t>(value.length()));
}

// Why 32-bit programs cannot run on this machine, as the test scripts found
// (KVR7_NO_WIN32_REASON, which Wine passes on from the Unix environment); empty
// when they can. Tests that start a 32-bit program skip with it.
std::wstring win32Unavailable();

// The items of an array, for whole-list comparisons.
std::vector<std::wstring> items(const CWStrArray& array);

// Checks the value's own invariants: NUL at m_length and none before it.
::testing::AssertionResult wellFormed(const CWStr& value);
