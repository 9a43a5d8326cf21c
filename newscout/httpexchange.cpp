// One HTTP/1.1 GET on a QSslSocket, with bounded reading.
#include "newscout/httpexchange.h"

#include <QAuthenticator>
#include <QCryptographicHash>
#include <QDateTime>
#include <QEventLoop>
#include <QLocale>
#include <QRandomGenerator>
#include <QSslSocket>
#include <QTimer>
#include <QTimeZone>

#include "base/messagecatalog.h"
#include "newscout/newscouttexts.h"

namespace {

constexpr int kHeadTooLarge = 8072;
constexpr int kNotHttp = 8073;
constexpr int kAnswerCut = 8074;
constexpr int kAnswerMalformed = 8075;

// Where the head ends: after the first empty line, whether lines end in CR LF or LF alone.
qsizetype HeadEnd(const QByteArray& data) {
  qsizetype crlf = data.indexOf("\r\n\r\n");
  qsizetype lf = data.indexOf("\n\n");
  if (crlf >= 0 && (lf < 0 || crlf + 2 <= lf))
    return crlf + 4;
  return lf >= 0 ? lf + 2 : -1;
}

// Status line and fields; false when it is not an HTTP answer or has too many fields.
bool ParseHead(const QByteArray& text, CHttpHead& head, int& errorId) {
  QList<QByteArray> lines = text.split('\n');
  for (QByteArray& line : lines) {
    if (line.endsWith('\r'))
      line.chop(1);
  }
  QList<QByteArray> status = lines.value(0).split(' ');
  bool ok = false;
  head.status = status.size() >= 2 && status[0].startsWith("HTTP/1.") ? status[1].toInt(&ok) : 0;
  if (!ok || head.status < 100 || head.status > 999) {
    errorId = kNotHttp;
    return false;
  }
  head.reason = status.mid(2).join(' ').trimmed();
  for (qsizetype i = 1; i < lines.size(); ++i) {
    const QByteArray& line = lines[i];
    if (line.isEmpty())
      continue;
    if ((line[0] == ' ' || line[0] == '\t') && !head.fields.isEmpty()) {  // an old-style continuation
      head.fields.last().second += ' ' + line.trimmed();
      continue;
    }
    qsizetype colon = line.indexOf(':');
    if (colon <= 0)
      continue;
    if (head.fields.size() >= CHttpExchange::kMaxHeadFields) {
      errorId = kHeadTooLarge;
      return false;
    }
    head.fields.append({line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed()});
  }
  return true;
}

QByteArray Quoted(const QByteArray& value) { return '"' + value + '"'; }

// The name=value pairs after a challenge's scheme; values may be quoted.
QList<QPair<QByteArray, QByteArray>> ChallengeParameters(const QByteArray& challenge) {
  QList<QPair<QByteArray, QByteArray>> parameters;
  qsizetype at = challenge.indexOf(' ');
  if (at < 0)
    return parameters;
  const qsizetype size = challenge.size();
  while (at < size) {
    while (at < size && (challenge[at] == ' ' || challenge[at] == ','))
      ++at;
    qsizetype equals = challenge.indexOf('=', at);
    if (equals < 0)
      break;
    QByteArray name = challenge.mid(at, equals - at).trimmed().toLower();
    at = equals + 1;
    QByteArray value;
    if (at < size && challenge[at] == '"') {
      for (++at; at < size && challenge[at] != '"'; ++at) {
        if (challenge[at] == '\\' && at + 1 < size)
          ++at;
        value += challenge[at];
      }
      ++at;
    } else {
      qsizetype end = challenge.indexOf(',', at);
      if (end < 0)
        end = size;
      value = challenge.mid(at, end - at).trimmed();
      at = end;
    }
    parameters.append({name, value});
  }
  return parameters;
}

QByteArray Parameter(const QByteArray& challenge, const QByteArray& name) {
  for (const auto& [key, value] : ChallengeParameters(challenge)) {
    if (key == name)
      return value;
  }
  return {};
}

QByteArray Md5Hex(const QByteArray& data) { return QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex(); }

}  // namespace

