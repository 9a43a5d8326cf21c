// CHttpExchange: one GET over one connection, read with a bound on every byte the server may send.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QList>
#include <QNetworkProxy>
#include <QPair>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAuthenticator;
class QSslSocket;

struct CHttpHead {
  int status = 0;  // 0 when no answer came
  QByteArray reason;  // the status line's text after the code, as the server sent it
  QList<QPair<QByteArray, QByteArray>> fields;  // names in lower case, in the order sent

  std::optional<QByteArray> Field(const QByteArray& lowerName) const;
  QList<QByteArray> Fields(const QByteArray& lowerName) const;
};

// What one exchange ended with.
struct CHttpExchangeResult {
  enum class EEnd { Answered, Failed, TimedOut, Cancelled };
  EEnd end = EEnd::Failed;
  std::string errorText;  // for Failed
  CHttpHead head;
  QByteArray body;  // only when asked for, and at most the body limit
};

// The moments of an exchange that the progress lines report.
class IHttpProgress {
 public:
  virtual ~IHttpProgress() = default;
  virtual void Connecting() = 0;
  virtual void Sent() = 0;
};

// Qt's own HTTP reader takes header lines of any length and goes on reading
// after an abort, so a server that never ends its header could fill memory
// for as long as the program runs. This reader stops at fixed bounds instead.
class CHttpExchange {
 public:
  static constexpr qsizetype kMaxHeadBytes = 64 * 1024;
  static constexpr int kMaxHeadFields = 100;
  static constexpr qsizetype kMaxChunkLine = 1024;

  // `wantsBody` decides from the head whether the body is read at all;
  // `bodyLimit` bounds what is kept of it.
  CHttpExchange(IHttpProgress* progress, std::function<bool(const CHttpHead&)> wantsBody, qsizetype bodyLimit);
  ~CHttpExchange();
  CHttpExchange(const CHttpExchange&) = delete;
  CHttpExchange& operator=(const CHttpExchange&) = delete;

  // Sends a GET for `url` (through `proxy`, which may be NoProxy) with the
  // extra header lines, and reads the answer until the deadline.
  CHttpExchangeResult Run(const QUrl& url, const QNetworkProxy& proxy, const QByteArray& extraHeaders,
                          QDeadlineTimer deadline);
  // From a click while Run waits: ends it as Cancelled.
  void Cancel();

  // The socket-level proxy (a CONNECT tunnel or SOCKS) asks for credentials.
  std::function<void(const QNetworkProxy&, QAuthenticator*)> onProxyAuthentication;

 private:
  class CRun;
  IHttpProgress* m_progress;
  std::function<bool(const CHttpHead&)> m_wantsBody;
  qsizetype m_bodyLimit;
  CRun* m_running = nullptr;
  bool m_cancelled = false;
};

// "Basic" and "Digest" (MD5, qop auth or none) answers to a challenge; empty
// for a scheme this reader cannot answer.
QByteArray AuthorizationFor(const QByteArray& challenge, const std::string& user, const std::string& password,
                            const QByteArray& requestTarget);
// The realm named in a challenge.
std::string ChallengeRealm(const QByteArray& challenge);
// RFC 2617's response digest; the client nonce is given for reproducible tests.
QByteArray DigestResponse(const QByteArray& user, const QByteArray& realm, const QByteArray& password,
                          const QByteArray& nonce, const QByteArray& uri, const QByteArray& qop,
                          const QByteArray& nc, const QByteArray& cnonce);
// An HTTP date in any of its three forms; nullopt when it is none.
std::optional<QDateTime> ParseHttpDate(const QByteArray& text);
