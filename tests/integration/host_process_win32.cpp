#include <windows.h>

#include "host_process.h"
#include "platform/platform.h"

namespace {

std::wstring Wide(const std::string& utf8) { return platform::Utf8ToWide(utf8).value_or(L""); }

std::map<std::string, std::string> CurrentEnvironment() {
  std::map<std::string, std::string> current;
  wchar_t* block = GetEnvironmentStringsW();
  if (block == nullptr) return current;
  for (const wchar_t* entry = block; *entry; entry += wcslen(entry) + 1) {
    const std::wstring text = entry;
    // Names such as "=C:" (the current folder of a drive) begin with '='.
    const std::size_t equals = text.find(L'=', 1);
    if (equals != std::wstring::npos)
      current[platform::WideToUtf8(text.substr(0, equals))] =
          platform::WideToUtf8(text.substr(equals + 1));
  }
  FreeEnvironmentStringsW(block);
  return current;
}

// One argument as CommandLineToArgvW reads it back: quoted, with the
// backslashes before a quote doubled.
void AppendArgument(std::wstring& line, const std::wstring& argument) {
  if (!line.empty()) line += L' ';
  line += L'"';
  std::size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, L'\\');
  line += L'"';
}

HANDLE InheritableFile(const std::filesystem::path& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                     disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

int RunChildProcess(const ChildProcess& child) {
  std::wstring commandLine;
  for (const std::string& argument : child.argv) AppendArgument(commandLine, Wide(argument));
  std::wstring environment;
  for (const auto& [name, value] : ChildEnvironment(CurrentEnvironment(), child)) {
    environment += Wide(name) + L'=' + Wide(value);
    environment += L'\0';
  }
  environment += L'\0';

  const HANDLE input = InheritableFile(L"NUL", GENERIC_READ, OPEN_EXISTING);
  const HANDLE output = InheritableFile(child.out, GENERIC_WRITE, CREATE_ALWAYS);
  const HANDLE error = InheritableFile(child.err, GENERIC_WRITE, CREATE_ALWAYS);
  int exitCode = -1;
  if (input != INVALID_HANDLE_VALUE && output != INVALID_HANDLE_VALUE &&
      error != INVALID_HANDLE_VALUE) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = error;
    PROCESS_INFORMATION process{};
    const std::wstring program = Wide(child.argv.at(0));
    if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                       CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, environment.data(),
                       child.workingFolder.empty() ? nullptr : child.workingFolder.c_str(),
                       &startup, &process)) {
      const auto limit = std::chrono::duration_cast<std::chrono::milliseconds>(child.deadline);
      if (WaitForSingleObject(process.hProcess, static_cast<DWORD>(limit.count())) ==
          WAIT_TIMEOUT) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, INFINITE);
        exitCode = kHostKilled;
      } else {
        DWORD code = 0;
        if (GetExitCodeProcess(process.hProcess, &code)) exitCode = static_cast<int>(code);
      }
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    }
  }
  for (const HANDLE handle : {input, output, error})
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  return exitCode;
}
