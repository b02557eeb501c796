#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A scratch folder for one test process, removed at exit.
class TempDir {
public:
    static TempDir& Shared();
    std::string NewPath(const std::string& stem);
    const std::string& Path() const { return m_path; }
    ~TempDir();

private:
    TempDir();
    std::string m_path;
    int m_counter = 0;
};

std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
void WriteFileText(const std::string& path, const std::string& text);
