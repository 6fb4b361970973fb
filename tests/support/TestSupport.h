#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A fresh empty folder under the build's test area, named after the test.
std::string MakeTestFolder(const std::string& name);

// The log of the running test case: each case starts TheEventLog anew in a file of its
// own (a death test's child process too, in the same file).
std::string TestCaseLogPath();

// Whole file contents; empty when unreadable.
std::string ReadWholeFile(const std::string& path);

// A text file's contents with Windows line ends ("\r\n") read as "\n": the log is
// written in text mode.
std::string ReadTextFile(const std::string& path);

// A 24-bit bottom-up BMP whose pixel (x, y), top row first, is colour(x, y) = 0xRRGGBB.
template <typename ColourOf>
std::string MakeBmp(int width, int height, ColourOf colour)
{
    const int rowSize = (width * 3 + 3) & ~3;
    std::string file(54 + std::size_t(rowSize) * height, '\0');
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            file[at + i] = char(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, std::uint32_t(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, std::uint32_t(width));
    put32(22, std::uint32_t(height));
    file[26] = 1;
    file[28] = 24;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = colour(x, y);
            const std::size_t at = 54 + std::size_t(height - 1 - y) * rowSize + x * 3;
            file[at] = char(c & 0xFF);
            file[at + 1] = char((c >> 8) & 0xFF);
            file[at + 2] = char((c >> 16) & 0xFF);
        }
    }
    return file;
}

// The product's stored settings ("Software\Vorelund\<product>") as "name=value\n" lines
// in the order the store gives them; empty when there are none.
std::string StoredSettingsLines(const std::string& product);
