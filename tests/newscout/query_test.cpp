// The web query against a real HTTP server on 127.0.0.1: each kind of answer ends with its decision and message.
#include <QNetworkProxy>
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "base/messagecatalog.h"
#include "newscout/newscouttexts.h"
#include "newscout/httpexchange.h"
#include "newscout/serverquery.h"
#include "nstestsupport.h"

namespace {

class CRecordedSteps : public IQueryProgress {
 public:
  void Step(int id) override { ids.push_back(id); }
  std::vector<int> ids;
};

std::string Text(int id, const std::vector<std::string>& args = {}) {
  return FormatMessageText(NsCatalogText(id), args);
}

const char kUpdBody[] =
    "# Kivo Vam, current release\r\n// written by the release script\r\n\r\n  Version = 2.1.0  \r\n"
    "link=https://example.invalid/get/kivovam\r\nsize=123456\r\ndate=2010/5/5 12:30:15.25\r\nunknown=ignored\r\n";

class QueryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    profile.registryKeyPath = UniqueKeyPath();
    profile.objectPath = "/kivovam/latest.upd";
    profile.downloadLink = "http://example.invalid/download";
    profile.packageSize = 1000;
    profile.packageDate = CNewscoutDate::ParseStoredText("2009/12/1");
    query.SetCredentialsPrompt(&ui);
    query.timeoutMs = 2000;
  }
  void TearDown() override { QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy); }

  bool Ask(const std::string& host) {
    profile.serverHost = host;
    return query.Query(profile, settings, false, message);
  }
  bool LastRunWritten() {
    CNewscoutProfile stored;
    stored.registryKeyPath = profile.registryKeyPath;
    CNewscoutSettings(stored).LoadSettings();
    return !stored.lastRunDate.IsZero();
  }
  // How long `ask` took, in milliseconds.
  template <typename F>
  static long long Millis(F ask) {
    auto start = std::chrono::steady_clock::now();
    ask();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  }

  CNewscoutProfile profile;
  CNewscoutSettings settings{profile};
  CServerQuery query;
  CScriptedUi ui;
  std::string message;
};

TEST_F(QueryTest, UpdAnswerGivesVersionLinkSizeAndDate) {
  CRecordedSteps steps;
  query.SetProgress(&steps);
  CTestHttpServer server([](const std::string&) { return MakeReply(200, "text/plain", kUpdBody); });

  EXPECT_TRUE(Ask(server.HostPort()));
  EXPECT_EQ(message, "");
  EXPECT_EQ(query.Answer().version, "2.1.0");
  EXPECT_EQ(query.Answer().size, 123456u);
  EXPECT_EQ(query.Answer().date.ToText(), "2010/5/5 12:30:15.250");
  EXPECT_EQ(profile.downloadLink, "https://example.invalid/get/kivovam");
  EXPECT_TRUE(LastRunWritten());
  ASSERT_EQ(server.Requests().size(), 1u);
  std::string request = server.Requests()[0];
  EXPECT_EQ(request.rfind("GET /kivovam/latest.upd HTTP/1.1\r\n", 0), 0u);
  EXPECT_NE(request.find("\r\nAccept: */*\r\n"), std::string::npos) << request;
  EXPECT_NE(request.find("\r\nCache-Control: no-cache\r\n"), std::string::npos) << request;
  EXPECT_EQ(steps.ids, (std::vector<int>{4200, 4201, 4202, 4203, 4204, 4205, 4206, 4207, 4208, 4209}));

  // With the ignore date honoured, the same answer is no news.
  profile.ignoreDate = query.Answer().date;
  EXPECT_FALSE(query.Query(profile, settings, true, message));
  EXPECT_EQ(message, "");
}

struct CAnswerCase {
  const char* name;
  const char* objectPath;
  CHttpReply reply;
  bool newer;
  int messageId;  // 0: none
  bool contact;   // counted as a successful contact
  std::vector<std::string> more = {};  // the message's arguments after the host
};

