// An IconSource for tests: records what the parser loads, appends and drops,
// fails for the paths it is told to, and notices any icon that was loaded but
// neither appended nor dropped.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/error.h"
#include "menu/definition_file.h"

namespace pavlune {

class FakeIconSource : public IconSource {
public:
    int Load(const std::string& path) override {
        loadRequests.push_back(path);
        if (unreadable.count(path)) throw Error(IconNotOpenedMessage(path));
        if (notIcons.count(path)) throw Error(kInvalidIconMessage);
        held_[nextToken_] = path;
        return nextToken_++;
    }

    int Append(int token) override {
        appended.push_back(Release(token, "Append"));
        return static_cast<int>(appended.size()) - 1;
    }

    void Drop(int token) override { dropped.push_back(Release(token, "Drop")); }

    // Paths of icons loaded but neither appended nor dropped.
    std::vector<std::string> Leaked() const {
        std::vector<std::string> paths;
        for (const auto& [token, path] : held_) paths.push_back(path);
        return paths;
    }

    std::set<std::string> unreadable;  // Load throws "ファイル %s は開けません"
    std::set<std::string> notIcons;    // Load throws "アイコンイメージが不正です"

    std::vector<std::string> loadRequests;  // every Load, failed ones included
    std::vector<std::string> appended;      // the image list, index by index
    std::vector<std::string> dropped;

private:
    std::string Release(int token, const char* operation) {
        auto found = held_.find(token);
        if (found == held_.end()) {
            ADD_FAILURE() << operation << " of icon token " << token << " that is not held";
            return {};
        }
        std::string path = found->second;
        held_.erase(found);
        return path;
    }

    std::map<int, std::string> held_;
    int nextToken_ = 100;
};

}  // namespace pavlune
