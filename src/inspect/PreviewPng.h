#pragma once

#include <cstdint>
#include <memory>
#include <string>

class OutputFile;

// An 8-bit R'G'B' PNG to look at, written a row at a time. It is written to a
// temporary file that takes the name only once complete (OutputFile): a
// preview that fails leaves nothing behind, and an existing file keeps its
// contents.
class PreviewPng {
public:
    PreviewPng(const std::string& path, int width, int height);
    ~PreviewPng();
    PreviewPng(const PreviewPng&) = delete;
    PreviewPng& operator=(const PreviewPng&) = delete;

    // Three bytes per pixel; rows after a failure are ignored.
    void writeRow(const uint8_t* rgb);

    // Ends the file and puts it in place; false with the reason in `error`
    // when anything failed. Rows not written are black.
    bool finish(std::string& error);

private:
    struct Png;
    std::unique_ptr<OutputFile> out_;
    std::unique_ptr<Png> png_;
    int width_;
    int height_;
    int rows_ = 0;
    bool failed_ = false;
    std::string error_;
};
