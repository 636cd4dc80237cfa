#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

// Runs a test in a fresh empty working directory, removed afterwards.
class TempWorkDir {
  public:
    TempWorkDir() : previous_(std::filesystem::current_path()) {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() /
                ("tarnwick-test-" + std::to_string(::getpid()) + "-" + std::to_string(random()));
        std::filesystem::create_directories(path_);
        std::filesystem::current_path(path_);
    }
    ~TempWorkDir() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempWorkDir(const TempWorkDir&) = delete;
    TempWorkDir& operator=(const TempWorkDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }

    // Writes a file (binary, exactly these bytes) in the directory.
    static void Write(const std::string& name, const std::string& bytes) {
        std::ofstream out(name, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    // Reads a text file: line ends as the platform writes them read as "\n".
    static std::string Read(const std::string& name) {
        std::ifstream in(name);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

  private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};
