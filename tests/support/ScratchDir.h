#pragma once
// A test fixture with an empty folder of its own, removed after the test.

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

class TScratchDirTest : public ::testing::Test {
protected:
    // The folder is named after `prefix`, the process and the test, so that
    // test programs running side by side never share one.
    explicit TScratchDirTest(std::string prefix) : FPrefix(std::move(prefix)) {}

    void SetUp() override
    {
        Dir = std::filesystem::temp_directory_path()
              / (FPrefix + "-" + std::to_string(::getpid()) + "-"
                 + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir);
    }
    void TearDown() override { std::filesystem::remove_all(Dir); }

    static void WriteFile(const std::filesystem::path& file, const std::string& bytes)
    {
        std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    static std::string ReadFile(const std::filesystem::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::filesystem::path Dir;

private:
    std::string FPrefix;
};
