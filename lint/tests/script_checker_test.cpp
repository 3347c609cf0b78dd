#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "lint/script_checker.h"
#include "os/tests/os_test_support.h"

namespace {

// A script of one install step naming section; body is that section.
std::string OneStep(const std::string& section, const std::string& body) {
  return "[ProductInstall.Main]\r\nStepCount=1\r\nStep1.Section=" + section + "\r\n[" + section + "]\r\n" +
         body + "\r\n";
}

const char kGroupScript[] =
    "[ProductInstall.Main]\r\nStepCount=1\r\nStep1.Section=ProductInstall.CopyFileGroupTo\r\n"
    "[ProductInstall.CopyFileGroupTo]\r\nFileGroupCount=2\r\n"
    "[FileGroup1]\r\nTarget=C:\\App\r\nBackup=C:\\Saved\r\nFileCount=2\r\nFile1=*.dll\r\nFile2=*.exe\r\n";

struct LintCase {
  const char* name;
  std::string script;
  bool silent;
  int status;
  std::vector<std::string> expected;  // each in the report
};

// The package of every case holds FileGroup1\*.dll and nothing else.
LintResult Check(const std::string& script, bool silent) {
  return CheckScriptText("t.ini", script,
                         [](const std::string& group, const std::string& spec) {
                           return group == "FileGroup1" && spec == "*.dll";
                         },
                         silent);
}

const std::string kReg = "RegCount=1\r\nReg1.Key=Reg:REG_SZ,HKLM,Software\\App,Path\r\nReg1.Value=x";

std::vector<LintCase> Cases() {
  return {
      {"KindTypo", OneStep("ProductInstall.UpdateRegistery", "RegCount=0"), false, 2,
       {"t.ini:3: error: [ProductInstall.Main] Step1.Section names the unknown section kind "
        "'UpdateRegistery' (did you mean 'UpdateRegistry'?)"}},
      {"RollbackInInstall", OneStep("ProductInstall.Rollback", ""), false, 2, {"unknown section kind 'Rollback'"}},
      {"OtherDomain", OneStep("ProductRemove.Rollback", ""), false, 2, {"is not a ProductInstall section"}},
      {"MisspeltHeader",
       "[ProductInstall.Main]\r\nStepCount=1\r\nStep1.Section=ProductInstall.Run.Tools\r\n"
       "[ProductInstall.Run.Tols]\r\nRunCount=0\r\n",
       false, 2,
       {"names [ProductInstall.Run.Tools], which is not in the script",
        "t.ini:4: error: [ProductInstall.Run.Tols] section [ProductInstall.Run.Tols] is read by no step (a step "
        "names [ProductInstall.Run.Tools])"}},
      {"CountKeyTypo", OneStep("ProductInstall.UpdateRegistry", "RegCnt=1\r\n" + kReg.substr(11)), false, 2,
       {"RegCount is missing: no item is run", "RegCnt is read by no section of this kind (did you mean RegCount?)"}},
      {"EmptyServiceName", OneStep("ProductInstall.StopService", "ServiceCount=1\r\nService1.Name="), false, 2,
       {"Service1.Name is read by no section of this kind (did you mean Service1", "Service1 is missing"}},
      {"EmptyRequired", OneStep("ProductInstall.StopService", "ServiceCount=1\r\nService1="), false, 2,
       {"Service1 is empty"}},
      {"BeyondCount", OneStep("ProductInstall.UpdateRegistry", kReg + "\r\nReg2.Key=Reg:REG_SZ,HKLM,S,V\r\nReg2.Value=y"),
       false, 1, {"warning: [ProductInstall.UpdateRegistry] Reg2 is beyond RegCount=1"}},
      {"Gap",
       OneStep("ProductInstall.Run", "RunCount=4\r\nRun1.Command=a\r\nRun4.Command=b"), false, 2,
       {"Run2 to Run3 missing (RunCount=4)"}},
      {"HugeCount", OneStep("ProductInstall.Run", "RunCount=2000000000\r\nRun1.Command=a"), false, 2,
       {"RunCount=2000000000 but the last item is Run1"}},
      {"StepGap", "[ProductInstall.Main]\r\nStepCount=2\r\nStep1.Section=ProductInstall.Run\r\n[ProductInstall.Run]\r\nRunCount=0\r\n",
       false, 2, {"Step2 missing (StepCount=2)"}},
      {"RequiredOneOf", OneStep("ProductInstall.CheckRequirement", "CheckCount=1\r\nCheck1.Description=x"), false, 2,
       {"Check1 has no Check1.Number or Check1.String or Check1.DiskSpace"}},
      {"SectionKeyMissing", OneStep("ProductInstall.BackupFiles", "FileCount=1\r\nFile1=C:\\a.ini"), false, 2,
       {"Backup is missing"}},
      {"RegistryMalformed", OneStep("ProductInstall.RemoveRegistry", "RegCount=1\r\nReg1.Key=Reg:REG_SZ,HKLM"), false, 2,
       {"Reg1.Key=Reg:REG_SZ,HKLM is not Reg:<type>,<root>,<key path>[,<value name>]"}},
      {"RegistryType", OneStep("ProductInstall.RemoveRegistry", "RegCount=1\r\nReg1.Key=Reg:REG_BINARY,HKLM,S,V"), false,
       2, {"the type must be REG_SZ or REG_DWORD"}},
      {"RegistryRoot", OneStep("ProductInstall.RemoveRegistry", "RegCount=1\r\nReg1.Key=Reg:REG_SZ,HKXX,S,V"), false, 2,
       {"the root 'HKXX' is not HKLM"}},
      {"DwordNotNumber",
       OneStep("ProductInstall.UpdateRegistry", "RegCount=1\r\nReg1.Key=Reg:REG_DWORD,HKLM,S,V\r\nReg1.Value=seven"),
       false, 1, {"Reg1.Value=seven is not a number for a REG_DWORD value: the item fails"}},
      {"IniDescriptor", OneStep("ProductInstall.UpdateINI", "ItemCount=1\r\nItem1.Key=INI:a.ini,Main\r\nItem1.Value=1"),
       false, 2, {"Item1.Key=INI:a.ini,Main is not INI:<file>,<section>,<key>"}},
      {"SymbolDescriptors",
       "[ProductInstall.Symbols]\r\nA=[FileInfo:C:\\a.dll,Size]\r\nB=[Reg:REG_SZ,HKLM]\r\nC=[INI:a.ini]\r\n"
       "D=x[INI:a.ini,s,k]\r\n[ProductInstall.Main]\r\nStepCount=0\r\n",
       false, 2,
       {"A=[FileInfo:C:\\a.dll,Size]: the property must be FileSize", "B=[Reg:REG_SZ,HKLM] is not [Reg:",
        "C=[INI:a.ini] is not [INI:<file>,<section>,<key>]", "a descriptor must be the whole value"}},
      {"UnknownAction", OneStep("ProductInstall.Run", "RunCount=1\r\nRun1.Command=a\r\nRun1.Error.Action=BRVN_CONTIUNE"),
       false, 2, {"Run1.Error.Action=BRVN_CONTIUNE is not an action (did you mean BRVN_CONTINUE?)"}},
      {"GotoOutside", OneStep("ProductInstall.Run", "RunCount=1\r\nRun1.Command=a\r\nRun1.Success.Action=BRVN_GOTOSTEP(5)"),
       false, 2, {"BRVN_GOTOSTEP(5) names no step (the steps are 1 to 1)"}},
      {"UnknownEventWord", OneStep("ProductInstall.Run", "RunCount=1\r\nRun1.Command=a\r\nRun1.Error.Actoin=BRVN_RETRY"),
       false, 1, {"Run1.Error.Actoin is read by no section of this kind"}},
      {"MissingAnswer",
       OneStep("ProductInstall.Run", "RunCount=1\r\nRun1.Command=a\r\nRun1.Error.AskYesNo=Go on?\r\nRun1.Error.Yes=BRVN_CONTINUE"),
       false, 2, {"Run1.Error.No is missing"}},
      {"QuestionNotSilent",
       OneStep("ProductInstall.Run", "RunCount=1\r\nRun1.Command=a\r\nRun1.Error.AskOK=Failed\r\nRun1.Error.OK=BRVN_USERBREAK"),
       false, 0, {}},
      {"QuestionSilent",
       OneStep("ProductInstall.Run", "RunCount=1\r\nRun1.Command=a\r\nRun1.Error.AskOK=Failed\r\nRun1.Error.OK=BRVN_USERBREAK"),
       true, 1, {"Run1.Error.AskOK has no Run1.Error.Default"}},
      {"UndefinedSymbol", OneStep("ProductInstall.Run", "RunCount=1\r\nRun1.Command=%TOOLS%\\x.exe 50%"), false, 1,
       {"%TOOLS% is never defined"}},
      {"SymbolsDefinedByStepsAndBuiltIns",
       "[ProductInstall.Symbols]\r\nTOOL=\r\n"
       "[ProductInstall.Main]\r\nStepCount=3\r\nStep1.Section=ProductInstall.GetUserInput\r\n"
       "Step2.Section=ProductInstall.UpdateSymbols\r\nStep3.Section=ProductInstall.Run\r\n"
       "[ProductInstall.GetUserInput]\r\nInputCount=1\r\nInput1.Type=BRVN_INPUT_EDITBOX\r\nInput1.RefSymbol=DIR\r\n"
       "[ProductInstall.UpdateSymbols]\r\nTOOL=%DIR%\\t.exe\r\n"
       "[ProductInstall.Run]\r\nRunCount=1\r\nRun1.Command=%TOOL% %WINDIR% %x09% %SOURCEDIR%\r\n",
       false, 0, {}},
      {"UpdatedSymbolNotInTheScript", OneStep("ProductInstall.UpdateSymbols", "NEW=1"), false, 2,
       {"NEW is not a symbol of the script"}},
      {"ByteOrderMark", "\xef\xbb\xbf" + OneStep("ProductInstall.Run", "RunCount=0"), false, 2,
       {"t.ini:1: error: the script begins with a UTF-8 byte order mark"}},
      {"Utf16", std::string("\xff\xfe[\0P\0", 6), false, 2, {"UTF-16"}},
      {"GroupSpecs", kGroupScript, false, 2,
       {"File2=*.exe matches nothing in the package folder FileGroup1", "[FileGroup2] is not in the script"}},
      {"RepeatedKeyAndSection",
       OneStep("ProductInstall.Run", "RunCount=1\r\nRun1.Command=a\r\nRun1.Command=b\r\n[ProductInstall.Run]\r\nx=1"),
       false, 1, {"Run1.Command appears again; only line 6 is read", "section [ProductInstall.Run] appears again"}},
      {"UnreadSection", OneStep("ProductInstall.Run", "RunCount=0\r\n[Leftovers]\r\nA=1"), false, 1,
       {"warning: [Leftovers] section [Leftovers] is read by no step"}},
      {"NoMain", "[ProductInstall.Symbols]\r\nA=1\r\n", false, 2, {"no [ProductInstall.Main] section"}},
      {"MissingCountKey", OneStep("ProductInstall.CheckRequirement", "Check1.String=a\r\nCheck1.String.List=a"), false, 2,
       {"CheckCount is missing"}},
  };
}

TEST(ScriptCheckerTest, ReportsEachKindOfMistake) {
  for (const LintCase& c : Cases()) {
    const LintResult result = Check(c.script, c.silent);
    const std::string report = result.Report();
    EXPECT_EQ(result.ExitStatus(), c.status) << c.name << "\n" << report;
    for (const std::string& text : c.expected) {
      EXPECT_NE(report.find(text), std::string::npos) << c.name << ": no '" << text << "' in\n" << report;
    }
    if (c.status == 0) {
      EXPECT_EQ(report, "t.ini: 0 errors, 0 warnings\n") << c.name;
    }
  }
}

TEST(ScriptCheckerTest, TheExamplePackagesAreClean) {
  for (const char* name : {"first-hotfix", "sample-hotfix"}) {
    const std::string path =
        os_test::WindowsPathOfHost(std::string(BREVANE_SOURCE_DIR) + "/examples/" + name + "/HotFix.ini");
    const LintResult result = CheckScriptFile(path, false);
    EXPECT_EQ(result.ExitStatus(), 0) << result.Report();
  }
}

TEST(ScriptCheckerTest, AnUnreadableScriptIsAnError) {
  const LintResult result = CheckScriptFile(testing_support::NewTestFolder() + "\\none.ini", false);
  EXPECT_EQ(result.ExitStatus(), 2);
  EXPECT_NE(result.Report().find("cannot be read: "), std::string::npos) << result.Report();
}

TEST(ScriptCheckerTest, TenThousandItemsTakeWellUnderASecond) {
  std::string body = "RegCount=10000\r\n";
  for (int i = 1; i <= 10000; ++i) {
    const std::string n = std::to_string(i);
    body += "Reg" + n + ".Key=Reg:REG_SZ,HKLM,Software\\App,V" + n + "\r\nReg" + n + ".Value=%x41%" + n +
            "\r\nReg" + n + ".Error.Action=BRVN_CONTINUE\r\n";
  }
  const auto start = std::chrono::steady_clock::now();
  const LintResult result = Check(OneStep("ProductInstall.UpdateRegistry", body), false);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(result.ExitStatus(), 0) << result.Report();
  // A plain build takes about a tenth of a second; sanitizers slow it down
  // several times.
#if defined(__SANITIZE_ADDRESS__)
  const double limit = 5.0;
#else
  const double limit = 1.0;
#endif
  EXPECT_LT(seconds, limit);
}

}  // namespace
