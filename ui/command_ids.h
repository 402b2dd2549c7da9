#pragma once
// Command ids of the main window's menu, toolbar and accelerators.
namespace cmd {

constexpr int FileNew = 57600;
constexpr int FileOpen = 57601;
constexpr int FileSave = 57603;
constexpr int FileSaveAs = 57604;
constexpr int RecentFileFirst = 57616; // .. 57625, one per entry of the recent-file list
constexpr int RecentFileLast = 57625;
constexpr int EditCopy = 57634;
constexpr int Help = 57607;
constexpr int About = 57664;
constexpr int AppExit = 57665;
constexpr int ViewToolbar = 59392;
constexpr int ViewStatusBar = 59393;
constexpr int Abort = 32771;
constexpr int ViewLog = 32773;
constexpr int DisplayOptions = 32776;
constexpr int SortAlphabetic = 32777;
constexpr int SortRecursive = 32778;
constexpr int PrintLayout = 32780;
constexpr int ProjectDescription = 32790;

} // namespace cmd
