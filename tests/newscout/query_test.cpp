// The web query against a real HTTP server on 127.0.0.1: each kind of answer ends with its decision and message.
#include <QNetworkProxy>
#include <gtest/gtest.h>

#include <chrono>

#include "app/messagecatalog.h"
#include "newscout/newscouttexts.h"
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

class QueryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    profile.productName = "Kivo Vam";
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

  CNewscoutProfile profile;
  CNewscoutSettings settings{profile};
  CServerQuery query;
  CScriptedUi ui;
  std::string message;
};

const char kUpdBody[] =
    "# Kivo Vam, current release\r\n"
    "// written by the release script\r\n"
    "\r\n"
    "  Version = 2.1.0  \r\n"
    "link=https://example.invalid/get/kivovam\r\n"
    "size=123456\r\n"
    "date=2010/5/5 12:30:15.25\r\n"
    "unknown=ignored\r\n";

TEST_F(QueryTest, UpdAnswerGivesVersionLinkSizeAndDate) {
  CRecordedSteps steps;
  query.SetProgress(&steps);
  CTestHttpServer server([](const CHttpRequest&) { return MakeReply(200, "text/plain", kUpdBody); });

  EXPECT_TRUE(Ask(server.HostPort()));
  EXPECT_EQ(message, "");
  EXPECT_EQ(query.Answer().version, "2.1.0");
  EXPECT_EQ(query.Answer().size, 123456u);
  EXPECT_EQ(query.Answer().date.ToText(), "2010/5/5 12:30:15.250");
  EXPECT_EQ(profile.downloadLink, "https://example.invalid/get/kivovam");
  EXPECT_TRUE(LastRunWritten());

  ASSERT_EQ(server.Requests().size(), 1u);
  CHttpRequest request = server.Requests()[0];
  EXPECT_EQ(request.requestLine, "GET /kivovam/latest.upd HTTP/1.1");
  EXPECT_EQ(request.Header("accept"), "*/*");
  EXPECT_EQ(request.Header("cache-control"), "no-cache");
  EXPECT_EQ(steps.ids, (std::vector<int>{4200, 4201, 4202, 4203, 4204, 4205, 4206, 4207, 4208, 4209}));
}

struct CAnswerCase {
  const char* name;
  const char* objectPath;
  CHttpReply reply;
  bool newer;
  int messageId;  // 0: no message
  bool contact;   // counts as a successful contact
};

class QueryAnswerTest : public QueryTest, public ::testing::WithParamInterface<CAnswerCase> {};

TEST_P(QueryAnswerTest, EndsWithItsDecisionAndMessage) {
  const CAnswerCase& c = GetParam();
  profile.objectPath = c.objectPath;
  CTestHttpServer server([&](const CHttpRequest&) { return c.reply; });

  EXPECT_EQ(Ask(server.HostPort()), c.newer);
  std::string expected;
  if (c.messageId == 4004)
    expected = Text(4004, {server.HostPort()});
  else if (c.messageId != 0)
    expected = Text(c.messageId);
  EXPECT_EQ(message, expected);
  EXPECT_EQ(LastRunWritten(), c.contact);
}

const std::string kPackage(5000, 'x');