std::optional<QByteArray> CHttpHead::Field(const QByteArray& lowerName) const {
  for (const auto& [name, value] : fields) {
    if (name == lowerName)
      return value;
  }
  return std::nullopt;
}

QList<QByteArray> CHttpHead::Fields(const QByteArray& lowerName) const {
  QList<QByteArray> values;
  for (const auto& [name, value] : fields) {
    if (name == lowerName)
      values.append(value);
  }
  return values;
}

class CHttpExchange::CRun {
 public:
  CRun(CHttpExchange& owner, QEventLoop& loop) : m_owner(owner), m_loop(loop) {}

  CHttpExchangeResult Run(const QUrl& url, const QNetworkProxy& proxy, const QByteArray& extraHeaders,
                          QDeadlineTimer deadline) {
    m_socket = std::make_unique<QSslSocket>();
    // Qt's buffer never holds more than one read's worth; the rest waits in the system.
    m_socket->setReadBufferSize(64 * 1024);
    bool https = url.scheme() == QLatin1String("https");
    int port = url.port(https ? 443 : 80);
    // Plain http goes to an HTTP proxy as a request for the whole address;
    // everything else is tunnelled by the socket itself.
    bool absoluteForm = !https && (proxy.type() == QNetworkProxy::HttpProxy ||
                                   proxy.type() == QNetworkProxy::HttpCachingProxy);
    QByteArray target = url.toEncoded(QUrl::RemoveFragment | QUrl::RemoveUserInfo);
    if (!absoluteForm) {
      target = url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
      if (target.isEmpty())
        target = "/";
    }
    QByteArray host = url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveUserInfo | QUrl::RemovePath |
                                    QUrl::RemoveQuery | QUrl::RemoveFragment)
                          .mid(2);
    m_request = "GET " + target + " HTTP/1.1\r\nHost: " + host +
                "\r\nAccept: */*\r\nAccept-Encoding: identity\r\nCache-Control: no-cache\r\nPragma: no-cache\r\n"
                "Connection: close\r\n" +
                extraHeaders + "\r\n";