class QueryAnswerTest : public QueryTest, public ::testing::WithParamInterface<CAnswerCase> {};

TEST_P(QueryAnswerTest, EndsWithItsDecisionAndMessage) {
  const CAnswerCase& c = GetParam();
  profile.objectPath = c.objectPath;
  CTestHttpServer server([&](const std::string&) { return c.reply; });
  EXPECT_EQ(Ask(server.HostPort()), c.newer);
  std::vector<std::string> args{server.HostPort()};
  args.insert(args.end(), c.more.begin(), c.more.end());
  EXPECT_EQ(message, c.messageId == 0 ? "" : Text(c.messageId, args));
  EXPECT_EQ(LastRunWritten(), c.contact);
  EXPECT_EQ(profile.downloadLink, "http://example.invalid/download");
}

// The status line with other words after its code.
CHttpReply WithReason(CHttpReply reply, const std::string& reason) {
  std::size_t code = reply.head.find(' ') + 1;
  std::size_t end = reply.head.find("\r\n");
  reply.head.replace(code + 3, end - code - 3, reason.empty() ? "" : " " + reason);
  return reply;
}

CHttpReply WithoutDate(CHttpReply reply) {
  std::size_t at = reply.head.find("Last-Modified");
  reply.head.erase(at, reply.head.find("\r\n", at) + 2 - at);
  return reply;
}

INSTANTIATE_TEST_SUITE_P(
    Answers, QueryAnswerTest,
    ::testing::Values(
        CAnswerCase{"Download", "/kivovam.bin", MakeReply(200, "application/octet-stream", std::string(5000, 'x')),
                    true, 0, true},
        CAnswerCase{"DownloadOfTheInstalledSize", "/kivovam.bin",
                    MakeReply(200, "Application/x-msdownload", std::string(1000, 'x')), false, 0, true},
        CAnswerCase{"NotFound", "/latest.upd", MakeReply(404, "text/html", "<h1>gone</h1>"), false, 4210, false,
                    {"404 Status"}},
        CAnswerCase{"ServerError", "/latest.upd",
                    WithReason(MakeReply(500, "text/html", "<h1>oops</h1>"), "Internal Server Error"), false, 4210,
                    false, {"500 Internal Server Error"}},
        CAnswerCase{"ServerErrorWithoutWords", "/kivovam.bin", WithReason(MakeReply(503, "text/html", ""), ""), false,
                    4210, false, {"503"}},
        CAnswerCase{"ServerErrorWithControls", "/kivovam.bin",
                    WithReason(MakeReply(502, "text/html", ""), "Bad\x1b[2J Gateway"), false, 4210, false,
                    {"502 Bad[2J Gateway"}},
        CAnswerCase{"WrongContentType", "/kivovam.bin", MakeReply(200, "text/html", "<html/>"), false, 4004, true},
        CAnswerCase{"OnlyComments", "/latest.TXT", MakeReply(200, "text/plain", "# none\n// yet\n"), false, 0, true},
        CAnswerCase{"LinkToAProgramOnly", "/latest.upd", MakeReply(200, "text/plain", "link=/usr/bin/xterm\n"), false,
                    0, true},
        CAnswerCase{"NoLength", "/latest.upd", MakeReply(200, "text/plain", "version=3\n", "", false), false, 4007,
                    true},
        CAnswerCase{"NoDate", "/latest.upd", WithoutDate(MakeReply(200, "text/plain", "version=3\n")), false, 4007,
                    true},
        CAnswerCase{"TooLargeForAnInfoFile", "/latest.upd",
                    MakeReply(200, "text/plain", "version=3\n" + std::string(100000, '#')), false, 4211, true,
                    {"100010", "100000"}},
        CAnswerCase{"TooLargeHtmlForAnInfoFile", "/latest.txt", MakeReply(200, "text/html", std::string(200000, ' ')),
                    false, 4211, true, {"200000", "100000"}}),
    CRowName());