INSTANTIATE_TEST_SUITE_P(
    Answers, QueryAnswerTest,
    ::testing::Values(
        CAnswerCase{"ApplicationDownloadNewer", "/setup/kivovam.bin",
                    MakeReply(200, "application/octet-stream", kPackage), true, 0, true},
        CAnswerCase{"ApplicationDownloadOfInstalledSize", "/setup/kivovam.bin",
                    MakeReply(200, "Application/x-msdownload", std::string(1000, 'x')), false, 0, true},
        CAnswerCase{"NotFound", "/kivovam/latest.upd", MakeReply(404, "text/html", "<h1>gone</h1>"), false, 4011,
                    false},
        CAnswerCase{"WrongContentType", "/setup/kivovam.bin", MakeReply(200, "text/html", "<html></html>"), false,
                    4004, true},
        CAnswerCase{"InfoFileOfCommentsOnly", "/kivovam/latest.txt",
                    MakeReply(200, "text/plain", "# nothing yet\n// really nothing\n"), false, 0, true},
        CAnswerCase{"InfoFileWithoutLength", "/kivovam/latest.upd",
                    MakeReply(200, "text/plain", "version=3\n", "", false), false, 4007, true},
        CAnswerCase{"InfoFileWithoutDate", "/kivovam/latest.upd",
                    [] {
                      CHttpReply r = MakeReply(200, "text/plain", "version=3\n");
                      r.head.erase(r.head.find("Last-Modified"), r.head.find("Connection") - r.head.find("Last-Modified"));
                      return r;
                    }(),
                    false, 4007, true},
        CAnswerCase{"TextTooLargeForAnInfoFile", "/kivovam/latest.upd",
                    MakeReply(200, "text/plain", "version=3\n" + std::string(100000, '#')), false, 4004, true}),
    CRowName());

TEST_F(QueryTest, LinkToAnythingButAWebPageIsIgnored) {
  CTestHttpServer server([](const CHttpRequest&) {
    return MakeReply(200, "text/plain", "link=file:///usr/bin/xterm\nversion=2.2\n");
  });
  EXPECT_TRUE(Ask(server.HostPort()));
  EXPECT_EQ(profile.downloadLink, "http://example.invalid/download");
}

TEST_F(QueryTest, IgnoredDateIsHonouredOnlyWhenAsked) {
  CTestHttpServer server([](const CHttpRequest&) { return MakeReply(200, "text/plain", kUpdBody); });
  profile.serverHost = server.HostPort();
  profile.ignoreDate = CNewscoutDate::ParseStoredText("2010/5/5 12:30:15.25");
  EXPECT_FALSE(query.Query(profile, settings, true, message));
  EXPECT_EQ(message, "");
  EXPECT_TRUE(query.Query(profile, settings, false, message));
}

// Only the right user name and password get the file.
CHttpReply Guarded(const CHttpRequest& request, const char* header, const char* credentials, int status,
                   const char* challenge) {
  if (request.Header(header) == credentials)
    return MakeReply(200, "text/plain", kUpdBody);
  return MakeReply(status, "text/html", "no", challenge);
}

TEST_F(QueryTest, ServerAuthenticationAsksTheUser) {
  CTestHttpServer server([](const CHttpRequest& r) {
    return Guarded(r, "authorization", "Basic dXNlcjpzZWNyZXQ=", 401, "WWW-Authenticate: Basic realm=\"updates\"\r\n");
  });
  ui.user = "user";
  ui.password = "secret";
  EXPECT_TRUE(Ask(server.HostPort()));
  ASSERT_EQ(ui.credentialRequests.size(), 1u);
  EXPECT_FALSE(ui.credentialRequests[0].proxy);
  EXPECT_EQ(ui.credentialRequests[0].realm, "updates");
  EXPECT_EQ(ui.credentialRequests[0].host, "127.0.0.1");
}

TEST_F(QueryTest, ServerAuthenticationFailures) {
  CTestHttpServer server([](const CHttpRequest& r) {
    return Guarded(r, "authorization", "Basic dXNlcjpzZWNyZXQ=", 401, "WWW-Authenticate: Basic realm=\"updates\"\r\n");
  });
  // The user declines.
  EXPECT_FALSE(Ask(server.HostPort()));
  EXPECT_EQ(message, Text(4011));
  EXPECT_EQ(ui.credentialRequests.size(), 1u);
  EXPECT_FALSE(LastRunWritten());

  // Wrong credentials: asked again, but not without end.
  ui.credentialRequests.clear();
  ui.user = "user";
  ui.password = "wrong";
  EXPECT_FALSE(Ask(server.HostPort()));
  EXPECT_EQ(message, Text(4011));
  EXPECT_GE(ui.credentialRequests.size(), 1u);
  EXPECT_LE(ui.credentialRequests.size(), 8u);

  // No dialog wanted: nobody is asked.
  ui.credentialRequests.clear();
  profile.authDialog = 0;
  EXPECT_FALSE(Ask(server.HostPort()));
  EXPECT_EQ(message, Text(4011));
  EXPECT_TRUE(ui.credentialRequests.empty());
}

