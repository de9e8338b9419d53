#pragma once

#include <gtest/gtest.h>

#include <string>

// What `action` prints on standard output (which it then no longer shows).
template <typename Action>
std::string stdoutOf(Action&& action)
{
    testing::internal::CaptureStdout();
    action();
    return testing::internal::GetCapturedStdout();
}