// Only the right user name and password get the file.
CTestHttpServer::CHandler Guard(const char* header, int status, const char* challenge) {
  return [=](const std::string& head) {
    if (head.find(std::string("\r\n") + header + ": Basic dXNlcjpzZWNyZXQ=\r\n") != std::string::npos)
      return MakeReply(200, "text/plain", kUpdBody);
    return MakeReply(status, "text/html", "no", challenge);
  };
}

TEST_F(QueryTest, ServerAuthentication) {
  CTestHttpServer server(Guard("Authorization", 401, "WWW-Authenticate: Basic realm=\"updates\"\r\n"));
  // The user declines.
  EXPECT_FALSE(Ask(server.HostPort()));
  EXPECT_EQ(message, Text(4011));
  EXPECT_EQ(ui.credentialRequests.size(), 1u);
  EXPECT_FALSE(LastRunWritten());
  // Wrong credentials are asked for again, but not without end.
  ui.user = "user";
  ui.password = "wrong";
  EXPECT_FALSE(Ask(server.HostPort()));
  EXPECT_LE(ui.credentialRequests.size(), 1u + 8u);
  // The right ones get the file.
  ui.credentialRequests.clear();
  ui.password = "secret";
  EXPECT_TRUE(Ask(server.HostPort()));
  ASSERT_EQ(ui.credentialRequests.size(), 1u);
  EXPECT_FALSE(ui.credentialRequests[0].proxy);
  EXPECT_EQ(ui.credentialRequests[0].realm, "updates");
  EXPECT_EQ(ui.credentialRequests[0].host, "127.0.0.1");
  // Without the dialog nobody is asked.
  CServerQuery fresh;
  fresh.SetCredentialsPrompt(&ui);
  ui.credentialRequests.clear();
  profile.authDialog = 0;
  EXPECT_FALSE(fresh.Query(profile, settings, false, message));
  EXPECT_EQ(message, Text(4011));
  EXPECT_TRUE(ui.credentialRequests.empty());
}

TEST_F(QueryTest, ProxyAuthentication) {
  CTestHttpServer proxy(Guard("Proxy-Authorization", 407, "Proxy-Authenticate: Basic realm=\"gateway\"\r\n"));
  QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::HttpProxy, "127.0.0.1", static_cast<quint16>(proxy.Port())));
  EXPECT_FALSE(Ask("updates.example.invalid"));
  EXPECT_EQ(message, Text(4011));

  ui.user = "user";
  ui.password = "secret";
  EXPECT_TRUE(Ask("updates.example.invalid"));
  EXPECT_TRUE(ui.credentialRequests.back().proxy);
  EXPECT_EQ(ui.credentialRequests.back().realm, "gateway");
  EXPECT_EQ(proxy.Requests().back().rfind("GET http://updates.example.invalid/kivovam/latest.upd HTTP/1.1\r\n", 0), 0u);
}

TEST_F(QueryTest, SilentServerTimesOut) {
  CTestHttpServer server([](const std::string&) { return CHttpReply{CHttpReply::EMode::Silent, "", ""}; });
  query.timeoutMs = 500;
  EXPECT_LT(Millis([&] { EXPECT_FALSE(Ask(server.HostPort())); }), 3000);
  EXPECT_EQ(message, Text(4005, {"The server did not answer in time (after 0.5 s)."}));
  EXPECT_FALSE(LastRunWritten());
}

