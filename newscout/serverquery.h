// CServerQuery: asks the maker's web server about the package it offers, and decides whether it is newer.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "newscout/newscoutprofile.h"
#include "newscout/newscoutsettings.h"
#include "newscout/serverinforeader.h"

// Progress of one request, as the numbered lines "Resolving host name..." (4200)
// to "Closing connection...done" (4209).
class IQueryProgress {
 public:
  virtual ~IQueryProgress() = default;
  virtual void Step(int textId) = 0;
};

struct CCredentialsRequest {
  bool proxy = false;
  std::string host;
  std::string realm;
  int attempt = 0;  // 0 for the first question of a query
};

// Asks the user for a user name and password; false when the user declines.
class ICredentialsPrompt {
 public:
  virtual ~ICredentialsPrompt() = default;
  virtual bool AskCredentials(const CCredentialsRequest& request, std::string& user, std::string& password) = 0;
};

class CServerQuery {
 public:
  CServerQuery();
  ~CServerQuery();
  CServerQuery(const CServerQuery&) = delete;
  CServerQuery& operator=(const CServerQuery&) = delete;

  // Asks the server and returns true when it offers a newer package. Otherwise
  // `message` is empty when the product is up to date, or holds the error.
  // A successful contact is recorded as the last check; a server answer may
  // replace the profile's download link.
  bool Query(CNewscoutProfile& profile, CNewscoutSettings& settings, bool honourIgnore, std::string& message);

  // Stops a query that is running (from a window's click during it); the query
  // ends false with the cancelled text, and Cancelled() tells so.
  void Cancel();
  bool IsRunning() const { return m_inQuery; }
  bool Cancelled() const { return m_cancelled; }

  // What the server said in the last query.
  const CServerAnswer& Answer() const { return m_answer; }

  void SetProgress(IQueryProgress* progress) { m_progress = progress; }
  void SetCredentialsPrompt(ICredentialsPrompt* prompt) { m_prompt = prompt; }

  // How long connecting and answering may take, in milliseconds, in all.
  int timeoutMs = 30000;
  // Bodies of server information files are read up to this many bytes.
  static constexpr std::uint32_t kInfoFileLimit = 100000;

  // The address asked for: http unless the host begins with "https://"; empty
  // when the host names another protocol or no host at all.
  static std::string RequestUrl(const std::string& serverHost, const std::string& objectPath);

 private:
  struct CConnection;
  std::unique_ptr<CConnection> m_connection;  // opened on first use, kept for the run
  IQueryProgress* m_progress = nullptr;
  ICredentialsPrompt* m_prompt = nullptr;
  CServerAnswer m_answer;
  std::function<void()> m_cancelRunning;  // set while a request runs
  bool m_inQuery = false;
  bool m_cancelRequested = false;
  bool m_cancelled = false;
};
