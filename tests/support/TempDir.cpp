#include "support/TempDir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

TempDir& TempDir::Shared() {
    static TempDir dir;
    return dir;
}

TempDir::TempDir() {
    std::string base = std::filesystem::temp_directory_path() / "thermal-test-XXXXXX";
    char* made = mkdtemp(base.data());
    m_path = made ? made : "/tmp";
}

TempDir::~TempDir() {
    std::error_code ec;
    if (m_path != "/tmp") std::filesystem::remove_all(m_path, ec);
}

std::string TempDir::NewPath(const std::string& stem) {
    return m_path + "/" + stem + "-" + std::to_string(getpid()) + "-" + std::to_string(++m_counter);
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void WriteFileText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}