TEST_F(QueryTest, EndlessBodyIsNotReadToItsEnd) {
  CTestHttpServer chunked([](const std::string&) {
    CHttpReply reply = MakeReply(200, "text/plain", "", "Transfer-Encoding: chunked\r\n", false);
    return CHttpReply{CHttpReply::EMode::Endless, reply.head, "1000\r\n" + std::string(0x1000, '#') + "\r\n"};
  });
  EXPECT_LT(Millis([&] { EXPECT_FALSE(Ask(chunked.HostPort())); }), 2000);
  EXPECT_EQ(message, Text(4007));

  // A body that goes on past its declared length is read up to that length.
  CTestHttpServer overlong([](const std::string&) {
    CHttpReply reply = MakeReply(200, "text/plain", "version=2.5\n# padding\n");
    return CHttpReply{CHttpReply::EMode::Endless, reply.head, reply.body + "version=9.9\n"};
  });
  EXPECT_LT(Millis([&] { EXPECT_TRUE(Ask(overlong.HostPort())); }), 2000);
  EXPECT_EQ(query.Answer().version, "2.5");
}

TEST_F(QueryTest, GibibyteInformationFileIsNamedOversizedWithoutBeingRead) {
  CTestHttpServer server([](const std::string&) {
    CHttpReply reply = MakeReply(200, "text/plain", "", "Content-Length: 1073741824\r\n", false);
    return CHttpReply{CHttpReply::EMode::Endless, reply.head, std::string(0x10000, '#')};
  });
  EXPECT_LT(Millis([&] { EXPECT_FALSE(Ask(server.HostPort())); }), 2000);
  EXPECT_EQ(message, Text(NsText::kInfoFileTooLarge, {server.HostPort(), "1073741824", "100000"}));
  EXPECT_LT(server.BytesSent(), 64LL * 1024 * 1024);
  EXPECT_TRUE(LastRunWritten());
}

TEST_F(QueryTest, NetworkFailuresCarryTheirErrorText) {
  int port = CTestHttpServer([](const std::string&) { return CHttpReply{}; }).Port();  // nobody listens now
  EXPECT_FALSE(Ask("127.0.0.1:" + std::to_string(port)));
  EXPECT_EQ(message, Text(4005, {"Connection refused"}));

  EXPECT_FALSE(Ask("file:///etc"));
  EXPECT_EQ(message, Text(4005, {Text(NsText::kNotWebAddress, {"file:///etc"})}));

  // An https host is asked over TLS, which a plain server does not understand.
  CTestHttpServer plain([](const std::string&) { return MakeReply(200, "text/plain", kUpdBody); });
  query.timeoutMs = 1000;
  EXPECT_FALSE(Ask("https://" + plain.HostPort()));
  EXPECT_EQ(message.rfind(Text(4005, {""}), 0), 0u) << message;
  EXPECT_TRUE(plain.Requests().empty());
}

long long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0)
      return std::stoll(line.substr(6));
  }
  return 0;
}

struct CEndlessCase {
  const char* name;
  CHttpReply reply;
  std::string says;  // the network error text in message 4005
};

class EndlessAnswerTest : public QueryTest, public ::testing::WithParamInterface<CEndlessCase> {};

// However the server draws its answer out, the query ends by its bounds or at
// its deadline, having kept little of it.
TEST_P(EndlessAnswerTest, EndsWithinTheDeadlineAndBoundedMemory) {
  CTestHttpServer server([](const std::string&) { return GetParam().reply; });
  query.timeoutMs = 1000;
  long long before = ResidentKiB();
  EXPECT_LT(Millis([&] { EXPECT_FALSE(Ask(server.HostPort())); }), 2000);
  EXPECT_LT(ResidentKiB() - before, 16 * 1024);
  EXPECT_EQ(message, Text(4005, {GetParam().says}));
  EXPECT_FALSE(LastRunWritten());
}

CHttpReply Endless(CHttpReply::EMode mode, const std::string& head, const std::string& repeated, int pauseMs = 0) {
  CHttpReply reply{mode, head, repeated};
  reply.pauseMs = pauseMs;
  return reply;
}

const std::string kHeadTooLarge = "The server's answer has a header larger than 65536 bytes.";
const std::string kTimedOut = "The server did not answer in time (after 1 s).";

