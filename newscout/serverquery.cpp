// The web query, each request run to its end in a local event loop.
#include "newscout/serverquery.h"

#include <QAuthenticator>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QNetworkProxy>
#include <QUrl>
#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <set>

#include "base/messagecatalog.h"
#include "newscout/httpexchange.h"
#include "newscout/newscouttexts.h"

namespace {

// The first pass of the status loop asks nobody; eight more may show the dialog.
constexpr int kMaxCredentialPrompts = 8;
constexpr std::size_t kMaxErrorText = 511;
constexpr int kMaxRedirections = 5;

struct CHttpResult {
  int status = 0;  // 0 when no response came
  QByteArray reason;
  std::optional<qint64> contentLength;
  std::optional<QDateTime> lastModified;
  std::optional<QByteArray> contentType;
  QByteArray body;
};

bool StartsWithNoCase(const QByteArray& text, const char* prefix) {
  return text.trimmed().toLower().startsWith(QByteArray(prefix));
}

bool IsInfoFilePath(const std::string& objectPath) {
  QString path = QString::fromStdString(objectPath);
  qsizetype query = path.indexOf(QLatin1Char('?'));
  if (query >= 0)
    path.truncate(query);
  return path.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive) ||
         path.endsWith(QLatin1String(".upd"), Qt::CaseInsensitive);
}

bool IsText(const CHttpResult& http) { return http.contentType && StartsWithNoCase(*http.contentType, "text"); }

// A small text answer is a server information file; anything else must be
// the package itself.
bool ReadsAsInfoFile(const CHttpResult& http) {
  return http.contentLength && *http.contentLength < CServerQuery::kInfoFileLimit && IsText(http);
}

// Only these two ask for credentials; any other error is the server's to name.
bool IsAuthenticationFailure(int status) { return status == 401 || status == 407; }

// "500 Internal Server Error": the code, and the server's words for it in a
// form that can be shown.
std::string StatusText(const CHttpResult& http) {
  std::string reason = ShortenedText(DisplayableText(http.reason.toStdString()), 60);
  return std::to_string(http.status) + (reason.empty() ? "" : " " + reason);
}

CNewscoutDate DateOf(const QDateTime& when) {
  QDateTime utc = when.toUTC();
  CNewscoutDate date;
  date.year = static_cast<std::uint16_t>(utc.date().year());
  date.month = static_cast<std::uint16_t>(utc.date().month());
  date.day = static_cast<std::uint16_t>(utc.date().day());
  date.dayOfWeek = static_cast<std::uint16_t>(utc.date().dayOfWeek() % 7);
  date.hour = static_cast<std::uint16_t>(utc.time().hour());
  date.minute = static_cast<std::uint16_t>(utc.time().minute());
  date.second = static_cast<std::uint16_t>(utc.time().second());
  date.millisecond = static_cast<std::uint16_t>(utc.time().msec());
  return date;
}

std::string NetworkErrorMessage(std::string errorText) {
  if (errorText.empty())
    errorText = NsCatalogText(4006);
  if (errorText.size() > kMaxErrorText)
    errorText.resize(kMaxErrorText);
  return FormatMessageText(NsCatalogText(4005), {errorText});
}

// Turns what the exchange reports into the numbered progress lines, in their order.
class CProgressLines : public IHttpProgress {
 public:
  explicit CProgressLines(IQueryProgress* sink) : m_sink(sink) {}

  void Started() {
    Say(4200);
    m_stage = EStage::Resolving;
  }
  void Connecting() override {
    FinishStage();
    Say(4202);
    m_stage = EStage::Connecting;
  }
  void Sent() override {
    FinishStage();
    Say(4204);
    Say(4205);
    Say(4206);
    m_stage = EStage::Receiving;
  }
  // A request that never reached a server has no connection to close.
  void Finished() {
    if (m_stage != EStage::Resolving) {
      FinishStage();
      Say(4208);
      Say(4209);
    }
    m_stage = EStage::Done;
  }

