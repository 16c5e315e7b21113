#pragma once
// Runs a test inside a fresh temporary working folder, so that names relative to the working
// folder ("properties/x.xml") find the files the test writes.

#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/TempFolder.h"

class WorkingFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        mOld = std::filesystem::current_path();
        std::filesystem::current_path(mTemp.Path());
    }
    void TearDown() override { std::filesystem::current_path(mOld); }

    // Writes a file below the working folder, creating its folders.
    void Write(const std::string& name, const std::string& text) {
        const std::filesystem::path path(name);
        if (path.has_parent_path()) {
            std::filesystem::create_directories(path.parent_path());
        }
        std::ofstream(name, std::ios::binary) << text;
    }

    TempFolder mTemp;
    std::filesystem::path mOld;
};