    QObject::connect(m_socket.get(), &QAbstractSocket::stateChanged, &m_loop, [this](QAbstractSocket::SocketState s) {
      if (s == QAbstractSocket::ConnectingState && m_owner.m_progress)
        m_owner.m_progress->Connecting();
    });
    QObject::connect(m_socket.get(), &QAbstractSocket::errorOccurred, &m_loop, [this](QAbstractSocket::SocketError) {
      OnClosed(true);
    });
    QObject::connect(m_socket.get(), &QAbstractSocket::disconnected, &m_loop, [this] { OnClosed(false); });
    QObject::connect(m_socket.get(), &QIODevice::bytesWritten, &m_loop, [this](qint64) {
      if (!m_sent && m_socket->bytesToWrite() == 0) {
        m_sent = true;
        if (m_owner.m_progress)
          m_owner.m_progress->Sent();
      }
    });
    QObject::connect(m_socket.get(), &QIODevice::readyRead, &m_loop, [this] { OnReadable(); });
    QObject::connect(m_socket.get(), &QAbstractSocket::proxyAuthenticationRequired, &m_loop,
                     [this](const QNetworkProxy& p, QAuthenticator* auth) {
                       if (m_owner.onProxyAuthentication)
                         m_owner.onProxyAuthentication(p, auth);
                     });
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &m_loop, [this] { Finish(CHttpExchangeResult::EEnd::TimedOut); });
    timer.start(std::max<qint64>(0, deadline.remainingTime()));

    if (absoluteForm) {
      m_socket->setProxy(QNetworkProxy::NoProxy);
      QObject::connect(m_socket.get(), &QAbstractSocket::connected, &m_loop, [this] { m_socket->write(m_request); });
      m_socket->connectToHost(proxy.hostName(), proxy.port());
    } else {
      m_socket->setProxy(proxy);
      if (https) {
        QObject::connect(m_socket.get(), &QSslSocket::encrypted, &m_loop, [this] { m_socket->write(m_request); });
        m_socket->connectToHostEncrypted(url.host(), static_cast<quint16>(port));
      } else {
        QObject::connect(m_socket.get(), &QAbstractSocket::connected, &m_loop, [this] { m_socket->write(m_request); });
        m_socket->connectToHost(url.host(), static_cast<quint16>(port));
      }
    }
    if (!m_done)
      m_loop.exec();
    timer.stop();
    QObject::disconnect(m_socket.get(), nullptr, &m_loop, nullptr);
    m_socket->abort();
    return m_result;
  }

  void Finish(CHttpExchangeResult::EEnd end, std::string errorText = {}) {
    if (m_done)
      return;
    m_done = true;
    m_result.end = end;
    m_result.errorText = std::move(errorText);
    m_loop.quit();
  }

 private:
  enum class EStage { Head, Body, Chunks };

  void Fail(int textId) { Finish(CHttpExchangeResult::EEnd::Failed, FormatMessageText(NsCatalogText(textId), {std::to_string(CHttpExchange::kMaxHeadBytes)})); }

  void OnReadable() {
    while (!m_done && m_socket->bytesAvailable() > 0) {
      // Never more than the stage can still take: a head of at most its bound, a body of at most its limit.
      qsizetype room = m_stage == EStage::Head ? CHttpExchange::kMaxHeadBytes + 1 - m_in.size()
                                               : std::max<qsizetype>(m_owner.m_bodyLimit - m_result.body.size() +
                                                                         CHttpExchange::kMaxChunkLine - m_in.size(),
                                                                     1);
      QByteArray got = m_socket->read(std::min<qint64>(room, 16 * 1024));
      m_total += got.size();
      // Tiny chunks with long size lines could make the reading go on long after the body is full.
      if (m_total > CHttpExchange::kMaxHeadBytes + 2 * m_owner.m_bodyLimit + 64 * 1024)
        return Fail(kAnswerMalformed);
      m_in += got;
      Parse();
    }
  }

  void Parse() {
    if (m_stage == EStage::Head) {
      qsizetype end = HeadEnd(m_in);
      if (end < 0) {
        if (m_in.size() > CHttpExchange::kMaxHeadBytes)
          Fail(kHeadTooLarge);
        return;
      }
      if (end > CHttpExchange::kMaxHeadBytes)
        return Fail(kHeadTooLarge);
      CHttpHead head;
      int errorId = 0;
      if (!ParseHead(m_in.left(end), head, errorId))
        return Fail(errorId);
      m_in.remove(0, end);
      if (head.status < 200)  // an interim answer; the real one follows
        return Parse();
      m_result.head = head;
      bool noBody = head.status >= 300 || !m_owner.m_wantsBody(head);
      if (noBody)
        return Finish(CHttpExchangeResult::EEnd::Answered);
      QByteArray encoding = head.Field("transfer-encoding").value_or("").toLower();
      if (encoding.contains("chunked")) {
        m_stage = EStage::Chunks;
      } else {
        m_stage = EStage::Body;
        bool ok = false;
        qint64 length = head.Field("content-length").value_or("").toLongLong(&ok);
        m_remaining = ok && length >= 0 ? length : -1;
      }
    }
    if (m_stage == EStage::Body)
      return ReadIdentity();
    ReadChunks();
  }

  // Keeps at most the body limit; what the server sends past its own length is not read.
  void Keep(qsizetype count) {
    qsizetype kept = std::min(count, m_owner.m_bodyLimit - m_result.body.size());
    m_result.body += m_in.left(kept);
    m_in.remove(0, count);
    if (m_result.body.size() >= m_owner.m_bodyLimit)
      Finish(CHttpExchangeResult::EEnd::Answered);
  }

  void ReadIdentity() {
    qsizetype take = m_remaining < 0 ? m_in.size() : std::min<qsizetype>(m_in.size(), m_remaining);
    if (m_remaining >= 0)
      m_remaining -= take;
    Keep(take);
    m_in.clear();
    if (m_remaining == 0)
      Finish(CHttpExchangeResult::EEnd::Answered);
  }

  void ReadChunks() {
    while (!m_done) {
      if (m_chunkLeft > 0) {
        qsizetype take = std::min<qsizetype>(m_in.size(), m_chunkLeft);
        if (take == 0)
          return;
        m_chunkLeft -= take;
        Keep(take);
        if (m_chunkLeft == 0)
          m_skipLineEnd = true;
        continue;
      }
      qsizetype lineEnd = m_in.indexOf('\n');
      if (lineEnd < 0) {
        if (m_in.size() > CHttpExchange::kMaxChunkLine)
          Fail(kAnswerMalformed);
        return;
      }
      QByteArray line = m_in.left(lineEnd).trimmed();
      m_in.remove(0, lineEnd + 1);
      if (m_skipLineEnd && line.isEmpty()) {
        m_skipLineEnd = false;
        continue;
      }
      m_skipLineEnd = false;
      bool ok = false;
      qint64 size = line.left(line.indexOf(';') < 0 ? line.size() : line.indexOf(';')).trimmed().toLongLong(&ok, 16);
      if (!ok || size < 0)
        return Fail(kAnswerMalformed);
      if (size == 0)
        return Finish(CHttpExchangeResult::EEnd::Answered);  // trailers are of no interest
      m_chunkLeft = size;
    }
  }

  void OnClosed(bool error) {
    OnReadable();  // what arrived before the end is part of the answer
    if (m_done)
      return;
    // An answer without a length ends with its connection.
    if (!error || m_socket->error() == QAbstractSocket::RemoteHostClosedError) {
      if (m_stage == EStage::Body && m_remaining < 0)
        return Finish(CHttpExchangeResult::EEnd::Answered);
    }
    if (m_result.head.status == 0 || m_stage != EStage::Head) {
      std::string text = m_socket->errorString().toStdString();
      if (m_result.head.status != 0 || text.empty())
        text = NsCatalogText(kAnswerCut);
      Finish(CHttpExchangeResult::EEnd::Failed, text);
    }
  }

  CHttpExchange& m_owner;
  QEventLoop& m_loop;
  std::unique_ptr<QSslSocket> m_socket;
  QByteArray m_request;
  QByteArray m_in;
  CHttpExchangeResult m_result;
  EStage m_stage = EStage::Head;
  qint64 m_remaining = -1;
  qint64 m_total = 0;
  qint64 m_chunkLeft = 0;
  bool m_skipLineEnd = false;
  bool m_sent = false;
  bool m_done = false;
};