TEST_F(QueryTest, ProxyAuthenticationAsksTheUser) {
  CTestHttpServer proxy([](const CHttpRequest& r) {
    return Guarded(r, "proxy-authorization", "Basic dXNlcjpzZWNyZXQ=", 407,
                   "Proxy-Authenticate: Basic realm=\"gateway\"\r\n");
  });
  QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::HttpProxy, "127.0.0.1", static_cast<quint16>(proxy.Port())));

  // Without credentials the proxy's refusal ends the query.
  EXPECT_FALSE(Ask("updates.example.invalid"));
  EXPECT_EQ(message, Text(4011));

  ui.credentialRequests.clear();
  ui.user = "user";
  ui.password = "secret";
  EXPECT_TRUE(Ask("updates.example.invalid"));
  ASSERT_FALSE(ui.credentialRequests.empty());
  EXPECT_TRUE(ui.credentialRequests.back().proxy);
  EXPECT_EQ(ui.credentialRequests.back().realm, "gateway");
  EXPECT_EQ(proxy.Requests().back().requestLine, "GET http://updates.example.invalid/kivovam/latest.upd HTTP/1.1");
}

TEST_F(QueryTest, SilentServerTimesOut) {
  CTestHttpServer server([](const CHttpRequest&) {
    CHttpReply reply;
    reply.mode = CHttpReply::EMode::Silent;
    return reply;
  });
  query.timeoutMs = 500;
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Ask(server.HostPort()));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_EQ(message, Text(4005, {"The server did not answer in time (after 0.5 s)."}));
  EXPECT_FALSE(LastRunWritten());
}

TEST_F(QueryTest, EndlessBodyIsNotReadToItsEnd) {
  CTestHttpServer chunked([](const CHttpRequest&) {
    CHttpReply reply = MakeReply(200, "text/plain", "", "Transfer-Encoding: chunked\r\n", false);
    reply.mode = CHttpReply::EMode::Endless;
    reply.body = "1000\r\n" + std::string(0x1000, '#') + "\r\n";
    return reply;
  });
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Ask(chunked.HostPort()));
  EXPECT_EQ(message, Text(4007));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));

  // A body that goes on past its declared length is read up to that length.
  CTestHttpServer overlong([](const CHttpRequest&) {
    std::string declared = "version=2.5\n# padding\n";
    CHttpReply reply = MakeReply(200, "text/plain", declared);
    reply.mode = CHttpReply::EMode::Endless;
    reply.body = declared + "version=9.9\n";
    return reply;
  });
  start = std::chrono::steady_clock::now();
  EXPECT_TRUE(Ask(overlong.HostPort()));
  EXPECT_EQ(query.Answer().version, "2.5");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(QueryTest, NetworkFailuresCarryTheirErrorText) {
  // A port that nobody listens on.
  int port = 0;
  {
    CTestHttpServer closed([](const CHttpRequest&) { return CHttpReply{}; });
    port = closed.Port();
  }
  EXPECT_FALSE(Ask("127.0.0.1:" + std::to_string(port)));
  EXPECT_EQ(message.rfind(Text(4005, {""}), 0), 0u) << message;
  EXPECT_GT(message.size(), Text(4005, {""}).size());

  // A server address of another protocol is never asked.
  EXPECT_FALSE(Ask("file:///etc"));
  EXPECT_EQ(message, Text(4005, {Text(NsText::kNotWebAddress, {"file:///etc"})}));
}

TEST_F(QueryTest, HttpsHostIsAskedOverTls) {
  CTestHttpServer plain([](const CHttpRequest&) { return MakeReply(200, "text/plain", kUpdBody); });
  query.timeoutMs = 1000;
  EXPECT_FALSE(Ask("https://" + plain.HostPort()));
  EXPECT_EQ(message.rfind(Text(4005, {""}), 0), 0u) << message;
  EXPECT_TRUE(plain.Requests().empty());
}

}  // namespace
