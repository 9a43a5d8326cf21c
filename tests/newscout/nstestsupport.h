// Helpers of the version checker's tests: the Qt application, profile writing, a local HTTP server, a scripted UI.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "newscout/newscoutui.h"

// Names the rows of a data-driven test after their `name` member.
struct CRowName {
  template <typename TInfo>
  std::string operator()(const TInfo& row) const {
    return row.param.name;
  }
};

// The folder that both settings scopes are redirected to for the whole run.
std::string TestSettingsFolder();
// A key path with an organisation of its own for the current test, so tests never share values.
std::string UniqueKeyPath();

// Profiles as the maker's tool writes them, encrypted independently of the
// checker's own code so that a changed key or mode is caught.
struct CProfileTexts {
  std::string productName, registryKeyPath, serverHost, objectPath, downloadLink;
};
std::string ProfileBytes(int formatVersion, const CProfileTexts& texts, int manualOnly = 0);

struct CHttpReply {
  // EndlessHead: the head is sent without the blank line that ends it, then
  // the body again and again, as if one header line never ended.
  enum class EMode { Normal, Silent, Endless, EndlessHead };
  EMode mode = EMode::Normal;
  std::string head;  // status line and header lines, each ending in CR LF
  std::string body;  // for Endless and EndlessHead: sent again and again after the head
  int pauseMs = 0;   // between two sendings of an endless body
};

// A reply with Content-Length (unless `withLength` is false), Last-Modified
// and Content-Type, and any extra header lines.
CHttpReply MakeReply(int status, const std::string& contentType, const std::string& body,
                     const std::string& extraHeaders = {}, bool withLength = true);

// An HTTP server on 127.0.0.1 and an ephemeral port, on its own thread. One
// request per connection; every wait on the network is bounded.
class CTestHttpServer {
 public:
  using CHandler = std::function<CHttpReply(const std::string& requestHead)>;
  explicit CTestHttpServer(CHandler handler);
  ~CTestHttpServer();
  CTestHttpServer(const CTestHttpServer&) = delete;
  CTestHttpServer& operator=(const CTestHttpServer&) = delete;

  int Port() const { return m_port; }
  std::string HostPort() const { return "127.0.0.1:" + std::to_string(m_port); }
  std::vector<std::string> Requests() const;  // the request heads received
  long long BytesSent() const { return m_sent; }  // of endless replies, so far

 private:
  void Serve();
  void Handle(int client);

  CHandler m_handler;
  int m_listener = -1;
  int m_port = 0;
  std::atomic<bool> m_stop{false};
  std::atomic<long long> m_sent{0};
  mutable std::mutex m_mutex;
  std::vector<std::string> m_requests;
  std::thread m_thread;
};

// A UI that answers every dialog as told and remembers what it was shown.
class CScriptedUi : public INewscoutUi {
 public:
  void SetMessageCaption(const std::string&) override {}
  void RunMainDialog(CMainDialogController& controller) override;
  bool RunNewVersionDialog(const CNewVersionOffer& offer) override;
  EConnectChoice RunConnectPrompt(const std::string& caption, const std::string& text) override;
  bool OpenUrl(const std::string& url) override;
  bool AskCredentials(const CCredentialsRequest& request, std::string& user, std::string& password) override;

  std::vector<std::string> events;  // "main", "new-version", "connect", "open <url>"
  std::vector<CNewVersionOffer> offers;
  std::vector<CCredentialsRequest> credentialRequests;

  std::function<void(CMainDialogController&)> inMainDialog;
  EConnectChoice connectChoice = EConnectChoice::Connect;
  bool pressVisit = false;      // in the new-version dialog
  bool tickDoNotAlert = false;  // in the new-version dialog
  bool openSucceeds = true;
  std::string user, password;   // credentials given when the user is not empty
};
