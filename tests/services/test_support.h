// What the service tests share: temporary folders, certificates made at test
// time, servers on 127.0.0.1 run on threads of their own, sockets that refuse
// or never answer, and a desktop that records instead of acting.
#pragma once

#include <httplib.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"

namespace services_test {

// A fresh folder, removed with everything in it at destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

// Sets an environment variable for the life of the object, then restores it.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

// --- Certificates (OpenSSL) -----------------------------------------------------------

struct KeyDeleter {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertDeleter {
  void operator()(X509* cert) const { X509_free(cert); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, KeyDeleter>;
using CertPtr = std::unique_ptr<X509, CertDeleter>;

struct Credentials {
  KeyPtr key;
  CertPtr cert;
};

// A self-signed certificate authority.
Credentials MakeAuthority(const std::string& commonName);
// A server certificate issued by the authority, with the given subject
// alternative names (OpenSSL's form: "IP:127.0.0.1", "DNS:name").
Credentials MakeServerCredentials(const Credentials& authority, const std::string& altNames);
// Writes the certificate as PEM.
void WritePem(const Credentials& credentials, const std::filesystem::path& path);

// --- Servers --------------------------------------------------------------------------

// A cpp-httplib server (plain or TLS) listening on 127.0.0.1 at a port of its
// own choosing, served on a thread until destruction.
class RunningServer {
 public:
  explicit RunningServer(std::unique_ptr<httplib::Server> server);
  ~RunningServer();
  RunningServer(const RunningServer&) = delete;
  RunningServer& operator=(const RunningServer&) = delete;

  httplib::Server& server() { return *server_; }
  int port() const { return port_; }

 private:
  std::unique_ptr<httplib::Server> server_;
  int port_ = -1;
  std::thread thread_;
};

// A port on 127.0.0.1 where nothing listens: a socket is bound there and held
// without listening, so that connections are refused.
class RefusingPort {
 public:
  RefusingPort();
  ~RefusingPort();
  RefusingPort(const RefusingPort&) = delete;
  RefusingPort& operator=(const RefusingPort&) = delete;
  int port() const { return port_; }

 private:
  int socket_ = -1;
  int port_ = -1;
};

// A listener on 127.0.0.1 whose queue of pending connections is full, so that
// a further connection attempt gets no answer until it gives up.
class UnansweredPort {
 public:
  UnansweredPort();
  ~UnansweredPort();
  UnansweredPort(const UnansweredPort&) = delete;
  UnansweredPort& operator=(const UnansweredPort&) = delete;
  int port() const { return port_; }

 private:
  int listener_ = -1;
  std::vector<int> fillers_;
  int port_ = -1;
};

// --- Desktop and message boxes ------------------------------------------------------

struct ShellOpenCall {
  std::wstring verb;
  std::wstring file;
  std::wstring params;
};

struct MessageBoxCall {
  std::wstring text;
  std::wstring caption;
  unsigned flags;
};

// Records shell opens and message boxes while installed; message boxes are
// answered with `answer`, the language id is `languageId`.
class RecordingDesktop : public platform::Desktop {
 public:
  RecordingDesktop();
  ~RecordingDesktop() override;

  int SystemDefaultLanguageId() override { return languageId; }
  std::optional<std::wstring> ChooseFolder(const std::wstring&) override { return std::nullopt; }
  void ShellOpen(const std::wstring& verb, const std::wstring& file,
                 const std::wstring& params) override;

  int languageId = 1033;
  int answer = 1;
  std::vector<ShellOpenCall> shellOpens;
  std::vector<MessageBoxCall> messageBoxes;
};

}  // namespace services_test
