#include "test_support.h"

#include <gtest/gtest.h>
#include <openssl/bn.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509v3.h>

#include <chrono>
#include <cstdio>
#include <stdexcept>

#include "tests/support/file_io.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace services_test {

// --- Certificates -------------------------------------------------------------------

namespace {

void Check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("OpenSSL: ") + what);
}

void AddExtension(X509* cert, X509* issuer, int nid, const std::string& value) {
  X509V3_CTX context;
  X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_nconf_nid(nullptr, &context, nid, value.c_str());
  Check(extension != nullptr, "extension");
  Check(X509_add_ext(cert, extension, -1) == 1, "add extension");
  X509_EXTENSION_free(extension);
}

// A certificate for the key, valid from an hour ago for a day, signed by the
// issuer (itself when issuer is null).
Credentials MakeCertificate(const std::string& commonName, const Credentials* issuer, bool isCa,
                            const std::string& altNames) {
  Credentials made;
  made.key.reset(EVP_EC_gen("P-256"));
  Check(made.key != nullptr, "key");
  made.cert.reset(X509_new());
  X509* cert = made.cert.get();
  Check(X509_set_version(cert, 2) == 1, "version");
  unsigned char serial[16];
  Check(RAND_bytes(serial, sizeof serial) == 1, "serial");
  serial[0] &= 0x7F;
  BIGNUM* number = BN_bin2bn(serial, sizeof serial, nullptr);
  Check(BN_to_ASN1_INTEGER(number, X509_get_serialNumber(cert)) != nullptr, "serial");
  BN_free(number);
  X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert), 24 * 3600);
  Check(X509_set_pubkey(cert, made.key.get()) == 1, "public key");
  X509_NAME* name = X509_get_subject_name(cert);
  X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>("Orvex test"), -1, -1, 0);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1, 0);
  X509* issuerCert = issuer ? issuer->cert.get() : cert;
  EVP_PKEY* issuerKey = issuer ? issuer->key.get() : made.key.get();
  Check(X509_set_issuer_name(cert, X509_get_subject_name(issuerCert)) == 1, "issuer");
  if (isCa) {
    AddExtension(cert, issuerCert, NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(cert, issuerCert, NID_key_usage, "critical,keyCertSign,cRLSign");
  } else {
    AddExtension(cert, issuerCert, NID_basic_constraints, "critical,CA:FALSE");
    AddExtension(cert, issuerCert, NID_key_usage, "critical,digitalSignature");
    AddExtension(cert, issuerCert, NID_ext_key_usage, "serverAuth");
    AddExtension(cert, issuerCert, NID_subject_alt_name, altNames);
  }
  AddExtension(cert, issuerCert, NID_subject_key_identifier, "hash");
  if (issuer) AddExtension(cert, issuerCert, NID_authority_key_identifier, "keyid:always");
  Check(X509_sign(cert, issuerKey, EVP_sha256()) > 0, "sign");
  return made;
}

}  // namespace

Credentials MakeAuthority(const std::string& commonName) {
  return MakeCertificate(commonName, nullptr, true, "");
}

Credentials MakeServerCredentials(const Credentials& authority, const std::string& altNames) {
  // A certificate for one address names it as its common name too: cpp-httplib
  // built for Windows by mingw-w64 compares an address only with that name.
  const bool oneAddress = altNames.rfind("IP:", 0) == 0 && altNames.find(',') == std::string::npos;
  return MakeCertificate(oneAddress ? altNames.substr(3) : "Orvex test server", &authority, false,
                         altNames);
}

void WritePem(const Credentials& credentials, const std::filesystem::path& path) {
  std::unique_ptr<BIO, int (*)(BIO*)> memory(BIO_new(BIO_s_mem()), BIO_free);
  Check(memory && PEM_write_bio_X509(memory.get(), credentials.cert.get()) == 1, "write PEM");
  char* bytes = nullptr;
  const long size = BIO_get_mem_data(memory.get(), &bytes);
  test_support::WriteFile(path, std::string(bytes, static_cast<std::size_t>(size)));
}

// --- Servers --------------------------------------------------------------------------

RunningServer::RunningServer(std::unique_ptr<httplib::Server> server) : server_(std::move(server)) {
  if (!server_->is_valid()) throw std::runtime_error("server is not valid");
  port_ = server_->bind_to_any_port("127.0.0.1");
  if (port_ <= 0) throw std::runtime_error("cannot bind a port on 127.0.0.1");
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  // A stop before the server runs would be lost: wait until it listens. A
  // server that ended at once never does, and the test is told so.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!server_->is_running()) {
    if (std::chrono::steady_clock::now() > deadline) {
      server_->stop();
      thread_.join();
      throw std::runtime_error("the server on 127.0.0.1 did not start listening");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

RunningServer::~RunningServer() {
  server_->stop();
  thread_.join();
}

namespace {

SocketHandle BoundLoopbackSocket(int* port) {
  const SocketHandle fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd == static_cast<SocketHandle>(-1)) throw std::runtime_error("socket failed");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    CloseSocket(fd);
    throw std::runtime_error("bind failed");
  }
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  *port = ntohs(address.sin_port);
  return fd;
}

}  // namespace

RefusingPort::RefusingPort() { socket_ = BoundLoopbackSocket(&port_); }
RefusingPort::~RefusingPort() { CloseSocket(socket_); }

UnansweredPort::UnansweredPort() {
  listener_ = BoundLoopbackSocket(&port_);
  if (listen(listener_, 0) != 0) throw std::runtime_error("listen failed");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port_));
  // Connections that are never accepted fill the queue; later ones wait.
  for (int i = 0; i < 4; ++i) {
    const SocketHandle fd = socket(AF_INET, SOCK_STREAM, 0);
    MakeNonBlocking(fd);
    connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    fillers_.push_back(fd);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

UnansweredPort::~UnansweredPort() {
  for (const SocketHandle fd : fillers_) CloseSocket(fd);
  CloseSocket(listener_);
}

namespace {

// Every test runs with its configuration folder in a temporary folder.
class ConfigHomeEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    folder_ = std::make_unique<test_support::TempDir>("orvex-services");
    test_support::SetEnv("XDG_CONFIG_HOME", folder_->path().string());
  }
  void TearDown() override { folder_.reset(); }

 private:
  std::unique_ptr<test_support::TempDir> folder_;
};

const ::testing::Environment* const kConfigHome =
    ::testing::AddGlobalTestEnvironment(new ConfigHomeEnvironment);

}  // namespace
}  // namespace services_test
