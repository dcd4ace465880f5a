// Catalogue files in a temporary directory per test, fakes of the toolkit controls, and the
// error a query raises.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "nemro/error.h"
#include "nemro/toolkit.h"

namespace nemro::testing {

class FakeList : public IListBox {
  public:
    std::vector<std::string> items;
    int index = -1, clientHeight = 1000, scrollBarEnables = 0;
    std::function<void(int)> onClick;

    void Clear() override {
        items.clear();
        index = -1;
    }
    void AddItem(const std::string& text) override { items.push_back(text); }
    std::string ItemText(int i) const override { return items.at(static_cast<size_t>(i)); }
    int ListCount() const override { return static_cast<int>(items.size()); }
    int ListIndex() const override { return index; }
    void SetListIndex(int i) override {
        if (i < 0 || i >= ListCount()) throw std::out_of_range("list index");
        index = i;
        if (onClick) onClick(i);
    }
    std::string Text() const override { return index < 0 ? "" : items[static_cast<size_t>(index)]; }
    void EnableVerticalScrollBar(bool enable) override { scrollBarEnables += enable ? 1 : 0; }
    int ClientHeight() const override { return clientHeight; }
};

struct FakeLabel : ILabel {
    std::string caption = "old";
    std::string Caption() const override { return caption; }
    void SetCaption(const std::string& c) override { caption = c; }
};

struct FakeMetrics : ITextMetrics {
    int TextHeight(const std::string&) const override { return 195; }
};

// Runs fn and returns the error it raises; fails the test when it raises none.
inline NemroError errorOf(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const NemroError& e) {
        return e;
    }
    ADD_FAILURE() << "no error raised";
    return NemroError(0, "", "");
}

// The text of a file beside these tests.
inline std::string dataFile(const std::string& name) {
    std::ifstream in(std::string(NEMRO_TEST_DATA) + "/" + name, std::ios::binary);
    return (std::ostringstream() << in.rdbuf()).str();
}

class CatalogueFile : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               ("nemro-catalogue-" + std::string(info->test_suite_name()) + "-" + info->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        path_ = (dir_ / "FormulaSet.xml").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    // Writes the document to FormulaSet.xml and returns its path.
    const std::string& write(const std::string& document) {
        std::ofstream(path_, std::ios::binary | std::ios::trunc) << document;
        return path_;
    }
    const std::string& writeInner(const std::string& inner) {
        return write("<Quorvanta>" + inner + "</Quorvanta>");
    }

    std::filesystem::path dir_;
    std::string path_;
};

}  // namespace nemro::testing