CHttpExchange::CHttpExchange(IHttpProgress* progress, std::function<bool(const CHttpHead&)> wantsBody,
                             qsizetype bodyLimit)
    : m_progress(progress), m_wantsBody(std::move(wantsBody)), m_bodyLimit(bodyLimit) {}

CHttpExchange::~CHttpExchange() = default;

CHttpExchangeResult CHttpExchange::Run(const QUrl& url, const QNetworkProxy& proxy, const QByteArray& extraHeaders,
                                       QDeadlineTimer deadline) {
  if (m_cancelled) {
    CHttpExchangeResult result;
    result.end = CHttpExchangeResult::EEnd::Cancelled;
    return result;
  }
  QEventLoop loop;
  CRun run(*this, loop);
  m_running = &run;
  CHttpExchangeResult result = run.Run(url, proxy, extraHeaders, deadline);
  m_running = nullptr;
  return result;
}

void CHttpExchange::Cancel() {
  m_cancelled = true;
  if (m_running)
    m_running->Finish(CHttpExchangeResult::EEnd::Cancelled);
}

std::string ChallengeRealm(const QByteArray& challenge) { return Parameter(challenge, "realm").toStdString(); }

QByteArray DigestResponse(const QByteArray& user, const QByteArray& realm, const QByteArray& password,
                          const QByteArray& nonce, const QByteArray& uri, const QByteArray& qop, const QByteArray& nc,
                          const QByteArray& cnonce) {
  QByteArray ha1 = Md5Hex(user + ':' + realm + ':' + password);
  QByteArray ha2 = Md5Hex("GET:" + uri);
  if (qop.isEmpty())
    return Md5Hex(ha1 + ':' + nonce + ':' + ha2);
  return Md5Hex(ha1 + ':' + nonce + ':' + nc + ':' + cnonce + ':' + qop + ':' + ha2);
}

