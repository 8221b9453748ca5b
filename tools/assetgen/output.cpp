// The parts' views of the output tree and the order their files reach
// disk in (gen.h).
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "tools/assetgen/gen.h"

namespace assetgen {

size_t OutputTree::Count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return writer_.size();
}

int OutputTree::WriterOf(Root root, const std::string& relPath) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = writer_.find({int(root), DiskName(relPath)});
  return it == writer_.end() ? -1 : it->second;
}

void Output::Write(Root root, const std::string& relPath, const Bytes& data) {
  const std::pair<int, std::string> key{int(root), DiskName(relPath)};
  std::lock_guard<std::mutex> lock(mutex_);
  const bool ifMissing = missing_.erase(key) != 0;
  auto [it, fresh] = index_.insert({key, files_.size()});
  if (fresh) {
    files_.push_back({root, key.second, data, ifMissing, false});
    return;
  }
  File& f = files_[it->second];
  if (f.onDisk) throw std::runtime_error(key.second + " written twice");
  f.data = data;  // the part made it before: Has said so, so this replaces it
  f.ifMissing = false;
}

bool Output::Has(Root root, const std::string& relPath) const {
  const std::pair<int, std::string> key{int(root), DiskName(relPath)};
  std::lock_guard<std::mutex> lock(mutex_);
  if (index_.count(key)) return true;
  const int writer = tree_->WriterOf(root, relPath);
  if (writer >= 0 && sees_[size_t(writer)]) return true;
  missing_.insert(key);
  return false;
}

std::string Output::Prepare(Root root, const std::string& relPath) {
  std::filesystem::path p = std::filesystem::path(Dir(root)) / DiskName(relPath);
  std::filesystem::create_directories(p.parent_path());
  return p.string();
}

void Output::Adopt(Root root, const std::string& relPath) {
  const std::pair<int, std::string> key{int(root), DiskName(relPath)};
  std::lock_guard<std::mutex> lock(mutex_);
  if (!index_.insert({key, files_.size()}).second) throw std::runtime_error(key.second + " written twice");
  files_.push_back({root, key.second, {}, false, true});
}

Output::~Output() {
  if (!scratch_.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(scratch_, ec);
  }
}

std::string Output::Scratch() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (scratch_.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    std::string name = std::string(tmp && *tmp ? tmp : "/tmp") + "/assetgen-XXXXXX";
    if (!mkdtemp(name.data())) throw std::runtime_error("cannot make a scratch folder in " + name);
    scratch_ = name;
  }
  return scratch_;
}

void Output::Commit() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (File& f : files_) {
    const std::pair<int, std::string> key{int(f.root), f.name};
    const int writer = tree_->WriterOf(f.root, f.name);
    if (writer >= 0 && f.ifMissing) continue;
    if (writer >= 0 && f.onDisk)
      throw std::runtime_error(std::string(kRootDirName[int(f.root)]) + "/" + f.name +
                               " is written straight to disk and by an earlier part");
    if (!f.onDisk) WriteFile(Dir(f.root), f.name, f.data);
    std::lock_guard<std::mutex> treeLock(tree_->mutex_);
    tree_->writer_[key] = part_;
  }
  files_.clear();
  index_.clear();
}

}  // namespace assetgen
