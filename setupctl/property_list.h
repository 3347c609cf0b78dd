// The control's properties in type-library order, as one list that the core
// table and the COM wrapper both expand, so dispids and accessor names can
// never drift apart.
//
// TESSALY_PROPERTY(dispid, Name, "persisted name", "INI key")
// The persisted name is what a page uses as a parameter name.
// Four persisted names differ from the property name and one key does; pages
// and the deployment that reads the file rely on both.
// Dispid 52 is the method WriteIni, not a property.
#define TESSALY_PROPERTIES(TESSALY_PROPERTY)                                                        \
  TESSALY_PROPERTY(1, Server, "Server", "Server")                                                   \
  TESSALY_PROPERTY(2, ServerSubDir, "ServerSubDir", "ServerSubDir")                                 \
  TESSALY_PROPERTY(3, ClientSubDir, "ClientsubDir", "ClientSubDir")                                 \
  TESSALY_PROPERTY(4, Files, "Files", "Files")                                                      \
  TESSALY_PROPERTY(5, EstimativeDiskSpace, "EstimativeDiskSpace", "EstimativeDiskSpace")            \
  TESSALY_PROPERTY(6, ShellExtensionFilename, "ShellExtensionFilename", "ShellExtensionFilename")   \
  TESSALY_PROPERTY(7, ServiceName, "ServiceName", "ServiceName")                                    \
  TESSALY_PROPERTY(8, ServiceFilename, "ServiceFilename", "ServiceFilename")                        \
  TESSALY_PROPERTY(9, LatestPatternServer, "LatestPatternServer", "LatestPatternServer")            \
  TESSALY_PROPERTY(10, LatestPatternURL, "LatestPatternURL", "LatestPatternURL")                    \
  TESSALY_PROPERTY(11, CgiOnInstall, "CgiOnInstall", "CgiOnInstall")                                \
  TESSALY_PROPERTY(12, CgiOnClose, "CgiOnClose", "CgiOnClose")                                      \
  TESSALY_PROPERTY(13, CgiOnScan, "CgiOnScan", "CgiOnScan")                                         \
  TESSALY_PROPERTY(14, CgiOnUpdate, "CgiOnUpdate", "CgiOnUpdate")                                   \
  TESSALY_PROPERTY(15, CgiOnUninstall, "CgiOnUninstall", "CgiOnUninstall")                          \
  TESSALY_PROPERTY(16, CgiOnStart, "CgiOnStart", "CgiOnStart")                                      \
  TESSALY_PROPERTY(17, CgiOnLog, "CgiOnLog", "CgiOnLog")                                            \
  TESSALY_PROPERTY(18, CgiOnRequestPattern, "CgiOnRequestPattern", "CgiOnRequestPattern")           \
  TESSALY_PROPERTY(19, CgiOnRequestEngine, "CgiOnRequestEngine", "CgiOnRequestEngine")              \
  TESSALY_PROPERTY(20, CgiOnRequestEncyclopedia, "CgiOnRequestEncyclopedia",                        \
                   "CgiOnRequestEncyclopedia")                                                      \
  TESSALY_PROPERTY(21, CgiOnRequestConfiguration, "CgiOnRequestConfiguration",                      \
                   "CgiOnRequestConfiguration")                                                     \
  TESSALY_PROPERTY(22, CgiOnManualScanConfiguration, "CgiOnManualScanConfiguration",                \
                   "CgiOnManualScanConfiguration")                                                  \
  TESSALY_PROPERTY(23, CgiOnRealtimeScanConfiguration, "CgiOnRealtimeScanConfiguration",            \
                   "CgiOnRealtimeScanConfiguration")                                                \
  TESSALY_PROPERTY(24, CgiOnScheduleScanConfiguration, "CgiOnScheduleScanConfiguration",            \
                   "CgiOnScheduleScanConfiguration")                                                \
  TESSALY_PROPERTY(25, CgiOnExclusionFileConfiguration, "CgiOnExclusionFileConfiguration",          \
                   "CgiOnExclusionFileConfiguration")                                               \
  TESSALY_PROPERTY(26, ServiceDisplayName, "ServiceDisplayName", "ServiceDisplayName")              \
  TESSALY_PROPERTY(27, PatternFilename, "LatestPatternFilename", "LatestPatternFilename")           \
  TESSALY_PROPERTY(28, CgiVirtualPath, "CgiVirtualPath", "CgiVirtualPath")                          \
  TESSALY_PROPERTY(29, MoreFiles, "MoreFiles", "MoreFiles")                                         \
  TESSALY_PROPERTY(30, HttpBased, "HttpBased", "HttpBased")                                         \
  TESSALY_PROPERTY(31, ProxyServer, "ProxyServer", "ProxyServer")                                   \
  TESSALY_PROPERTY(32, ProxyPort, "ProxyPort", "ProxyPort")                                         \
  TESSALY_PROPERTY(33, ProxyLogin, "ProxyLogin", "ProxyLogin")                                      \
  TESSALY_PROPERTY(34, ProxyPassword, "ProxyPassword", "ProxyPassword")                             \
  TESSALY_PROPERTY(35, MasterDirectory, "MasterDirectory", "MasterDirectory")                       \
  TESSALY_PROPERTY(36, ExecutionFilename, "ExecutionFilename", "ExecutionFilename")                 \
  TESSALY_PROPERTY(37, DesktopName, "DesktopName", "DesktopName")                                   \
  TESSALY_PROPERTY(38, FolderName, "FolderName", "FolderName")                                      \
  TESSALY_PROPERTY(39, ShortcutNameList, "ShortcutNameList", "ShortcutNameList")                    \
  TESSALY_PROPERTY(40, ShortcutFileList, "ShortcutFileList", "ShortcutFileList")                    \
  TESSALY_PROPERTY(41, RegistryINIFilename, "RegistryINIFilename", "RegistryINIFilename")           \
  TESSALY_PROPERTY(42, LocalServerPort, "LocalServerPort", "LocalServerPort")                       \
  TESSALY_PROPERTY(43, UnloadPassword, "UnloadPassword", "UnloadPassword")                          \
  TESSALY_PROPERTY(44, UninstallPassword, "UninstallPassword", "UninstallPassword")                 \
  TESSALY_PROPERTY(45, ServerIniFile, "ServerIniFile", "ServerIniFile")                             \
  TESSALY_PROPERTY(46, CgiOnRequestINI, "CgiOnRequestINI", "CgiOnRequestINI")                       \
  TESSALY_PROPERTY(47, CgiOnRequestAlertMessage, "CgiOnRequestAlertMessage",                        \
                   "CgiOnRequestAlertMessage")                                                      \
  TESSALY_PROPERTY(48, UseProxy, "CgiProxy", "UseProxy")                                            \
  TESSALY_PROPERTY(49, CgiOnRequestProgram, "UseOnRequestProgram", "CgiOnRequestProgram")           \
  TESSALY_PROPERTY(50, CgiOnRequestUpdate, "CgiOnRequestUpdate", "CgiOnRequestUpdate")              \
  TESSALY_PROPERTY(51, CgiOnRequestUID, "CgiOnRequestUID", "CgiOnRequestUID")                       \
  TESSALY_PROPERTY(53, ServerPort, "ServerPort", "ServerPort")                                      \
  TESSALY_PROPERTY(54, ServiceModel, "ServiceModel", "ServiceModel")