QByteArray AuthorizationFor(const QByteArray& challenge, const std::string& user, const std::string& password,
                            const QByteArray& requestTarget) {
  QByteArray scheme = challenge.left(challenge.indexOf(' ') < 0 ? challenge.size() : challenge.indexOf(' ')).toLower();
  QByteArray u = QByteArray::fromStdString(user);
  QByteArray p = QByteArray::fromStdString(password);
  if (scheme == "basic")
    return "Basic " + (u + ':' + p).toBase64();
  if (scheme != "digest")
    return {};
  QByteArray algorithm = Parameter(challenge, "algorithm").toLower();
  if (!algorithm.isEmpty() && algorithm != "md5")
    return {};
  QByteArray realm = Parameter(challenge, "realm");
  QByteArray nonce = Parameter(challenge, "nonce");
  QByteArray qop;
  for (const QByteArray& offered : Parameter(challenge, "qop").split(',')) {
    if (offered.trimmed().toLower() == "auth")
      qop = "auth";
  }
  QByteArray nc = "00000001";
  QByteArray cnonce = QByteArray::number(QRandomGenerator::global()->generate64(), 16);
  QByteArray answer = "Digest username=" + Quoted(u) + ", realm=" + Quoted(realm) + ", nonce=" + Quoted(nonce) +
                      ", uri=" + Quoted(requestTarget) + ", response=" +
                      Quoted(DigestResponse(u, realm, p, nonce, requestTarget, qop, nc, cnonce));
  if (!qop.isEmpty())
    answer += ", qop=auth, nc=" + nc + ", cnonce=" + Quoted(cnonce);
  QByteArray opaque = Parameter(challenge, "opaque");
  if (!opaque.isEmpty())
    answer += ", opaque=" + Quoted(opaque);
  return answer;
}

std::optional<QDateTime> ParseHttpDate(const QByteArray& raw) {
  QString text = QString::fromLatin1(raw).simplified();
  // "Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT", "Sun Nov  6 08:49:37 1994"
  qsizetype comma = text.indexOf(QLatin1Char(','));
  if (comma >= 0)
    text = text.mid(comma + 1).trimmed();
  if (text.endsWith(QLatin1String(" GMT")))
    text.chop(4);
  QLocale c = QLocale::c();
  for (const char* format : {"dd MMM yyyy HH:mm:ss", "d MMM yyyy HH:mm:ss", "dd-MMM-yy HH:mm:ss",
                             "ddd MMM d HH:mm:ss yyyy"}) {
    QDateTime when = c.toDateTime(text, QLatin1String(format));
    if (when.isValid()) {
      if (when.date().year() < 1970 && QLatin1String(format).contains(QLatin1String("-yy")))
        when = when.addYears(100);
      when.setTimeZone(QTimeZone::utc());
      return when;
    }
  }
  return std::nullopt;
}