 private:
  enum class EStage { Idle, Resolving, Connecting, Receiving, Done };

  void FinishStage() {
    if (m_stage == EStage::Resolving)
      Say(4201);
    else if (m_stage == EStage::Connecting)
      Say(4203);
    else if (m_stage == EStage::Receiving)
      Say(4207);
    m_stage = EStage::Idle;
  }
  void Say(int id) {
    if (m_sink)
      m_sink->Step(id);
  }

  IQueryProgress* m_sink;
  EStage m_stage = EStage::Idle;
};

// The three headers the decision needs, each missing when absent or unreadable.
CHttpResult ResultOf(const CHttpExchangeResult& exchange) {
  CHttpResult http;
  http.status = exchange.head.status;
  http.reason = exchange.head.reason;
  bool ok = false;
  qint64 length = exchange.head.Field("content-length").value_or("").toLongLong(&ok);
  if (ok && length >= 0)
    http.contentLength = length;
  if (auto modified = exchange.head.Field("last-modified"))
    http.lastModified = ParseHttpDate(*modified);
  http.contentType = exchange.head.Field("content-type");
  http.body = exchange.body;
  return http;
}

bool IsRedirection(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The proxy the system (or the application) names for the address; none for a direct connection.
QNetworkProxy ProxyFor(const QUrl& url) {
  QList<QNetworkProxy> proxies = QNetworkProxyFactory::proxyForQuery(QNetworkProxyQuery(url));
  if (proxies.isEmpty() || proxies.front().type() == QNetworkProxy::DefaultProxy)
    return QNetworkProxy(QNetworkProxy::NoProxy);
  return proxies.front();
}

// The challenge to answer: Digest before Basic; empty when there is neither.
QByteArray ChosenChallenge(const QList<QByteArray>& challenges) {
  QByteArray basic;
  for (const QByteArray& challenge : challenges) {
    QByteArray lower = challenge.trimmed().toLower();
    if (lower.startsWith("digest"))
      return challenge.trimmed();
    if (lower.startsWith("basic") && basic.isEmpty())
      basic = challenge.trimmed();
  }
  return basic;
}

}  // namespace

struct CServerQuery::CConnection {
  struct CCredentials {
    std::string user;
    std::string password;
  };
  // What the user gave for a server or proxy and realm, tried first without
  // asking again, for the rest of the run.
  std::map<std::string, CCredentials> accepted;
  std::set<std::string> triedSilently;
  ICredentialsPrompt* prompt = nullptr;
  bool askUser = true;
  int prompts = 0;

  // Credentials for a challenge; false when there are none to try.
  bool Credentials(bool proxy, const std::string& host, const std::string& realm, CCredentials& out) {
    if (!askUser)
      return false;
    std::string key = (proxy ? "proxy\n" : "server\n") + host + "\n" + realm;
    auto known = accepted.find(key);
    if (known != accepted.end() && triedSilently.insert(key).second) {
      out = known->second;
      return true;
    }
    if (!prompt || prompts >= kMaxCredentialPrompts)
      return false;
    CCredentialsRequest request{proxy, host, realm, prompts++};
    if (!prompt->AskCredentials(request, out.user, out.password))
      return false;
    accepted[key] = out;
    triedSilently.insert(key);
    return true;
  }
};

