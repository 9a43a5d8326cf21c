// The web query over Qt Network, run to its end in a local event loop.
#include "newscout/serverquery.h"

#include <QAuthenticator>
#include <QDateTime>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <functional>
#include <optional>

#include "base/messagecatalog.h"
#include "newscout/newscouttexts.h"

namespace {

// The first pass of the status loop asks nobody; eight more may show the dialog.
constexpr int kMaxCredentialPrompts = 8;
constexpr std::size_t kMaxErrorText = 511;

struct CHttpResult {
  bool transportFailed = false;
  std::string errorText;
  int status = 0;  // 0 when no response came
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

// A small text answer is a server information file; anything else must be
// the package itself.
bool ReadsAsInfoFile(const CHttpResult& http) {
  return http.contentLength && *http.contentLength < CServerQuery::kInfoFileLimit && http.contentType &&
         StartsWithNoCase(*http.contentType, "text");
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

// Turns what the reply reports into the numbered progress lines, in their
// order, whatever the reply leaves out (a reused connection is not connected again).
class CProgressLines {
 public:
  explicit CProgressLines(IQueryProgress* sink) : m_sink(sink) {}

  void Started() {
    Say(4200);
    m_stage = EStage::Resolving;
  }
  void Connecting() {
    FinishStage();
    Say(4202);
    m_stage = EStage::Connecting;
  }
  void Sent() {
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

void CaptureHeaders(QNetworkReply& reply, CHttpResult& http) {
  QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
  http.status = status.isValid() ? status.toInt() : 0;
  QVariant length = reply.header(QNetworkRequest::ContentLengthHeader);
  http.contentLength = length.isValid() ? std::optional<qint64>(length.toLongLong()) : std::nullopt;
  QVariant modified = reply.header(QNetworkRequest::LastModifiedHeader);
  if (modified.isValid() && modified.toDateTime().isValid())
    http.lastModified = modified.toDateTime();
  else
    http.lastModified.reset();
  if (reply.hasRawHeader("Content-Type"))
    http.contentType = reply.rawHeader("Content-Type");
  else
    http.contentType.reset();
}

// Errors of the connection itself, as opposed to the HTTP answers that Qt
// also reports as errors (404 and the like).
bool IsTransportError(QNetworkReply::NetworkError error) {
  return error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied;
}

QNetworkRequest MakeRequest(const QUrl& url) {
  QNetworkRequest request(url);
  request.setRawHeader("Accept", "*/*");
  // A compressed body could unpack to any size; the size limit is about what is read.
  request.setRawHeader("Accept-Encoding", "identity");
  request.setRawHeader("Cache-Control", "no-cache");
  request.setRawHeader("Pragma", "no-cache");
  request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
  request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
  return request;
}

// One GET, from sending it to the end of what is read of its answer.
class CRequestRun {
 public:
  CRequestRun(IQueryProgress* progress, const std::function<bool(const CHttpResult&)>& wantsBody)
      : m_lines(progress), m_wantsBody(wantsBody) {}

  CHttpResult Run(QNetworkAccessManager& manager, const QUrl& url, int timeoutMs) {
    m_lines.Started();
    m_reply = manager.get(MakeRequest(url));
    m_reply->setReadBufferSize(CServerQuery::kInfoFileLimit);
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(m_reply, &QNetworkReply::socketStartedConnecting, &loop, [this] { m_lines.Connecting(); });
    QObject::connect(m_reply, &QNetworkReply::requestSent, &loop, [this] { m_lines.Sent(); });
    QObject::connect(m_reply, &QNetworkReply::metaDataChanged, &loop, [this] { OnHeaders(); });
    QObject::connect(m_reply, &QNetworkReply::readyRead, &loop, [this] { OnData(); });
    QObject::connect(m_reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [this] {
      m_timedOut = true;
      m_reply->abort();
    });
    deadline.start(timeoutMs);
    // The dialogs stay painted but take no clicks while the query runs, as
    // they would behind a blocking call.
    if (!m_reply->isFinished())
      loop.exec(QEventLoop::ExcludeUserInputEvents);
    deadline.stop();
    Conclude(timeoutMs);
    m_lines.Finished();
    m_reply->deleteLater();
    return m_http;
  }

 private:
  void OnHeaders() {
    CaptureHeaders(*m_reply, m_http);
    if (m_http.status >= 300 && m_http.status < 400)
      return;  // a redirection that the reply follows itself
    m_readBody = m_http.status < 300 && m_wantsBody(m_http);
    if (!m_readBody)
      Stop();
  }

  void OnData() {
    if (!m_readBody || m_stopped) {
      m_reply->skip(m_reply->bytesAvailable());
      return;
    }
    // The declared length is below the limit; a body that goes on past it is
    // not read any further.
    m_http.body += m_reply->read(static_cast<qint64>(CServerQuery::kInfoFileLimit) - m_http.body.size());
    if (m_http.body.size() >= static_cast<qsizetype>(CServerQuery::kInfoFileLimit))
      Stop();
  }

  // Ends the request on purpose; the reply is not aborted from inside its own signal.
  void Stop() {
    m_stopped = true;
    QMetaObject::invokeMethod(m_reply, &QNetworkReply::abort, Qt::QueuedConnection);
  }

  void Conclude(int timeoutMs) {
    if (m_timedOut) {
      m_http.transportFailed = true;
      m_http.errorText = FormatPrintfText(NsCatalogText(NsText::kTimedOut), {PArg(timeoutMs / 1000.0)});
      return;
    }
    if (m_http.status == 0)
      CaptureHeaders(*m_reply, m_http);
    QNetworkReply::NetworkError error = m_reply->error();
    if (m_http.status == 0 && error == QNetworkReply::AuthenticationRequiredError)
      m_http.status = 401;
    if (m_http.status == 0 && error == QNetworkReply::ProxyAuthenticationRequiredError)
      m_http.status = 407;
    // No answer at all, a connection lost in the middle of the body, or a
    // redirection that could not be followed.
    bool failed = m_http.status == 0 || (m_http.status < 400 && !m_stopped && error != QNetworkReply::NoError &&
                                         (IsTransportError(error) || m_http.status >= 300));
    if (failed) {
      m_http.transportFailed = true;
      m_http.errorText = m_reply->errorString().toStdString();
    }
  }

  CProgressLines m_lines;
  const std::function<bool(const CHttpResult&)>& m_wantsBody;
  QNetworkReply* m_reply = nullptr;
  CHttpResult m_http;
  bool m_timedOut = false;
  bool m_stopped = false;
  bool m_readBody = false;
};

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
  if (StartsWithNoCase(*http.contentType, "application"))
    return true;
  message = FormatMessageText(NsCatalogText(4004), {profile.serverHost});
  return false;
}

}  // namespace

struct CServerQuery::CConnection {
  QNetworkAccessManager manager;
  ICredentialsPrompt* prompt = nullptr;
  bool askUser = true;
  int prompts = 0;

  CConnection() {
    QObject::connect(&manager, &QNetworkAccessManager::authenticationRequired, &manager,
                     [this](QNetworkReply* reply, QAuthenticator* auth) {
                       Authenticate(false, reply->url().host(), *auth);
                     });
    QObject::connect(&manager, &QNetworkAccessManager::proxyAuthenticationRequired, &manager,
                     [this](const QNetworkProxy& proxy, QAuthenticator* auth) {
                       Authenticate(true, proxy.hostName(), *auth);
                     });
  }

  // Credentials left empty make the request end with its 401 or 407.
  void Authenticate(bool proxy, const QString& host, QAuthenticator& auth) {
    if (!askUser || !prompt || prompts >= kMaxCredentialPrompts)
      return;
    CCredentialsRequest request{proxy, host.toStdString(), auth.realm().toStdString(), prompts++};
    std::string user;
    std::string password;
    if (!prompt->AskCredentials(request, user, password))
      return;
    auth.setUser(QString::fromStdString(user));
    auth.setPassword(QString::fromStdString(password));
  }

};

CServerQuery::CServerQuery() = default;
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
  bool infoFile = IsInfoFilePath(profile.objectPath);
  std::function<bool(const CHttpResult&)> wantsBody = [infoFile](const CHttpResult& h) {
    return infoFile && ReadsAsInfoFile(h);
  };
  CHttpResult http = CRequestRun(m_progress, wantsBody)
                         .Run(m_connection->manager, QUrl(QString::fromStdString(url), QUrl::StrictMode), timeoutMs);
  if (http.transportFailed) {
    message = NetworkErrorMessage(http.errorText);
    return false;
  }
  if (http.status >= 400) {
    message = NsCatalogText(4011);
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
