#include "common/paths.h"

#include "common/sjis.h"

namespace pavlune {

namespace {

// Position just after the folder part: after the last '\' or ':'.
std::size_t NameStart(std::string_view path) {
    std::size_t start = 0;
    for (std::size_t pos = 0; pos < path.size(); pos += CharLength(path, pos)) {
        if (path[pos] == '\\' || path[pos] == ':') start = pos + 1;
    }
    return start;
}

}  // namespace

std::string ChangeFileExt(std::string_view path, std::string_view extension) {
    std::size_t start = NameStart(path);
    std::size_t dot = FindLastChar(path.substr(start), '.');
    std::size_t stem = dot == std::string_view::npos ? path.size() : start + dot;
    return std::string(path.substr(0, stem)) + std::string(extension);
}

std::string ExtractFilePath(std::string_view path) {
    return std::string(path.substr(0, NameStart(path)));
}

std::string WatchedFolder(std::string_view path) {
    std::string folder = ExtractFilePath(path);
    if (folder.size() > 3) folder.pop_back();
    return folder;
}

}  // namespace pavlune