namespace {

// The package's size and date from the headers, or from a server information
// file; false when no decision can be made (with `message` set on an error).
bool ReadAnswer(const CHttpResult& http, bool infoFile, CNewscoutProfile& profile, CServerAnswer& answer,
                std::string& message) {
  answer.size = static_cast<std::uint32_t>(std::clamp<qint64>(*http.contentLength, 0, 0xFFFFFFFF));
  answer.date = DateOf(*http.lastModified);
  if (infoFile && ReadsAsInfoFile(http)) {
    CServerInfoReader reader(answer, profile.downloadLink);
    return reader.ReadText(std::string_view(http.body.constData(), static_cast<std::size_t>(http.body.size())));
  }
  // A text where the information file should be, but too long to be one: the
  // server answered, just not with anything this checker reads.
  if (infoFile && IsText(http)) {
    message = FormatMessageText(NsCatalogText(NsText::kInfoFileTooLarge),
                                {profile.serverHost, std::to_string(*http.contentLength),
                                 std::to_string(CServerQuery::kInfoFileLimit)});
    return false;
  }
  if (StartsWithNoCase(*http.contentType, "application"))
    return true;
  message = FormatMessageText(NsCatalogText(4004), {profile.serverHost});
  return false;
}

}  // namespace

CServerQuery::CServerQuery() = default;

void CServerQuery::Cancel() {
  if (!m_inQuery)
    return;
  m_cancelRequested = true;
  if (m_cancelRunning)
    m_cancelRunning();
}
CServerQuery::~CServerQuery() = default;

std::string CServerQuery::RequestUrl(const std::string& serverHost, const std::string& objectPath) {
  QString host = QString::fromStdString(serverHost).trimmed();
  QString scheme = QStringLiteral("http");
  qsizetype marker = host.indexOf(QLatin1String("://"));
  if (marker >= 0) {
    scheme = host.left(marker).toLower();
    host = host.mid(marker + 3);
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
      return {};
  }
  while (host.endsWith(QLatin1Char('/')))
    host.chop(1);
  QString path = QString::fromStdString(objectPath).trimmed();
  if (!path.startsWith(QLatin1Char('/')))
    path.prepend(QLatin1Char('/'));
  QUrl url(scheme + QStringLiteral("://") + host + path, QUrl::TolerantMode);
  if (!url.isValid() || url.host().isEmpty())
    return {};
  return url.toString(QUrl::FullyEncoded).toStdString();
}

