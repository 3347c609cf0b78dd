// Installs one file group of many files in nested folders with the real
// program in a scratch sandbox machine, and compares with `cp -a` of the
// same tree:
//   - into an empty target (one copy per file),
//   - into the populated target (backup copy, safety copy and the copy
//     itself: three copies per file by design),
//   - the removal of that install with /U: (the backups copied back), against
//     `cp -a` of the backup folder.
// Both last cases write over existing files, which costs more than writing
// new ones (the file system flushes a file truncated and written again when
// it is closed), so they are also compared with `cp -a` over an existing copy.
// Options: --files N (2000) --mb M (200, the total size) --repeat R (3).
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_support.h"

namespace {

struct Tree {
  std::vector<std::string> folders;  // relative, "" for the group's own folder
};

// 8 folders with 4 sub-folders each, and the group folder itself: 41 in all.
Tree MakeLayout() {
  Tree tree;
  tree.folders.push_back("");
  for (int a = 0; a < 8; ++a) {
    std::string top = "mod" + std::to_string(a);
    tree.folders.push_back(top);
    for (int b = 0; b < 4; ++b) tree.folders.push_back(top + "/part" + std::to_string(b));
  }
  return tree;
}

// Writes the files: sizes vary around the average so the total is about
// totalBytes.
void WriteGroup(const std::string& root, const Tree& tree, int files, std::uint64_t totalBytes) {
  std::uint64_t average = totalBytes / static_cast<std::uint64_t>(files);
  for (const std::string& folder : tree.folders) bench::MakeFolders(root + "/" + folder);
  std::string pattern = bench::Filler(static_cast<size_t>(average * 2 + 1), 7);
  for (int i = 0; i < files; ++i) {
    const std::string& folder = tree.folders[static_cast<size_t>(i) % tree.folders.size()];
    std::uint64_t size = average / 2 + (static_cast<std::uint64_t>(i) * 7919u) % (average + 1);
    char name[32];
    std::snprintf(name, sizeof(name), "file%05d.bin", i);
    bench::WriteFile(root + "/" + folder + "/" + name,
                     pattern.substr(static_cast<size_t>(i) % 97, static_cast<size_t>(size)));
  }
}

std::string Script(const Tree& tree) {
  std::string s =
      "[ProductInstall.Main]\r\n"
      "InstallRecordFile=C:\\bench\\install.rec\r\n"
      "StepCount=1\r\n"
      "Step1.Section=ProductInstall.CopyFileGroupTo\r\n"
      "[ProductInstall.CopyFileGroupTo]\r\n"
      "FileGroupCount=1\r\n"
      "[FileGroup1]\r\n"
      "Description=Bench files\r\n"
      "Target=C:\\bench\\target\r\n"
      "Backup=C:\\bench\\backup\r\n";
  s += "FileCount=" + std::to_string(tree.folders.size()) + "\r\n";
  for (size_t i = 0; i < tree.folders.size(); ++i) {
    std::string pattern = tree.folders[i].empty() ? "*.*" : tree.folders[i] + "\\*.*";
    for (char& c : pattern) c = c == '/' ? '\\' : c;
    s += "File" + std::to_string(i + 1) + "=" + pattern + "\r\n";
  }
  s += "[ProductRemove.Main]\r\nStepCount=1\r\nStep1.Section=ProductRemove.Rollback\r\n";
  return s;
}

double CopyTree(const std::string& from, const std::string& to) {
  bench::RemoveTree(to);
  bench::Sync();
  return bench::TimeRun({{"/bin/cp", "-a", from, to}, {}, "", "", ""});
}

// cp -a into a tree that already holds every file: each is truncated and
// written again, as an install over installed files must do.
double CopyOver(const std::string& from, const std::string& to) {
  bench::Sync();
  return bench::TimeRun({{"/bin/cp", "-a", from + "/.", to}, {}, "", "", ""});
}

}  // namespace

int main(int argc, char** argv) {
  bench::Options options(argc, argv);
  int files = static_cast<int>(options.Number("files", 2000));
  double mb = options.Number("mb", 200);
  int repeat = static_cast<int>(options.Number("repeat", 3));
  std::string work = bench::MakeScratchFolder("bench-files");
  std::string package = work + "/package";
  Tree tree = MakeLayout();
  WriteGroup(package + "/FileGroup1", tree, files, static_cast<std::uint64_t>(mb * 1024 * 1024));
  bench::WriteFile(package + "/HotFix.ini", Script(tree));
  bench::WriteFile(package + "/brevane", bench::ReadFile(bench::ProgramPath()));
  ::chmod((package + "/brevane").c_str(), 0755);
  std::printf("file group: %d files, %.1f MB in %zu folders\n", files,
              static_cast<double>(bench::TreeBytes(package + "/FileGroup1")) / 1048576.0,
              tree.folders.size());

  std::vector<double> empty, populated, removal, cpTree, cpTree2, cpOver, cpBackup, cpBackupOver;
  for (int r = 0; r < repeat; ++r) {
    std::string prefix = work + "/machine";
    bench::RemoveTree(prefix);
    bench::MakeFolders(prefix + "/drive_c");
    std::vector<std::string> env = {"BREVANE_PREFIX=" + prefix};
    bench::Command install{{package + "/brevane", "/s"}, env, package, "", ""};
    bench::Command remove{
        {package + "/brevane", "/s", "/U:C:\\bench\\install.rec"}, env, package, "", ""};
    cpTree.push_back(CopyTree(package + "/FileGroup1", work + "/cp-tree"));
    bench::Sync();
    empty.push_back(bench::TimeRun(install));
    cpTree2.push_back(CopyTree(package + "/FileGroup1", work + "/cp-tree"));
    cpOver.push_back(CopyOver(package + "/FileGroup1", work + "/cp-tree"));
    // An installed hotfix is not installed again (exit 7): without its record
    // file the second install runs over the files of the first.
    std::remove((prefix + "/drive_c/bench/install.rec").c_str());
    bench::Sync();
    populated.push_back(bench::TimeRun(install));
    cpBackup.push_back(CopyTree(prefix + "/drive_c/bench/backup", work + "/cp-backup"));
    cpBackupOver.push_back(CopyOver(prefix + "/drive_c/bench/backup", work + "/cp-tree"));
    bench::Sync();
    removal.push_back(bench::TimeRun(remove));
  }
  bool met = bench::Report("install into empty target", "cp -a tree", empty, cpTree, 1.3);
  met = bench::Report("install into populated target", "cp -a tree", populated, cpTree2, 3.5) && met;
  bench::Report("install into populated target", "cp -a over a copy", populated, cpOver, 0);
  bench::Report("removal (/U:) of that install", "cp -a backups", removal, cpBackup, 0);
  bench::Report("removal (/U:) of that install", "cp -a backups over", removal, cpBackupOver, 0);
  bench::RemoveTree(work);
  return met ? 0 : 1;
}
