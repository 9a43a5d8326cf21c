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

#include "app/messagecatalog.h"
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

  CHttpResult Fetch(const QUrl& url, int timeoutMs, IQueryProgress* progress,
                    const std::function<bool(const CHttpResult&)>& wantsBody);
};

CHttpResult CServerQuery::CConnection::Fetch(const QUrl& url, int timeoutMs, IQueryProgress* progress,
                                             const std::function<bool(const CHttpResult&)>& wantsBody) {
  QNetworkRequest request(url);
  request.setRawHeader("Accept", "*/*");
  // A compressed body could unpack to any size; the size limit is about what is read.
  request.setRawHeader("Accept-Encoding", "identity");
  request.setRawHeader("Cache-Control", "no-cache");
  request.setRawHeader("Pragma", "no-cache");
  request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
  request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);

  CHttpResult http;
  CProgressLines lines(progress);
  bool timedOut = false;
  bool stopped = false;  // ended on purpose once the headers or enough of the body were read
  bool readBody = false;
  lines.Started();
  QNetworkReply* reply = manager.get(request);
  reply->setReadBufferSize(kInfoFileLimit);

  QEventLoop loop;
  QTimer deadline;
  deadline.setSingleShot(true);
  auto stop = [&] {
    stopped = true;
    QMetaObject::invokeMethod(reply, &QNetworkReply::abort, Qt::QueuedConnection);
  };
  QObject::connect(reply, &QNetworkReply::socketStartedConnecting, &loop, [&] { lines.Connecting(); });
  QObject::connect(reply, &QNetworkReply::requestSent, &loop, [&] { lines.Sent(); });
  QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, [&] {
    CaptureHeaders(*reply, http);
    if (http.status >= 300 && http.status < 400)
      return;  // a redirection that the reply follows itself
    readBody = http.status < 300 && wantsBody(http);
    if (!readBody)
      stop();
  });
  QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
    if (!readBody || stopped) {
      reply->skip(reply->bytesAvailable());
      return;
    }
    // The declared length is below the limit; a body that goes on past it is
    // not read any further.
    http.body += reply->read(static_cast<qint64>(kInfoFileLimit) - http.body.size());
    if (http.body.size() >= static_cast<qsizetype>(kInfoFileLimit))
      stop();
  });
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
  QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
    timedOut = true;
    reply->abort();
  });
  deadline.start(timeoutMs);
  // The dialogs stay painted but take no clicks while the query runs, as
  // they would behind a blocking call.
  if (!reply->isFinished())
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  deadline.stop();

  if (http.status == 0 && !timedOut)
    CaptureHeaders(*reply, http);
  QNetworkReply::NetworkError error = reply->error();
  if (error == QNetworkReply::AuthenticationRequiredError && http.status == 0)
    http.status = 401;
  if (error == QNetworkReply::ProxyAuthenticationRequiredError && http.status == 0)
    http.status = 407;
  if (timedOut) {
    http.transportFailed = true;
    http.errorText = FormatPrintfText(NsCatalogText(NsText::kTimedOut), {PArg(timeoutMs / 1000.0)});
  } else if (http.status == 0 || (http.status < 400 && error != QNetworkReply::NoError && !stopped &&
                                  (IsTransportError(error) || http.status >= 300))) {
    // No answer at all, a connection lost in the middle of the body, or a
    // redirection that could not be followed.
    http.transportFailed = true;
    http.errorText = reply->errorString().toStdString();
  }
  lines.Finished();
  reply->deleteLater();
  return http;
}

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
  CHttpResult http = m_connection->Fetch(QUrl(QString::fromStdString(url), QUrl::StrictMode), timeoutMs, m_progress,
                                         [infoFile](const CHttpResult& h) { return infoFile && ReadsAsInfoFile(h); });
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
  m_answer.size = static_cast<std::uint32_t>(std::clamp<qint64>(*http.contentLength, 0, 0xFFFFFFFF));
  m_answer.date = DateOf(*http.lastModified);
  bool decide = false;
  if (infoFile && ReadsAsInfoFile(http)) {
    CServerInfoReader reader(m_answer, profile.downloadLink);
    decide = reader.ReadText(std::string_view(http.body.constData(), static_cast<std::size_t>(http.body.size())));
  } else if (StartsWithNoCase(*http.contentType, "application")) {
    decide = true;
  } else {
    message = FormatMessageText(NsCatalogText(4004), {profile.serverHost});
    return false;
  }
  return decide && profile.IsNewer(m_answer.size, m_answer.date, honourIgnore);
}
