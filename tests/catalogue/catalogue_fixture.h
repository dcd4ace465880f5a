// Catalogue files written to a temporary directory, and fakes of the toolkit controls.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "nemro/toolkit.h"

namespace nemro::testing {

class FakeList : public IListBox {
public:
    std::vector<std::string> items;
    int index = -1;
    int clientHeight = 1000;
    int scrollBarEnables = 0;
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
    void EnableVerticalScrollBar(bool enable) override {
        if (enable) ++scrollBarEnables;
    }
    int ClientHeight() const override { return clientHeight; }
};

class FakeLabel : public ILabel {
public:
    std::string caption = "old";
    std::string Caption() const override { return caption; }
    void SetCaption(const std::string& c) override { caption = c; }
};

class FakeMetrics : public ITextMetrics {
public:
    int height = 195;
    int TextHeight(const std::string&) const override { return height; }
};

// A catalogue document around the given inner XML, in a file of its own per test.
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

    // Writes <Quorvanta>inner</Quorvanta> and returns the file's path.
    const std::string& write(const std::string& inner) { return writeRaw("<Quorvanta>" + inner + "</Quorvanta>"); }
    const std::string& writeRaw(const std::string& document) {
        std::ofstream(path_, std::ios::binary | std::ios::trunc) << document;
        return path_;
    }

    std::filesystem::path dir_;
    std::string path_;
};

}  // namespace nemro::testing