bool CServerQuery::Query(CNewscoutProfile& profile, CNewscoutSettings& settings, bool honourIgnore,
                         std::string& message) {
  m_answer = CServerAnswer{};
  m_cancelled = false;
  message.clear();
  std::string url = RequestUrl(profile.serverHost, profile.objectPath);
  if (url.empty()) {
    message = NetworkErrorMessage(FormatMessageText(NsCatalogText(NsText::kNotWebAddress), {profile.serverHost}));
    return false;
  }
  if (!m_connection)
    m_connection = std::make_unique<CConnection>();
  m_connection->prompt = m_prompt;
  m_connection->askUser = profile.authDialog != 0;
  m_connection->prompts = 0;
  m_connection->triedSilently.clear();
  bool infoFile = IsInfoFilePath(profile.objectPath);
  auto wantsBody = [infoFile](const CHttpHead& head) {
    return infoFile && ReadsAsInfoFile(ResultOf({CHttpExchangeResult::EEnd::Answered, {}, head, {}}));
  };
  m_inQuery = true;
  m_cancelRequested = false;
  struct CQueryEnd {
    bool& inQuery;
    ~CQueryEnd() { inQuery = false; }
  } queryEnd{m_inQuery};

  QUrl address(QString::fromStdString(url), QUrl::StrictMode);
  QDeadlineTimer deadline(timeoutMs);
  QByteArray serverAuthorization;
  QByteArray proxyAuthorization;
  int redirections = 0;
  CHttpExchangeResult exchange;
  // At most nine passes: the first, and one for each answer to a challenge or redirection.
  for (int pass = 0; pass < 9; ++pass) {
    QNetworkProxy proxy = ProxyFor(address);
    CProgressLines lines(m_progress);
    CHttpExchange run(&lines, wantsBody, kInfoFileLimit);
    run.onProxyAuthentication = [this](const QNetworkProxy& p, QAuthenticator* auth) {
      CConnection::CCredentials given;
      if (m_connection->Credentials(true, p.hostName().toStdString(), auth->realm().toStdString(), given)) {
        auth->setUser(QString::fromStdString(given.user));
        auth->setPassword(QString::fromStdString(given.password));
      }
    };
    if (m_cancelRequested) {  // while a credentials dialog was open
      exchange.end = CHttpExchangeResult::EEnd::Cancelled;
      break;
    }
    m_cancelRunning = [&run] { run.Cancel(); };
    lines.Started();
    exchange = run.Run(address, proxy, serverAuthorization + proxyAuthorization, deadline);
    lines.Finished();
    m_cancelRunning = nullptr;
    if (exchange.end != CHttpExchangeResult::EEnd::Answered)
      break;
    int status = exchange.head.status;
    if (IsRedirection(status)) {
      QUrl next = address.resolved(QUrl::fromEncoded(exchange.head.Field("location").value_or("")));
      bool safe = next.isValid() && !next.host().isEmpty() &&
                  (next.scheme() == QLatin1String("https") ||
                   (next.scheme() == QLatin1String("http") && address.scheme() == QLatin1String("http")));
      if (!safe || ++redirections > kMaxRedirections) {
        exchange.end = CHttpExchangeResult::EEnd::Failed;
        exchange.errorText = FormatMessageText(NsCatalogText(NsText::kRedirectNotFollowed),
                                               {DisplayableText(next.toDisplayString().toStdString())});
        break;
      }
      if (next.host() != address.host())
        serverAuthorization.clear();
      address = next;
      continue;
    }
    bool proxyAsks = status == 407 && (proxy.type() == QNetworkProxy::HttpProxy ||
                                       proxy.type() == QNetworkProxy::HttpCachingProxy);
    if (status != 401 && !proxyAsks)
      break;
    QByteArray challenge = ChosenChallenge(exchange.head.Fields(proxyAsks ? "proxy-authenticate" : "www-authenticate"));
    CConnection::CCredentials given;
    std::string host = proxyAsks ? proxy.hostName().toStdString() : address.host().toStdString();
    if (challenge.isEmpty() || !m_connection->Credentials(proxyAsks, host, ChallengeRealm(challenge), given))
      break;
    QByteArray target = address.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
    QByteArray answer = AuthorizationFor(challenge, given.user, given.password, target.isEmpty() ? "/" : target);
    if (answer.isEmpty())
      break;
    (proxyAsks ? proxyAuthorization : serverAuthorization) =
        (proxyAsks ? "Proxy-Authorization: " : "Authorization: ") + answer + "\r\n";
  }

  if (exchange.end == CHttpExchangeResult::EEnd::Cancelled) {
    m_cancelled = true;
    message = NsCatalogText(NsText::kCancelled);
    return false;
  }
  if (exchange.end == CHttpExchangeResult::EEnd::TimedOut) {
    message = NetworkErrorMessage(FormatPrintfText(NsCatalogText(NsText::kTimedOut), {PArg(timeoutMs / 1000.0)}));
    return false;
  }
  if (exchange.end == CHttpExchangeResult::EEnd::Failed) {
    message = NetworkErrorMessage(exchange.errorText);
    return false;
  }
  CHttpResult http = ResultOf(exchange);
  if (IsAuthenticationFailure(http.status)) {
    message = NsCatalogText(4011);
    return false;
  }
  if (http.status >= 400) {
    message = FormatMessageText(NsCatalogText(NsText::kServerError), {profile.serverHost, StatusText(http)});
    return false;
  }
  settings.WriteLastRun(CNewscoutDate::LocalNow());
  if (!http.contentLength || !http.lastModified || !http.contentType) {
    message = NsCatalogText(4007);
    return false;
  }
  if (!ReadAnswer(http, infoFile, profile, m_answer, message))
    return false;
  return profile.IsNewer(m_answer.size, m_answer.date, honourIgnore);
}
