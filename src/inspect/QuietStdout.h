#pragma once

// Sends this process's standard output to /dev/null while it lives: the
// library's renderers print their progress there, which would mix with the
// inspector's own report.
class QuietStdout {
public:
    QuietStdout();
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;
    ~QuietStdout();

private:
    int saved_ = -1;
};
