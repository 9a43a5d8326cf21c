// Test helpers of the version checker.
#include "nstestsupport.h"

#include <QApplication>
#include <QNetworkProxy>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>

#include "common/testsupport.h"
#include "newscout/newscoutsettings.h"

namespace {

// The key every profile is written with: the first 16 bytes of the phrase.
constexpr char kKeyPhrase[] = "Kivoprofile Secret";

class CNewscoutEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
      qputenv("QT_QPA_PLATFORM", "offscreen");
    SetProcessCatalog(ECatalog::Newscout);
    m_settings = std::make_unique<CTempDir>();
    RedirectSettingsFolder(m_settings->Path().string());
    m_app = std::make_unique<QApplication>(m_argc, m_argv);
    // The tests decide about proxies themselves; nothing from the environment.
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
  }
  void TearDown() override {
    m_app.reset();
    m_settings.reset();
  }
  std::string Folder() const { return m_settings->Path().string(); }

 private:
  int m_argc = 1;
  char m_name[16] = "test_newscout";
  char* m_argv[2] = {m_name, nullptr};
  std::unique_ptr<CTempDir> m_settings;
  std::unique_ptr<QApplication> m_app;
};

CNewscoutEnvironment* const g_environment =
    static_cast<CNewscoutEnvironment*>(::testing::AddGlobalTestEnvironment(new CNewscoutEnvironment));

std::string LittleEndian(std::uint32_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i)
    out += static_cast<char>((value >> (8 * i)) & 0xFF);
  return out;
}

std::string EncryptedArray(const std::string& text) {
  std::string plain(text.size() / 16 * 16 + 16, '\0');
  plain.replace(0, text.size(), text);
  std::string cipher(plain.size(), '\0');
  EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
  int written = 0;
  EVP_EncryptInit_ex(context, EVP_aes_128_ecb(), nullptr, reinterpret_cast<const unsigned char*>(kKeyPhrase), nullptr);
  EVP_CIPHER_CTX_set_padding(context, 0);
  EVP_EncryptUpdate(context, reinterpret_cast<unsigned char*>(cipher.data()), &written,
                    reinterpret_cast<const unsigned char*>(plain.data()), static_cast<int>(plain.size()));
  EVP_CIPHER_CTX_free(context);
  auto size = static_cast<std::uint32_t>(cipher.size());
  return (size < 0xFFFF ? LittleEndian(size, 2) : "\xFF\xFF" + LittleEndian(size, 4)) + cipher;
}

bool SendAll(int socket, std::string_view data) {
  while (!data.empty()) {
    ssize_t sent = send(socket, data.data(), data.size(), MSG_NOSIGNAL);
    if (sent <= 0)
      return false;
    data.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

bool WaitReadable(int socket, int ms) {
  pollfd entry{socket, POLLIN, 0};
  return poll(&entry, 1, ms) > 0;
}

}  // namespace

std::string TestSettingsFolder() { return g_environment->Folder(); }

std::string UniqueKeyPath() {
  static int counter = 0;
  std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  std::replace(name.begin(), name.end(), '/', '_');
  return "Software\\KivoTest_" + name + std::to_string(++counter) + "\\Newscout";
}

std::string ProfileBytes(int formatVersion, const CProfileTexts& t, int manualOnly) {
  std::string bytes = LittleEndian(static_cast<std::uint32_t>(formatVersion), 4);
  for (const std::string* text : {&t.productName, &t.registryKeyPath, &t.serverHost, &t.objectPath, &t.downloadLink})
    bytes += EncryptedArray(*text);
  if (formatVersion >= 2)
    bytes += LittleEndian(static_cast<std::uint32_t>(manualOnly), 4);
  return bytes;
}

CHttpReply MakeReply(int status, const std::string& contentType, const std::string& body,
                     const std::string& extraHeaders, bool withLength) {
  CHttpReply reply;
  reply.head = "HTTP/1.1 " + std::to_string(status) + " Status\r\nContent-Type: " + contentType + "\r\n";
  if (withLength)
    reply.head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  reply.head += "Last-Modified: Wed, 05 May 2010 12:30:15 GMT\r\n" + extraHeaders + "Connection: close\r\n";
  reply.body = body;
  return reply;
}

CTestHttpServer::CTestHttpServer(CHandler handler) : m_handler(std::move(handler)) {
  m_listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(m_listener, 8) != 0 ||
      getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ADD_FAILURE() << "the test server cannot listen on 127.0.0.1";
    return;
  }
  m_port = ntohs(address.sin_port);
  m_thread = std::thread([this] { Serve(); });
}

CTestHttpServer::~CTestHttpServer() {
  m_stop = true;
  if (m_thread.joinable())
    m_thread.join();
  close(m_listener);
}

std::vector<std::string> CTestHttpServer::Requests() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_requests;
}

void CTestHttpServer::Serve() {
  while (!m_stop) {
    if (!WaitReadable(m_listener, 50))
      continue;
    int client = accept(m_listener, nullptr, nullptr);
    if (client < 0)
      continue;
    Handle(client);
    close(client);
  }
}

void CTestHttpServer::Handle(int client) {
  std::string head;
  char buffer[4096];
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (head.find("\r\n\r\n") == std::string::npos) {
    if (m_stop || std::chrono::steady_clock::now() > until || head.size() > 65536)
      return;
    if (!WaitReadable(client, 50))
      continue;
    ssize_t got = recv(client, buffer, sizeof buffer, 0);
    if (got <= 0)
      return;
    head.append(buffer, static_cast<std::size_t>(got));
  }
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_requests.push_back(head);
  }
  CHttpReply reply = m_handler(head);
  if (reply.mode == CHttpReply::EMode::Silent) {
    // Holds the connection without a word until the client gives up.
    for (int i = 0; i < 100 && !m_stop; ++i) {
      if (WaitReadable(client, 50) && recv(client, buffer, sizeof buffer, 0) <= 0)
        return;
    }
    return;
  }
  bool headEnds = reply.mode != CHttpReply::EMode::EndlessHead;
  if (!SendAll(client, reply.head + (headEnds ? "\r\n" : "")) || reply.mode == CHttpReply::EMode::Normal) {
    SendAll(client, reply.body);
    return;
  }
  auto stopAt = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  for (int i = 0; i < 1000000 && !m_stop && std::chrono::steady_clock::now() < stopAt; ++i) {
    if (!SendAll(client, reply.body))
      return;
    m_sent += static_cast<long long>(reply.body.size());
    if (reply.pauseMs > 0)
      std::this_thread::sleep_for(std::chrono::milliseconds(reply.pauseMs));
  }
}

void CScriptedUi::RunMainDialog(CMainDialogController& controller) {
  events.push_back("main");
  if (inMainDialog)
    inMainDialog(controller);
}

bool CScriptedUi::RunNewVersionDialog(const CNewVersionOffer& offer) {
  events.push_back("new-version");
  offers.push_back(offer);
  if (pressVisit)
    offer.visit();
  return tickDoNotAlert;
}

EConnectChoice CScriptedUi::RunConnectPrompt(const std::string&, const std::string&) {
  events.push_back("connect");
  return connectChoice;
}

bool CScriptedUi::OpenUrl(const std::string& url) {
  events.push_back("open " + url);
  return openSucceeds;
}

bool CScriptedUi::AskCredentials(const CCredentialsRequest& request, std::string& userOut, std::string& passwordOut) {
  credentialRequests.push_back(request);
  userOut = user;
  passwordOut = password;
  return !user.empty();
}