INSTANTIATE_TEST_SUITE_P(
    Endless, EndlessAnswerTest,
    ::testing::Values(
        CEndlessCase{"OneHeaderLine",
                     Endless(CHttpReply::EMode::EndlessHead, "HTTP/1.1 200 OK\r\nX-Padding: ", std::string(65536, 'a')),
                     kHeadTooLarge},
        CEndlessCase{"ManyHeaderLines",
                     Endless(CHttpReply::EMode::EndlessHead, "HTTP/1.1 200 OK\r\n", "X-A: b\r\n"), kHeadTooLarge},
        CEndlessCase{"StatusLine", Endless(CHttpReply::EMode::EndlessHead, "HTTP/1.1 200 ", std::string(4096, 'O')),
                     kHeadTooLarge},
        CEndlessCase{"HeaderDrippedSlowly",
                     Endless(CHttpReply::EMode::EndlessHead, "HTTP/1.1 200 OK\r\nX-Padding: ", "a", 50), kTimedOut},
        CEndlessCase{"NotHttp", Endless(CHttpReply::EMode::EndlessHead, "SSH-2.0-OpenSSH\r\n\r\n", ""),
                     "The server's answer is not an HTTP answer."},
        CEndlessCase{"TinyChunksWithLongLines",
                     Endless(CHttpReply::EMode::Endless,
                             MakeReply(200, "text/plain", "", "Content-Length: 10\r\nTransfer-Encoding: chunked\r\n",
                                       false).head,
                             "1;" + std::string(1000, 'x') + "\r\na\r\n"),
                     "The server's answer is malformed or larger than any answer it may give."}),
    CRowName());

struct CHostileCase {
  const char* name;
  std::string body;
  std::string version;  // as kept
  std::string link;     // the download link afterwards
  std::string date;     // the answer's date afterwards
};

class HostileAnswerTest : public QueryTest, public ::testing::WithParamInterface<CHostileCase> {};

// What a server says is kept only in a form that can be shown safely, and a
// date that does not exist leaves the one from the headers in force.
TEST_P(HostileAnswerTest, KeepsOnlyShowableValues) {
  const CHostileCase& c = GetParam();
  CTestHttpServer server([&](const std::string&) { return MakeReply(200, "text/plain", c.body); });
  Ask(server.HostPort());
  EXPECT_EQ(message, "");
  EXPECT_EQ(query.Answer().version, c.version);
  EXPECT_EQ(profile.downloadLink, c.link);
  EXPECT_EQ(query.Answer().date.ToText(), c.date);
}

const std::string kHeaderDate = "2010/5/5 12:30:15";
const std::string kOldLink = "http://example.invalid/download";

std::string LongVersion() {
  std::string cut(99, '9');
  return cut + "\u2026";
}

INSTANTIATE_TEST_SUITE_P(
    Hostile, HostileAnswerTest,
    ::testing::Values(
        CHostileCase{"RichTextStaysText", "version=<b>2</b><img src=\"file:///etc/logo.png\">\n",
                     "<b>2</b><img src=\"file:///etc/logo.png\">", kOldLink, kHeaderDate},
        CHostileCase{"EscapeSequencesRemoved", "version=\x1b[2J\x1b]0;owned\x07 2.0\x9b\x1b\n", "[2J]0;owned 2.0\xEF\xBF\xBD",
                     kOldLink, kHeaderDate},
        CHostileCase{"C1ControlsRemoved", "version=2.\xc2\x9b" "31m0\n", "2.31m0", kOldLink, kHeaderDate},
        CHostileCase{"OnlyControlsIsNoVersion", "version=\x1b\x07\n", "", kOldLink, kHeaderDate},
        CHostileCase{"LongVersionCut", "version=" + std::string(99000, '9') + "\n", LongVersion(), kOldLink,
                     kHeaderDate},
        CHostileCase{"LinkWithEscapeRefused", "link=https://example.invalid/\x1b[2J\n", "", kOldLink, kHeaderDate},
        CHostileCase{"MonthThirteen", "date=2010/13/1\nversion=3\n", "3", kOldLink, kHeaderDate},
        CHostileCase{"DayFortyFive", "date=2010/5/45\nversion=3\n", "3", kOldLink, kHeaderDate},
        CHostileCase{"HourTwentyFive", "date=2010/5/5 25:00\nversion=3\n", "3", kOldLink, kHeaderDate},
        CHostileCase{"RealDateTaken", "date=2011/2/28 23:59:59\n", "", kOldLink, "2011/2/28 23:59:59"}),
    CRowName());

}  // namespace

