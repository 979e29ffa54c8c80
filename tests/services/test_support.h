// What the service tests share: certificates made at test time, servers on
// 127.0.0.1 run on threads of their own, and sockets that refuse or never answer.
#pragma once

#include <httplib.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/services/sockets.h"

namespace services_test {

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
  SocketHandle socket_;
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
  SocketHandle listener_;
  std::vector<SocketHandle> fillers_;
  int port_ = -1;
};

}  // namespace services_test
