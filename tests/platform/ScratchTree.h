#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

// A scratch folder that stands in for a part of /sys, /proc or /dev.
class ScratchTree {
 public:
  explicit ScratchTree(const std::string& name)
      : root_(std::filesystem::temp_directory_path() / (name + "-" + std::to_string(getpid()))) {
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
  }
  ~ScratchTree() { std::filesystem::remove_all(root_); }
  ScratchTree(const ScratchTree&) = delete;
  ScratchTree& operator=(const ScratchTree&) = delete;

  void File(const std::string& path, const std::string& content) {
    std::filesystem::create_directories((root_ / path).parent_path());
    std::ofstream(root_ / path, std::ios::binary) << content;
  }
  // A link at `path` to `target`, which need not exist; a relative target
  // is taken from the tree's root.
  void Link(const std::string& path, const std::string& target) {
    std::filesystem::create_directories((root_ / path).parent_path());
    const std::filesystem::path to(target);
    std::filesystem::create_directory_symlink(to.is_absolute() ? to : root_ / to, root_ / path);
  }
  std::string Path(const std::string& sub = "") const { return (root_ / sub).string(); }

 private:
  std::filesystem::path root_;
};