namespace {

TEST(HttpAuthTest, DigestAnswersTheRfcExample) {
  EXPECT_EQ(DigestResponse("Mufasa", "testrealm@host.com", "Circle Of Life", "dcd98b7102dd2f0e8b11d0f600bfb0c093",
                           "/dir/index.html", "auth", "00000001", "0a4f113b"),
            "6629fae49393a05397450978507c4ef1");
  QByteArray answer = AuthorizationFor(
      "Digest realm=\"testrealm@host.com\", qop=\"auth,auth-int\", nonce=\"dcd98b7102dd2f0e8b11d0f600bfb0c093\", "
      "opaque=\"5ccc069c403ebaf9f0171e9517f40e41\"",
      "Mufasa", "Circle Of Life", "/dir/index.html");
  EXPECT_TRUE(answer.startsWith("Digest username=\"Mufasa\", realm=\"testrealm@host.com\", "
                                "nonce=\"dcd98b7102dd2f0e8b11d0f600bfb0c093\", uri=\"/dir/index.html\", response=\""))
      << answer.toStdString();
  EXPECT_TRUE(answer.contains(", qop=auth, nc=00000001, cnonce=\""));
  EXPECT_TRUE(answer.endsWith(", opaque=\"5ccc069c403ebaf9f0171e9517f40e41\""));
  EXPECT_EQ(AuthorizationFor("Basic realm=\"x\"", "user", "secret", "/"), "Basic dXNlcjpzZWNyZXQ=");
  EXPECT_EQ(AuthorizationFor("NTLM", "user", "secret", "/"), "");
  EXPECT_EQ(ChallengeRealm("Basic realm=\"a \\\"quoted\\\" realm\""), "a \"quoted\" realm");
}

TEST(HttpDateTest, ReadsTheThreeForms) {
  for (const char* text : {"Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT", "Sun Nov  6 08:49:37 1994"}) {
    auto when = ParseHttpDate(text);
    ASSERT_TRUE(when) << text;
    EXPECT_EQ(when->toUTC().toString(Qt::ISODate).toStdString(), "1994-11-06T08:49:37Z") << text;
  }
  EXPECT_FALSE(ParseHttpDate("yesterday"));
  EXPECT_FALSE(ParseHttpDate("Sun, 31 Feb 1994 08:49:37 GMT"));
}

TEST_F(QueryTest, RedirectionsAreFollowedButNeverToPlainHttpFromHttps) {
  CTestHttpServer target([](const std::string&) { return MakeReply(200, "text/plain", kUpdBody); });
  std::string location = "http://" + target.HostPort() + "/moved/latest.upd";
  CTestHttpServer mover([&](const std::string&) {
    return MakeReply(302, "text/html", "", "Location: " + location + "\r\n");
  });
  EXPECT_TRUE(Ask(mover.HostPort()));
  EXPECT_EQ(target.Requests().at(0).rfind("GET /moved/latest.upd HTTP/1.1\r\n", 0), 0u);

  location = "file:///etc/passwd";
  EXPECT_FALSE(Ask(mover.HostPort()));
  EXPECT_EQ(message, Text(4005, {Text(NsText::kRedirectNotFollowed, {"file:///etc/passwd"})}));
}

}  // namespace
